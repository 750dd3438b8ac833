// The player window and the playlist window moved and sized by their frames
// with mouse events delivered through their native windows (so each press
// lands on whatever control is under it), the playlist snapping to the
// player, and a screenshot of the two docked side by side.
#include "DebugCapture.h"
#include "EventLoopWait.h"
#include "app/KorvoPlayerDlg.h"
#include "controls/HoverButton.h"
#include "skinui/PlaylistDlg.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kWaitMs = 5000;

class FrameWindows : public ::testing::Test {
protected:
    FrameWindows()
        : m_player(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()), m_playlist(&m_player)
    {
        m_player.setGeometry(100, 100, 500, 341);
        m_player.show();
        EXPECT_TRUE(m_playlist.OnInitDialog());
        EXPECT_TRUE(Exposed(&m_player));
    }

    static bool Exposed(QWidget* pWindow)
    {
        return WaitFor([&] { return pWindow->windowHandle() != nullptr && pWindow->windowHandle()->isExposed(); },
                       kWaitMs);
    }

    // Shows the playlist with its client area at `rc`, away from snapping
    // unless `rc` asks for it.
    void ShowPlaylist(const QRect& rc)
    {
        m_playlist.PlaceWindow(rc);
        m_playlist.show();
        ASSERT_TRUE(Exposed(&m_playlist));
        m_playlist.PlaceWindow(rc);
        ASSERT_TRUE(Settles(&m_playlist, m_playlist.geometry()));
    }

    // Waits until the window manager has placed the window at `rc`.
    static bool Settles(QWidget* pWindow, const QRect& rc)
    {
        return WaitFor(
            [&] {
                QCoreApplication::processEvents();
                return pWindow->geometry() == rc;
            },
            kWaitMs);
    }

    static void Mouse(QTest::MouseAction action, QWidget* pWindow, const QPoint& ptGlobal)
    {
        QWindow* pHandle = pWindow->window()->windowHandle();
        const QPoint local = pHandle->mapFromGlobal(ptGlobal);
        if (action == QTest::MouseMove)
            QTest::mouseMove(pHandle, local);
        else if (action == QTest::MousePress)
            QTest::mousePress(pHandle, Qt::LeftButton, {}, local);
        else
            QTest::mouseRelease(pHandle, Qt::LeftButton, {}, local);
    }

    // Presses at `from`, moves through `to` in steps and releases there;
    // the window is waited for after each step.
    static void Drag(QWidget* pWindow, QPoint from, QPoint to, const QRect& expected)
    {
        Mouse(QTest::MousePress, pWindow, from);
        const QPoint step = (to - from) / 4;
        for (int i = 1; i < 4; ++i)
            Mouse(QTest::MouseMove, pWindow, from + step * i);
        Mouse(QTest::MouseMove, pWindow, to);
        EXPECT_TRUE(Settles(pWindow, expected)) << "at " << pWindow->geometry().x() << "," << pWindow->geometry().y()
                                                << " " << pWindow->width() << "x" << pWindow->height();
        Mouse(QTest::MouseRelease, pWindow, to);
        // The window lets the mouse go; the server's answer comes before the
        // next press.
        QTest::qWait(100);
    }

    CDebugCapture m_capture;
    CKorvoPlayerDlg m_player;
    CPlaylistDlg m_playlist;
};

TEST_F(FrameWindows, ThePlayerMovesByAPressInsideAndSizesByItsCorner)
{
    const QRect start = m_player.geometry();
    const QPoint inside = start.topLeft() + QPoint(200, 150);
    Drag(&m_player, inside, inside + QPoint(60, 40), start.translated(60, 40));
    const QRect moved = m_player.geometry();
    const QPoint corner = moved.bottomRight() - QPoint(4, 4);
    EXPECT_EQ(CWindowFrame::HitTest(RECT::FromQRect(moved), corner), HTBOTTOMRIGHT);
    Drag(&m_player, corner, corner + QPoint(40, 28), moved.adjusted(0, 0, 40, 28));
    EXPECT_EQ(m_player.cursor().shape(), Qt::SizeFDiagCursor);
    // A move without the button shows the cursor of the zone under it.
    Mouse(QTest::MouseMove, &m_player, m_player.geometry().center());
    EXPECT_EQ(m_player.cursor().shape(), Qt::ArrowCursor);
    Mouse(QTest::MouseMove, &m_player, m_player.geometry().topLeft() + QPoint(3, 100));
    EXPECT_EQ(m_player.cursor().shape(), Qt::SizeHorCursor);
}

