// The player on a Wayland desktop, through the XWayland of a real compositor
// (mutter, as GNOME runs it, kwin, as KDE runs it, and weston): the window opens
// wholly on the screen with its playlist docked where the window manager
// lets it, the picture plays inside the skin, drags move the window, and
// the player ends cleanly when its compositor goes. What happened is read
// from the X server; the window as it shows goes to COMPOSITOR_ARTIFACT_DIR.
#include "CompositorPointer.h"
#include "DesktopPlayerTest.h"
#include "EventLoopWait.h"
#include "TestCompositor.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSet>
#include <algorithm>
#include <functional>
#include <memory>

// The compositor the tests run under (CompositorTestMain.cpp).
CTestCompositor& SuiteCompositor();

namespace {

class CompositorTest : public DesktopPlayerTest {
protected:
    // The middle half of the player window, as the X server holds it.
    QImage Middle()
    {
        const QImage shot = m_x.Grab(m_window);
        return shot.copy(shot.width() / 4, shot.height() / 4, shot.width() / 2, shot.height() / 2);
    }

    static QRect Screen() { return QGuiApplication::primaryScreen()->geometry(); }

    // The rectangles of the player's other windows (its playlist) now shown.
    std::vector<QRect> OthersShown()
    {
        std::vector<QRect> others;
        for (unsigned long window : m_x.ClientWindows())
            if (window != m_window && std::find(m_before.begin(), m_before.end(), window) == m_before.end() &&
                m_x.IsShown(window))
                others.push_back(m_x.Rect(window));
        return others;
    }

    // The player's other windows once there is one, placed as `placed`
    // asks, or as they are after the wait.
    std::vector<QRect> WaitForPlaylist(const std::function<bool(const QRect&)>& placed)
    {
        std::vector<QRect> others;
        WaitFor(
            [&] {
                others = OthersShown();
                return others.size() == 1 && placed(others.front());
            },
            kDesktopWaitMs);
        return others;
    }

    // Where the playlist is once its top-left corner has come to `expected`,
    // or wherever it is after the wait.
    QPoint WaitForPlaylistAt(const QPoint& expected)
    {
        const std::vector<QRect> others =
            WaitForPlaylist([&](const QRect& rc) { return rc.topLeft() == expected; });
        return others.size() == 1 ? others.front().topLeft() : QPoint(-1, -1);
    }

    static QPoint Docked(const QRect& player) { return player.topRight() + QPoint(1, 0); }

