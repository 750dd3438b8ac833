// Switching skins in a running player: the "Skin" menu lists the built-in
// skin and the skins of the user's and the system's skin folders; choosing
// one rebuilds the player and its playlist while the file plays on; a skin
// that fails its check leaves the skin before; the choice is remembered for
// the next start; a skin package handed to the player is installed after a
// confirmation. Every skin is made by the test, in folders of its own.
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "ScopedVariable.h"
#include "SkinArchiveBuilder.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "app/CommandIds.h"
#include "app/CommandLine.h"
#include "app/KorvoPlayerDlg.h"
#include "app/ScreenWnd.h"
#include "controls/BitmapSlider.h"
#include "playback/MediaGraph.h"
#include "skinchoice/RememberedSkin.h"
#include "skinui/KorvoUIManager.h"
#include "skinui/PlaylistDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

constexpr const char* kCaptionBitmap = "IDB_KORVOPLAYER_CAPTION";

class SkinSwitchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    void TearDown() override
    {
        m_pDlg.reset();
        SetCommandLine(0, nullptr);
    }

    CKorvoPlayerDlg& Start(std::vector<std::string> arguments = {})
    {
        arguments.insert(arguments.begin(), "korvoplayer");
        SetCommandLine(std::move(arguments));
        m_pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
        m_pDlg->show();
        return *m_pDlg;
    }

    // The built-in skin repacked under the name `name`, its caption bars
    // drawn in `colour`, its player window at least `minimum`.
    CSkinArchiveBuilder Coloured(const std::string& path, const std::string& name, QColor colour,
                                 const QSize& minimum = QSize(492, 302)) const
    {
        CSkinArchiveBuilder skin(path);
        skin.AddBuiltInSkin()
            .Edit("skin.xml", "<skininfo name=\"korvoplayer\"", "<skininfo name=\"" + name + "\"")
            .Edit("skin.xml", "minsize=\"492,302\"",
                  "minsize=\"" + std::to_string(minimum.width()) + "," + std::to_string(minimum.height()) + "\"")
            .Remove(kCaptionBitmap)
            .AddImage(kCaptionBitmap, 200, 26, colour);
        return skin;
    }

    std::string UserFolder() const { return m_dir.Path() + "/data/korvoplayer/skins"; }
    std::string SystemFolder() const { return m_dir.Path() + "/system/korvoplayer/skins"; }

    // The skin menu as it shows when opened.
    QMenu* SkinMenu() const
    {
        for (QAction* pAction : m_pDlg->ContextMenu()->actions())
            if (pAction->menu() != nullptr && pAction->text() == "Skin") {
                emit pAction->menu()->aboutToShow();
                return pAction->menu();
            }
        return nullptr;
    }

    QStringList MenuTexts() const
    {
        QStringList texts;
        for (QAction* pAction : SkinMenu()->actions())
            texts << (pAction->isSeparator() ? "-" : pAction->text() + (pAction->isChecked() ? " *" : ""));
        return texts;
    }

    void Choose(const QString& text)
    {
        for (QAction* pAction : SkinMenu()->actions())
            if (pAction->text() == text)
                return pAction->trigger();
        ADD_FAILURE() << "no skin entry " << text.toStdString();
    }

    // The colour in the middle of the player's caption bar.
    QRgb Caption() const
    {
        const QImage shot = m_pDlg->grab().toImage();
        return shot.pixel(shot.width() / 2, 8);
    }

    LONGLONG Position() const
    {
        LONGLONG llPosition = -1;
        m_pDlg->Graph().GetPosition(&llPosition);
        return llPosition;
    }

    int State() const
    {
        int nState = -1;
        m_pDlg->Graph().GetState(10000, &nState);
        return nState;
    }

    // Answers the next "Install the skin …?" question with `button`; its
    // text goes to *pText.
    void Answer(QMessageBox::StandardButton button, QString* pText)
    {
        auto* pTimer = new QTimer(m_pDlg.get());
        QObject::connect(pTimer, &QTimer::timeout, pTimer, [pTimer, button, pText] {
            for (QWidget* pWidget : QApplication::topLevelWidgets()) {
                auto* pBox = qobject_cast<QMessageBox*>(pWidget);
                if (pBox == nullptr || !pBox->isVisible() || !pBox->text().startsWith("Install the skin"))
                    continue;
                *pText = pBox->text();
                pBox->button(button)->click();
                pTimer->deleteLater();
                return;
            }
        });
        pTimer->start(20);
    }

    CTempDir m_dir;
    CScopedVariable m_config{"XDG_CONFIG_HOME", m_dir.Path() + "/config"};
    CScopedVariable m_data{"XDG_DATA_HOME", m_dir.Path() + "/data"};
    CScopedVariable m_system{"XDG_DATA_DIRS", m_dir.Path() + "/system"};
    std::unique_ptr<CKorvoPlayerDlg> m_pDlg;
};

