// Logical rectangles carried over to device pixels at whole and fractional
// ratios: the picture must cover exactly the pixels of its area.
#include "playback/DevicePixels.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double kRatios[] = {1.0, 1.25, 1.5, 1.75, 2.0, 3.0};

TEST(DevicePixels, WholeRatiosScaleExactly)
{
    EXPECT_EQ(CDevicePixels::FromLogical({10, 20, 650, 380}, 2.0), (RECT{20, 40, 1300, 760}));
    EXPECT_EQ(CDevicePixels::FromLogical({-40, -30, 440, 330}, 1.0), (RECT{-40, -30, 440, 330}));
}

// Side by side and one above the other, at odd positions and sizes: every
// shared edge lands on the same device pixel, so nothing is left between
// them and nothing is covered twice.
TEST(DevicePixels, RectanglesThatMeetStillMeet)
{
    for (double r : kRatios) {
        SCOPED_TRACE(r);
        for (int nSplit = 1; nSplit < 60; ++nSplit) {
            const RECT left = CDevicePixels::FromLogical({7, 3, 7 + nSplit, 101}, r);
            const RECT right = CDevicePixels::FromLogical({7 + nSplit, 3, 163, 101}, r);
            const RECT whole = CDevicePixels::FromLogical({7, 3, 163, 101}, r);
            EXPECT_EQ(left.right, right.left);
            EXPECT_EQ(left.Width() + right.Width(), whole.Width());
            const RECT top = CDevicePixels::FromLogical({0, 0, 33, nSplit}, r);
            const RECT bottom = CDevicePixels::FromLogical({0, nSplit, 33, 77}, r);
            EXPECT_EQ(top.bottom, bottom.top);
        }
    }
}

// A picture filling its area from the origin covers as many device pixels
// as Qt gives the area's native window (its size rounded half up).
TEST(DevicePixels, AFullAreaPictureMatchesTheNativeWindowSize)
{
    for (double r : kRatios)
        for (int nWidth : {1, 99, 101, 333, 641, 1279}) {
            const RECT device = CDevicePixels::FromLogical({0, 0, nWidth, nWidth / 2 + 1}, r);
            EXPECT_EQ(device.Width(), static_cast<int>(std::floor(nWidth * r + 0.5))) << r << " " << nWidth;
            EXPECT_EQ(device.Height(), static_cast<int>(std::floor((nWidth / 2 + 1) * r + 0.5))) << r;
        }
}

TEST(DevicePixels, UnusableRatiosCountAsOneAndHugeEdgesAreHeld)
{
    const RECT rect = {5, 6, 70, 80};
    for (double r : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(CDevicePixels::FromLogical(rect, r), rect) << r;
    EXPECT_EQ(CDevicePixels::Edge(INT_MAX, 3.0), INT_MAX);
    EXPECT_EQ(CDevicePixels::Edge(INT_MIN, 3.0), INT_MIN);
    EXPECT_EQ(CDevicePixels::RatioOf(nullptr), 1.0);
}

} // namespace
