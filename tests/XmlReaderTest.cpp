// The tolerant XML parser and the node tree the skin engine reads.
#include "DebugCapture.h"
#include "TempDir.h"
#include "skin/XMLParser.h"
#include "skin/XDoc.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

struct Parsed {
    HRESULT hr;
    std::unique_ptr<CXMLParser> parser;
    CNode* Root() const { return parser->GetRoot(); }
};

Parsed Parse(const std::string& text)
{
    auto parser = std::make_unique<CXMLParser>();
    HRESULT hr = parser->InitFromStream(text.c_str());
    return {hr, std::move(parser)};
}

// Parses with the skin's options and returns the recorded error.
XParseOptions ParseErrors(std::string text)
{
    XDoc doc;
    XParseOptions options;
    options.bTrimValue = true;
    doc.Load(text.data(), &options);
    return options;
}

std::string Attr(const CNode* pNode, const char* pszName)
{
    const char* psz = pNode->GetAttribute(pszName);
    return psz != nullptr ? psz : "<null>";
}

} // namespace

TEST(XmlReader, RepeatedAttributeKeepsLastValueUnderLowerCaseName)
{
    Parsed p = Parse(R"(<a x="1" X="2"/>)");
    ASSERT_EQ(p.hr, S_OK);
    EXPECT_EQ(Attr(p.Root(), "X"), "2");
    EXPECT_EQ(Attr(p.Root(), "x"), "2");
    EXPECT_EQ(p.Root()->GetAttribute("y"), nullptr);
    EXPECT_EQ(errno, 0);
}

TEST(XmlReader, ElementKeepsFirstTextRunOnly)
{
    Parsed p = Parse("<a>  hello  <b/> world </a>");
    ASSERT_EQ(p.hr, S_OK);
    const CNode* a = p.Root();
    ASSERT_EQ(a->m_children.size(), 2u);
    EXPECT_EQ(a->m_children[0]->m_nKind, CNODE_TEXT);
    EXPECT_EQ(a->m_children[0]->m_sValue, "hello");
    EXPECT_EQ(a->m_children[1]->m_sValue, "b");
}

