#include "DevicePixels.h"

#include <QWidget>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

double UsableRatio(double dRatio)
{
    return std::isfinite(dRatio) && dRatio > 0 ? dRatio : 1.0;
}

} // namespace

double CDevicePixels::RatioOf(const QWidget* pWindow)
{
    return pWindow != nullptr ? UsableRatio(pWindow->devicePixelRatioF()) : 1.0;
}

RECT CDevicePixels::FromLogical(const RECT& rect, double dRatio)
{
    return {Edge(rect.left, dRatio), Edge(rect.top, dRatio), Edge(rect.right, dRatio), Edge(rect.bottom, dRatio)};
}

// Rounded half away from zero, as Qt rounds a window's native geometry, and
// held to what an int holds.
int CDevicePixels::Edge(int nLogical, double dRatio)
{
    const double dDevice = std::round(static_cast<double>(nLogical) * UsableRatio(dRatio));
    return static_cast<int>(std::clamp(dDevice, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}
