// The player window as a desktop window: files dropped on it and on its
// playlist with real drop events, and its icon, in this process (drops need
// the widgets themselves), with the desktop integration the program runs.
#include "MediaTestSetup.h"
#include "PrivateSessionBus.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "app/CommandIds.h"
#include "app/CommandLine.h"
#include "app/DesktopPlayerLink.h"
#include "desktop/DesktopIntegration.h"
#include "desktop/FileDropTarget.h"
#include "app/KorvoPlayerDlg.h"
#include "common/Report.h"
#include "controls/BitmapSlider.h"
#include "playback/MediaGraph.h"
#include "playback/SubtitleOverlay.h"
#include "skinui/KorvoUIManager.h"
#include "skinui/PlaylistDlg.h"
#include "winsys/WindowSystem.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <QGuiApplication>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <xcb/xcb.h>

#include "EventLoopWait.h"

namespace {

class DesktopWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CPrivateSessionBus::Get();
        PrepareMediaPlayback();
    }

    void SetUp() override
    {
        std::string program = "korvoplayer";
        char* argv[] = {program.data()};
        SetCommandLine(1, argv);
        m_pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
        m_pLink = std::make_unique<CDesktopPlayerLink>(*m_pDlg);
        m_pDesktop = std::make_unique<CDesktopIntegration>(*m_pLink);
        m_pDlg->show();
    }

    void TearDown() override
    {
        m_pDesktop.reset();
        m_pLink.reset();
        m_pDlg.reset();
        SetCommandLine(0, nullptr);
    }

    std::string Media(const std::string& name, TestMedia media)
    {
        std::string path = m_dir.Path() + "/" + name;
        std::filesystem::create_symlink(TestMediaPath(media), path);
        return path;
    }

    // A drag from a file manager carrying `uris` as text/uri-list, entered
    // and dropped in the middle of `pWindow`; whether the window took it.
    static bool Drop(QWidget* pWindow, const QList<QUrl>& uris)
    {
        QMimeData data;
        data.setUrls(uris);
        const QPoint centre = pWindow->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pWindow, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pWindow, &drop);
        return drop.isAccepted();
    }

    static QUrl Url(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

    QStringList Entries() const
    {
        QStringList entries;
        QTreeWidget* pList = m_pDlg->Playlist()->List();
        for (int i = 0; i < pList->topLevelItemCount(); ++i)
            entries << pList->topLevelItem(i)->text(0);
        return entries;
    }

    int State()
    {
        int nState = -1;
        m_pDlg->Graph().GetState(10000, &nState);
        return nState;
    }

    CTempDir m_dir;
    std::unique_ptr<CKorvoPlayerDlg> m_pDlg;
    std::unique_ptr<CDesktopPlayerLink> m_pLink;
    std::unique_ptr<CDesktopIntegration> m_pDesktop;
};

TEST_F(DesktopWindowTest, FilesDroppedOnThePlayerJoinThePlaylistAndTheFirstPlays)
{
    const std::string second = Media("b second.wmv", TestMedia::Wmv);
    const std::string first = Media("c first.mp3", TestMedia::Mp3);
    const std::string third = Media("a third.avi", TestMedia::Avi);
    ASSERT_TRUE(Drop(m_pDlg.get(), {Url(first), Url(second), Url(third)}));
    EXPECT_EQ(m_pDlg->FileName(), first);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
    // Sorted by name, each under its name with the extension.
    EXPECT_EQ(Entries(), (QStringList{"a third.avi", "b second.wmv", "c first.mp3"}));
    EXPECT_EQ(m_pDlg->Playlist()->GetCurrentFile(), first);
    EXPECT_EQ(m_pDesktop->PlayerDrops()->MessageBox(), nullptr);
}

TEST_F(DesktopWindowTest, FilesDroppedOnThePlaylistAreAddedWithoutPlaying)
{
    const std::string song = Media("song.mp3", TestMedia::Mp3);
    const std::string clip = Media("clip.wmv", TestMedia::Wmv);
    ASSERT_TRUE(Drop(m_pDlg->Playlist(), {Url(song), Url(clip)}));
    EXPECT_EQ(Entries().size(), 2);
    EXPECT_EQ(State(), State_Stopped);
    EXPECT_TRUE(m_pDlg->FileName().empty());
}

