#include "SubtitleTestSupport.h"
#include "subtitles/HtmlColor.h"
#include "subtitles/PangoMarkup.h"
#include "subtitles/TaggedText.h"

#include <gtest/gtest.h>

namespace {

std::string Html(const std::string& sText, CTaggedText::Space space = CTaggedText::Space::Lines)
{
    CPangoMarkup markup;
    CTaggedText::Append(sText, space, &markup);
    return markup.Finish();
}

TEST(PangoMarkup, EscapesTextAndDropsControlCharacters)
{
    CPangoMarkup markup;
    markup.AppendText("Tom & Jerry <3 \"quotes\" 'x'\x01\x7F");
    EXPECT_EQ(markup.Finish(), "Tom &amp; Jerry &lt;3 &quot;quotes&quot; &apos;x&apos;");
}

TEST(PangoMarkup, StaysBalancedWhateverTheOrderOfStyles)
{
    CPangoMarkup markup;
    markup.Open(CPangoMarkup::Style::Bold);
    markup.AppendText("a");
    markup.Open(CPangoMarkup::Style::Color, "#ff0000");
    markup.AppendText("b");
    markup.Close(CPangoMarkup::Style::Bold);
    markup.AppendText("c");
    markup.Close(CPangoMarkup::Style::Italic);
    markup.Open(CPangoMarkup::Style::Underline);
    markup.AppendText("d");
    std::string sMarkup = markup.Finish();
    EXPECT_EQ(sMarkup, "<b>a<span foreground=\"#ff0000\">b</span></b><span foreground=\"#ff0000\">c<u>d</u></span>");
    EXPECT_TRUE(IsOverlayMarkup(sMarkup));
}

TEST(PangoMarkup, TrimsLinesAndDropsEmptyOnes)
{
    CPangoMarkup markup;
    markup.AppendText("\n  \n first  \n\n\n second \n \n");
    EXPECT_EQ(markup.Finish(), "first\n\nsecond");
    CPangoMarkup blank;
    blank.Open(CPangoMarkup::Style::Bold);
    blank.AppendText(" \xC2\xA0 \n");
    EXPECT_FALSE(blank.HasVisibleText());
    EXPECT_EQ(blank.Finish(), "");
}

TEST(PangoMarkup, BoundsTextAndStylesOfOneCue)
{
    CPangoMarkup markup;
    markup.AppendText(std::string(CPangoMarkup::kMaxTextBytes - 1, 'a') + "\xEA\xB0\x80" + "tail");
    markup.AppendText("b");
    for (int i = 0; i < 100; ++i)
        markup.Open(CPangoMarkup::Style::Italic);
    std::string sMarkup = markup.Finish();
    EXPECT_EQ(sMarkup, std::string(CPangoMarkup::kMaxTextBytes - 1, 'a'));
    CPangoMarkup styles;
    styles.AppendText("x");
    for (int i = 0; i < 100000; ++i) {
        styles.Open(CPangoMarkup::Style::Bold);
        styles.AppendText("y");
        styles.Open(CPangoMarkup::Style::Italic);
        styles.Close(CPangoMarkup::Style::Bold);
    }
    sMarkup = styles.Finish();
    EXPECT_LE(sMarkup.size(), CPangoMarkup::kMaxMarkupBytes + 64);
    EXPECT_TRUE(IsOverlayMarkup(sMarkup));
}

TEST(PangoMarkup, SkipsBytesThatAreNotUtf8)
{
    CPangoMarkup markup;
    markup.AppendText("a\xC3(b\x80\xEA\xB0");
    EXPECT_EQ(markup.Finish(), "a(b");
}

TEST(HtmlColor, ReadsHexAndNamedColours)
{
    std::string sHex;
    EXPECT_TRUE(CHtmlColor::Parse("#FFcc00", &sHex));
    EXPECT_EQ(sHex, "#ffcc00");
    EXPECT_TRUE(CHtmlColor::Parse("\"00ff80\"", &sHex));
    EXPECT_EQ(sHex, "#00ff80");
    EXPECT_TRUE(CHtmlColor::Parse("#f0a", &sHex));
    EXPECT_EQ(sHex, "#ff00aa");
    EXPECT_TRUE(CHtmlColor::Parse(" Yellow ", &sHex));
    EXPECT_EQ(sHex, "#ffff00");
    EXPECT_TRUE(CHtmlColor::Parse("aqua", &sHex));
    EXPECT_EQ(sHex, "#00ffff");
    EXPECT_FALSE(CHtmlColor::Parse("#12345", &sHex));
    EXPECT_FALSE(CHtmlColor::Parse("notacolour", &sHex));
    EXPECT_FALSE(CHtmlColor::Parse("", &sHex));
}

TEST(TaggedText, MapsStylingTagsAndNeverShowsThem)
{
    EXPECT_EQ(Html("<b>bold</b> <I>it</I> <u>under</u> <strong>s</strong>"),
              "<b>bold</b> <i>it</i> <u>under</u> <b>s</b>");
    EXPECT_EQ(Html("<font color=\"#00ff00\" face=\"Gulim\">green</font> <font size=3>plain</font>"),
              "<span foreground=\"#00ff00\">green</span> plain");
    EXPECT_EQ(Html("<c.yellow.bg_black>yellow</c> <v Bob>said</v> <00:00:01.500>later <ruby>k<rt>r</rt></ruby>"),
              "<span foreground=\"#ffff00\">yellow</span> said later kr");
    EXPECT_EQ(Html("{\\an8}{\\i1}top"), "top");
    EXPECT_EQ(Html("<!-- note -->shown<unknown attr=1>text</unknown>"), "showntext");
}

TEST(TaggedText, LeavesWhatIsNotATagAsText)
{
    EXPECT_EQ(Html("a < b > c"), "a &lt; b &gt; c");
    EXPECT_EQ(Html("I <3 you"), "I &lt;3 you");
    EXPECT_EQ(Html("<b unclosed tag"), "&lt;b unclosed tag");
    EXPECT_EQ(Html("{not a block} & {\\x"), "{not a block} &amp; {\\x");
}

TEST(TaggedText, ClosesUnclosedAndMisnestedTags)
{
    std::string sMarkup = Html("<b><i>both</b> italic <font color=red>red");
    EXPECT_EQ(sMarkup, "<b><i>both</i></b> <i>italic <span foreground=\"#ff0000\">red</span></i>");
    EXPECT_TRUE(IsOverlayMarkup(sMarkup));
    EXPECT_EQ(Html("</i>stray closing</font>"), "stray closing");
}

TEST(TaggedText, DecodesEntities)
{
    EXPECT_EQ(Html("&lt;tag&gt; &amp; &quot;q&quot; &#54620;&#xAE00; &hellip;&lrm;"),
              "&lt;tag&gt; &amp; &quot;q&quot; \xED\x95\x9C\xEA\xB8\x80 \xE2\x80\xA6");
    EXPECT_EQ(Html("&nbsp;"), "");
    // As HTML reads them, the common ones also without their ';'.
    EXPECT_EQ(Html("&nbsp"), "");
    EXPECT_EQ(Html("a&NBSPb &amp c &lt&gt &copy"), "a\xC2\xA0" "b &amp; c &lt;&gt; &amp;copy");
    EXPECT_EQ(Html("a&nbsp;b &unknown; &#0; &#x110000; &"), "a\xC2\xA0" "b &amp;unknown; \xEF\xBF\xBD \xEF\xBF\xBD &amp;");
}

TEST(TaggedText, HtmlSpaceJoinsLinesAndBrBreaksThem)
{
    EXPECT_EQ(Html("one\r\n  two<br>three<BR/>\n four", CTaggedText::Space::Html), "one two\nthree\nfour");
    EXPECT_EQ(Html("one\r\ntwo", CTaggedText::Space::Lines), "one\ntwo");
}

TEST(TaggedText, StaysLinearOnAHugeLineOfTagStarts)
{
    // Each of these would make a naive scan look to the end of the line.
    for (const char* pszUnit : {"<a", "{\\", "&x", "<!-"}) {
        std::string sLine;
        while (sLine.size() < (1u << 20))
            sLine += pszUnit;
        std::string sMarkup = Html(sLine);
        EXPECT_LE(sMarkup.size(), CPangoMarkup::kMaxMarkupBytes) << pszUnit;
        EXPECT_TRUE(IsOverlayMarkup(sMarkup)) << pszUnit;
    }
}

} // namespace
