// The skins that ship with the player: the art generator still draws the
// built-in skin's bitmaps as committed, and the shipped "ember"
// archive passes the real program's --check-skin without a single line and
// builds both windows at its own sizes, in its own colours.
#include "MediaTestSetup.h"
#include "TempDir.h"
#include "app/CommandLine.h"
#include "app/KorvoPlayerDlg.h"
#include "skinui/PlaylistDlg.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The largest difference of one colour channel between two images of the
// same size, or -1 when their sizes differ or one cannot be read.
int LargestDifference(const QString& first, const QString& second)
{
    const QImage a = QImage(first).convertToFormat(QImage::Format_ARGB32);
    const QImage b = QImage(second).convertToFormat(QImage::Format_ARGB32);
    if (a.isNull() || b.isNull() || a.size() != b.size())
        return -1;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

// Whether a pixel is within a few steps of an R,G,B colour.
bool Near(QRgb pixel, const QColor& color)
{
    return std::abs(qRed(pixel) - color.red()) <= 4 && std::abs(qGreen(pixel) - color.green()) <= 4 &&
           std::abs(qBlue(pixel) - color.blue()) <= 4;
}

TEST(ShippedSkinTest, TheGeneratorDrawsTheBuiltInBitmapsAsCommitted)
{
    CTempDir dir;
    QProcess generator;
    generator.start(KORVO_SKINART_PATH, {QString::fromStdString(dir.Path())});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    const QDir committed(KORVO_SOURCE_DIR "/resources/bitmaps");
    const QStringList names = committed.entryList({"*.png"}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(QDir(QString::fromStdString(dir.Path())).entryList({"*.png"}, QDir::Files), names);
    // Antialiased text is blended by whichever vector unit the processor
    // has, and the rounding of its edge pixels differs by one step between
    // them; anything more is a change of the art.
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const int difference = LargestDifference(QString::fromStdString(dir.Path()) + "/" + name,
                                                 committed.filePath(name));
        EXPECT_GE(difference, 0) << "same size";
        EXPECT_LE(difference, 1);
    }
}

TEST(ShippedSkinTest, TheGeneratorRefusesAThemeItDoesNotKnow)
{
    CTempDir dir;
    QProcess generator;
    generator.start(KORVO_SKINART_PATH, {"--theme", "nosuch", QString::fromStdString(dir.Path())});
    ASSERT_TRUE(generator.waitForFinished(60000));
    EXPECT_EQ(generator.exitCode(), 2);
    EXPECT_TRUE(QDir(QString::fromStdString(dir.Path())).isEmpty());
}

TEST(ShippedSkinTest, TheCheckerFindsNothingToSayAboutTheShippedSkin)
{
    QProcess checker;
    checker.start(KORVOPLAYER_PATH, {"--check-skin", KORVO_EMBER_SKIN});
    ASSERT_TRUE(checker.waitForFinished(60000));
    EXPECT_EQ(checker.exitCode(), 0);
    EXPECT_EQ(checker.readAllStandardOutput().toStdString(), "") << "not even a warning";
}

class ShippedSkinPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }
    void TearDown() override { SetCommandLine(0, nullptr); }
};

TEST_F(ShippedSkinPlayerTest, BothWindowsAreBuiltFromTheShippedSkin)
{
    SetCommandLine({"korvoplayer", "--skin", KORVO_EMBER_SKIN});
    CKorvoPlayerDlg dlg(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
    dlg.show();
    EXPECT_EQ(dlg.MessageBox(), nullptr);
    EXPECT_EQ(dlg.size(), QSize(416, 270));
    ASSERT_NE(dlg.Playlist(), nullptr);
    // The playlist's list symbol, top left in its bar: amber, not blue.
    const QImage list = dlg.Playlist()->grab().toImage();
    const QRgb symbol = list.pixel(15, 8);
    EXPECT_GT(qRed(symbol), 180) << std::hex << symbol;
    EXPECT_LT(qBlue(symbol), 120);
    // No control of the skin covers the list itself.
    const auto* pList = dlg.Playlist()->findChild<QTreeWidget*>();
    ASSERT_NE(pList, nullptr);
    EXPECT_EQ(QColor(list.pixel(pList->geometry().center())), pList->palette().color(QPalette::Base));
    // The list and its margin take the skin's dark colours, not the light
    // ones of the built-in skin.
    EXPECT_EQ(pList->palette().color(QPalette::Base), QColor(22, 22, 25));
    EXPECT_EQ(pList->palette().color(QPalette::Text), QColor(204, 204, 209));
    EXPECT_EQ(QColor(list.pixel(3, 31)), QColor(46, 46, 51)) << std::hex << list.pixel(3, 31);
    // Between the top bar and the list, and between the list and the
    // buttons, the skin's own dark fill, not the window's white.
    EXPECT_EQ(QColor(list.pixel(100, 25)), QColor(28, 28, 31)) << std::hex << list.pixel(100, 25);
    EXPECT_EQ(QColor(list.pixel(100, list.height() - 27)), QColor(28, 28, 31));

    // The video panel's corner, beside the logo: near black where the
    // built-in skin is blue; the border left of it is the frame's, not the key.
    const QImage shot = dlg.grab().toImage();
    EXPECT_TRUE(Near(shot.pixel(4, 22), QColor(11, 11, 13))) << std::hex << shot.pixel(4, 22);
    EXPECT_FALSE(Near(shot.pixel(0, 100), QColor(255, 0, 255)));
    // The play button sits between the skip buttons, not first in the bar.
    const QRgb play = shot.pixel(6 + 24 + 2 + 24 + 2 + 5, 270 - 30 + 1 + 14);
    EXPECT_GT(qRed(play), 180) << "the amber play button";
    EXPECT_LT(qBlue(play), 120);
}

} // namespace
