// Watches the X server for the benchmark clips' picture and tells when it
// first appears and how many different pictures were shown.
//
// The clips of the whole-process benchmark carry a band across the top of
// every picture: the upper half of the band is orange, the lower half holds
// the picture's number in 12 black or white cells (bit 0 leftmost). The
// first picture is the first screenshot of the root window that has a long
// orange run (at least a quarter of the screen's width) with a valid number
// below it; after that the damage extension reports every drawing on the
// screen, and each one that spans the middle half of the band's row of
// cells counts as one picture shown (reading the screen itself cannot keep
// up with 30 pictures a second while the server is busy drawing them).
//
// screen_watch TIMEOUT-S WARMUP-S COUNT-S [--log [BELOW]]
// prints "first T" (CLOCK_MONOTONIC seconds) when the picture appears, then,
// WARMUP-S later, counts for COUNT-S and prints "shown N SECONDS"; prints
// "none" when nothing appears within TIMEOUT-S. With --log it also prints
// "band X Y WIDTH" (where the cells are on the screen) before counting and
// "picture T NUMBER" for every picture counted, its number read from the
// screen as soon as its drawing is reported (-1 when it cannot be read;
// after a few of those in a row the band is looked for again). With BELOW,
// the clip's numbers are all below it, and a number read at or above it
// counts as one that cannot be read: cells read where a band found during a
// window's resize no longer is give numbers that look valid but are not.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr int kBits = 12;
// Unreadable numbers in a row after which the band is looked for again.
constexpr int kFailuresBeforeLooking = 5;

struct Band {
    int x = 0;
    int width = 0;
    int orangeY = 0;
    int cellsY = 0;
};

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool IsOrange(unsigned long pixel)
{
    const unsigned r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r > 190 && g > 70 && g < 190 && b < 90;
}

// The number in the cells row, or -1 when a cell is neither black nor white.
int ReadNumber(XImage* pImage, int y, const Band& band, int xOrigin)
{
    int number = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const int x = band.x - xOrigin + (2 * bit + 1) * band.width / (2 * kBits);
        const unsigned long pixel = XGetPixel(pImage, x, y);
        const unsigned gray = (((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF)) / 3;
        if (gray > 170)
            number |= 1 << bit;
        else if (gray > 85)
            return -1;
    }
    return number;
}

// Looks for the band in a screenshot of the whole screen.
bool FindBand(Display* pDisplay, Window root, int screenWidth, int screenHeight, Band* pBand)
{
    XImage* pImage = XGetImage(pDisplay, root, 0, 0, screenWidth, screenHeight, AllPlanes, ZPixmap);
    if (pImage == nullptr)
        return false;
    bool bFound = false;
    for (int y = 0; y < screenHeight && !bFound; y += 2) {
        int runStart = -1;
        for (int x = 0; x <= screenWidth && !bFound; ++x) {
            const bool bOrange = x < screenWidth && IsOrange(XGetPixel(pImage, x, y));
            if (bOrange && runStart < 0)
                runStart = x;
            if (!bOrange && runStart >= 0) {
                const int width = x - runStart;
                if (width >= screenWidth / 4) {
                    // The band's orange half is width / 32 high (a sixteenth
                    // of a 16:9 picture's height): the cells start below it.
                    Band band{runStart, width, y, 0};
                    int bottom = y;
                    while (bottom + 1 < screenHeight && IsOrange(XGetPixel(pImage, runStart + width / 2, bottom + 1)))
                        ++bottom;
                    band.cellsY = bottom + (bottom - y + 1) / 2 + 1;
                    if (band.cellsY < screenHeight && ReadNumber(pImage, band.cellsY, band, 0) >= 0) {
                        // A window over the picture's right part (a docked
                        // playlist with no room beside the player) cuts the
                        // run short, and cells read from a band too narrow
                        // give numbers that look valid but are wrong; the
                        // orange half's height still gives the band's
                        // width, for the readings once that window has gone.
                        const int fromHeight = 32 * (bottom - y + 1);
                        if (fromHeight > width + width / 16)
                            band.width = std::min(fromHeight, screenWidth - runStart);
                        *pBand = band;
                        bFound = true;
                    }
                }
                runStart = -1;
            }
        }
    }
    XDestroyImage(pImage);
    return bFound;
}

