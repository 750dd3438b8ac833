#include "BuiltInSkin.h"
#include "CriticalCount.h"
#include "DebugCapture.h"
#include "DiscClips.h"
#include "EventLoopWait.h"
#include "HiddenDecoders.h"
#include "MediaTestSetup.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "app/Accelerators.h"
#include "app/CommandIds.h"
#include "app/CommandLine.h"
#include "instance/InstanceMessage.h"
#include "app/KorvoPlayerDlg.h"
#include "app/ScreenWnd.h"
#include "controls/PictureNote.h"
#include "playback/AudioTracks.h"
#include "playback/SubtitleOverlay.h"
#include "instance/SharedMemory.h"
#include "instance/SharedPlayerRecord.h"
#include "controls/BitmapSlider.h"
#include "controls/HoverButton.h"
#include "controls/TransparentStatic.h"
#include "playback/MediaGraph.h"
#include "skin/SkinItem.h"
#include "skinui/KorvoUIManager.h"
#include "skinui/PlaylistDlg.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <random>
#include <unistd.h>

namespace {


class PlayerWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    // A player window started as by `korvoplayer FILE`, shown and active.
    CKorvoPlayerDlg& Start(const std::string& file)
    {
        std::string program = "korvoplayer";
        char* argv[] = {program.data(), const_cast<char*>(file.c_str())};
        SetCommandLine(file.empty() ? 1 : 2, argv);
        m_pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
        m_pDlg->show();
        return *m_pDlg;
    }

    int State()
    {
        int nState = -1;
        EXPECT_EQ(m_pDlg->Graph().GetState(10000, &nState), S_OK);
        return nState;
    }

    bool WaitForState(int nState)
    {
        return WaitFor([&] { return State() == nState; });
    }

    LONGLONG Position()
    {
        LONGLONG llPosition = -1;
        EXPECT_EQ(m_pDlg->Graph().GetPosition(&llPosition), S_OK);
        return llPosition;
    }

    double Rate()
    {
        double dRate = 0;
        EXPECT_EQ(m_pDlg->Graph().GetRate(&dRate), S_OK);
        return dRate;
    }

    // Keys reach the window that has the focus; other programs on the same
    // X server may take the server's focus at any time, so the player is
    // made the active window right before each key.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(m_pDlg.get());
        QTest::keyClick(m_pDlg.get(), key, modifiers);
    }

    CScreenWnd* Screen() const { return m_pDlg->findChild<CScreenWnd*>(); }

    // The picture's rectangle in the player's client area.
    QRect Picture() const { return Screen()->PictureRect().ToQRect().translated(Screen()->pos()); }

    // The skin's rectangle for the video area, in the player's client area.
    QRect VideoArea() const
    {
        RECT rc = {};
        m_pDlg->SkinManager()->GetAvailableScreenRect(&rc);
        return rc.ToQRect();
    }

    template <typename Control> Control* SkinControl(int nID) const
    {
        return qobject_cast<Control*>(m_pDlg->SkinManager()->GetControl(nID));
    }

    std::string Text(int nID) const { return SkinControl<CTransparentStatic>(nID)->GetText(); }

    // A click of the real mouse on a skin control.
    void Click(int nID)
    {
        QApplication::setActiveWindow(m_pDlg.get());
        QWidget* pControl = m_pDlg->SkinManager()->GetControl(nID);
        ASSERT_NE(pControl, nullptr) << nID;
        ASSERT_TRUE(pControl->isVisible()) << nID;
        QTest::mouseClick(pControl, Qt::LeftButton);
    }

    ~PlayerWindowTest() override
    {
        m_pDlg.reset();
        SetCommandLine(0, nullptr);
    }

    std::unique_ptr<CKorvoPlayerDlg> m_pDlg;
};

TEST_F(PlayerWindowTest, PlaysTheFileOfItsCommandLineInAWindowOfItsPictureSize)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Avi));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    ASSERT_NE(Screen(), nullptr);
    EXPECT_TRUE(Screen()->isVisible());
    EXPECT_EQ(Screen()->geometry(), VideoArea());
    // The picture fills the skin's video area at its 4:3 shape.
    EXPECT_NEAR(Picture().width() * 3, Picture().height() * 4, 8) << Picture().width() << "x" << Picture().height();
    EXPECT_TRUE(VideoArea().contains(Picture()));

    // At the end of its only file the player stops, hides the picture and
    // stays stopped: the playlist is past its last entry.
    EXPECT_TRUE(WaitFor([&] { return !dlg.Graph().IsOpen(); }));
    EXPECT_FALSE(Screen()->isVisible());
    EXPECT_EQ(dlg.MessageBox(), nullptr);
    EXPECT_EQ(dlg.Playlist()->GetCurrentFile(), "");
    Key(Qt::Key_Space);
    EXPECT_FALSE(dlg.Graph().IsOpen());

    // Back on the entry, Space plays it again.
    dlg.Playlist()->MoveToPrevious();
    Key(Qt::Key_Space);
    EXPECT_TRUE(WaitForState(State_Running)) << LastReport();
}

