// Building a window's controls from a skin document: the built-in skin, and
// skin archives written by the tests (including hostile ones).
#include "DebugCapture.h"
#include "SkinArchiveBuilder.h"
#include "TempDir.h"
#include "controls/BitmapSlider.h"
#include "controls/HoverButton.h"
#include "controls/TransparentStatic.h"
#include "skinui/KorvoUIManager.h"
#include "skin/SkinArchive.h"
#include "skin/SkinBitmapTable.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// A document with one "korvoplayer" window holding `controls`, the
// playlist window holding one plain static, and the fonts.
std::string Document(const std::string& controls, const std::string& fonts = "",
                     const std::string& playlist = "<control class='static'/>")
{
    return "<korvoplayerskin><fonts>" + fonts + "</fonts>" + "<window name='korvoplayer' minsize='300,200'>" +
           controls + "</window><window name='korvoplaylist' minsize='238,302'>" + playlist +
           "</window></korvoplayerskin>";
}

class SkinFactory : public ::testing::Test {
protected:
    // Builds the window `name` from an archive holding `document` and the
    // images "a80x24.png" (80x24), "b40x10.png" (40x10) and "c60x7.png".
    HRESULT Build(const std::string& document, const char* pszName = "korvoplayer")
    {
        std::string path = CSkinArchiveBuilder(m_dir.Path() + "/skin.zip")
                               .Add("skin.xml", document)
                               .AddImage("a80x24.png", 80, 24)
                               .AddImage("b40x10.png", 40, 10)
                               .AddImage("c60x7.png", 60, 7)
                               .Write();
        return m_manager.Init(&m_window, pszName, path.c_str());
    }

    CSkinItem* Item(int nIndex) const { return CSkinItem::FromWindow(m_manager.Controls().at(nIndex)); }

    CTempDir m_dir;
    QWidget m_window;
    CKorvoUIManager m_manager;
    CDebugCapture m_capture;
};

} // namespace

TEST_F(SkinFactory, NamesAndKeywordsIgnoreCaseButControlIdsAreExact)
{
    ASSERT_EQ(Build(Document("<control class='sliDer' cid='IDC_SLIDER_TIME' imagefill='c60x7.png' "
                             "imageempty='c60x7.png' align='Top' transparent='YES'/>"
                             "<control class='button' cid='idc_play' onsetfocus='a80x24.png'/>")),
              S_OK);
    auto controls = m_manager.Controls();
    ASSERT_EQ(controls.size(), 2u);
    auto* pSlider = qobject_cast<CBitmapSlider*>(controls[0]);
    ASSERT_NE(pSlider, nullptr);
    EXPECT_EQ(pSlider->GetRangeMax(), 0);
    EXPECT_TRUE(Item(0)->m_bTransparent);
    EXPECT_EQ(Item(0)->m_nID, 1003);
    EXPECT_EQ(Item(1)->m_nID, -1);
    m_window.resize(300, 200);
    m_manager.Dock(0);
    EXPECT_EQ(pSlider->geometry(), QRect(0, 0, 300, 7));
}

TEST_F(SkinFactory, AutosizeTakesTheImageSize)
{
    ASSERT_EQ(Build(Document("<control class='button' onsetfocus='a80x24.png' width='autosize' height='autosize'/>"
                             "<control class='static' type='bitmap' onsetfocus='a80x24.png' width='autosize'/>"
                             "<control class='slider' imagefill='c60x7.png'/>"
                             "<control class='button' onsetfocus='a80x24.png' width='33' height='5'/>")),
              S_OK);
    EXPECT_EQ(Item(0)->m_nWidth, 20);
    EXPECT_EQ(Item(0)->m_nHeight, 24);
    EXPECT_EQ(Item(1)->m_nWidth, 80);
    EXPECT_EQ(Item(2)->m_nWidth, 60);
    EXPECT_EQ(Item(2)->m_nHeight, 7);
    EXPECT_EQ(Item(3)->m_nWidth, 33);
    EXPECT_EQ(Item(3)->m_nHeight, 5);
}