// The number in the band's cells now on the screen: one row of pixels.
int ReadShownNumber(Display* pDisplay, Window root, const Band& band)
{
    XImage* pImage = XGetImage(pDisplay, root, band.x, band.cellsY, band.width, 1, AllPlanes, ZPixmap);
    if (pImage == nullptr)
        return -1;
    const int number = ReadNumber(pImage, 0, band, band.x);
    XDestroyImage(pImage);
    return number;
}

} // namespace

int main(int argc, char** argv)
{
    const bool bLog = (argc == 5 || argc == 6) && std::strcmp(argv[4], "--log") == 0;
    if (argc != 4 && !bLog) {
        std::fprintf(stderr, "usage: screen_watch TIMEOUT-S WARMUP-S COUNT-S [--log [BELOW]]\n");
        return 2;
    }
    const int below = argc == 6 ? std::atoi(argv[5]) : 1 << kBits;
    const double timeout = std::atof(argv[1]), warmup = std::atof(argv[2]), count = std::atof(argv[3]);
    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr)
        return 2;
    const Window root = DefaultRootWindow(pDisplay);
    const int screenWidth = DisplayWidth(pDisplay, DefaultScreen(pDisplay));
    const int screenHeight = DisplayHeight(pDisplay, DefaultScreen(pDisplay));
    const double start = Now();
    Band band;
    while (!FindBand(pDisplay, root, screenWidth, screenHeight, &band)) {
        if (Now() - start > timeout) {
            std::printf("none\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const double first = Now();
    std::printf("first %.6f\n", first);
    std::fflush(stdout);
    while (Now() < first + warmup)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // Every drawing the server does across the band's row of cells is one
    // picture put on the screen (a player draws each picture with one
    // request); the damage extension reports each one.
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(pDisplay, &damageEvent, &damageError)) {
        std::printf("shown 0 0 (no damage extension)\n");
        return 1;
    }
    if (bLog) {
        std::printf("band %d %d %d\n", band.x, band.cellsY, band.width);
        std::fflush(stdout);
    }
    const Damage damage = XDamageCreate(pDisplay, root, XDamageReportRawRectangles);
    size_t shown = 0;
    bool bInGroup = false;
    int failures = 0;
    double lastLook = 0.0;
    const double countStart = Now();
    while (Now() < countStart + count) {
        while (XPending(pDisplay) > 0) {
            XEvent event;
            XNextEvent(pDisplay, &event);
            if (event.type != damageEvent + XDamageNotify)
                continue;
            const auto* pDamage = reinterpret_cast<const XDamageNotifyEvent*>(&event);
            const XRectangle& area = pDamage->area;
            bInGroup = bInGroup || (area.y <= band.cellsY && band.cellsY < area.y + area.height &&
                                    area.x <= band.x + band.width / 4 && area.x + area.width >= band.x + 3 * band.width / 4);
            if (!pDamage->more) {
                if (bInGroup && bLog) {
                    const int read = ReadShownNumber(pDisplay, root, band);
                    const int number = read < below ? read : -1;
                    std::printf("picture %.6f %d\n", Now(), number);
                    failures = number < 0 ? failures + 1 : 0;
                }
                // A player may show its first pictures in a window of its
                // first size and grow it for the file afterwards, or a
                // window may cover the cells for a while: after a few
                // numbers in a row that cannot be read, the band is looked
                // for again where the picture is now.
                if (failures >= kFailuresBeforeLooking && Now() > lastLook + 0.5) {
                    lastLook = Now();
                    failures = 0;
                    if (Band moved; FindBand(pDisplay, root, screenWidth, screenHeight, &moved))
                        band = moved;
                }
                shown += bInGroup ? 1 : 0;
                bInGroup = false;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    XDamageDestroy(pDisplay, damage);
    std::printf("shown %zu %.3f\n", shown, Now() - countStart);
    XCloseDisplay(pDisplay);
    return 0;
}