// A subtitle file dropped while a file plays is loaded for it and shown:
// the file plays on and the playlist stays as it was.
TEST_F(DesktopWindowTest, ASubtitleFileDroppedWhileAFilePlaysIsLoadedForIt)
{
    const std::string clip = Media("clip.wmv", TestMedia::Wmv);
    ASSERT_TRUE(Drop(m_pDlg.get(), {Url(clip)}));
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
    const std::string subtitles = m_dir.WriteFile("other.SRT", "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    ASSERT_TRUE(Drop(m_pDlg.get(), {Url(subtitles)}));
    ASSERT_NE(m_pDlg->Graph().Subtitles(), nullptr);
    EXPECT_EQ(m_pDlg->Graph().Subtitles()->TrackLabels(), std::vector<std::string>{"Track 1 (SubRip) - external"});
    EXPECT_TRUE(m_pDlg->Graph().Subtitles()->IsShown());
    EXPECT_EQ(m_pDlg->FileName(), clip);
    EXPECT_EQ(Entries(), QStringList{"clip.wmv"});
    EXPECT_EQ(State(), State_Running);
}

// Only local files are taken; the rest is named in a message, and a drop
// of nothing but such URIs changes nothing.
TEST_F(DesktopWindowTest, NonLocalUrisAndMissingFilesAreRefusedWithAMessage)
{
    ASSERT_TRUE(Drop(m_pDlg.get(), {QUrl(QStringLiteral("http://example.invalid/song.mp3")),
                                    Url(m_dir.Path() + "/missing.wmv")}));
    QMessageBox* pBox = m_pDesktop->PlayerDrops()->MessageBox();
    ASSERT_NE(pBox, nullptr);
    EXPECT_TRUE(pBox->text().contains(QStringLiteral("http://example.invalid/song.mp3")));
    EXPECT_TRUE(pBox->text().contains(QStringLiteral("missing.wmv")));
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_EQ(State(), State_Stopped);

    // A mixed drop keeps the local file and names the other.
    const std::string song = Media("song.mp3", TestMedia::Mp3);
    ASSERT_TRUE(Drop(m_pDlg->Playlist(), {QUrl(QStringLiteral("sftp://host/x.mp3")), Url(song)}));
    EXPECT_EQ(Entries().size(), 1);
    ASSERT_NE(m_pDesktop->PlaylistDrops()->MessageBox(), nullptr);
    EXPECT_TRUE(m_pDesktop->PlaylistDrops()->MessageBox()->text().contains(QStringLiteral("sftp://host/x.mp3")));
}

TEST_F(DesktopWindowTest, ADragWithoutFilesIsNotTaken)
{
    QMimeData data;
    data.setText(QStringLiteral("just text"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_pDlg.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

// What the player's own keys do is seen from outside: a seek by key is a
// seek, and without a screen-saver service on the bus the screen is still
// held (through the X server) while the picture plays, and let go on pause.
TEST_F(DesktopWindowTest, TheWatchSeesKeySeeksAndTheScreenIsHeldWithoutAService)
{
    m_pDlg->OpenFiles({QString::fromStdString(Media("clip.wmv", TestMedia::Wmv20s))});
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
    CPlayerStateWatch& watch = m_pDesktop->Watch();
    ASSERT_TRUE(WaitFor([&] { return watch.Current().VideoPlaying(); }));
    EXPECT_TRUE(m_pDesktop->ScreenSaver().IsHolding());

    QSignalSpy seeked(&watch, &CPlayerStateWatch::Seeked);
    m_pDlg->OnCommand(ID_PLAY_FORWARD10);
    ASSERT_TRUE(WaitFor([&] { return !seeked.isEmpty(); }));
    EXPECT_GE(seeked.first().first().value<LONGLONG>(), 10 * kReferenceTimePerSecond);

    m_pDlg->OnCommand(ID_PLAY_PAUSE);
    EXPECT_TRUE(WaitFor([&] { return !m_pDesktop->ScreenSaver().IsHolding(); }));
}

// A seek from the time slider, however short, is a seek: the watch tells
// it with the position it reached (paused, so that playing moves nothing).
TEST_F(DesktopWindowTest, TheWatchSeesEverySliderSeekHoweverShort)
{
    m_pDlg->OpenFiles({QString::fromStdString(Media("clip.wmv", TestMedia::Wmv20s))});
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
    m_pDlg->OnCommand(ID_PLAY_PAUSE);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Paused; }));
    auto* pTime = qobject_cast<CBitmapSlider*>(m_pDlg->SkinManager()->GetControl(IDC_SLIDER_TIME));
    ASSERT_NE(pTime, nullptr);
    QSignalSpy seeked(&m_pDesktop->Watch(), &CPlayerStateWatch::Seeked);
    // The knob dragged by a tenth of the slider: about 2 s of the 20.
    const QPoint knob(pTime->width() / 10, pTime->height() / 2);
    const QPoint end(pTime->width() * 2 / 10, pTime->height() / 2);
    QTest::mousePress(pTime, Qt::LeftButton, {}, knob);
    QTest::mouseMove(pTime, end);
    QTest::mouseRelease(pTime, Qt::LeftButton, {}, end);
    ASSERT_GT(pTime->GetPos(), 0);
    ASSERT_LT(pTime->GetPos(), 8);
    ASSERT_TRUE(WaitFor([&] { return !seeked.isEmpty(); }));
    EXPECT_NEAR(static_cast<double>(seeked.last().first().value<LONGLONG>()) / kReferenceTimePerSecond,
                pTime->GetPos(), 1.0);
}

// The icon as the X server holds it for a window: the _NET_WM_ICON
// property's length in 32-bit items.
uint32_t WindowIconLength(QWidget* pWindow)
{
    auto* pX11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (pX11 == nullptr)
        return 0;
    xcb_connection_t* pConnection = pX11->connection();
    xcb_intern_atom_reply_t* pAtom =
        xcb_intern_atom_reply(pConnection, xcb_intern_atom(pConnection, 0, 12, "_NET_WM_ICON"), nullptr);
    if (pAtom == nullptr)
        return 0;
    xcb_get_property_reply_t* pProperty = xcb_get_property_reply(
        pConnection, xcb_get_property(pConnection, 0, static_cast<xcb_window_t>(pWindow->winId()), pAtom->atom,
                                      XCB_ATOM_CARDINAL, 0, 1u << 20),
        nullptr);
    free(pAtom);
    const uint32_t nLength =
        pProperty != nullptr ? static_cast<uint32_t>(xcb_get_property_value_length(pProperty) / 4) : 0;
    free(pProperty);
    return nLength;
}

// Resource 128 is the window icon of the player and of its playlist, and
// it reaches the X server at the usual window-icon sizes.
TEST_F(DesktopWindowTest, BothWindowsCarryTheApplicationIcon)
{
    QIcon icon = LoadResourceIcon(IDR_MAINFRAME);
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int nSize : {16, 32, 48, 128})
        EXPECT_TRUE(sizes.contains(QSize(nSize, nSize))) << nSize;
    EXPECT_TRUE(LoadResourceIcon(IDR_MAINFRAME + 1000).isNull());

    const QImage expected = icon.pixmap(32).toImage();
    uint32_t nExpectedLength = 0;
    for (const QSize& size : sizes)
        nExpectedLength += 2 + static_cast<uint32_t>(size.width() * size.height());
    for (QWidget* pWindow : {static_cast<QWidget*>(m_pDlg.get()), static_cast<QWidget*>(m_pDlg->Playlist())}) {
        EXPECT_EQ(pWindow->windowIcon().pixmap(32).toImage(), expected);
        QApplication::sync();
        if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
            EXPECT_EQ(WindowIconLength(pWindow), nExpectedLength);
        }
    }
}

} // namespace