const QRgb kGreen = qRgb(0, 200, 0);
const QRgb kBlue = qRgb(0, 0, 200);

TEST_F(SkinSwitchTest, TheMenuListsTheBuiltInSkinAndTheSkinsOfBothFoldersTheOneInUseChecked)
{
    std::filesystem::create_directories(UserFolder());
    std::filesystem::create_directories(SystemFolder());
    const std::string green = Coloured(UserFolder() + "/green.zip", "Green", kGreen).Write();
    Coloured(SystemFolder() + "/blue.zip", "Blue", kBlue).WriteFolder(SystemFolder() + "/blue");
    Coloured(SystemFolder() + "/other-green.zip", "Green", kBlue).Write();
    Start();
    EXPECT_EQ(MenuTexts(), (QStringList{"Built-in *", "Blue", "Green", "-", "Open Skin…"}));
    Choose("Green");
    EXPECT_EQ(m_pDlg->SkinManager()->SkinArchive(), green) << "the user's own skin of a name";
    EXPECT_EQ(MenuTexts(), (QStringList{"Built-in", "Blue", "Green *", "-", "Open Skin…"}));
    Choose("Blue");
    EXPECT_EQ(Caption(), kBlue);
    Choose("Built-in");
    EXPECT_EQ(m_pDlg->SkinManager()->SkinArchive(), "");
    EXPECT_EQ(MenuTexts().first(), "Built-in *");
}

// The playlist's list takes the colours a skin gives it, and the built-in
// ones again when the user goes back to the built-in skin.
TEST_F(SkinSwitchTest, TheListTakesEachSkinsColours)
{
    std::filesystem::create_directories(UserFolder());
    Coloured(UserFolder() + "/dark.zip", "Dark", kBlue)
        .Edit("skin.xml", "<window name=\"korvoplaylist\"",
              "<window name=\"korvoplaylist\" listtext=\"200,200,200\" listbackground=\"10,20,30\"")
        .Write();
    Start();
    const QTreeWidget* pList = m_pDlg->Playlist()->List();
    Choose("Dark");
    EXPECT_EQ(pList->palette().color(QPalette::Base), QColor(10, 20, 30));
    EXPECT_EQ(pList->palette().color(QPalette::Text), QColor(200, 200, 200));
    EXPECT_EQ(QColor(m_pDlg->Playlist()->grab().toImage().pixel(3, 31)), QColor(Qt::white)) << "no margin colour given";
    Choose("Built-in");
    EXPECT_EQ(pList->palette().color(QPalette::Base), QColor(242, 238, 238));
    EXPECT_EQ(pList->palette().color(QPalette::Text), QColor(85, 85, 85));
}

