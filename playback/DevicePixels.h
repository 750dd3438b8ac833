// The player computes its layout in Qt's logical pixels; the X server, the
// video sinks and the converter work in the screen's own (device) pixels.
// A rectangle is carried over by scaling each of its edges and rounding it
// on its own, so that rectangles whose edges meet in logical pixels meet in
// device pixels too, with no gap and no overlap, at any ratio (1.25, 1.5,
// 2 ...). A ratio that is not a positive finite number counts as 1.
#pragma once

#include "winsys/Rect.h"

class QWidget;

class CDevicePixels {
public:
    // Device pixels per logical pixel of the screen `pWindow` is on; 1
    // without a window.
    static double RatioOf(const QWidget* pWindow);
    static RECT FromLogical(const RECT& rect, double dRatio);
    static int Edge(int nLogical, double dRatio);
};