// The set-up: the skin's size, the volume slider at the volume and the
// playlist docked at the right edge, which follows the player.
TEST_F(PlayerWindowTest, StartsSkinnedWithThePlaylistDockedAtItsRightEdge)
{
    CKorvoPlayerDlg& dlg = Start("");
    ASSERT_NE(dlg.SkinManager(), nullptr);
    EXPECT_EQ(dlg.windowTitle(), "Ostra Viewer");
    int cx = 0;
    int cy = 0;
    dlg.SkinManager()->GetMinimunSize(&cx, &cy);
    EXPECT_EQ(dlg.minimumSize(), QSize(cx, cy));
    dlg.SkinManager()->GetPlayerSize(&cx, &cy);
    EXPECT_EQ(dlg.size(), QSize(cx, cy));
    auto* pVolume = SkinControl<CBitmapSlider>(IDC_SLIDER_VOLUME);
    ASSERT_NE(pVolume, nullptr);
    EXPECT_EQ(pVolume->GetRangeMax(), 100);
    EXPECT_EQ(pVolume->GetPos(), 100);

    CPlaylistDlg* pList = dlg.Playlist();
    ASSERT_TRUE(WaitFor([&] { return pList->isVisible(); }));
    EXPECT_EQ(pList->size(), QSize(238, 302));
    EXPECT_EQ(pList->GetDockSide(), DOCK_RIGHT);
    auto rightEdge = [&] { return dlg.geometry().topRight() + QPoint(1, 0); };
    EXPECT_EQ(pList->pos(), rightEdge());

    // Space on an empty playlist does nothing.
    Key(Qt::Key_Space);
    EXPECT_FALSE(dlg.Graph().IsOpen());

    dlg.move(dlg.pos() + QPoint(40, 30));
    EXPECT_TRUE(WaitFor([&] { return pList->pos() == rightEdge(); })) << pList->pos().x() << "," << pList->pos().y();
    Click(IDC_LIST);
    EXPECT_FALSE(pList->isVisible());
    Click(IDC_LIST);
    EXPECT_TRUE(pList->isVisible());
}

TEST_F(PlayerWindowTest, PlayingShowsTheTitleTheTimeAndTheSkinsLooks)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    EXPECT_EQ(Text(IDC_TITLE), std::filesystem::path(dlg.FileName()).filename().string());
    auto* pTime = SkinControl<CBitmapSlider>(IDC_SLIDER_TIME);
    ASSERT_NE(pTime, nullptr);
    EXPECT_EQ(pTime->GetRangeMax(), 20);
    const QRegularExpression format("^00:00:(\\d\\d)/00:00:20$");
    EXPECT_TRUE(WaitFor([&] {
        QRegularExpressionMatch match = format.match(QString::fromStdString(Text(IDC_TXT_TIMEINFO)));
        return match.hasMatch() && match.captured(1).toInt() >= 2;
    })) << Text(IDC_TXT_TIMEINFO);
    EXPECT_GE(pTime->GetPos(), 2);

    auto* pPlay = SkinControl<CHoverButton>(IDC_PLAY);
    ASSERT_NE(pPlay, nullptr);
    const CSkinItem* pItem = CSkinItem::FromWindow(pPlay);
    EXPECT_EQ(pPlay->CurrentImage(), &pItem->Image(SKINIMAGE_ONPLAYING));
    Click(IDC_PLAY);
    EXPECT_EQ(State(), State_Paused);
    EXPECT_EQ(pPlay->CurrentImage(), &pItem->Image(SKINIMAGE_ONPAUSE));
    // Previous and next do nothing while paused.
    Click(IDC_NEXTPLAYLIST);
    Click(IDC_PREPLAYLIST);
    EXPECT_EQ(State(), State_Paused);
    Key(Qt::Key_Space);
    EXPECT_EQ(State(), State_Running);
    EXPECT_EQ(pPlay->CurrentImage(), &pItem->Image(SKINIMAGE_ONPLAYING));

    Click(IDC_STOP);
    EXPECT_FALSE(dlg.Graph().IsOpen());
    EXPECT_EQ(pPlay->CurrentImage(), &pItem->Image(SKINIMAGE_ONSTOP));
    EXPECT_EQ(Text(IDC_TITLE), "");
    EXPECT_EQ(Text(IDC_TXT_TIMEINFO), "");
}

// A right click on the picture opens menu 129 with its submenus; its
// entries give their commands.
TEST_F(PlayerWindowTest, ARightClickOnThePictureOpensTheMainPopupMenu)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    QApplication::setActiveWindow(&dlg);
    QTest::mouseClick(Screen(), Qt::RightButton, {}, Screen()->rect().center());
    QMenu* pMenu = dlg.ContextMenu();
    ASSERT_TRUE(WaitFor([&] { return pMenu->isVisible(); }));
    EXPECT_EQ(pMenu->pos(), dlg.mapToGlobal(Screen()->geometry().center()));

    QStringList top;
    for (QAction* pAction : pMenu->actions())
        if (!pAction->isSeparator())
            top << pAction->text();
    EXPECT_EQ(top, QStringList({"Open", "Close", "Play", "Sound", "Screen Ratio", "Pan && Scan", "Size", "Subtitles",
                                "Audio", "Skin", "Exit\tAlt+F4"}));
    auto entry = [&](const QString& submenu, const QString& text) -> QAction* {
        for (QAction* pAction : pMenu->actions())
            if (pAction->text() == submenu && pAction->menu() != nullptr)
                for (QAction* pEntry : pAction->menu()->actions())
                    if (pEntry->text() == text)
                        return pEntry;
        return nullptr;
    };
    EXPECT_NE(entry("Play", "Play/Pause\tSpace"), nullptr);
    EXPECT_NE(entry("Pan && Scan", "Move Bottom\tCtrl+Alt|Numpad 2"), nullptr);
    EXPECT_NE(entry("Screen Ratio", "4 : 3 (TV)\tCtrl+F7"), nullptr);
    EXPECT_NE(entry("Size", "Maxmize/Restore\t6"), nullptr);
    QAction* pMute = entry("Sound", "Mute\tM");
    ASSERT_NE(pMute, nullptr);
    pMenu->close();
    pMute->trigger();
    EXPECT_EQ(dlg.Volume(), 0);
    entry("Play", "Play/Pause\tSpace")->trigger();
    EXPECT_EQ(State(), State_Paused);
}

