// The watch that tells when a playing graph stands still: only playing time
// counts, and it tells once per place the position stands at.
#include "playback/StallWatch.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class StallWatchTest : public ::testing::Test {
protected:
    // One look at `at` into the test with the graph playing or not.
    bool Look(bool bPlaying, LONGLONG llPosition, CStallWatch::Clock::duration at)
    {
        return m_watch.Observe(bPlaying, llPosition, m_start + at);
    }

    CStallWatch m_watch{3s};
    CStallWatch::Clock::time_point m_start = CStallWatch::Clock::now();
};

TEST_F(StallWatchTest, APositionStandingForTheLimitIsToldOnceUntilItMoves)
{
    EXPECT_FALSE(Look(true, 50, 0s));
    EXPECT_FALSE(Look(true, 50, 2900ms));
    EXPECT_TRUE(Look(true, 50, 3s));
    EXPECT_FALSE(Look(true, 50, 3500ms));
    EXPECT_FALSE(Look(true, 50, 60s)) << "told again for the same stand";
    EXPECT_FALSE(Look(true, 51, 61s));
    EXPECT_FALSE(Look(true, 51, 63500ms));
    EXPECT_TRUE(Look(true, 51, 64s)) << "a new stand after the position moved";
}

TEST_F(StallWatchTest, APositionThatMovesIsNeverTold)
{
    for (int i = 0; i < 40; ++i)
        EXPECT_FALSE(Look(true, i, std::chrono::seconds(i))) << i;
}

// A pause, a state change or the end of the file stops the count, and the
// playing time before it does not add to the time after.
TEST_F(StallWatchTest, OnlyPlayingTimeSinceTheLastStopCounts)
{
    EXPECT_FALSE(Look(true, 50, 0s));
    EXPECT_FALSE(Look(true, 50, 2s));
    EXPECT_FALSE(Look(false, 50, 20s));
    EXPECT_FALSE(Look(true, 50, 22900ms));
    EXPECT_TRUE(Look(true, 50, 23s));
    // A stand already told stays told across a pause.
    EXPECT_FALSE(Look(false, 50, 30s));
    EXPECT_FALSE(Look(true, 50, 40s));
}

} // namespace