// Both windows take the new look; the window takes the new skin's size
// around the picture at its scale; the file plays on from where it was,
// with its playlist, volume and full-screen mode.
TEST_F(SkinSwitchTest, SwitchingWhilePlayingKeepsTheFileItsPlaceThePlaylistTheVolumeAndFullScreen)
{
    std::filesystem::create_directories(UserFolder());
    const std::string green = Coloured(UserFolder() + "/green.zip", "Green", kGreen, QSize(600, 380)).Write();
    const std::string clip = TestMediaPath(TestMedia::Wmv20s);
    CKorvoPlayerDlg& dlg = Start({clip});
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running && Position() > kReferenceTimePerSecond; }));
    dlg.Playlist()->AddFiles({QString::fromStdString(TestMediaPath(TestMedia::Avi))});
    dlg.SetVolume(40);
    // At twice its size the picture is larger than either skin's video area.
    dlg.OnCommand(ID_SCALE_2DOT0);
    const QRect playlist = dlg.Playlist()->geometry();

    Choose("Green");
    const LONGLONG llAtSwitch = Position();
    EXPECT_EQ(dlg.MessageBox(), nullptr);
    EXPECT_EQ(Caption(), kGreen);
    EXPECT_EQ(dlg.Playlist()->SkinManager()->SkinArchive(), green);
    EXPECT_GE(dlg.width(), 600);
    EXPECT_GE(dlg.height(), 380);
    EXPECT_EQ(dlg.minimumSize(), QSize(600, 380));
    EXPECT_EQ(dlg.Playlist()->geometry().topLeft(), QPoint(dlg.geometry().right() + 1, playlist.top()))
        << "still docked on the right";
    EXPECT_EQ(dlg.FileName(), clip);
    EXPECT_EQ(dlg.Playlist()->List()->topLevelItemCount(), 2);
    EXPECT_EQ(dlg.Volume(), 40);
    auto* pVolume = qobject_cast<CBitmapSlider*>(dlg.SkinManager()->GetControl(IDC_SLIDER_VOLUME));
    ASSERT_NE(pVolume, nullptr);
    EXPECT_EQ(pVolume->GetPos(), 40);
    ASSERT_TRUE(WaitFor([&] { return Position() > llAtSwitch + kReferenceTimePerSecond; })) << "the file plays on";
    auto* pTime = qobject_cast<CBitmapSlider*>(dlg.SkinManager()->GetControl(IDC_SLIDER_TIME));
    ASSERT_NE(pTime, nullptr);
    EXPECT_NEAR(pTime->GetPos(), Position() / kReferenceTimePerSecond, 1);
    EXPECT_EQ(RememberedSkin(), green);

    const QSize greenSize = dlg.size();
    Choose("Built-in");
    const QSize builtIn = dlg.size();
    // In both full-screen modes the window comes back at the size of the
    // skin chosen meanwhile, around the same picture.
    dlg.OnCommand(ID_SCALE_FULLSCREEN);
    ASSERT_EQ(dlg.Geometry().FullScreenMode(), kFullScreenFill);
    Choose("Green");
    dlg.OnCommand(ID_SCALE_FULLSCREEN);
    ASSERT_TRUE(WaitFor([&] { return !dlg.isFullScreen(); }));
    EXPECT_EQ(dlg.size(), greenSize);
    dlg.OnCommand(ID_SCALE_ENTIRESCREEN);
    ASSERT_EQ(dlg.Geometry().FullScreenMode(), kFullScreenKeepRatio);
    Choose("Built-in");
    EXPECT_EQ(dlg.Geometry().FullScreenMode(), kFullScreenKeepRatio);
    EXPECT_TRUE(dlg.isFullScreen());
    EXPECT_EQ(dlg.ScreenWnd()->geometry(), dlg.rect()) << "the picture still covers the window";
    EXPECT_EQ(State(), State_Running);
    dlg.OnCommand(ID_SCALE_ENTIRESCREEN);
    EXPECT_EQ(dlg.minimumSize(), QSize(492, 302));
    ASSERT_TRUE(WaitFor([&] { return !dlg.isFullScreen(); }));
    EXPECT_EQ(dlg.size(), builtIn);
    EXPECT_TRUE(QRect(QPoint(), dlg.ScreenWnd()->size()).contains(dlg.ScreenWnd()->PictureRect().ToQRect()));
    EXPECT_EQ(dlg.Playlist()->geometry().topLeft(), QPoint(dlg.geometry().right() + 1, dlg.y()))
        << "docked beside the player of the new size";
    EXPECT_EQ(RememberedSkin(), "");
}

// Each of these is refused by the check before the windows are touched;
// nothing is left in the temporary folder.
TEST_F(SkinSwitchTest, AHostileSkinChosenFromTheMenuIsReportedAndTheSkinBeforeStays)
{
    std::filesystem::create_directories(UserFolder());
    const std::string green = Coloured(m_dir.Path() + "/green.zip", "Green", kGreen).Write();
    const std::string bomb(40u << 20, '\0');
    const auto hostile = [&](const std::string& name) {
        return Coloured(UserFolder() + "/" + name + ".zip", name, kBlue);
    };
    hostile("Malformed").Edit("skin.xml", "<window name=\"korvoplaylist\"", "<window name=\"korvoplaylist\" <").Write();
    hostile("NoBitmap").Remove("IDB_KORVOPLAYER_BTNSTOP").Write();
    hostile("WrongSize").Remove("IDB_KORVOPLAYER_VOLUMESLIDER_FILL").AddImage("IDB_KORVOPLAYER_VOLUMESLIDER_FILL", 3, 3)
        .Write();
    hostile("Escape").Add("../escape.png", "x").Add("/etc/absolute.png", "x").Write();
    hostile("Bomb").Add("bomb.bin", bomb).Write();
    hostile("Huge").Remove(kCaptionBitmap).AddImage(kCaptionBitmap, 5120, 5120).Write();
    hostile("NoPlayer").Edit("skin.xml", "<window name=\"korvoplayer\"", "<window name=\"other\"").Write();
    Start({"--skin", green});
    RememberSkin(green);
    const QSize size = m_pDlg->size();
    CTempDir tmp;
    CScopedVariable tmpdir("TMPDIR", tmp.Path());
    for (const char* pszName : {"Malformed", "NoBitmap", "WrongSize", "Escape", "Bomb", "Huge", "NoPlayer"}) {
        SCOPED_TRACE(pszName);
        Choose(pszName);
        ASSERT_NE(m_pDlg->MessageBox(), nullptr);
        EXPECT_TRUE(m_pDlg->MessageBox()->text().contains("cannot be used"))
            << m_pDlg->MessageBox()->text().toStdString();
        m_pDlg->MessageBox()->close();
        EXPECT_EQ(m_pDlg->SkinManager()->SkinArchive(), green);
        EXPECT_EQ(m_pDlg->Playlist()->SkinManager()->SkinArchive(), green);
        EXPECT_EQ(Caption(), kGreen);
        EXPECT_EQ(m_pDlg->size(), size);
        EXPECT_EQ(RememberedSkin(), green);
        EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
    }
}

