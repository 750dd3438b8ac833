// A korvoplayer process on the test's X server (with a window manager and a
// session bus of the test's own), driven as a user drives it: keys through
// the X server, and its effects read from outside: the window's rectangle
// from the X server, playback state, position, volume and rate over MPRIS.
#pragma once

#include "PlayerProcess.h"
#include "XClient.h"

#include <QRect>
#include <QString>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Rectangles and sizes in test messages.
inline void PrintTo(const QRect& rc, std::ostream* pStream)
{
    *pStream << "(" << rc.x() << "," << rc.y() << " " << rc.width() << "x" << rc.height() << ")";
}

inline void PrintTo(const QSize& size, std::ostream* pStream)
{
    *pStream << size.width() << "x" << size.height();
}

inline void PrintTo(const QPoint& pt, std::ostream* pStream)
{
    *pStream << "(" << pt.x() << "," << pt.y() << ")";
}

class DesktopPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts a player (with `options` and `file`, once it plays) and waits
    // for its window.
    void Start(const std::string& file = {}, const QStringList& options = {});
    // Presses a key in the player window, made active first as a user's
    // click would.
    void Press(const std::vector<unsigned long>& modifiers, unsigned long nKeysym);

    QRect Rect() { return m_x.Rect(m_window); }
    // Waits until the window's rectangle stays the same for a few looks.
    bool Settled();
    // Waits for the window to reach `expected`; its rectangle at the end.
    QRect WaitForRect(const QRect& expected);
    // Waits for the window to leave `old` and settle; the new rectangle.
    QRect NextRect(const QRect& old);

    static QVariant Property(const QString& name,
                             const QString& interface = QStringLiteral("org.mpris.MediaPlayer2.Player"));
    // Sets MPRIS's Fullscreen, as a desktop's media control would; false
    // when the call failed.
    static bool SetFullScreen(bool bFullScreen);
    static bool WaitForStatus(const QString& status);
    static bool WaitForValue(const QString& name, double dValue, double dWithin = 0.001);
    // Seconds, from MPRIS's microseconds.
    static double Position();
    // The work area of the primary monitor, as this process sees it.
    static QRect Work();

    // Before Start: the windows listed then, so that the player's own are
    // known afterwards.
    std::vector<unsigned long> m_before;
    CXClient m_x;
    std::unique_ptr<CPlayerProcess> m_pPlayer;
    unsigned long m_window = 0;
};

// A 480x360 picture, 12 minutes long, with a key frame every second: long
// enough for the 300-second seeks, quick to make.
std::string LongClip();

constexpr int kDesktopWaitMs = 30000;