    // Whether the window manager lets the player place its windows after
    // mapping them (weston's does not).
    static bool TakesClientMoves() { return SuiteCompositor().GetKind() != CTestCompositor::Kind::Weston; }
};

int DistinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

TEST_F(CompositorTest, TheWindowOpensOnTheScreenWithThePlaylistDocked)
{
    Start(LongClip());
    const QRect player = Rect();
    EXPECT_TRUE(Screen().contains(player)) << testing::PrintToString(player);
    // The playlist is shown a moment after the player (and docked once it
    // is): its window is waited for, then judged.
    const QPoint docked = Docked(player);
    const std::vector<QRect> others =
        WaitForPlaylist([&](const QRect& rc) { return !TakesClientMoves() || rc.topLeft() == docked; });
    ASSERT_EQ(others.size(), 1u) << "the playlist window, shown beside the player";
    const QRect playlist = others.front();
    EXPECT_TRUE(Screen().contains(playlist)) << testing::PrintToString(playlist);
    // weston's window manager places every new window itself, whatever
    // the client asks: there the playlist cannot dock.
    if (!TakesClientMoves())
        return;
    EXPECT_EQ(playlist.topLeft(), docked)
        << testing::PrintToString(player) << " " << testing::PrintToString(playlist);
}

TEST_F(CompositorTest, ThePicturePlaysInsideTheSkin)
{
    Start(LongClip());
    QDir().mkpath(COMPOSITOR_ARTIFACT_DIR);
    m_x.Grab(m_window).save(QStringLiteral(COMPOSITOR_ARTIFACT_DIR "/player-%1.png").arg(SuiteCompositor().Name()));
    const QImage before = Middle();
    ASSERT_FALSE(before.isNull());
    EXPECT_GT(DistinctColours(before), 8) << "a picture, not a plain area";
    EXPECT_TRUE(WaitUntil([&] { return Middle() != before; }, kDesktopWaitMs)) << "the picture moves on";
}

// A press on the caption or on the picture drags the window along by the
// cursor's whole way, and the docked playlist comes with it. weston's
// window manager takes no move from the player itself: there the player
// hands the drag to it, and the playlist, which only the player could
// move, stays behind.
TEST_F(CompositorTest, DraggingTheCaptionOrThePictureMovesTheWindow)
{
    Start(LongClip());
    ASSERT_TRUE(Settled());
    CCompositorPointer pointer(SuiteCompositor());
    ASSERT_TRUE(pointer.Error().isEmpty()) << pointer.Error().toStdString();
    const QRect start = Rect();
    const QPoint caption = start.topLeft() + QPoint(start.width() / 3, 10);
    pointer.Drag(caption, caption + QPoint(120, 60));
    const QRect dragged = start.translated(120, 60);
    EXPECT_EQ(WaitForRect(dragged), dragged);
    if (TakesClientMoves()) {
        EXPECT_EQ(WaitForPlaylistAt(Docked(dragged)), Docked(dragged));
    }

    pointer.Drag(dragged.center(), dragged.center() + QPoint(-80, -60));
    const QRect back = dragged.translated(-80, -60);
    EXPECT_EQ(WaitForRect(back), back);
    if (TakesClientMoves()) {
        EXPECT_EQ(WaitForPlaylistAt(Docked(back)), Docked(back));
    }
}

// The playlist pulled away from the player comes loose, and brought back
// within 10 pixels of the player's right edge it snaps to it and moves with
// the player again.
TEST_F(CompositorTest, ThePlaylistSnapsBackToThePlayer)
{
    if (!TakesClientMoves())
        GTEST_SKIP() << "weston's window manager places the playlist itself: it cannot dock there";
    Start(LongClip());
    ASSERT_TRUE(Settled());
    CCompositorPointer pointer(SuiteCompositor());
    ASSERT_TRUE(pointer.Error().isEmpty()) << pointer.Error().toStdString();
    const QRect player = Rect();
    const QPoint docked = Docked(player);
    ASSERT_EQ(WaitForPlaylistAt(docked), docked);
    const QPoint grip = docked + QPoint(100, 15);
    pointer.Drag(grip, grip + QPoint(60, 0));
    EXPECT_EQ(WaitForPlaylistAt(docked + QPoint(60, 0)), docked + QPoint(60, 0));
    pointer.Drag(grip + QPoint(60, 0), grip + QPoint(6, 0));
    EXPECT_EQ(WaitForPlaylistAt(docked), docked) << "snapped to the player's right edge";

    const QPoint caption = player.topLeft() + QPoint(player.width() / 3, 10);
    pointer.Drag(caption, caption + QPoint(-50, 30));
    EXPECT_EQ(WaitForPlaylistAt(docked + QPoint(-50, 30)), docked + QPoint(-50, 30));
}

// Full screen asked for through the desktop's media controls (no key
// reaches a window on a headless compositor) covers the monitor with
// nothing of the player's beside it, and puts the window back where it was.
TEST_F(CompositorTest, LeavingFullScreenPutsTheWindowBackExactly)
{
    Start(LongClip());
    ASSERT_TRUE(Settled());
    const QRect windowed = Rect();
    ASSERT_TRUE(SetFullScreen(true));
    EXPECT_EQ(WaitForRect(Screen()), Screen());
    // The picture keeps its ratio and takes the display's whole height.
    EXPECT_TRUE(WaitUntil(
        [&] {
            const QImage shot = m_x.Grab(m_window);
            return !shot.isNull() && qGray(shot.pixel(shot.width() / 2, shot.height() / 10)) > 16 &&
                   qGray(shot.pixel(shot.width() / 2, shot.height() * 9 / 10)) > 16;
        },
        kDesktopWaitMs))
        << "the picture from the top to the bottom of the screen";
    QDir().mkpath(COMPOSITOR_ARTIFACT_DIR);
    m_x.Grab(m_window).save(QStringLiteral(COMPOSITOR_ARTIFACT_DIR "/fullscreen-%1.png").arg(SuiteCompositor().Name()));
    EXPECT_TRUE(Property(QStringLiteral("Fullscreen"), QStringLiteral("org.mpris.MediaPlayer2")).toBool());
    for (const QRect& other : OthersShown())
        EXPECT_FALSE(Screen().intersects(other))
            << "a window beside the full-screen player: " << testing::PrintToString(other);
    ASSERT_TRUE(SetFullScreen(false));
    const QRect back = NextRect(Screen());
    EXPECT_FALSE(Property(QStringLiteral("Fullscreen"), QStringLiteral("org.mpris.MediaPlayer2")).toBool());
    // weston's window manager puts back the frame it keeps around every X
    // window (a 32-px margin) where the window was, and takes no move from
    // a client after mapping it: there only the size comes back exactly.
    if (!TakesClientMoves()) {
        EXPECT_EQ(back.size(), windowed.size());
        EXPECT_TRUE(Screen().contains(back)) << testing::PrintToString(back);
        return;
    }
    EXPECT_EQ(back, windowed);
}

// The compositor goes (a crash, the session ends) under a playing player:
// the player ends at once with status 1, without a crash from threads still
// drawing, and the next player starts on
// the desktop that is left instead of handing its file to the dead one.
TEST_F(CompositorTest, ThePlayerEndsCleanlyWhenItsCompositorGoes)
{
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray key = qgetenv("XAUTHORITY");
    std::unique_ptr<CPlayerProcess> pPlayer;
    {
        CTestCompositor doomed(SuiteCompositor().GetKind(), QSize(1280, 720));
        ASSERT_FALSE(doomed.Display().empty()) << doomed.Log().toStdString();
        pPlayer = std::make_unique<CPlayerProcess>(QStringList{QString::fromStdString(LongClip())});
        qputenv("DISPLAY", display);
        qputenv("XAUTHORITY", key);
        ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    }
    ASSERT_TRUE(pPlayer->WaitForExit(kDesktopWaitMs));
    EXPECT_EQ(pPlayer->ExitCode(), 1) << "-1: ended by a signal";
    Start(LongClip());
    EXPECT_TRUE(m_x.IsShown(m_window));
}

} // namespace
