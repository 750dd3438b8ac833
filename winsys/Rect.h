// A rectangle as the skin's layout arithmetic uses it: (left, top, right,
// bottom) in pixels with the right and bottom edges excluded.
#pragma once

#include <QRect>

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const RECT&) const = default;
    // The same area as a QRect; an empty or inverted rectangle gives an
    // empty one.
    QRect ToQRect() const { return QRect(left, top, Width() > 0 ? Width() : 0, Height() > 0 ? Height() : 0); }
    static RECT FromQRect(const QRect& rc) { return {rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()}; }
};