// A file with two sound streams and a subtitle stream, and a subtitle file
// beside it: the submenus list them with their languages, the keys go
// through them, and a subtitle file dropped while it plays becomes a track.
TEST_F(PlayerWindowTest, TheSubtitlesAndAudioSubmenusListTheTracksAndTheKeysChooseThem)
{
    CTempDir dir;
    const std::string srt = dir.WriteFile("film.srt", "1\n00:00:01,000 --> 00:00:09,000\nHello\n");
    const std::string path = dir.Path() + "/film.mkv";
    const std::string command =
        "ffmpeg -nostdin -v error -y -f lavfi -i color=c=black:s=320x240:r=25:d=10 -f lavfi -i sine=frequency=400:d=10 "
        "-f lavfi -i sine=frequency=1200:d=10 -i '" + srt + "' -map 0 -map 1 -map 2 -map 3 -c:v mpeg4 -c:a libvorbis "
        "-c:s srt -metadata:s:a:0 language=eng -metadata:s:a:1 language=kor -metadata:s:s:0 language=jpn '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    CKorvoPlayerDlg& dlg = Start(path);
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    CTrackChooser& tracks = dlg.Tracks();
    auto entries = [](QMenu* pMenu) {
        pMenu->popup(QPoint(0, 0));
        QStringList texts;
        for (QAction* pAction : pMenu->actions())
            if (!pAction->isSeparator())
                texts << pAction->text() + (pAction->isChecked() ? " *" : "");
        pMenu->close();
        return texts;
    };
    ASSERT_TRUE(WaitFor([&] { return entries(tracks.AudioMenu()).size() == 3; }));
    EXPECT_EQ(entries(tracks.AudioMenu()),
              QStringList({"English (Vorbis, 1 channel) *", "Korean (Vorbis, 1 channel)", "Next Audio\tShift+A"}));
    EXPECT_EQ(entries(tracks.SubtitleMenu()).mid(0, 3),
              QStringList({"Off", "Track 1 (SubRip) - external *", "Japanese - embedded"}));

    Key(Qt::Key_J);
    EXPECT_EQ(dlg.Graph().Subtitles()->ChosenTrack(), 1);
    Key(Qt::Key_V);
    EXPECT_FALSE(dlg.Graph().Subtitles()->IsShown());
    EXPECT_EQ(entries(tracks.SubtitleMenu()).first(), "Off *");
    Key(Qt::Key_V);
    EXPECT_TRUE(dlg.Graph().Subtitles()->IsShown());
    Key(Qt::Key_BracketRight);
    Key(Qt::Key_BracketRight);
    EXPECT_EQ(dlg.Graph().Subtitles()->Delay(), 2 * CTrackChooser::kDelayStep);
    EXPECT_EQ(dlg.ScreenWnd()->Note()->Text(), "Subtitle delay +0.2 s");
    EXPECT_TRUE(dlg.ScreenWnd()->Note()->isVisible());
    Key(Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(dlg.Graph().AudioTracks()->Chosen(), 1);

    const std::string other = dir.WriteFile("other.smi", "<SAMI><BODY><SYNC Start=1000><P Class=KRCC>Hi</BODY></SAMI>");
    EXPECT_TRUE(tracks.TakeSubtitleFiles({QString::fromStdString(other)}));
    EXPECT_EQ(dlg.Graph().Subtitles()->TrackLabels().size(), 3u);
    EXPECT_EQ(dlg.Graph().Subtitles()->ChosenTrack(), 2);
    EXPECT_FALSE(tracks.TakeSubtitleFiles({QString::fromStdString(path)})) << "a video is no subtitle file";
    EXPECT_EQ(State(), State_Running);
}

// Dragging the time slider seeks; the volume slider changes the graph's
// volume but not the stored one, which the next Up starts from.
TEST_F(PlayerWindowTest, TheSlidersSeekAndSetTheVolume)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    Key(Qt::Key_Space);
    auto* pTime = SkinControl<CBitmapSlider>(IDC_SLIDER_TIME);
    ASSERT_NE(pTime, nullptr);
    const QPoint start(pTime->width() / 10, pTime->height() / 2);
    const QPoint end(pTime->width() * 3 / 4, pTime->height() / 2);
    QTest::mousePress(pTime, Qt::LeftButton, {}, start);
    QTest::mouseMove(pTime, end);
    EXPECT_NEAR(static_cast<double>(Position()) / kReferenceTimePerSecond, pTime->GetPos(), 1.0);
    EXPECT_GT(pTime->GetPos(), 10);
    QTest::mouseRelease(pTime, Qt::LeftButton, {}, end);

    auto* pVolume = SkinControl<CBitmapSlider>(IDC_SLIDER_VOLUME);
    ASSERT_NE(pVolume, nullptr);
    QTest::mousePress(pVolume, Qt::LeftButton, {}, QPoint(pVolume->width() / 3, pVolume->height() / 2));
    QTest::mouseRelease(pVolume, Qt::LeftButton, {}, QPoint(pVolume->width() / 3, pVolume->height() / 2));
    EXPECT_LT(pVolume->GetPos(), 60);
    EXPECT_EQ(dlg.Volume(), 100);
    Key(Qt::Key_Up);
    EXPECT_EQ(pVolume->GetPos(), 100);
}

