#include "subtitles/SubtitleTrack.h"

#include <gtest/gtest.h>

namespace {

constexpr LONGLONG kSecond = kSubtitleUnitsPerSecond;

CSubtitleTrack Track()
{
    return CSubtitleTrack("Korean", "ko-KR", SubtitleFormat::Sami, SubtitleKind::External);
}

TEST(SubtitleTrack, SortsCuesAndSkipsUnusableOnes)
{
    CSubtitleTrack track = Track();
    track.AddCue(5 * kSecond, 6 * kSecond, "third");
    track.AddCue(1 * kSecond, 2 * kSecond, "first");
    track.AddCue(3 * kSecond, 3 * kSecond, "empty stretch");
    track.AddCue(4 * kSecond, 2 * kSecond, "reversed");
    track.AddCue(-1, 2 * kSecond, "broken");
    track.AddCue(2 * kSecond, 3 * kSecond, "");
    track.AddCue(2 * kSecond, 4 * kSecond, "second");
    track.Finish();
    ASSERT_EQ(track.Cues().size(), 3u);
    EXPECT_EQ(track.Cues()[0].sMarkup, "first");
    EXPECT_EQ(track.Cues()[1].sMarkup, "second");
    EXPECT_EQ(track.Cues()[2].sMarkup, "third");
    EXPECT_EQ(track.SkippedCues(), 4u);
    EXPECT_EQ(track.Name(), "Korean");
    EXPECT_EQ(track.Language(), "ko-KR");
}

TEST(SubtitleTrack, ShowsACueFromItsStartUpToItsEnd)
{
    CSubtitleTrack track = Track();
    track.AddCue(1 * kSecond, 4 * kSecond, "Hello");
    track.AddCue(4 * kSecond, 5 * kSecond, "Next");
    track.Finish();
    EXPECT_EQ(track.MarkupAt(1 * kSecond - 1), "");
    EXPECT_EQ(track.MarkupAt(1 * kSecond), "Hello");
    EXPECT_EQ(track.MarkupAt(4 * kSecond - 1), "Hello");
    EXPECT_EQ(track.MarkupAt(4 * kSecond), "Next");
    EXPECT_EQ(track.MarkupAt(5 * kSecond), "");
    EXPECT_EQ(track.SegmentAt(5 * kSecond), nullptr);
}

TEST(SubtitleTrack, OverlappingCuesShowTogetherInStartOrder)
{
    CSubtitleTrack track = Track();
    track.AddCue(2 * kSecond, 6 * kSecond, "B");
    track.AddCue(1 * kSecond, 4 * kSecond, "A");
    track.AddCue(3 * kSecond, 5 * kSecond, "C");
    track.Finish();
    EXPECT_EQ(track.MarkupAt(1 * kSecond), "A");
    EXPECT_EQ(track.MarkupAt(2 * kSecond), "A\nB");
    EXPECT_EQ(track.MarkupAt(3 * kSecond), "A\nB\nC");
    EXPECT_EQ(track.MarkupAt(4 * kSecond), "B\nC");
    EXPECT_EQ(track.MarkupAt(5 * kSecond), "B");
    EXPECT_EQ(track.ActiveCues(3 * kSecond), (std::vector<size_t>{0, 1, 2}));
    // The segments tile the time with text without overlapping.
    const auto& segments = track.Segments();
    ASSERT_EQ(segments.size(), 5u);
    for (size_t i = 1; i < segments.size(); ++i)
        EXPECT_EQ(segments[i].rtStart, segments[i - 1].rtEnd);
}

TEST(SubtitleTrack, DropsCuesBeyondTheOnScreenBound)
{
    CSubtitleTrack track = Track();
    for (size_t i = 0; i < CSubtitleTrack::kMaxActiveCues + 3; ++i)
        track.AddCue(static_cast<LONGLONG>(i), 10 * kSecond, "line " + std::to_string(i));
    track.AddCue(20 * kSecond, 21 * kSecond, "later");
    track.Finish();
    EXPECT_EQ(track.Cues().size(), CSubtitleTrack::kMaxActiveCues + 1);
    EXPECT_EQ(track.SkippedCues(), 3u);
    EXPECT_EQ(track.ActiveCues(5 * kSecond).size(), CSubtitleTrack::kMaxActiveCues);
    EXPECT_EQ(track.Cues()[0].sMarkup, "line 0");
    EXPECT_EQ(track.Cues()[CSubtitleTrack::kMaxActiveCues - 1].sMarkup,
              "line " + std::to_string(CSubtitleTrack::kMaxActiveCues - 1));
    EXPECT_EQ(track.MarkupAt(20 * kSecond), "later");
}

TEST(SubtitleTrack, KeepsAtMostTheBoundsOfCuesAndMarkup)
{
    CSubtitleTrack track = Track();
    for (size_t i = 0; i < CSubtitleTrack::kMaxCues + 5; ++i)
        track.AddCue(static_cast<LONGLONG>(i) * 10, static_cast<LONGLONG>(i) * 10 + 5, "x");
    track.Finish();
    EXPECT_EQ(track.Cues().size(), CSubtitleTrack::kMaxCues);
    EXPECT_EQ(track.SkippedCues(), 5u);
    EXPECT_EQ(track.MarkupAt(12345 * 10 + 4), "x");
    EXPECT_EQ(track.MarkupAt(12345 * 10 + 5), "");

    CSubtitleTrack large = Track();
    const std::string sMarkup(1 << 20, 'm');
    for (LONGLONG i = 0; i < 20; ++i)
        large.AddCue(i * kSecond, (i + 1) * kSecond, sMarkup);
    large.Finish();
    EXPECT_EQ(large.Cues().size(), CSubtitleTrack::kMaxMarkupBytes / sMarkup.size());
    EXPECT_EQ(large.SkippedCues(), 20 - large.Cues().size());
}

} // namespace
