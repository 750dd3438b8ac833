// The sign that a window manager ignores a window's own moves, as the
// frame's and the picture's drags read it.
#include "controls/IgnoredMoveWatch.h"

#include <gtest/gtest.h>

namespace {

// A drag pressed with the window at (100, 100).
class IgnoredMoveWatch : public ::testing::Test {
protected:
    IgnoredMoveWatch() { m_watch.Start(kPressed); }

    static constexpr QPoint kPressed{100, 100};
    CIgnoredMoveWatch m_watch;
};

TEST_F(IgnoredMoveWatch, AManagerThatAnswersEveryMoveKeepsTheDrag)
{
    QPoint window = kPressed;
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(m_watch.Ignored(window, 100u * i)) << "step " << i;
        window += QPoint(5, 0);
        m_watch.Requested(window);
    }
}

TEST_F(IgnoredMoveWatch, ThreeStepsFoundWherePressedHandTheDragOver)
{
    EXPECT_FALSE(m_watch.Ignored(kPressed, 0)) << "nothing asked yet";
    m_watch.Requested(kPressed + QPoint(5, 0));
    EXPECT_FALSE(m_watch.Ignored(kPressed, 100));
    EXPECT_FALSE(m_watch.Ignored(kPressed, 200));
    EXPECT_TRUE(m_watch.Ignored(kPressed, 300));
}

// A busy drag may outrun a manager that does make the moves: steps within
// 120 ms of the first one ignored are not yet its answer, however many.
TEST_F(IgnoredMoveWatch, StepsQuickerThanTheManagerWaitForIt)
{
    m_watch.Requested(kPressed + QPoint(5, 0));
    for (unsigned ms = 1000; ms < 1120; ms += 10)
        EXPECT_FALSE(m_watch.Ignored(kPressed, ms)) << ms;
    EXPECT_TRUE(m_watch.Ignored(kPressed, 1120));
}

// A step that finds the window moved at last starts the count again, and a
// drag back to where it began asks for nothing to be ignored.
TEST_F(IgnoredMoveWatch, ALateAnswerOrAReturnToThePressStartsAgain)
{
    m_watch.Requested(kPressed + QPoint(5, 0));
    EXPECT_FALSE(m_watch.Ignored(kPressed, 0));
    EXPECT_FALSE(m_watch.Ignored(kPressed, 100));
    EXPECT_FALSE(m_watch.Ignored(kPressed + QPoint(5, 0), 200));
    EXPECT_FALSE(m_watch.Ignored(kPressed + QPoint(5, 0), 300));
    // Found where pressed again: the count and the time start afresh.
    EXPECT_FALSE(m_watch.Ignored(kPressed, 400));
    EXPECT_FALSE(m_watch.Ignored(kPressed, 450));
    EXPECT_FALSE(m_watch.Ignored(kPressed, 500));
    m_watch.Requested(kPressed);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(m_watch.Ignored(kPressed, 1000u + 100u * i)) << "step " << i;
}

} // namespace