// The end of a file plays the next entry; after the last the player stays
// stopped, unless repeat (its button) is on, which starts the first again.
TEST_F(PlayerWindowTest, TheEndOfAFileAdvancesThePlaylistAndRepeatWraps)
{
    CTempDir dir;
    const std::string first = dir.Path() + "/a.mp3";
    const std::string second = dir.Path() + "/b.mp3";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Mp3), first);
    std::filesystem::copy_file(TestMediaPath(TestMedia::Mp3), second);
    CKorvoPlayerDlg& dlg = Start(first);
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    dlg.Playlist()->AddFiles({QString::fromStdString(second)});
    EXPECT_TRUE(WaitFor([&] { return dlg.FileName() == second && dlg.Graph().IsOpen(); })) << LastReport();
    EXPECT_TRUE(WaitFor([&] { return !dlg.Graph().IsOpen(); }));
    EXPECT_EQ(dlg.Playlist()->GetCurrentFile(), "");

    Click(IDC_REPEAT);
    EXPECT_TRUE(dlg.Playlist()->IsRepeat());
    auto* pRepeat = SkinControl<CHoverButton>(IDC_REPEAT);
    EXPECT_EQ(pRepeat->CurrentImage(), &CSkinItem::FromWindow(pRepeat)->Image(SKINIMAGE_ONREPEAT));
    dlg.Playlist()->MoveToPrevious();
    Key(Qt::Key_Space);
    EXPECT_TRUE(WaitFor([&] { return dlg.FileName() == second && dlg.Graph().IsOpen(); })) << LastReport();
    EXPECT_TRUE(WaitFor([&] { return dlg.FileName() == first && dlg.Graph().IsOpen(); })) << LastReport();
    EXPECT_EQ(dlg.MessageBox(), nullptr);
}

// The player's client area as the X server shows it (the video sink draws
// past Qt, so only the server has the picture).
QImage Screenshot(const QWidget& window, const QRect& area)
{
    QPoint origin = window.mapToGlobal(area.topLeft());
    return window.screen()->grabWindow(0, origin.x(), origin.y(), area.width(), area.height()).toImage();
}

// The player and its docked playlist as the X server shows them, kept in
// the build tree to be looked at.
void KeepScreenshot(const CKorvoPlayerDlg& dlg, const char* pszName)
{
    const QRect both = dlg.frameGeometry() | dlg.Playlist()->frameGeometry();
    QImage shot = dlg.screen()->grabWindow(0, both.x(), both.y(), both.width(), both.height()).toImage();
    const std::filesystem::path dir = std::filesystem::path(BRELMSOURCE_PATH).parent_path() / "player-artifacts";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(shot.save(QString::fromStdString((dir / pszName).string())));
}

// The bounds of the disc in a screenshot of a disc clip: its dark pixels,
// once the picture's white is drawn in the middle of each side (before the
// first frame the whole area is black).
QRect DiscArea(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    for (QPoint side : {QPoint(w / 2, 2), QPoint(w / 2, h - 3), QPoint(2, h / 2), QPoint(w - 3, h / 2)})
        if (w < 8 || h < 8 || qGray(image.pixel(side)) < 200)
            return {};
    QRect dark;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                dark |= QRect(x, y, 1, 1);
    return dark;
}

bool IsRound(const QRect& disc)
{
    return !disc.isEmpty() && std::abs(disc.width() - disc.height()) <= 4;
}

// The disc in `area` of the player, measured until it is round and at least
// `minHeight` high or the file ends: until then another program's window may
// cover the player on the shared X server, or the last frame of an old
// shape may still be stretched over a new one.
QRect WaitForRoundDisc(CKorvoPlayerDlg& dlg, const QRect& area, int minHeight)
{
    QRect disc;
    WaitFor([&] {
        dlg.raise();
        disc = DiscArea(Screenshot(dlg, area));
        return (IsRound(disc) && disc.height() >= minHeight) || !dlg.Graph().IsOpen();
    });
    return disc;
}

class PlayerWindowShapeTest : public PlayerWindowTest, public ::testing::WithParamInterface<DiscClip> {};

TEST_P(PlayerWindowShapeTest, OpensAtTheDisplayShapeWithTheDiscRound)
{
    const QSize display = GetParam().display;
    CKorvoPlayerDlg& dlg = Start(GetParam().Path());
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    const QRect picture = Picture();
    EXPECT_NEAR(static_cast<double>(picture.width()) / picture.height(),
                static_cast<double>(display.width()) / display.height(), 0.02);
    // The disc spans 0.8 of the picture's shorter side.
    const int diameter = static_cast<int>(0.8 * std::min(picture.width(), picture.height()));
    QRect disc = WaitForRoundDisc(dlg, picture, diameter - 4);
    EXPECT_TRUE(IsRound(disc)) << disc.width() << "x" << disc.height();
    EXPECT_NEAR(disc.height(), diameter, 4);
    EXPECT_NEAR(disc.center().x(), picture.width() / 2, 4);
}

INSTANTIATE_TEST_SUITE_P(Clips, PlayerWindowShapeTest, ::testing::ValuesIn(DiscClips()),
                         [](const ::testing::TestParamInfo<DiscClip>& param) { return param.param.name; });

