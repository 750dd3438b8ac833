// The skin a player is started with (--skin PATH): the player window and
// its playlist are built from it; one that cannot be built is reported and
// the built-in skin takes its place.
#include "MediaTestSetup.h"
#include "SkinArchiveBuilder.h"
#include "TempDir.h"
#include "app/CommandLine.h"
#include "app/KorvoPlayerDlg.h"

#include <QImage>
#include <QMessageBox>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

constexpr const char* kCaption = "IDB_KORVOPLAYER_CAPTION";

class SkinChoiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }
    void TearDown() override { SetCommandLine(0, nullptr); }

    std::unique_ptr<CKorvoPlayerDlg> StartWithSkin(const std::string& skin)
    {
        SetCommandLine({"korvoplayer", "--skin", skin});
        auto pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
        pDlg->show();
        return pDlg;
    }

    // Whether the caption bar is drawn green, as the test's skin draws it.
    static bool GreenCaption(CKorvoPlayerDlg& dlg)
    {
        const QImage shot = dlg.grab().toImage();
        const QRgb pixel = shot.pixel(shot.width() / 2, 8);
        return qGreen(pixel) > 150 && qRed(pixel) < 60 && qBlue(pixel) < 60;
    }

    CTempDir m_dir;
};

TEST_F(SkinChoiceTest, ThePlayerIsBuiltFromTheChosenSkin)
{
    CSkinArchiveBuilder skin(m_dir.Path() + "/green.zip");
    skin.AddBuiltInSkin().Remove(kCaption).AddImage(kCaption, 200, 26, QColor(0, 200, 0));
    for (const std::string& path : {skin.Write(), skin.WriteFolder(m_dir.Path() + "/green")}) {
        SCOPED_TRACE(path);
        const auto pDlg = StartWithSkin(path);
        EXPECT_EQ(pDlg->MessageBox(), nullptr);
        EXPECT_TRUE(GreenCaption(*pDlg));
    }
}

TEST_F(SkinChoiceTest, ASkinThatCannotBeBuiltIsReportedAndTheBuiltInOneIsUsed)
{
    CSkinArchiveBuilder broken(m_dir.Path() + "/broken.zip");
    broken.AddBuiltInSkin().Remove("skin.xml");
    for (const std::string& path : {broken.Write(), m_dir.Path() + "/missing.zip"}) {
        SCOPED_TRACE(path);
        const auto pDlg = StartWithSkin(path);
        ASSERT_NE(pDlg->MessageBox(), nullptr);
        EXPECT_FALSE(pDlg->MessageBox()->text().isEmpty());
        pDlg->MessageBox()->close();
        EXPECT_FALSE(GreenCaption(*pDlg));
        EXPECT_EQ(pDlg->size(), QSize(492, 302)) << "the built-in skin's size";
    }
}

} // namespace
