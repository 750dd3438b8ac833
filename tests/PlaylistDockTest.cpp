// The docked playlist carried along by the player while the X server is
// slow to tell of the carry's moves. The windows are not shown: each move
// is then only Qt's geometry, and the server's late report is made by hand.
#include "app/PlaylistDock.h"
#include "skinui/PlaylistDlg.h"
#include "skinui/PlaylistSnap.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Place(const QWidget* pWindow)
{
    return std::to_string(pWindow->x()) + "," + std::to_string(pWindow->y());
}

// Qt's geometry takes every report of the server, also a late one of an
// earlier move: each step of the player must still reach the playlist.
TEST(PlaylistDock, ALateReportOfAnEarlierCarryLosesNoStep)
{
    QWidget player(nullptr, Qt::Window | Qt::FramelessWindowHint);
    player.setGeometry(100, 100, 500, 341);
    CPlaylistDock dock(player);
    CPlaylistDlg* pPlaylist = dock.Create({});
    ASSERT_NE(pPlaylist, nullptr);
    ASSERT_EQ(pPlaylist->GetDockSide(), DOCK_RIGHT);
    const QRect docked = pPlaylist->geometry();

    player.move(110, 105);
    dock.Carry();
    player.move(120, 110);
    dock.Carry();
    ASSERT_EQ(pPlaylist->geometry(), docked.translated(20, 10)) << Place(pPlaylist);
    // The server tells now of the first carry.
    pPlaylist->setGeometry(docked.translated(10, 5));
    player.move(130, 115);
    dock.Carry();
    EXPECT_EQ(pPlaylist->geometry(), docked.translated(30, 15)) << Place(pPlaylist);
}

} // namespace