TEST_F(PlayerWindowTest, TheWindowFollowsAPictureThatChangesShape)
{
    CKorvoPlayerDlg& dlg = Start(ShapeChangingClipPath());
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    EXPECT_NEAR(Picture().width() * 3, Picture().height() * 4, 8);
    // The second half is 16:9 and its disc 0.8 of the picture's height.
    EXPECT_TRUE(WaitFor([&] { return std::abs(Picture().width() * 9 - Picture().height() * 16) <= 16; }))
        << Picture().width() << "x" << Picture().height();
    EXPECT_EQ(Screen()->geometry(), VideoArea());
    const QRect picture = Picture();
    QRect disc = WaitForRoundDisc(dlg, picture, static_cast<int>(0.8 * picture.height()) - 4);
    EXPECT_TRUE(IsRound(disc)) << disc.width() << "x" << disc.height();
    EXPECT_NEAR(disc.height(), 0.8 * picture.height(), 4);
}

// The skinned player with its docked playlist, as the X server shows it
// while a clip plays: the picture inside the skin's video area, written to
// the build tree to be looked at.
TEST_F(PlayerWindowTest, AScreenshotShowsThePictureInsideTheSkin)
{
    CKorvoPlayerDlg& dlg = Start(DiscClipPath(TestMedia::Avi, 320, 240, 1, 1));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    const QRect picture = Picture();
    QRect disc = WaitForRoundDisc(dlg, picture, static_cast<int>(0.8 * picture.height()) - 4);
    EXPECT_TRUE(IsRound(disc)) << disc.width() << "x" << disc.height();
    // The picture's white covers exactly its rectangle, the black bars the
    // rest of the video area: the sink draws neither more nor less.
    // The bars are painted after the first pictures: wait for them.
    const QRect area = VideoArea();
    QRect white;
    EXPECT_TRUE(WaitFor([&] {
        const QImage shown = Screenshot(dlg, area);
        white = QRect();
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (qGray(shown.pixel(x, y)) > 128)
                    white |= QRect(x, y, 1, 1);
        white.translate(area.topLeft());
        return white == picture;
    })) << white.x() << "," << white.y() << " " << white.width() << "x" << white.height();
    KeepScreenshot(dlg, "player-playing-clip.png");
}

// A sound file shows the animated logo in the video area, drawn by the X
// server like a picture.
TEST_F(PlayerWindowTest, AScreenshotShowsTheLogoOfASoundFile)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Mp3));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    const QRect picture = Picture();
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_TRUE(WaitFor([&] {
        dlg.raise();
        const QImage shown = Screenshot(dlg, picture);
        QSet<QRgb> colours;
        for (int y = 0; y < shown.height(); y += 4)
            for (int x = 0; x < shown.width(); x += 4)
                colours.insert(shown.pixel(x, y));
        return colours.size() > 50 && !Text(IDC_TXT_TIMEINFO).empty();
    }));
    QTest::qWait(300);
    KeepScreenshot(dlg, "player-playing-mp3.png");
}

// A later file keeps the window's size, and its picture keeps its own shape
// inside it, centred: a 16:9 picture in a 4:3 window has bars above and below.
TEST_F(PlayerWindowTest, ALaterFileKeepsItsShapeInsideTheWindow)
{
    CKorvoPlayerDlg& dlg = Start(DiscClipPath(TestMedia::Avi, 320, 240, 1, 1));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    const QSize size = dlg.size();
    std::string later = DiscClipPath(TestMedia::Wmv, 352, 288, 16, 11);
    // Handed over as a later start hands it, through a record of this test's own.
    ::setenv("KORVOPLAYER_INSTANCE_TAG", ("later" + std::to_string(::getpid())).c_str(), 1);
    CSharedMemory memory;
    const char* pszCall = nullptr;
    ASSERT_EQ(OpenSharedRecord(memory, &pszCall), S_OK) << pszCall;
    g_pSharedMemory = &memory;
    later.copy(g_pSharedRecord->file, sizeof g_pSharedRecord->file - 1);
    EXPECT_EQ(dlg.OnInstanceMessage({WM_PLAYER_OPENFORWARDED, 0, 0}), 1u);
    g_pSharedMemory = nullptr;
    g_pSharedRecord = nullptr;
    ::unsetenv("KORVOPLAYER_INSTANCE_TAG");
    ASSERT_TRUE(WaitFor([&] { return dlg.FileName() == later && State() == State_Running; })) << LastReport();
    EXPECT_EQ(dlg.size(), size);
    const QRect picture = Picture();
    EXPECT_NEAR(picture.width() * 9, picture.height() * 16, 16) << picture.width() << "x" << picture.height();
    QRect disc = WaitForRoundDisc(dlg, picture, static_cast<int>(0.8 * picture.height()) - 4);
    EXPECT_TRUE(IsRound(disc)) << disc.width() << "x" << disc.height();
    EXPECT_NEAR(disc.height(), 0.8 * picture.height(), 4);
    // The bars are the screen window's black, painted over what the first
    // file left there.
    const QRect area = VideoArea();
    const QPoint bar = picture.top() - area.top() >= 4 ? QPoint(picture.center().x(), (area.top() + picture.top()) / 2)
                                                       : QPoint((area.left() + picture.left()) / 2, picture.center().y());
    EXPECT_TRUE(WaitFor([&] { return qGray(Screenshot(dlg, QRect(bar, QSize(1, 1))).pixel(0, 0)) < 50; }));
}

