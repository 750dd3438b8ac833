#include "PanScan.h"

#include "CommandIds.h"

namespace {

// The offset that takes an edge one step toward the work area's edge
// `limit` in the direction `sign` (-1 toward smaller coordinates), stopping
// on it; 0 when it is there already.
int Step(int edge, int limit, int sign)
{
    if (edge == limit)
        return 0;
    const int moved = edge + sign * kPanScanStep;
    return (sign < 0 ? (moved < limit ? limit : moved) : (moved > limit ? limit : moved)) - edge;
}

RECT Offset(const RECT& rc, int dx, int dy)
{
    return {rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

RECT At(const RECT& rc, int x, int y)
{
    return Offset(rc, x - rc.left, y - rc.top);
}

// One axis of Inc Size: [*pLow, *pHigh) grown by the step at both ends and
// brought back inside [low, high).
void Grow(int* pLow, int* pHigh, int low, int high)
{
    *pLow -= kPanScanStep;
    *pHigh += kPanScanStep;
    if (*pLow < low) {
        *pHigh += low - *pLow;
        *pLow = low;
        if (*pHigh > high)
            *pHigh = high;
    } else if (*pHigh > high) {
        *pLow -= *pHigh - high;
        *pHigh = high;
        if (*pLow < low)
            *pLow = low;
    }
}

} // namespace

RECT PanScanRect(int nID, const RECT& rc, const RECT& work)
{
    const int w = rc.Width();
    const int h = rc.Height();
    switch (nID) {
    case ID_SCAN_MOVELEFT:
        return Offset(rc, Step(rc.left, work.left, -1), 0);
    case ID_SCAN_MOVERIGHT:
        return Offset(rc, Step(rc.right, work.right, 1), 0);
    case ID_SCAN_MOVEUP:
        return Offset(rc, 0, Step(rc.top, work.top, -1));
    case ID_SCAN_MOVEDOWN:
        return Offset(rc, 0, Step(rc.bottom, work.bottom, 1));
    case ID_SCAN_MOVECENTER:
        return At(rc, work.left + (work.Width() - w) / 2, work.top + (work.Height() - h) / 2);
    case ID_SCAN_MOVELEFTTOP:
        return At(rc, work.left, work.top);
    case ID_SCAN_MOVERIGHTTOP:
        return At(rc, work.right - w, work.top);
    case ID_SCAN_MOVERIGHTBOTTOM:
        return At(rc, work.right - w, work.bottom - h);
    case ID_SCAN_MOVELEFTBOTTOM:
        return At(rc, work.left, work.bottom - h);
    case ID_SCAN_INCSIZE: {
        RECT grown = rc;
        Grow(&grown.left, &grown.right, work.left, work.right);
        Grow(&grown.top, &grown.bottom, work.top, work.bottom);
        return grown;
    }
    default:
        return rc;
    }
}

RECT DecreasedRect(const RECT& rc, int cxMinimum, int cyMinimum)
{
    RECT shrunk = rc;
    if (shrunk.Width() > cxMinimum) {
        shrunk.left += kPanScanStep;
        shrunk.right -= kPanScanStep;
    }
    if (shrunk.Height() > cyMinimum) {
        shrunk.top += kPanScanStep;
        shrunk.bottom -= kPanScanStep;
    }
    if (shrunk.Width() < cxMinimum)
        shrunk.right = shrunk.left + cxMinimum;
    if (shrunk.Height() < cyMinimum)
        shrunk.bottom = shrunk.top + cyMinimum;
    return shrunk;
}
