// Where the playlist docked to the player goes when the player moves or
// changes size: plain rectangle arithmetic, without windows.
#include "app/DockPlacement.h"
#include "skinui/PlaylistSnap.h"

#include <QRect>
#include <gtest/gtest.h>

namespace {

// A work area with a 100-pixel panel on the left of a 1280 x 1024 display.
const QRect kWork(100, 0, 1180, 1024);
const QSize kList(238, 302);

QRect List(int x, int y)
{
    return QRect(QPoint(x, y), kList);
}

TEST(DockPlacement, TheListFollowsThePlayerAlongItsSide)
{
    const QRect player(300, 200, 478, 341);
    // Docked right 40 pixels below the player's top; the player moved by (15, -25).
    const QRect before = List(300 + 478 - 15, 240 + 25);
    EXPECT_EQ(PlaylistBeside(before, DOCK_RIGHT, player, QPoint(15, -25)), List(778, 240));
    EXPECT_EQ(PlaylistBeside(List(10, 900), DOCK_LEFT, player, QPoint(0, 30)), List(62, 930));
    EXPECT_EQ(PlaylistBeside(List(320, 10), DOCK_ABOVE, player, QPoint(-20, 0)), List(300, 200 - 302));
    EXPECT_EQ(PlaylistBeside(List(320, 10), DOCK_BELOW, player, QPoint(5, 0)), List(325, 541));
    EXPECT_EQ(PlaylistBeside(List(7, 9), DOCK_NONE, player, QPoint(5, 5)), List(7, 9));
}

TEST(DockPlacement, WithRoomOnItsSideTheListStaysThereInsideTheWorkArea)
{
    const QRect player(300, 200, 478, 341);
    EXPECT_EQ(DockedPlaylistPlace(List(778, 200), DOCK_RIGHT, player, QPoint(), kWork), List(778, 200));
    // Below the bottom of the work area it comes up, still beside the player.
    EXPECT_EQ(DockedPlaylistPlace(List(778, 900), DOCK_RIGHT, player, QPoint(), kWork), List(778, 1024 - 302));
    // An undocked list is left where it is, even outside the work area.
    EXPECT_EQ(DockedPlaylistPlace(List(2000, 10), DOCK_NONE, player, QPoint(), kWork), List(2000, 10));
}

// Against the right edge of the work area the right side has no room: the
// list goes to the player's left rather than over the player, and back to
// the right once there is room there again (it stays docked right).
TEST(DockPlacement, WithoutRoomOnItsSideTheListTakesTheOppositeSide)
{
    const QRect player(1280 - 478, 200, 478, 341);
    EXPECT_EQ(DockedPlaylistPlace(List(1280, 200), DOCK_RIGHT, player, QPoint(100, 0), kWork),
              List(1280 - 478 - 238, 200));
    const QRect back(400, 200, 478, 341);
    EXPECT_EQ(DockedPlaylistPlace(List(564, 200), DOCK_RIGHT, back, QPoint(-402, 0), kWork), List(878, 200));
    // Docked above a player at the top of the work area: below it.
    const QRect top(300, 0, 478, 341);
    EXPECT_EQ(DockedPlaylistPlace(List(300, -302), DOCK_ABOVE, top, QPoint(), kWork), List(300, 341));
}

// Fit Desktop makes the player as wide as the work area: neither side has
// room, so the list goes below the player (or above), starting where the
// player starts.
TEST(DockPlacement, APlayerAsWideAsTheWorkAreaHasTheListBelowOrAbove)
{
    const QRect wide(100, 100, 1180, 500);
    EXPECT_EQ(DockedPlaylistPlace(List(1200, 150), DOCK_RIGHT, wide, QPoint(), kWork), List(100, 600));
    EXPECT_EQ(DockedPlaylistPlace(List(1200, 150), DOCK_LEFT, wide, QPoint(), kWork), List(100, 600));
    const QRect low(100, 700, 1180, 324);
    EXPECT_EQ(DockedPlaylistPlace(List(1200, 750), DOCK_RIGHT, low, QPoint(), kWork), List(100, 700 - 302));
}

// A player filling the work area leaves no room anywhere: the list stays
// inside the work area, over the player, on the side it is docked to.
TEST(DockPlacement, WithNoRoomAnywhereTheListStaysInsideOverThePlayer)
{
    EXPECT_EQ(DockedPlaylistPlace(List(1280, 40), DOCK_RIGHT, kWork, QPoint(), kWork), List(1280 - 238, 40));
    EXPECT_EQ(DockedPlaylistPlace(List(400, 1024), DOCK_BELOW, kWork, QPoint(), kWork), List(400, 1024 - 302));
    // A work area smaller than the list: its top left corner wins.
    const QRect tiny(0, 0, 200, 200);
    EXPECT_EQ(DockedPlaylistPlace(List(150, 50), DOCK_RIGHT, tiny, QPoint(), tiny), List(0, 0));
}

} // namespace