TEST_F(PlayerWindowTest, KeysPauseSeekAndChangeTheVolume)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();

    Key(Qt::Key_Space);
    EXPECT_EQ(State(), State_Paused);
    Key(Qt::Key_Space);
    EXPECT_EQ(State(), State_Running);

    // Back from the first seconds lands on the start, not before it.
    Key(Qt::Key_Left);
    EXPECT_LT(Position(), 2 * kReferenceTimePerSecond);
    Key(Qt::Key_Right);
    EXPECT_GE(Position(), 9 * kReferenceTimePerSecond);

    Key(Qt::Key_Up);
    EXPECT_EQ(dlg.Volume(), 100);
    for (int i = 0; i < 3; ++i)
        Key(Qt::Key_Down);
    EXPECT_EQ(dlg.Volume(), 85);
    Key(Qt::Key_M);
    EXPECT_EQ(dlg.Volume(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(dlg.Volume(), 0);
    Key(Qt::Key_Up);
    EXPECT_EQ(dlg.Volume(), 5);

    // Escape leaves the window as it is.
    Key(Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    Key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_FALSE(dlg.Graph().IsOpen());
}

TEST_F(PlayerWindowTest, SpeedKeysStepTheRateWithAFloor)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    Key(Qt::Key_C);
    EXPECT_DOUBLE_EQ(Rate(), 1.1);
    Key(Qt::Key_Z);
    EXPECT_DOUBLE_EQ(Rate(), 1.0);
    for (int i = 0; i < 12; ++i)
        dlg.OnCommand(ID_PLAY_SLOWER);
    EXPECT_NEAR(Rate(), 0.1, 1e-9);
    Key(Qt::Key_X);
    EXPECT_NEAR(Rate(), 0.1, 1e-9);
    EXPECT_EQ(dlg.MessageBox(), nullptr) << LastReport();
}

TEST_F(PlayerWindowTest, AFileThatCannotPlayIsReportedAndLeavesThePlayerStopped)
{
    CTempDir dir;
    std::string file = dir.WriteFile("notes.avi", std::string(4096, 't'));
    CDebugCapture capture;
    CKorvoPlayerDlg& dlg = Start(file);
    ASSERT_TRUE(WaitFor([&] { return dlg.MessageBox() != nullptr; }));
    EXPECT_EQ(dlg.MessageBox()->text().toStdString(), LastReport());
    // What GStreamer made of the file is the message box's details.
    EXPECT_EQ(dlg.MessageBox()->detailedText().toStdString(), dlg.Graph().LastError().Details());
    EXPECT_TRUE(dlg.MessageBox()->detailedText().contains(QStringLiteral("text file")));
    EXPECT_FALSE(dlg.Graph().IsOpen());
    EXPECT_FALSE(Screen()->isVisible());
    std::vector<std::string> traces = capture.TracesAfterReport();
    EXPECT_NE(std::find(traces.begin(), traces.end(), "from CKorvoPlayerDlg::OnPlay()"), traces.end());

    // A missing file is reported the same way.
    dlg.MessageBox()->close();
    std::filesystem::remove(file);
    Key(Qt::Key_Space);
    EXPECT_TRUE(WaitFor([&] { return dlg.MessageBox() != nullptr; }));
    EXPECT_FALSE(dlg.Graph().IsOpen());
}

// The box keeps the report's lines and names, in its details, the decoders
// the file needs with their packages.
TEST_F(PlayerWindowTest, AFileWithoutItsDecodersNamesThemInTheBoxsDetails)
{
    const std::string file = TestMediaPath(TestMedia::Avi);
    CHiddenDecoders hidden{"video/mpeg, mpegversion=4, systemstream=false", "audio/mpeg, mpegversion=1, layer=3"};
    ASSERT_TRUE(hidden.Any());
    CKorvoPlayerDlg& dlg = Start(file);
    ASSERT_TRUE(WaitFor([&] { return dlg.MessageBox() != nullptr; }));
    EXPECT_EQ(dlg.MessageBox()->text().toStdString(), LastReport());
    const QString details = dlg.MessageBox()->detailedText();
    EXPECT_TRUE(details.startsWith(QStringLiteral("This file needs an MPEG-1 Layer 3 (MP3) audio decoder and MPEG-4")))
        << details.toStdString();
    EXPECT_TRUE(details.contains(QStringLiteral("(gstreamer1.0-plugins-good, gstreamer1.0-libav)")))
        << details.toStdString();
    EXPECT_FALSE(dlg.Graph().IsOpen());
}

TEST_F(PlayerWindowTest, AFileCutWhilePlayingEndsWithThePlayerStopped)
{
    CTempDir dir;
    std::string file = dir.Path() + "/cut.mp3";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Mp3), file);
    CKorvoPlayerDlg& dlg = Start(file);
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    ASSERT_EQ(::truncate(file.c_str(), 20000), 0);
    CDebugCapture quiet;
    EXPECT_TRUE(WaitFor([&] { return !dlg.Graph().IsOpen(); }));
    EXPECT_FALSE(Screen()->isVisible());
}

// A WMV overwritten by other bytes while it plays: whatever its source
// makes of that (it may even refuse to stop), the player lets go of the
// graph, says what happened and plays the next file.
TEST_F(PlayerWindowTest, AWmvReplacedWhilePlayingLeavesAUsablePlayer)
{
    CTempDir dir;
    std::string file = dir.Path() + "/replaced.wmv";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Wmv20s), file);
    CCriticalCount criticals;
    CKorvoPlayerDlg& dlg = Start(file);
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    {
        CDebugCapture quiet;
        std::filesystem::copy_file(TestMediaPath(TestMedia::Mp3), file,
                                   std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(WaitFor([&] { return !dlg.Graph().IsOpen(); }));
    }
    EXPECT_FALSE(Screen()->isVisible());
    ASSERT_NE(dlg.MessageBox(), nullptr);
    EXPECT_EQ(dlg.MessageBox()->text().toStdString(), LastReport());
    EXPECT_EQ(State(), State_Stopped);

    // The file is an MP3 now, and plays as one.
    dlg.MessageBox()->close();
    Key(Qt::Key_Space);
    EXPECT_TRUE(WaitForState(State_Running)) << LastReport();
    m_pDlg.reset();
    EXPECT_EQ(criticals.Count(), 0);
}

