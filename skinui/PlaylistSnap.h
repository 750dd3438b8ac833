// Where the playlist window lands when it is placed near the player window:
// within 10 pixels of one of the player's edges it snaps to that edge, and
// the side it snapped to is recorded so that the player can carry it along.
#pragma once

#include "winsys/Rect.h"

// Dock sides of the playlist window.
constexpr int DOCK_NONE = 0;
constexpr int DOCK_ABOVE = 1;
constexpr int DOCK_RIGHT = 2;
constexpr int DOCK_LEFT = 3;
constexpr int DOCK_BELOW = 4;

// A requested placement: position (x, y) and size (cx, cy). All four 0 is a
// change of neither position nor size (a Z-order or show change).
struct WindowPlacement {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

// Snaps `*pPlacement` of a playlist whose present size is w x h to the
// player rectangle `rcPlayer`, changing its x and y, and returns the dock
// side: `nDockSide` when the placement is all 0, else the side snapped to
// or DOCK_NONE.
int SnapToPlayer(WindowPlacement* pPlacement, int w, int h, const RECT& rcPlayer, int nDockSide);