TEST_F(SkinFactory, ColoursAndQuadruples)
{
    ASSERT_EQ(Build(Document("<control class='static' gaps='5' transparentcolor='255,0' fontcolor='300,0,0' "
                             "foregroundcolor='1,2,3' fixedsize='1,2,3,4,5' innergaps=' 7, 8'/>")),
              S_OK);
    const CSkinItem* p = Item(0);
    EXPECT_EQ(std::vector<int>(p->m_gaps, p->m_gaps + 4), (std::vector<int>{5, 0, 0, 0}));
    EXPECT_EQ(p->m_clrTransparent, 0u);
    EXPECT_EQ(p->m_clrFont, 44u);
    EXPECT_EQ(p->m_clrForeground, 0x030201u);
    EXPECT_EQ(std::vector<int>(p->m_fixedSize, p->m_fixedSize + 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(std::vector<int>(p->m_innerGaps, p->m_innerGaps + 4), (std::vector<int>{7, 8, 0, 0}));
}

TEST_F(SkinFactory, TextAlignKeywordsAnywhereInTheValue)
{
    ASSERT_EQ(Build(Document("<control class='static' type='text' textalign='hcenter,singleline'/>"
                             "<control class='static' type='text' textalign='right,endellipsis,noprefix'/>"
                             "<control class='static' type='transparent'/>")),
              S_OK);
    auto controls = m_manager.Controls();
    EXPECT_EQ(qobject_cast<CTransparentStatic*>(controls[0])->GetStyle(), SS_CENTER | SS_CENTERIMAGE);
    EXPECT_EQ(qobject_cast<CTransparentStatic*>(controls[1])->GetStyle(), SS_RIGHT | SS_ENDELLIPSIS | SS_NOPREFIX);
    EXPECT_EQ(qobject_cast<CTransparentStatic*>(controls[2])->GetExStyle(), WS_EX_TRANSPARENT);
}

TEST_F(SkinFactory, FontsWithoutHeightOrNamesAreSkipped)
{
    ASSERT_EQ(Build(Document("<control class='static' type='text' fontnickname='ZERO'/>"
                             "<control class='static' type='text' fontnickname='K'/>",
                             "<font nickname='ZERO' fontname='DejaVu Sans' height='0'/>"
                             "<font nickname='' fontname='DejaVu Sans' height='9'/>"
                             "<font nickname='NOFACE' height='9'/>"
                             "<font nickname='K' fontname='없는 글꼴' height='13' bold='YES' italic='yes'/>")),
              S_OK);
    EXPECT_EQ(m_manager.GetFont("ZERO"), nullptr);
    EXPECT_EQ(m_manager.GetFont("NOFACE"), nullptr);
    const QFont* pFont = m_manager.GetFont("K");
    ASSERT_NE(pFont, nullptr);
    // 13 is the height of the character cell, leading included.
    EXPECT_LE(QFontMetrics(*pFont).height(), 13);
    EXPECT_GE(pFont->pixelSize(), 10);
    EXPECT_TRUE(pFont->bold());
    EXPECT_TRUE(pFont->italic());
    // A face that is not installed falls back to one with Korean glyphs.
    EXPECT_TRUE(pFont->families().contains("NanumGothic"));
    EXPECT_TRUE(QFontDatabase::writingSystems("NanumGothic").contains(QFontDatabase::Korean));
    auto controls = m_manager.Controls();
    EXPECT_NE(controls[0]->font(), *pFont);
    EXPECT_EQ(controls[1]->font(), *pFont);
}

TEST_F(SkinFactory, WindowWithoutControlsFailsEveryBuildWith5050)
{
    EXPECT_EQ(Build(Document("<control class='static'/>", "", "")), ERROR_BAD_FORMAT);
    EXPECT_NE(LastReport().find("Can not find windows tag in the Skin XML"), std::string::npos);
}

TEST_F(SkinFactory, BitmapStaticWithoutImageFailsWith5047)
{
    EXPECT_EQ(Build(Document("<control class='static' type='bitmap'/>")), ERROR_NOT_FOUND);
    EXPECT_NE(LastReport().find("Can not find OnSetFocus image in the skin XML"), std::string::npos);
    EXPECT_TRUE(m_manager.Controls().empty());
}

TEST_F(SkinFactory, ColourStaticWithoutAlignIsNeverPlaced)
{
    ASSERT_EQ(Build(Document("<control class='static' type='color' foregroundcolor='9,9,9'/>")), S_OK);
    m_window.resize(300, 200);
    m_manager.Dock(0);
    EXPECT_EQ(m_manager.Controls().at(0)->size(), QSize(0, 0));
}

TEST_F(SkinFactory, UnknownClassCreatesNothingAndFailsWithChildren)
{
    ASSERT_EQ(Build(Document("<control class='gadget'/><control class='static'/>")), S_OK);
    EXPECT_EQ(m_manager.Controls().size(), 1u);

    QWidget window;
    CKorvoUIManager manager;
    std::string path = CSkinArchiveBuilder(m_dir.Path() + "/children.zip")
                           .Add("skin.xml", Document("<control class='gadget'><control class='static'/></control>"))
                           .Write();
    EXPECT_EQ(manager.Init(&window, "korvoplayer", path.c_str()), ERROR_INVALID_PARAMETER);
}

TEST_F(SkinFactory, OtherWindowNamesBuildNothingMissingNamesFail5045)
{
    std::string document = "<skin><fonts><font nickname='F' fontname='DejaVu Sans' height='9'/></fonts>"
                           "<window name='other' minsize='10,20'><control class='static'/></window></skin>";
    ASSERT_EQ(Build(document, "Other"), S_OK);
    EXPECT_TRUE(m_manager.Controls().empty());
    EXPECT_NE(m_manager.GetFont("F"), nullptr);
    int cx = 0;
    int cy = 0;
    m_manager.GetMinimunSize(&cx, &cy);
    EXPECT_EQ(cx, 10);
    EXPECT_EQ(cy, 20);

    QWidget window;
    CKorvoUIManager manager;
    EXPECT_EQ(manager.Init(&window, "korvoplayer", (m_dir.Path() + "/skin.zip").c_str()), ERROR_BAD_FORMAT);
    EXPECT_NE(LastReport().find("There is no minimum size information in the skin XML"), std::string::npos);
}

TEST_F(SkinFactory, MinimumSizeMustBePositive)
{
    EXPECT_EQ(Build("<skin><window name='korvoplayer' minsize='0,5'><control/></window></skin>"), ERROR_BAD_FORMAT);
}

TEST_F(SkinFactory, MalformedDocumentFailsWithTheReadersCode)
{
    EXPECT_EQ(Build("<skin><window></skin>"), ERROR_BAD_FORMAT);
    EXPECT_EQ(Build("no document"), 13);
}

TEST(SkinArchive, MissingSkinDocumentImagesAndArchives)
{
    CDebugCapture capture;
    CTempDir dir;
    QWidget window;
    {
        CKorvoUIManager manager;
        std::string path = CSkinArchiveBuilder(dir.Path() + "/empty.zip").Add("other.txt", "x").Write();
        EXPECT_EQ(manager.Init(&window, "korvoplayer", path.c_str()), ERROR_NOT_FOUND);
        EXPECT_NE(LastReport().find("Can not search skin.xml file"), std::string::npos);
    }
    {
        CKorvoUIManager manager;
        std::string path = CSkinArchiveBuilder(dir.Path() + "/noimage.zip")
                               .Add("skin.xml", Document("<control class='button' onsetfocus='gone.bmp'/>"))
                               .Write();
        EXPECT_EQ(manager.Init(&window, "korvoplayer", path.c_str()), ERROR_NOT_FOUND);
        EXPECT_NE(LastReport().find("Can not read gone.bmp bitmap file in the skin file"), std::string::npos);
    }
    {
        CKorvoUIManager manager;
        std::string path = CSkinArchiveBuilder(dir.Path() + "/badimage.zip")
                               .Add("skin.xml", Document("<control class='button' onsetfocus='bad.png'/>"))
                               .Add("bad.png", "not an image")
                               .Write();
        EXPECT_EQ(manager.Init(&window, "korvoplayer", path.c_str()), ERROR_BAD_FORMAT);
    }
    {
        CKorvoUIManager manager;
        std::string path = dir.WriteFile("notazip.zip", "plain text");
        EXPECT_EQ(manager.Init(&window, "korvoplayer", path.c_str()), ERROR_EXCEPTION_IN_SERVICE);
        EXPECT_EQ(manager.Init(&window, "korvoplayer", (dir.Path() + "/none.zip").c_str()),
                  ERROR_EXCEPTION_IN_SERVICE);
    }
}

TEST(SkinArchive, HostileEntryNamesAreRefused)
{
    for (const char* pszName : {"../escape.png", "a/../../escape.png", "/tmp/korvo-absolute.png", "a\\..\\b.png",
                                "./a.png", "dir/"}) {
        EXPECT_FALSE(CSkinArchive::IsSafeEntryName(pszName)) << pszName;
    }
    EXPECT_TRUE(CSkinArchive::IsSafeEntryName("images/caption.png"));
    EXPECT_TRUE(CSkinArchive::IsSafeEntryName("이미지.png"));

    CDebugCapture capture;
    CTempDir dir;
    QWidget window;
    for (const char* pszName : {"../escape.png", "/tmp/korvo-absolute.png"}) {
        CKorvoUIManager manager;
        std::string control = std::string("<control class='button' onsetfocus='") + pszName + "'/>";
        std::string path = CSkinArchiveBuilder(dir.Path() + "/hostile.zip")
                               .Add("skin.xml", Document(control))
                               .AddImage(pszName, 8, 8)
                               .Write();
        EXPECT_EQ(manager.Init(&window, "korvoplayer", path.c_str()), ERROR_EXCEPTION_IN_SERVICE) << pszName;
        EXPECT_NE(LastReport().find("out of zipped file"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::temp_directory_path() / "escape.png"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/korvo-absolute.png"));
}

TEST(SkinArchive, OversizedEntriesAreRefused)
{
    CDebugCapture capture;
    CTempDir dir;
    QWidget window;
    CKorvoUIManager manager;
    std::string bomb(CSkinArchive::kMaxEntrySize + 1, '\0');
    std::string path = CSkinArchiveBuilder(dir.Path() + "/bomb.zip")
                           .Add("skin.xml", Document("<control class='button' onsetfocus='bomb.png'/>"))
                           .Add("bomb.png", bomb)
                           .Write();
    EXPECT_EQ(manager.Init(&window, "korvoplayer", path.c_str()), ERROR_EXCEPTION_IN_SERVICE);
}

TEST(SkinArchive, ImagesComeFromAPrivateDirectoryRemovedWithTheManager)
{
    CTempDir dir;
    QWidget window;
    std::string path = CSkinArchiveBuilder(dir.Path() + "/skin.zip")
                           .Add("skin.xml", Document("<control class='button' onsetfocus='art/b.png'/>"))
                           .AddImage("art/b.png", 40, 10, Qt::red)
                           .Write();
    std::filesystem::path extracted;
    {
        CKorvoUIManager manager;
        ASSERT_EQ(manager.Init(&window, "korvoplayer", path.c_str()), S_OK);
        const QPixmap& image = CSkinItem::FromWindow(manager.Controls().at(0))->Image(SKINIMAGE_ONSETFOCUS);
        EXPECT_EQ(image.size(), QSize(40, 10));
        EXPECT_EQ(image.toImage().pixelColor(0, 0), QColor(Qt::red));
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
            if (entry.path().filename().string().starts_with("korvoskin-") &&
                std::filesystem::exists(entry.path() / "art/b.png"))
                extracted = entry.path();
        }
        ASSERT_FALSE(extracted.empty());
        struct stat st {};
        ASSERT_EQ(::stat(extracted.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    EXPECT_FALSE(std::filesystem::exists(extracted));
}

TEST(BuiltInSkin, PlayerWindowControls)
{
    QWidget window;
    CKorvoUIManager manager;
    ASSERT_EQ(manager.Init(&window, "korvoplayer", nullptr), S_OK);
    auto controls = manager.Controls();
    ASSERT_EQ(controls.size(), 22u);
    EXPECT_NE(qobject_cast<CBitmapSlider*>(manager.GetControl(1003)), nullptr);
    EXPECT_NE(qobject_cast<CBitmapSlider*>(manager.GetControl(1009)), nullptr);
    EXPECT_NE(qobject_cast<CTransparentStatic*>(manager.GetControl(1007)), nullptr);
    EXPECT_NE(qobject_cast<CTransparentStatic*>(manager.GetControl(1016)), nullptr);
    EXPECT_EQ(manager.GetControl(4242), nullptr);
    // Pre-order: the caption before its buttons, its buttons before the bottom frame.
    EXPECT_EQ(CSkinItem::FromWindow(controls[1])->m_nID, 1011);
    EXPECT_EQ(controls[1]->parentWidget(), controls[0]);
    EXPECT_EQ(manager.GetControl(1006)->toolTip(), QString::fromUtf8("재생"));
    auto* pMute = qobject_cast<CHoverButton*>(controls[12]);
    ASSERT_NE(pMute, nullptr);
    EXPECT_EQ(CSkinItem::FromWindow(pMute)->m_nID, -1);
    EXPECT_EQ(pMute->toolTip(), QString::fromUtf8("음소거"));
    auto* pTime = qobject_cast<CBitmapSlider*>(manager.GetControl(1003));
    EXPECT_EQ(pTime->GetRangeMin(), 0);
    EXPECT_EQ(pTime->GetRangeMax(), 0);
    EXPECT_EQ(pTime->GetPos(), 0);
    EXPECT_NE(CSkinItem::FromWindow(&window), nullptr);
}

TEST(BuiltInSkin, EveryBitmapHasItsListedSize)
{
    for (const SkinBitmapEntry& entry : SkinBitmapTable()) {
        QPixmap image(QString::asprintf(kSkinBitmapResourceFormat, entry.nID));
        if (entry.nWidth == 0) {
            EXPECT_TRUE(image.isNull()) << entry.pszName;
            continue;
        }
        EXPECT_EQ(image.size(), QSize(entry.nWidth, entry.nHeight)) << entry.pszName;
    }
}

TEST(BuiltInSkin, NullParentFails87)
{
    CDebugCapture capture;
    CKorvoUIManager manager;
    EXPECT_EQ(manager.Init(nullptr, "korvoplayer", nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CKorvoUIManager::Init()");
}