TEST_F(FrameWindows, AMaximizedWindowNeitherMovesNorSizes)
{
    m_player.showMaximized();
    ASSERT_TRUE(WaitFor([&] { return m_player.isMaximized() && m_player.width() > 478; }, kWaitMs));
    QTest::qWait(200);
    const QRect maximized = m_player.geometry();
    const QPoint edge = maximized.topLeft() + QPoint(3, maximized.height() / 2);
    Mouse(QTest::MouseMove, &m_player, edge);
    EXPECT_EQ(m_player.cursor().shape(), Qt::ArrowCursor);
    for (const QPoint& from : {edge, maximized.center()}) {
        Mouse(QTest::MousePress, &m_player, from);
        Mouse(QTest::MouseMove, &m_player, from + QPoint(50, 30));
        Mouse(QTest::MouseRelease, &m_player, from + QPoint(50, 30));
        QTest::qWait(50);
        EXPECT_EQ(m_player.geometry(), maximized);
    }
}

// A playlist 300 wide (minimum 238): its left edge dragged 100 pixels to
// the right stops 62 pixels in, and follows the cursor again on the way back.
TEST_F(FrameWindows, ThePlaylistsLeftEdgeStopsAtTheMinimumWidth)
{
    ShowPlaylist(QRect(700, 450, 300, 302));
    const QPoint edge(705, 600);
    Mouse(QTest::MousePress, &m_playlist, edge);
    EXPECT_EQ(m_playlist.cursor().shape(), Qt::SizeHorCursor);
    for (int x : {730, 770, 805})
        Mouse(QTest::MouseMove, &m_playlist, {x, 600});
    EXPECT_TRUE(Settles(&m_playlist, QRect(762, 450, 238, 302)));
    Mouse(QTest::MouseMove, &m_playlist, {780, 600});
    EXPECT_TRUE(Settles(&m_playlist, QRect(762, 450, 238, 302)));
    Mouse(QTest::MouseMove, &m_playlist, {750, 600});
    EXPECT_TRUE(Settles(&m_playlist, QRect(750, 450, 250, 302)));
    Mouse(QTest::MouseRelease, &m_playlist, {750, 600});
    EXPECT_FALSE(m_playlist.Frame().IsDragging());
    // The layout was redone at the end: the controls are shown again. The
    // X server may still tell of the drag's earlier sizes after the release,
    // and the window and its list follow each of them on the way to the last.
    EXPECT_TRUE(m_playlist.SkinManager()->GetControl(IDC_PLAYLIST_ADD)->isVisible());
    EXPECT_TRUE(Settles(m_playlist.List(), QRect(6, 32, 238, 238))) << m_playlist.List()->geometry().width();
}

TEST_F(FrameWindows, APressOnThePlaylistsFrameAreaMovesIt)
{
    ShowPlaylist(QRect(700, 450, 238, 302));
    // The skin's statics let the mouse through, moves without a button too:
    // over the top frame's band the sizing cursor shows.
    Mouse(QTest::MouseMove, &m_playlist, {800, 453});
    EXPECT_EQ(m_playlist.cursor().shape(), Qt::SizeVerCursor);
    Mouse(QTest::MouseMove, &m_playlist, {800, 465});
    EXPECT_EQ(m_playlist.cursor().shape(), Qt::ArrowCursor);
    // On the top frame's picture, left of the close button.
    const QPoint top(800, 465);
    Drag(&m_playlist, top, top + QPoint(-40, 60), QRect(660, 510, 238, 302));
    // On the bottom frame, between the add and the delete button.
    QWidget* pAdd = m_playlist.SkinManager()->GetControl(IDC_PLAYLIST_ADD);
    const QPoint bottom = pAdd->mapToGlobal(QPoint(pAdd->width() + 1, pAdd->height() / 2));
    Drag(&m_playlist, bottom, bottom + QPoint(30, -20), QRect(690, 490, 238, 302));
    // Between the left border and the list lies the sizing band.
    const QPoint gap(694, 600);
    ASSERT_EQ(CWindowFrame::HitTest(RECT::FromQRect(m_playlist.geometry()), gap), HTLEFT);
    Drag(&m_playlist, gap, gap - QPoint(20, 0), QRect(670, 490, 258, 302));
}

