#include "PlaylistSnap.h"

namespace {

constexpr int kSnapDistance = 10;

bool Near(int nValue, int nEdge)
{
    return nEdge - kSnapDistance <= nValue && nValue <= nEdge + kSnapDistance;
}

// Whether the span [a, a + n] overlaps [lo, hi] as the snap rules see it:
// either end inside, or the span covering the whole range.
bool Overlaps(int a, int n, int lo, int hi)
{
    return (lo <= a && a <= hi) || (lo <= a + n && a + n <= hi) || (a < lo && a + n > hi);
}

} // namespace

int SnapToPlayer(WindowPlacement* pPlacement, int w, int h, const RECT& rcPlayer, int nDockSide)
{
    auto& [x, y, cx, cy] = *pPlacement;
    const auto [Pl, Pt, Pr, Pb] = rcPlayer;
    const bool bNoChange = x < 1 && y < 1 && cx < 1 && cy < 1;
    if (x != 0 || y != 0 || cx != 0 || cy != 0)
        nDockSide = DOCK_NONE;
    if (Overlaps(x, w, Pl, Pr)) {
        if (Near(y + h, Pt)) {
            if (!bNoChange) {
                nDockSide = DOCK_ABOVE;
                y = Pt - h;
            }
        } else if (Near(y, Pb)) {
            nDockSide = DOCK_BELOW;
            y = Pb;
        }
    }
    if (!Overlaps(y, h, Pt, Pb))
        return nDockSide;
    if (Near(x, Pr)) {
        x = Pr;
        return DOCK_RIGHT;
    }
    if (Near(x + w, Pl) && !bNoChange) {
        nDockSide = DOCK_LEFT;
        x = Pl - w;
    }
    return nDockSide;
}