TEST(XmlReader, ReferencesAndEscapes)
{
    EXPECT_EQ(Attr(Parse(R"(<a t="x &lt; y &amp; &#65; &nbsp;"/>)").Root(), "t"), "x < y & &#65; &nbsp;");
    EXPECT_EQ(Attr(Parse(R"(<a t="C:\\dir"/>)").Root(), "t"), "C:\\dir");
    EXPECT_EQ(Attr(Parse(R"(<a t="C:\dir"/>)").Root(), "t"), "C:dir");
    EXPECT_EQ(Attr(Parse(R"(<a t='x\'y'/>)").Root(), "t"), "x'y");
    EXPECT_EQ(Attr(Parse(R"(<a t="&quot;&apos;&gt;&AMP;"/>)").Root(), "t"), "\"'>&AMP;");
    EXPECT_EQ(Attr(Parse("<a t=\"\tpad\t\"/>").Root(), "t"), "pad");
}

TEST(XmlReader, UnclosedElementAtEndLoads)
{
    Parsed p = Parse("<a>");
    ASSERT_EQ(p.hr, S_OK);
    EXPECT_EQ(p.Root()->m_sValue, "a");
    Parsed nested = Parse("<a>x<b/>y");
    ASSERT_EQ(nested.hr, S_OK);
    EXPECT_EQ(nested.Root()->m_children.size(), 2u);
}

TEST(XmlReader, SyntaxErrorsRecordFirstErrorAndFailWith11)
{
    XParseOptions mismatch = ParseErrors("<a></b>");
    EXPECT_EQ(mismatch.nErrorCode, 3);
    EXPECT_EQ(mismatch.sErrorText, "'<a> ... </b>' is not wel-formed.");

    XParseOptions alone = ParseErrors("<a/ >");
    EXPECT_EQ(alone.nErrorCode, 1);
    EXPECT_EQ(alone.sErrorText, "Element must be closed.");

    XParseOptions attr = ParseErrors("<a b");
    EXPECT_EQ(attr.nErrorCode, 4);
    EXPECT_EQ(attr.sErrorText, "<a> attribute has error ");

    XParseOptions endTag = ParseErrors("<a></a");
    EXPECT_EQ(endTag.nErrorCode, 2);
    EXPECT_EQ(endTag.sErrorText, "it must be closed with </a>");

    CDebugCapture capture;
    Parsed p = Parse("<a></b>");
    EXPECT_EQ(p.hr, ERROR_BAD_FORMAT);
    EXPECT_EQ(p.Root(), nullptr);
    auto traces = capture.TracesAfterReport();
    ASSERT_GE(traces.size(), 4u);
    EXPECT_EQ(traces[0], "'<a> ... </b>' is not wel-formed.. 에러코드 = 3");
    EXPECT_EQ(traces[1], "from XDoc::Load");
    EXPECT_EQ(traces[2], "m_sContent = <a></b>");
    EXPECT_EQ(traces[3], "from CXMLParser::_Parsing()");
}

TEST(XmlReader, ForcedParsingSkipsMismatchedEndTag)
{
    std::string text = "<a><b></c></b></a>";
    XDoc doc;
    XParseOptions options;
    options.bForceParse = true;
    ASSERT_NE(doc.Load(text.data(), &options), nullptr);
    EXPECT_FALSE(options.bErrorOccurred);
    ASSERT_EQ(doc.GetRoot()->m_children.size(), 1u);
}

TEST(XmlReader, CommentsAndInstructionsStayInParseTree)
{
    std::string text = R"(<!-- c --><?xml version="1.0"?><root/><!-- d -->)";
    XDoc doc;
    ASSERT_NE(doc.Load(text.data()), nullptr);
    ASSERT_EQ(doc.m_children.size(), 4u);
    EXPECT_EQ(doc.m_children[0]->m_sName, "#COMMENT");
    EXPECT_EQ(doc.m_children[0]->m_sValue, " c ");
    EXPECT_EQ(doc.m_children[1]->m_nKind, XITEM_PI);
    EXPECT_EQ(doc.m_children[1]->m_sName, "xml");
    ASSERT_EQ(doc.m_children[1]->m_attributes.size(), 1u);
    EXPECT_EQ(doc.m_children[1]->m_attributes[0]->value, "1.0");
    EXPECT_EQ(doc.m_children[2]->m_sName, "root");
    EXPECT_EQ(doc.m_children[3]->m_sName, "#COMMENT");

    Parsed p = Parse(text);
    ASSERT_EQ(p.hr, S_OK);
    EXPECT_EQ(p.Root()->m_sValue, "root");
    EXPECT_TRUE(p.Root()->m_children.empty());
}

TEST(XmlReader, CommentInsideElementBecomesChildInOrder)
{
    std::string text = "<a><b/><!--x--><![CDATA[<y>]]><c/></a>";
    XDoc doc;
    ASSERT_NE(doc.Load(text.data()), nullptr);
    const XItem* a = doc.GetRoot();
    ASSERT_EQ(a->m_children.size(), 4u);
    EXPECT_EQ(a->m_children[1]->m_sName, "#COMMENT");
    EXPECT_EQ(a->m_children[2]->m_sValue, "<y>");
    EXPECT_EQ(a->m_children[3]->m_sName, "c");
}

TEST(XmlReader, EndTagWithSpaceResumesAtItsBracket)
{
    Parsed p = Parse("<r><a></a >x</r>");
    ASSERT_EQ(p.hr, S_OK);
    ASSERT_EQ(p.Root()->m_children.size(), 2u);
    EXPECT_EQ(p.Root()->m_children[0]->m_sValue, ">x");
}

TEST(XmlReader, TextWithoutElementFailsWith13)
{
    CDebugCapture capture;
    EXPECT_EQ(Parse("no element here").hr, 13);
    EXPECT_EQ(Parse("<!-- only -->").hr, 13);
    EXPECT_EQ(Parse("").hr, 13);
}

TEST(XmlReader, UnterminatedConstructsStopAtEndOfText)
{
    CDebugCapture capture;
    for (const char* text : {"<a t=\"open", "<a><!-- open", "<a><![CDATA[ open", "<?xml open", "<!DOCTYPE x",
                             "<a>x\\", "<a t='\\", "<a t=v", "<", "</", "<a></", "<a><b", "< a>", "<?"}) {
        Parsed p = Parse(text);
        EXPECT_TRUE(p.hr == S_OK || p.hr == ERROR_BAD_FORMAT || p.hr == 13) << text;
    }
    EXPECT_EQ(Attr(Parse("<a t=\"open").Root(), "t"), "open");
}

TEST(XmlReader, DeepNestingIsRefused)
{
    CDebugCapture capture;
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_EQ(Parse(deep).hr, ERROR_BAD_FORMAT);
    EXPECT_EQ(ParseErrors(deep).nErrorCode, XML_ERROR_TOO_DEEP);
}

TEST(XmlReader, Utf8TextPassesUnchanged)
{
    Parsed p = Parse("<a 이름=\"재생 목록\">  한글 텍스트\t끝  </a>");
    ASSERT_EQ(p.hr, S_OK);
    EXPECT_EQ(Attr(p.Root(), "이름"), "재생 목록");
    EXPECT_EQ(p.Root()->m_children[0]->m_sValue, "한글 텍스트 끝");
}

TEST(XmlReader, SearchNodesFollowsPathsAndAlternatives)
{
    Parsed p = Parse("<skin><fonts><font n='1'/><font n='2'/></fonts><window name='w1'><control/></window>"
                     "<fonts><font n='3'/></fonts><Window name='w2'/></skin>");
    ASSERT_EQ(p.hr, S_OK);
    std::vector<CNode*> windows;
    EXPECT_EQ(p.Root()->SearchNodes(&windows, "window", nullptr), S_OK);
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(Attr(windows[1], "name"), "w2");

    std::vector<CNode*> fonts;
    p.Root()->SearchNodes(&fonts, "fonts", "font", nullptr);
    ASSERT_EQ(fonts.size(), 3u);
    EXPECT_EQ(Attr(fonts[2], "n"), "3");

    std::vector<CNode*> alternatives;
    p.Root()->SearchNodes(&alternatives, "WINDOW|nothing", nullptr);
    EXPECT_EQ(alternatives, windows);

    std::vector<CNode*> twice;
    p.Root()->SearchNodes(&twice, "window|WINDOW", nullptr);
    EXPECT_EQ(twice.size(), 4u);

    std::vector<CNode*> none;
    EXPECT_EQ(p.Root()->SearchNodes(&none, "missing", "path", nullptr), S_OK);
    EXPECT_TRUE(none.empty());
}

TEST(XmlReader, NullArgumentsReport87)
{
    CDebugCapture capture;
    CNode node;
    EXPECT_EQ(node.SetValue(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(node.AddChild(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(node.SetAttribute(nullptr, "v"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CHtmlParser::SetAttribute()");
    EXPECT_EQ(node.GetAttribute(nullptr), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(node.SearchNodes(nullptr, "a", nullptr), ERROR_INVALID_PARAMETER);
    CXMLParser parser;
    EXPECT_EQ(parser.InitFromStream(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(parser.InitFromFile(nullptr), ERROR_INVALID_PARAMETER);
}

TEST(XmlReader, LoadsFromFile)
{
    CTempDir dir;
    CXMLParser parser;
    ASSERT_EQ(parser.InitFromFile(dir.WriteFile("s.xml", "<a b='c'/>").c_str()), S_OK);
    EXPECT_EQ(Attr(parser.GetRoot(), "b"), "c");

    CDebugCapture capture;
    CXMLParser missing;
    EXPECT_EQ(missing.InitFromFile((dir.Path() + "/none.xml").c_str()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing.GetRoot(), nullptr);
}
