// The player window moved or sized from the keyboard, in steps of 10 pixels,
// inside the desktop's work area ("Pan && Scan"). Plain rectangle arithmetic
// (left, top, right, bottom, the right and bottom edges outside).
#pragma once

#include "winsys/Rect.h"

constexpr int kPanScanStep = 10;

// The window rectangle `rc` after the move or Inc Size command `nID`
// (ID_SCAN_*, not Dec Size) inside the work area `work`. Moves keep the
// size; an edge already on the work area's edge stays, a step that would
// pass it stops on it. Inc Size grows every edge outward, shifts the
// rectangle back inside and cuts what still sticks out. Any other command
// gives `rc` unchanged.
RECT PanScanRect(int nID, const RECT& rc, const RECT& work);

// `rc` shrunk by the step on both sides along each axis where it is larger
// than the minimum, and never below it (the left and top edges then stay).
RECT DecreasedRect(const RECT& rc, int cxMinimum, int cyMinimum);
