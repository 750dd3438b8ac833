#include "SubtitleTestSupport.h"
#include "subtitles/MicroDvdParser.h"
#include "subtitles/SubRipParser.h"
#include "subtitles/SubStationParser.h"
#include "subtitles/SubtitleFormatDetector.h"
#include "subtitles/SubtitleTime.h"
#include "subtitles/WebVttParser.h"

#include <gtest/gtest.h>

namespace {

CSubtitleTrack ParseOne(const CSubtitleParser& parser, const std::string& sText)
{
    std::vector<CSubtitleTrack> tracks;
    parser.Parse(sText, &tracks);
    EXPECT_EQ(tracks.size(), 1u);
    for (const SUBTITLECUE& cue : tracks.at(0).Cues())
        EXPECT_TRUE(IsOverlayMarkup(cue.sMarkup)) << cue.sMarkup;
    return tracks.at(0);
}

TEST(SubtitleTime, ReadsTheClockFormsOfTheFormats)
{
    LONGLONG rt = 0;
    EXPECT_EQ(CSubtitleTime::Parse("01:02:03,456 -->", &rt), 12u);
    EXPECT_EQ(rt, ((1 * 60 + 2) * 60 + 3) * 1000 * kSubtitleUnitsPerMs + 456 * kSubtitleUnitsPerMs);
    EXPECT_EQ(CSubtitleTime::Parse(" 02:03.5", &rt), 8u);
    EXPECT_EQ(rt, (2 * 60 + 3) * 1000 * kSubtitleUnitsPerMs + 500 * kSubtitleUnitsPerMs);
    EXPECT_EQ(CSubtitleTime::Parse("0:00:01.25", &rt), 10u);
    EXPECT_EQ(rt, 1250 * kSubtitleUnitsPerMs);
    EXPECT_EQ(CSubtitleTime::Parse("0:00:01.123456789", &rt), 17u);
    EXPECT_EQ(rt, 11234567);
    EXPECT_EQ(CSubtitleTime::Parse("12", &rt), 0u);
    EXPECT_EQ(CSubtitleTime::Parse("aa:bb:cc", &rt), 0u);
    EXPECT_EQ(CSubtitleTime::Parse("1234567890:00:00", &rt), 0u);
    EXPECT_EQ(CSubtitleTime::Parse("999999:00:00", &rt), 0u);
}

TEST(SubRipParser, ReadsCuesWithStylingAndLineBreaks)
{
    CSubtitleTrack track = ParseOne(CSubRipParser(),
                                    "\xEF\xBB\xBF" "1\r\n00:00:01,000 --> 00:00:04,000\r\nHello <b>subtitle</b>\r\n"
                                    "second line\r\n\r\n"
                                    "2\r\n00:00:05,000 --> 00:00:06,500 X1:10 X2:20\r\n"
                                    "<font color=\"#ff0000\">red</font> &amp; {\\an8}<i>top</i>\r\n");
    ASSERT_EQ(track.Cues().size(), 2u);
    EXPECT_EQ(track.Cues()[0].rtStart, 1000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(track.Cues()[0].rtEnd, 4000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(track.Cues()[0].sMarkup, "Hello <b>subtitle</b>\nsecond line");
    EXPECT_EQ(track.Cues()[1].rtEnd, 6500 * kSubtitleUnitsPerMs);
    EXPECT_EQ(track.Cues()[1].sMarkup, "<span foreground=\"#ff0000\">red</span> &amp; <i>top</i>");
    EXPECT_EQ(track.Format(), SubtitleFormat::SubRip);
}

TEST(SubRipParser, SkipsBrokenCuesAndGoesOn)
{
    CSubtitleTrack track = ParseOne(CSubRipParser(),
                                    "1\n00:00:01,000 --> 00:00:02,000\nfirst\n"
                                    "2\n00:00:0x,000 --> 00:00:04,000\nbroken time\n\n"
                                    "3\n00:00:09,000 --> 00:00:05,000\nreversed\n\n"
                                    "4\n00:00:06,000 --> \nno end\n\n"
                                    "5\n00:00:07,000 --> 00:00:08,000\n\n"
                                    "6\n00:00:10,000 --> 00:00:11,000\nlast\n");
    ASSERT_EQ(track.Cues().size(), 2u);
    EXPECT_EQ(track.Cues()[0].sMarkup, "first");
    EXPECT_EQ(track.Cues()[1].sMarkup, "last");
    EXPECT_EQ(track.SkippedCues(), 4u);
}

TEST(WebVttParser, IgnoresSettingsNotesAndStyles)
{
    CSubtitleTrack track = ParseOne(CWebVttParser(),
                                    "WEBVTT - a file\n\nNOTE nothing here\n\nSTYLE\n::cue { color: red }\n\n"
                                    "intro\n00:01.000 --> 00:04.000 position:10% align:start\n"
                                    "<v Mary><c.yellow>Hello</c> &lt;world&gt;</v>\n\n"
                                    "01:00:00.000 --> 01:00:01.000\n<i>an hour</i>\n");
    ASSERT_EQ(track.Cues().size(), 2u);
    EXPECT_EQ(track.Cues()[0].rtStart, 1000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(track.Cues()[0].sMarkup, "<span foreground=\"#ffff00\">Hello</span> &lt;world&gt;");
    EXPECT_EQ(track.Cues()[1].rtStart, 3600 * 1000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(track.Cues()[1].sMarkup, "<i>an hour</i>");
}

TEST(SubStationParser, ReadsDialogueInTheOrderOfTheFormatLine)
{
    CSubtitleTrack track = ParseOne(
        CSubStationParser(),
        "[Script Info]\nTitle: test\nDialogue: 0,0:00:00.00,0:00:09.00,Default,,0,0,0,,not an event\n\n"
        "[V4+ Styles]\nFormat: Name, Fontname\nStyle: Default,Arial\n\n"
        "[Events]\nFormat: Start, End, Layer, Style, Text\n"
        "Dialogue: 0:00:01.50,0:00:03.00,0,Default,Hello, {\\b1}bold{\\b0}\\N{\\i1}italic, with comma\n"
        "Comment: 0:00:02.00,0:00:03.00,0,Default,hidden\n"
        "Dialogue: 0:00:04.00,0:00:05.00,0,Default,{\\c&H0000FF&\\blur2}red{\\c} {\\p1}m 0 0 l 10 0{\\p0}\\hend\n"
        "Dialogue: broken,0:00:05.00,0,Default,skipped\n");
    ASSERT_EQ(track.Cues().size(), 2u);
    EXPECT_EQ(track.Cues()[0].rtStart, 1500 * kSubtitleUnitsPerMs);
    EXPECT_EQ(track.Cues()[0].sMarkup, "Hello, <b>bold</b>\n<i>italic, with comma</i>");
    EXPECT_EQ(track.Cues()[1].sMarkup, "<span foreground=\"#ff0000\">red</span> \xC2\xA0" "end");
    EXPECT_EQ(track.SkippedCues(), 1u);
}

TEST(SubStationParser, UsesTheUsualFieldsWithoutAFormatLine)
{
    CSubtitleTrack track = ParseOne(CSubStationParser(),
                                    "[Events]\nDialogue: Marked=0,0:00:01.00,0:00:02.00,*Default,,0,0,0,,old {\\r}SSA\n");
    ASSERT_EQ(track.Cues().size(), 1u);
    EXPECT_EQ(track.Cues()[0].sMarkup, "old SSA");
}

TEST(MicroDvdParser, ReadsFramesAtTheFrameRate)
{
    CSubtitleTrack track = ParseOne(CMicroDvdParser(), "{24}{48}one|two\n{72}{}open end\nbroken line\n");
    ASSERT_EQ(track.Cues().size(), 2u);
    EXPECT_EQ(track.Cues()[0].rtStart, 10010010);  // 24 frames at 23.976 fps
    EXPECT_EQ(track.Cues()[0].rtEnd, 20020020);
    EXPECT_EQ(track.Cues()[0].sMarkup, "one\ntwo");
    EXPECT_EQ(track.Cues()[1].rtEnd - track.Cues()[1].rtStart, CMicroDvdParser::kOpenEndDuration);
    EXPECT_EQ(track.SkippedCues(), 1u);

    CSubtitleTrack given = ParseOne(CMicroDvdParser(25), "{25}{50}a second\n");
    EXPECT_EQ(given.Cues().at(0).rtStart, kSubtitleUnitsPerSecond);
    CSubtitleTrack header = ParseOne(CMicroDvdParser(25), "{1}{1}10.0\n{10}{20}header wins\n");
    EXPECT_EQ(header.Cues().at(0).rtStart, kSubtitleUnitsPerSecond);
}

TEST(MicroDvdParser, MapsLineAndCueCodes)
{
    CSubtitleTrack track = ParseOne(CMicroDvdParser(), "{1}{100}{Y:b}{c:$0000FF}red bold|{y:i}italic bold\n");
    ASSERT_EQ(track.Cues().size(), 1u);
    EXPECT_EQ(track.Cues()[0].sMarkup,
              "<b><span foreground=\"#ff0000\">red bold</span>\n<i>italic bold</i></b>");
}

TEST(SubtitleFormatDetector, TellsTheFormatFromTheContent)
{
    EXPECT_EQ(CSubtitleFormatDetector::Detect("WEBVTT\n\n00:01.000 --> 00:02.000\nx", "srt"), SubtitleFormat::WebVtt);
    EXPECT_EQ(CSubtitleFormatDetector::Detect("<SAMI><BODY><SYNC Start=0>", "srt"), SubtitleFormat::Sami);
    EXPECT_EQ(CSubtitleFormatDetector::Detect("<sync start=10><p>x", ""), SubtitleFormat::Sami);
    EXPECT_EQ(CSubtitleFormatDetector::Detect("[Script Info]\nScriptType: v4.00+", "txt"), SubtitleFormat::SubStation);
    EXPECT_EQ(CSubtitleFormatDetector::Detect("Dialogue: 0,0:00:01.00,0:00:02.00,,,0,0,0,,x", ""),
              SubtitleFormat::SubStation);
    EXPECT_EQ(CSubtitleFormatDetector::Detect("\n{10}{20}text", "srt"), SubtitleFormat::MicroDvd);
    EXPECT_EQ(CSubtitleFormatDetector::Detect("1\n00:00:01,000 --> 00:00:02,000\nx", "smi"), SubtitleFormat::SubRip);
    EXPECT_EQ(CSubtitleFormatDetector::Detect("nothing to see", "SMI"), SubtitleFormat::Sami);
    EXPECT_EQ(CSubtitleFormatDetector::Detect("nothing to see", "doc"), SubtitleFormat::Unknown);
}

} // namespace