// The window serves its events while a file prerolls; what those events ask
// of the player must not pull the graph from under the start.
TEST_F(PlayerWindowTest, AStopWhileTheFileOpensCancelsTheStartQuietly)
{
    CDebugCapture capture;
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv));
    QMetaObject::invokeMethod(&dlg, [&] { dlg.OnStop(); }, Qt::QueuedConnection);
    std::vector<std::string> lines;
    ASSERT_TRUE(WaitFor([&] {
        lines = capture.Lines();
        return std::find(lines.begin(), lines.end(), "CDirectShow::Play() : stopped while the file was being opened") !=
               lines.end();
    }));
    EXPECT_FALSE(dlg.Graph().IsOpen());
    EXPECT_FALSE(Screen()->isVisible());
    EXPECT_EQ(dlg.MessageBox(), nullptr);
}

TEST_F(PlayerWindowTest, APlayAskedForWhileTheFileOpensStartsAfterIt)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv));
    QMetaObject::invokeMethod(
        &dlg,
        [&] {
            dlg.OnStop();
            dlg.OnCommand(IDC_PLAY);
        },
        Qt::QueuedConnection);
    EXPECT_TRUE(WaitForState(State_Running)) << LastReport();
    EXPECT_TRUE(Screen()->isVisible());
    EXPECT_EQ(dlg.MessageBox(), nullptr);
}

TEST_F(PlayerWindowTest, CancelPausesAndMinimisesWhileClosingLeaves)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    dlg.reject();
    EXPECT_EQ(State(), State_Paused);
    EXPECT_TRUE(dlg.isMinimized());

    dlg.showNormal();
    dlg.close();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.Graph().IsOpen());
}

// Escape leaves the player as it is; Alt+F4 ends it.
TEST_F(PlayerWindowTest, EscapeDoesNothingAndAltF4Leaves)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    Key(Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(dlg.isMinimized());
    EXPECT_EQ(State(), State_Running);
    Key(Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.Playlist()->isVisible());
    EXPECT_FALSE(dlg.Graph().IsOpen());
}

// While a file plays, next and previous play the neighbouring entries; past
// either end of the list they stop.
TEST_F(PlayerWindowTest, NextAndPreviousPlayTheNeighboursWhileRunning)
{
    CTempDir dir;
    QStringList files;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        files << QString::fromStdString(dir.Path() + "/" + name);
        std::filesystem::copy_file(TestMediaPath(TestMedia::Mp3), files.back().toStdString());
    }
    CKorvoPlayerDlg& dlg = Start(files[0].toStdString());
    dlg.Playlist()->AddFiles(files.mid(1));
    const auto playing = [&](int nEntry) {
        return WaitFor([&] { return dlg.FileName() == files[nEntry].toStdString() && State() == State_Running; });
    };
    ASSERT_TRUE(playing(0)) << LastReport();
    Click(IDC_NEXTPLAYLIST);
    EXPECT_TRUE(playing(1)) << LastReport();
    Click(IDC_NEXTPLAYLIST);
    EXPECT_TRUE(playing(2)) << LastReport();
    Click(IDC_PREPLAYLIST);
    EXPECT_TRUE(playing(1)) << LastReport();
    Click(IDC_PREPLAYLIST);
    EXPECT_TRUE(playing(0)) << LastReport();
    Click(IDC_PREPLAYLIST);
    EXPECT_TRUE(WaitFor([&] { return !dlg.Graph().IsOpen(); }));
    EXPECT_EQ(dlg.MessageBox(), nullptr);
}

// A playlist docked above, to the left or below keeps to that side of the
// player when the player moves, following the move along the side.
TEST_F(PlayerWindowTest, ThePlaylistFollowsThePlayerOnEverySide)
{
    CKorvoPlayerDlg& dlg = Start("");
    CPlaylistDlg* pList = dlg.Playlist();
    ASSERT_TRUE(WaitFor([&] { return pList->isVisible(); }));
    struct Side {
        int nSide;
        QPoint offset;  // of the playlist from the player's top left
    };
    const QSize list(238, 302);
    for (const Side& side : {Side{DOCK_LEFT, QPoint(-list.width(), 20)}, Side{DOCK_ABOVE, QPoint(30, -list.height())},
                             Side{DOCK_BELOW, QPoint(30, dlg.height())}, Side{DOCK_RIGHT, QPoint(dlg.width(), 10)}}) {
        dlg.move(QPoint(400, 400));
        ASSERT_TRUE(WaitFor([&] { return dlg.pos() == QPoint(400, 400); }));
        pList->PlaceWindow(QRect(dlg.pos() + side.offset, list));
        ASSERT_EQ(pList->GetDockSide(), side.nSide);
        const QPoint placed = pList->pos();
        dlg.move(dlg.pos() + QPoint(-25, 35));
        EXPECT_TRUE(WaitFor([&] { return pList->pos() == placed + QPoint(-25, 35); }))
            << side.nSide << ": " << pList->pos().x() << "," << pList->pos().y();
    }
}

