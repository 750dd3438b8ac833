// The monitor a window is on, and rectangles kept on a monitor. A desktop
// of several monitors is one X screen split into parts; each part has a
// work area of its own (the part without the panels).
#pragma once

#include <QRect>

class QScreen;

// The monitor holding the middle of `rcWindow`; else the one it overlaps
// most; else the primary monitor (null only when there is none).
QScreen* MonitorOf(const QRect& rcWindow);

// The monitor under the mouse pointer, or the primary one.
QScreen* MonitorUnderPointer();

// `rc` moved, keeping its size, the least distance that puts it inside
// `area`; where it is larger than `area` its top or left edge lands on
// the area's.
QRect KeptInside(const QRect& rc, const QRect& area);
