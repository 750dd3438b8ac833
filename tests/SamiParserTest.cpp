#include "SubtitleTestSupport.h"
#include "subtitles/SamiParser.h"

#include <gtest/gtest.h>

namespace {

// "안녕하세요" and "잘 가요".
const std::string kHello = "\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94";
const std::string kBye = "\xEC\x9E\x98 \xEA\xB0\x80\xEC\x9A\x94";

const std::string kHead = "<SAMI>\r\n<HEAD>\r\n<TITLE>test</TITLE>\r\n<STYLE TYPE=\"text/css\">\r\n<!--\r\n"
                          "P { margin-left:8pt; font-size:20pt; }\r\n"
                          ".KRCC { Name:Korean; lang:ko-KR; SAMIType:CC; }\r\n"
                          ".ENCC {\r\n  Name: English;\r\n  lang: en-US;\r\n}\r\n"
                          "#STDPrn { Name:Standard Print; }\r\n-->\r\n</STYLE>\r\n</HEAD>\r\n<BODY>\r\n";

std::vector<CSubtitleTrack> Parse(const std::string& sText)
{
    std::vector<CSubtitleTrack> tracks;
    CSamiParser().Parse(sText, &tracks);
    for (const CSubtitleTrack& track : tracks) {
        for (const SUBTITLECUE& cue : track.Cues())
            EXPECT_TRUE(IsOverlayMarkup(cue.sMarkup)) << cue.sMarkup;
    }
    return tracks;
}

TEST(SamiParser, MakesATrackPerLanguageClass)
{
    std::vector<CSubtitleTrack> tracks =
        Parse(kHead + "<SYNC Start=1000><P Class=ENCC>Hello<P Class=KRCC>" + kHello + "\r\n"
                      "<SYNC Start=3000><P Class=KRCC>&nbsp;<P Class=ENCC>&nbsp;\r\n"
                      "<SYNC Start=4000><P Class=KRCC>" + kBye + "\r\n<P Class=ENCC>Bye\r\n"
                      "<SYNC Start=6000><P Class=KRCC>&nbsp;\r\n</BODY>\r\n</SAMI>\r\n");
    ASSERT_EQ(tracks.size(), 2u);
    // In the order of the style rules, named by them.
    EXPECT_EQ(tracks[0].Name(), "Korean");
    EXPECT_EQ(tracks[0].Language(), "ko-KR");
    EXPECT_EQ(tracks[1].Name(), "English");
    EXPECT_EQ(tracks[1].Language(), "en-US");
    const auto& korean = tracks[0].Cues();
    ASSERT_EQ(korean.size(), 2u);
    EXPECT_EQ(korean[0].rtStart, 1000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(korean[0].rtEnd, 3000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(korean[0].sMarkup, kHello);
    EXPECT_EQ(korean[1].rtStart, 4000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(korean[1].rtEnd, 6000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(korean[1].sMarkup, kBye);
    const auto& english = tracks[1].Cues();
    ASSERT_EQ(english.size(), 2u);
    EXPECT_EQ(english[0].sMarkup, "Hello");
    EXPECT_EQ(english[1].sMarkup, "Bye");
    // The last English cue is ended by no sync.
    EXPECT_EQ(english[1].rtEnd, 4000 * kSubtitleUnitsPerMs + CSamiParser::kLastCueDuration);
    // Never shown mixed.
    EXPECT_EQ(tracks[0].MarkupAt(2000 * kSubtitleUnitsPerMs), kHello);
}

TEST(SamiParser, AppliesFontColoursAndStylesWithoutShowingTags)
{
    std::vector<CSubtitleTrack> tracks =
        Parse(kHead + "<SYNC Start=500><P Class=KRCC><font color=\"#FFFF00\">yellow</font> "
                      "<FONT COLOR=red><B>bold red</B></FONT><br><i>italic<u>under</i>\r\n"
                      "<SYNC Start=1500><P Class=KRCC><font color=00ff00>green <font color=nonsense>still green\r\n"
                      "<SYNC Start=2500><P Class=KRCC>&nbsp;\r\n");
    ASSERT_EQ(tracks.size(), 1u);
    const auto& cues = tracks[0].Cues();
    ASSERT_EQ(cues.size(), 2u);
    EXPECT_EQ(cues[0].sMarkup, "<span foreground=\"#ffff00\">yellow</span> <span foreground=\"#ff0000\"><b>bold red</b>"
                               "</span>\n<i>italic<u>under</u></i>");
    EXPECT_EQ(cues[1].sMarkup, "<span foreground=\"#00ff00\">green still green</span>");
}

TEST(SamiParser, BlankSyncsEndTheCueAndCollapseWhiteSpace)
{
    std::vector<CSubtitleTrack> tracks = Parse("<SAMI><BODY>\n<SYNC Start=0><P Class=KRCC>\n  first \n  line\n"
                                               "<SYNC Start=2000><P Class=KRCC>&nbsp;\n"
                                               "<SYNC Start=2500><P Class=KRCC>second\n"
                                               "<SYNC Start=3000><P Class=KRCC> &nbsp; <br> \n"
                                               "<SYNC Start=9000><P Class=KRCC>third</BODY></SAMI>");
    ASSERT_EQ(tracks.size(), 1u);
    // Classes without a style rule keep their class name.
    EXPECT_EQ(tracks[0].Name(), "krcc");
    const auto& cues = tracks[0].Cues();
    ASSERT_EQ(cues.size(), 3u);
    EXPECT_EQ(cues[0].sMarkup, "first line");
    EXPECT_EQ(cues[0].rtEnd, 2000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(cues[1].rtStart, 2500 * kSubtitleUnitsPerMs);
    EXPECT_EQ(cues[1].rtEnd, 3000 * kSubtitleUnitsPerMs);
    EXPECT_EQ(cues[2].sMarkup, "third");
}

TEST(SamiParser, JoinsParagraphsOfOneClassInOneSync)
{
    std::vector<CSubtitleTrack> tracks = Parse("<SAMI><BODY><SYNC Start=0><P Class=KRCC>upper<P Class=KRCC>lower"
                                               "<SYNC Start=1000><P Class=KRCC>&nbsp;");
    ASSERT_EQ(tracks.size(), 1u);
    ASSERT_EQ(tracks[0].Cues().size(), 1u);
    EXPECT_EQ(tracks[0].Cues()[0].sMarkup, "upper\nlower");
    EXPECT_EQ(tracks[0].SkippedCues(), 0u);
}

TEST(SamiParser, ToleratesBrokenFiles)
{
    std::vector<CSubtitleTrack> tracks =
        Parse("<SAMI><BODY><SYNC Start=1000>no paragraph\n"
              "<SYNC Start=abc><P>bad start is skipped\n"
              "<SYNC Start='2000'><P Class=KRCC><b>unclosed <i>tags &amp &#xD55C; <font color=\"blue\n"
              "<SYNC Start=1500><P Class=KRCC>goes back in time\n"
              "<SYNC Start=5000><P Class=KRCC>last <!-- a comment that never ends\n"
              "<SYNC Start=");
    ASSERT_EQ(tracks.size(), 2u);
    // Text before any paragraph has no class of its own.
    EXPECT_EQ(tracks[0].Name(), "");
    ASSERT_EQ(tracks[0].Cues().size(), 1u);
    EXPECT_EQ(tracks[0].Cues()[0].sMarkup, "no paragraph");
    const auto& cues = tracks[1].Cues();
    ASSERT_EQ(cues.size(), 2u);
    EXPECT_EQ(cues[0].rtStart, 1500 * kSubtitleUnitsPerMs);
    EXPECT_EQ(cues[0].sMarkup, "goes back in time");
    EXPECT_EQ(cues[1].sMarkup, "last");
    // The cue whose end came before its start is gone, counted.
    EXPECT_EQ(tracks[1].SkippedCues(), 1u);
}

TEST(SamiParser, BoundsTheNumberOfClasses)
{
    std::string sText = "<SAMI><BODY>";
    for (size_t i = 0; i < CSamiParser::kMaxClasses + 4; ++i)
        sText += "<SYNC Start=" + std::to_string(i * 1000) + "><P Class=C" + std::to_string(i) + ">line\n";
    EXPECT_EQ(Parse(sText).size(), CSamiParser::kMaxClasses);
    // Also in one sync, however many classes it holds.
    std::string sOneSync = "<SAMI><BODY><SYNC Start=0>";
    for (size_t i = 0; i < 50000; ++i)
        sOneSync += "<P Class=K" + std::to_string(i) + ">line " + std::to_string(i);
    std::vector<CSubtitleTrack> tracks = Parse(sOneSync);
    ASSERT_EQ(tracks.size(), CSamiParser::kMaxClasses);
    EXPECT_EQ(tracks[1].Cues().at(0).sMarkup, "line 1");
}

} // namespace