// The player starts with its docked playlist inside the work area, and a
// picture that makes the player larger does not push the pair past its edge.
TEST_F(PlayerWindowTest, ThePlayerAndItsPlaylistStayOnTheScreen)
{
    CKorvoPlayerDlg& dlg = Start("");
    CPlaylistDlg* pList = dlg.Playlist();
    ASSERT_TRUE(WaitFor([&] { return pList->isVisible(); }));
    const QRect area = dlg.screen()->availableGeometry();
    const auto onScreen = [&] { return area.contains(dlg.geometry() | pList->geometry()); };
    EXPECT_TRUE(onScreen());
    dlg.move(area.right() - dlg.width() - pList->width(), area.bottom() - dlg.height());
    ASSERT_TRUE(WaitFor(onScreen));
    const QSize before = dlg.size();
    dlg.Playlist()->AddFiles({QString::fromStdString(DiscClipPath(TestMedia::Avi, 960, 540, 1, 1))});
    Key(Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return dlg.size() != before; })) << LastReport();
    EXPECT_TRUE(WaitFor(onScreen)) << dlg.geometry().x() << "," << dlg.geometry().y() << " "
                                   << dlg.width() << "x" << dlg.height();
    EXPECT_EQ(pList->pos(), dlg.geometry().topRight() + QPoint(1, 0));
}

// A player as wide as the work area (as Fit Desktop makes it) leaves no
// room beside it: the playlist docked to its right goes below it instead
// of over it, and back to the right once the player is small again.
TEST_F(PlayerWindowTest, APlaylistWithoutRoomBesideThePlayerDoesNotHideIt)
{
    CKorvoPlayerDlg& dlg = Start("");
    CPlaylistDlg* pList = dlg.Playlist();
    ASSERT_TRUE(WaitFor([&] { return pList->isVisible(); }));
    ASSERT_EQ(pList->GetDockSide(), DOCK_RIGHT);
    const QRect area = dlg.screen()->availableGeometry();
    const QSize start = dlg.size();
    const QRect wide(area.topLeft(), QSize(area.width(), 400));
    dlg.setGeometry(wide);
    ASSERT_TRUE(WaitFor([&] { return dlg.geometry() == wide; }))
        << dlg.geometry().x() << "," << dlg.geometry().y() << " " << dlg.width() << "x" << dlg.height();
    EXPECT_TRUE(WaitFor([&] { return pList->pos() == QPoint(area.x(), area.y() + 400); }))
        << pList->pos().x() << "," << pList->pos().y();
    EXPECT_FALSE(pList->geometry().intersects(dlg.geometry()));

    const QRect small(QPoint(400, 300), start);
    dlg.setGeometry(small);
    ASSERT_TRUE(WaitFor([&] { return dlg.geometry() == small; }))
        << dlg.geometry().x() << "," << dlg.geometry().y() << " " << dlg.width() << "x" << dlg.height();
    EXPECT_TRUE(WaitFor([&] { return pList->x() == small.right() + 1; })) << pList->pos().x();
    EXPECT_FALSE(pList->geometry().intersects(dlg.geometry()));
    EXPECT_TRUE(area.contains(pList->geometry()));
}

// Without its skin the player says why in a message box and stays up as a
// bare window that plays nothing, not even the file it was started with.
TEST_F(PlayerWindowTest, WithoutItsSkinThePlayerReportsAndPlaysNothing)
{
    WithoutTheBuiltInSkin([&] {
        CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv));
        EXPECT_EQ(dlg.SkinManager(), nullptr);
        ASSERT_TRUE(WaitFor([&] { return dlg.MessageBox() != nullptr && dlg.MessageBox()->isVisible(); }));
        EXPECT_EQ(dlg.MessageBox()->text().toStdString(), LastReport());
        EXPECT_EQ(dlg.Playlist(), nullptr);
        Key(Qt::Key_Space);
        QTest::qWait(200);
        EXPECT_FALSE(dlg.Graph().IsOpen());
        EXPECT_TRUE(dlg.isVisible());
    });
}

// Every key of the table, pressed over and over in a shuffled order while a
// file opens, plays, is paused, stopped, and while the window is minimized,
// never wedges the player: afterwards Space still plays a file. Open (a
// dialog), close and exit are left out.
TEST_F(PlayerWindowTest, KeysInAnyOrderAtAnyMomentLeaveAUsablePlayer)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    std::vector<QKeyCombination> keys;
    for (const Accelerator& accelerator : AcceleratorTable())
        if (accelerator.nCommand != ID_FILE_OPEN && accelerator.nCommand != ID_APP_EXIT)
            keys.push_back(accelerator.key);
    std::mt19937 random(7);
    for (int nRound = 0; nRound < 6; ++nRound) {
        std::shuffle(keys.begin(), keys.end(), random);
        if (nRound == 4)
            dlg.showMinimized();
        for (QKeyCombination key : keys) {
            QApplication::setActiveWindow(&dlg);
            QTest::keyClick(&dlg, key.key(), key.keyboardModifiers());
        }
        QTest::qWait(50);
    }
    dlg.showNormal();
    if (QWidget* pBox = dlg.MessageBox())
        pBox->close();
    Key(Qt::Key_Backspace, Qt::ControlModifier);
    ASSERT_FALSE(dlg.Graph().IsOpen());
    dlg.Playlist()->SetCurrentIndex(0);
    Key(Qt::Key_Space);
    EXPECT_TRUE(WaitForState(State_Running)) << LastReport();
    EXPECT_GE(dlg.width(), dlg.minimumWidth());
    EXPECT_GE(dlg.height(), dlg.minimumHeight());
}

} // namespace