// A font the system lacks is replaced: the skin is taken.
TEST_F(SkinSwitchTest, ASkinWithAnUnknownFontIsTaken)
{
    std::filesystem::create_directories(UserFolder());
    Coloured(UserFolder() + "/font.zip", "Font", kGreen)
        .Edit("skin.xml", "fontname=\"Tahoma\"", "fontname=\"No Such Face\"")
        .Write();
    Start();
    Choose("Font");
    EXPECT_EQ(m_pDlg->MessageBox(), nullptr);
    EXPECT_EQ(Caption(), kGreen);
}

TEST_F(SkinSwitchTest, TheChoiceIsUsedAtTheNextStartUnlessTheCommandLineNamesOne)
{
    std::filesystem::create_directories(UserFolder());
    const std::string green = Coloured(UserFolder() + "/green.zip", "Green", kGreen).Write();
    const std::string blue = Coloured(m_dir.Path() + "/blue.zip", "Blue", kBlue).Write();
    Start();
    Choose("Green");
    m_pDlg.reset();
    Start();
    EXPECT_EQ(Caption(), kGreen);
    m_pDlg.reset();
    Start({"--skin", blue});
    EXPECT_EQ(Caption(), kBlue);
    EXPECT_EQ(RememberedSkin(), green) << "a skin of one run is not remembered";
}

// A remembered skin that is gone or broken is reported once and forgotten;
// the built-in skin is used.
TEST_F(SkinSwitchTest, ARememberedSkinThatFailsAtStartIsReportedAndForgotten)
{
    const std::string green = Coloured(m_dir.Path() + "/green.zip", "Green", kGreen).Write();
    for (const std::string& damage : {std::string("broken"), std::string("gone")}) {
        SCOPED_TRACE(damage);
        RememberSkin(green);
        if (damage == "broken")
            m_dir.WriteFile("green.zip", "PK\x03\x04 not an archive");
        else
            std::filesystem::remove(green);
        Start();
        ASSERT_NE(m_pDlg->MessageBox(), nullptr);
        m_pDlg->MessageBox()->close();
        EXPECT_EQ(m_pDlg->SkinManager()->SkinArchive(), "");
        EXPECT_EQ(m_pDlg->size(), QSize(492, 302));
        EXPECT_EQ(RememberedSkin(), "");
        m_pDlg.reset();
    }
}

TEST_F(SkinSwitchTest, ASkinPackageHandedToThePlayerIsInstalledAfterConfirmation)
{
    const std::string package = Coloured(m_dir.Path() + "/parcel.kvskin", "Parcel", kGreen).Write();
    const std::string installed = UserFolder() + "/parcel.zip";
    QString question;
    Start();
    m_pDlg->OpenFiles({QString::fromStdString(package)});
    Answer(QMessageBox::No, &question);
    ASSERT_TRUE(WaitFor([&] { return !question.isEmpty(); }));
    EXPECT_EQ(question, "Install the skin \u201cParcel\u201d?");
    EXPECT_FALSE(std::filesystem::exists(installed));
    EXPECT_EQ(m_pDlg->FileName(), "") << "a dropped package is not played";
    m_pDlg.reset();

    question.clear();
    Start({package});
    Answer(QMessageBox::Yes, &question);
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->SkinManager()->SkinArchive() == installed; }));
    EXPECT_EQ(Caption(), kGreen);
    EXPECT_EQ(m_pDlg->Playlist()->List()->topLevelItemCount(), 0) << "a package is not played";
    EXPECT_EQ(RememberedSkin(), installed);
    EXPECT_EQ(MenuTexts(), (QStringList{"Built-in", "Parcel *", "-", "Open Skin…"}));
}

TEST_F(SkinSwitchTest, ABadPackageIsReportedAndNothingIsInstalled)
{
    const std::string package =
        Coloured(m_dir.Path() + "/bad.kvskin", "Bad", kGreen).Add("../escape.png", "x").Remove("skin.xml").Write();
    QString question;
    Start({package});
    Answer(QMessageBox::Yes, &question);
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->MessageBox() != nullptr; }));
    EXPECT_TRUE(m_pDlg->MessageBox()->text().contains("skin.xml")) << m_pDlg->MessageBox()->text().toStdString();
    EXPECT_FALSE(std::filesystem::exists(UserFolder() + "/bad.zip"));
    EXPECT_TRUE(!std::filesystem::exists(UserFolder()) || std::filesystem::is_empty(UserFolder()));
    EXPECT_EQ(m_pDlg->SkinManager()->SkinArchive(), "");
}

} // namespace
