// Where the playlist docked to the player window goes when the player moves
// or changes size. Plain rectangle arithmetic on screen rectangles; the dock
// sides are the playlist's (DOCK_ABOVE, DOCK_RIGHT, DOCK_LEFT, DOCK_BELOW).
#pragma once

#include <QPoint>
#include <QRect>

// The playlist `list` against side `nSide` of `player` after the player moved
// by `moved`: it keeps its size and follows the move along that side. With
// no dock side, `list` unchanged.
QRect PlaylistBeside(const QRect& list, int nSide, const QRect& player, const QPoint& moved);

// Where the docked playlist lands inside the work area `work`: against its
// own side where that side has room for it (the work area holds it there,
// moved along the side at most), else against the first other
// side that has (the opposite side first, then the two others, with the
// playlist's start at the player's start), so that it never hides the
// player while the work area has room beside it. Where no side has room it
// stays inside the work area, over the player. The side it was docked on is
// kept by the playlist, so that it returns there once that side has room.
QRect DockedPlaylistPlace(const QRect& list, int nSide, const QRect& player, const QPoint& moved, const QRect& work);
