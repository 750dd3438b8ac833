// The cues gathered from a subtitle stream and the names menus give streams.
#include "playback/StreamCues.h"
#include "playback/StreamLabel.h"
#include "playback/SubtitleOverlay.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

namespace {

constexpr LONGLONG kSecond = 10000000;

TEST(StreamCuesTest, FindsTheCuesShowingAtATime)
{
    CStreamCues cues;
    cues.Add(1 * kSecond, 3 * kSecond, "one");
    cues.Add(2 * kSecond, 4 * kSecond, "two");
    cues.Add(5 * kSecond, 6 * kSecond, "three");
    EXPECT_EQ(cues.MarkupAt(0), "");
    EXPECT_EQ(cues.MarkupAt(1 * kSecond), "one");
    // Overlapping cues show one below the other, the earlier first.
    EXPECT_EQ(cues.MarkupAt(2 * kSecond), "one\ntwo");
    // A cue's end is not its time any more.
    EXPECT_EQ(cues.MarkupAt(3 * kSecond), "two");
    EXPECT_EQ(cues.MarkupAt(4 * kSecond + 1), "");
    EXPECT_EQ(cues.MarkupAt(5 * kSecond + 1), "three");
    EXPECT_EQ(cues.MarkupAt(100 * kSecond), "");
}

// A seek back delivers cues again: they replace, not double, the ones
// gathered before; cues without text or length are dropped.
TEST(StreamCuesTest, ACueDeliveredAgainReplacesTheFormerAndBadOnesAreDropped)
{
    CStreamCues cues;
    cues.Add(kSecond, 2 * kSecond, "first");
    cues.Add(kSecond, 2 * kSecond, "first");
    cues.Add(3 * kSecond, 3 * kSecond, "no length");
    cues.Add(4 * kSecond, 2 * kSecond, "reversed");
    cues.Add(5 * kSecond, 6 * kSecond, "");
    EXPECT_EQ(cues.Count(), 1u);
    EXPECT_EQ(cues.MarkupAt(kSecond), "first");
}

// A long cue stays found behind many short ones up to the overlap bound.
TEST(StreamCuesTest, ALongCueIsFoundBehindShortOnes)
{
    CStreamCues cues;
    cues.Add(0, 100 * kSecond, "long");
    for (int i = 1; i < CStreamCues::kMaxOverlap; ++i)
        cues.Add(i * kSecond, i * kSecond + 1, "short");
    EXPECT_EQ(cues.MarkupAt(50 * kSecond), "long");
}

TEST(StreamLabelTest, NamesTheLanguageAndWhatIsKnownOfTheStream)
{
    gst_init(nullptr, nullptr);
    EXPECT_EQ(CStreamLabel::Compose(CStreamLabel::Language("kor", 1), "Vorbis", 2), "Korean (Vorbis, 2 channels)");
    EXPECT_EQ(CStreamLabel::Compose(CStreamLabel::Language("en", 1), "", 1), "English (1 channel)");
    EXPECT_EQ(CStreamLabel::Language("ko-KR", 1), "Korean");
    EXPECT_EQ(CStreamLabel::Language("en_US", 1), "English");
    EXPECT_EQ(CStreamLabel::Compose(CStreamLabel::Language("", 3), "SubRip", 0), "Track 3 (SubRip)");
    EXPECT_EQ(CStreamLabel::Compose(CStreamLabel::Language("xx-unknown", 1), "", 0), "xx-unknown");
}

TEST(SubtitleOverlayTest, TheFontGrowsWithThePictureAndStaysReadable)
{
    EXPECT_EQ(CSubtitleOverlay::FontFor(1080), std::string(CSubtitleOverlay::kFontFamilies) + " 59px");
    EXPECT_EQ(CSubtitleOverlay::FontFor(2160), std::string(CSubtitleOverlay::kFontFamilies) + " 119px");
    EXPECT_EQ(CSubtitleOverlay::FontFor(50), std::string(CSubtitleOverlay::kFontFamilies) + " 10px");
}

// The first file track is shown; choosing checks the number; hiding keeps
// the choice.
TEST(SubtitleOverlayTest, ChoosingAndHidingTracks)
{
    CSubtitleOverlay overlay;
    EXPECT_EQ(overlay.ChosenTrack(), -1);
    EXPECT_FALSE(overlay.IsShown());
    std::vector<CSubtitleTrack> tracks;
    for (const char* pszLanguage : {"ko", "en", "ja"}) {
        tracks.emplace_back("", pszLanguage, SubtitleFormat::Sami, SubtitleKind::External);
        tracks.back().AddCue(0, kSecond, "text");
        tracks.back().Finish();
    }
    tracks.emplace_back("empty", "", SubtitleFormat::Sami, SubtitleKind::External);
    EXPECT_EQ(overlay.AddFileTracks(std::move(tracks)), 3);
    EXPECT_EQ(overlay.ChosenTrack(), 0);
    EXPECT_TRUE(overlay.IsShown());
    EXPECT_EQ(overlay.TrackLabels().at(1), "English (SAMI) - external");
    EXPECT_FALSE(overlay.Choose(3));
    EXPECT_FALSE(overlay.Choose(-1));
    overlay.Show(false);
    EXPECT_FALSE(overlay.IsShown());
    EXPECT_TRUE(overlay.Choose(2));
    EXPECT_TRUE(overlay.IsShown());
    EXPECT_EQ(overlay.ChosenTrack(), 2);
}

} // namespace