TEST_F(FrameWindows, TheListAndTheButtonsKeepTheirMouse)
{
    for (const char* psz : {"/m/a.avi", "/m/b.avi", "/m/c.avi"})
        m_playlist.AddFile(psz);
    ShowPlaylist(QRect(700, 450, 238, 302));
    const QRect start = m_playlist.geometry();
    QTreeWidget* pList = m_playlist.List();
    const QPoint item = pList->viewport()->mapToGlobal(pList->visualItemRect(pList->topLevelItem(1)).center());
    Mouse(QTest::MousePress, &m_playlist, item);
    Mouse(QTest::MouseMove, &m_playlist, item + QPoint(30, 3));
    Mouse(QTest::MouseRelease, &m_playlist, item + QPoint(30, 3));
    QTest::qWait(50);
    EXPECT_EQ(m_playlist.geometry(), start);
    EXPECT_TRUE(pList->topLevelItem(1)->isSelected());
    EXPECT_EQ(m_playlist.GetCurrentIndex(), 1);

    QWidget* pDown = m_playlist.SkinManager()->GetControl(IDC_PLAYLIST_BTNDOWN);
    ASSERT_NE(pDown, nullptr);
    const QPoint button = pDown->mapToGlobal(pDown->rect().center());
    Mouse(QTest::MousePress, &m_playlist, button);
    Mouse(QTest::MouseRelease, &m_playlist, button);
    EXPECT_EQ(m_playlist.GetCurrentIndex(), 2);
    EXPECT_EQ(m_playlist.geometry(), start);
}

// The player's right edge is at 600: a drag that brings the playlist's
// left edge within 10 pixels of it docks it there; 11 pixels away does not.
TEST_F(FrameWindows, ThePlaylistSnapsToThePlayersRightEdge)
{
    ShowPlaylist(QRect(720, 150, 238, 302));
    const QPoint grip(820, 165);
    Drag(&m_playlist, grip, grip - QPoint(720 - 610, 0), QRect(600, 150, 238, 302));
    EXPECT_EQ(m_playlist.GetDockSide(), DOCK_RIGHT);
    m_playlist.raise();
    m_playlist.hide();
    m_playlist.show();
    EXPECT_EQ(m_playlist.GetDockSide(), DOCK_RIGHT);
    // Pulled away in steps of 3 pixels, each of which alone would snap it
    // back, it still comes away once the cursor is 11 pixels out.
    const QPoint docked(702, 165);
    Drag(&m_playlist, docked, docked + QPoint(11, 0), QRect(611, 150, 238, 302));
    EXPECT_EQ(m_playlist.GetDockSide(), DOCK_NONE);
}

// The playlist with a dozen entries docked at the player's right edge, as
// the X server shows them.
TEST_F(FrameWindows, ScreenshotOfThePlaylistDockedBesideThePlayer)
{
    const char* const names[] = {"/media/Holiday_2024.avi",     "/media/나비의 꿈.mp3",
                                 "/media/Concert Live.wmv",     "/media/가을 노래.mp3",
                                 "/media/track2.mp3",           "/media/track10.mp3",
                                 "/media/Zebra.mpg",            "/media/다람쥐 이야기.asf",
                                 "/media/apple.avi",            "/media/Banana split.avi",
                                 "/media/intro.mp3",
                                 "/media/A very long file name that does not fit in the playlist window at all.avi"};
    for (const char* psz : names)
        m_playlist.AddFile(psz);
    m_playlist.SetCurrentIndex(0);
    m_playlist.MoveToNext();
    ShowPlaylist(QRect(608, 100, 238, 341));
    EXPECT_EQ(m_playlist.geometry().topLeft(), QPoint(600, 100));
    EXPECT_EQ(m_playlist.GetDockSide(), DOCK_RIGHT);
    QTest::qWait(300);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().copy(80, 80, 780, 380);
    QDir().mkpath(WINDOW_ARTIFACT_DIR);
    shot.save(QString(WINDOW_ARTIFACT_DIR) + "/playlist-docked.png");
    // The player shows its own picture; the list its colours and its white
    // margin.
    EXPECT_EQ(shot.pixelColor(200, 200), m_player.grab().toImage().pixelColor(QPoint(200, 200) + QPoint(80, 80) -
                                                                             m_player.geometry().topLeft()));
    const QPoint list = m_playlist.List()->geometry().bottomRight() + m_playlist.geometry().topLeft() -
                        QPoint(80, 80) - QPoint(10, 10);
    EXPECT_EQ(shot.pixelColor(list), QColor(242, 238, 238));
    const QPoint margin = m_playlist.geometry().topLeft() + QPoint(4, 150) - QPoint(80, 80);
    EXPECT_EQ(shot.pixelColor(margin), QColor(Qt::white));
}

} // namespace
