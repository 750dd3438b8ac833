// The whole accelerator table pressed on a real keyboard: a korvoplayer
// process on an X server of the test's own with a window manager, keys
// pressed through the X server (XTEST, by key code, Num Lock on and off),
// and each key's effect read from outside: the window's rectangle from the
// X server, the playback state, position, volume and rate over MPRIS on a
// session bus of the test's own.
#include "DesktopPlayerTest.h"

#include <QGuiApplication>
#include <QScreen>
#include <X11/keysym.h>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kWaitMs = kDesktopWaitMs;
const std::vector<unsigned long> kCtrl = {XK_Control_L};
const std::vector<unsigned long> kShift = {XK_Shift_L};
const std::vector<unsigned long> kAlt = {XK_Alt_L};
const std::vector<unsigned long> kCtrlAlt = {XK_Control_L, XK_Alt_L};

class KeyboardTest : public DesktopPlayerTest {};

// Play and pause, the six seeks (on a paused file, so that positions are
// exact to the key frame), volume, mute, speed, stop, close, open and exit.
TEST_F(KeyboardTest, PlaybackKeys)
{
    Start(LongClip());
    Press({}, XK_space);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Paused")));
    const double dStart = Position();
    const struct {
        std::vector<unsigned long> modifiers;
        unsigned long nKey;
        double dOffset;
    } seeks[] = {{kShift, XK_Right, 300}, {kCtrl, XK_Right, 60}, {{}, XK_Right, 10},
                 {{}, XK_Left, -10},      {kCtrl, XK_Left, -60}, {kShift, XK_Left, -300}};
    double dExpected = dStart;
    for (const auto& seek : seeks) {
        dExpected += seek.dOffset;
        Press(seek.modifiers, seek.nKey);
        EXPECT_TRUE(WaitUntil([&] { return std::abs(Position() - dExpected) < 1.5; }, kWaitMs))
            << "key " << seek.nKey << " with " << seek.modifiers.size() << " modifiers: at " << Position()
            << " s, expected " << dExpected;
    }

    Press({}, XK_space);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    const QString volume = QStringLiteral("Volume");
    Press({}, XK_Down);
    EXPECT_TRUE(WaitForValue(volume, 0.95));
    Press({}, XK_Up);
    EXPECT_TRUE(WaitForValue(volume, 1.0));
    Press({}, XK_m);
    EXPECT_TRUE(WaitForValue(volume, 0.0));
    Press({}, XK_Up);
    EXPECT_TRUE(WaitForValue(volume, 0.05));

    const QString rate = QStringLiteral("Rate");
    Press({}, XK_c);
    EXPECT_TRUE(WaitForValue(rate, 1.1));
    Press({}, XK_x);
    Press({}, XK_x);
    EXPECT_TRUE(WaitForValue(rate, 0.9));
    Press({}, XK_z);
    EXPECT_TRUE(WaitForValue(rate, 1.0));
    // Shift+C types a capital, which is not the key.
    Press(kShift, XK_c);
    Press({}, XK_m);
    EXPECT_TRUE(WaitForValue(volume, 0.0));
    EXPECT_NEAR(Property(rate).toDouble(), 1.0, 0.001);

    Press(kCtrl, XK_BackSpace);
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Stopped")));
    Press({}, XK_space);
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    Press(kCtrl, XK_F4);
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Stopped")));

    // Ctrl+O opens the file dialog, a window of its own; Escape there
    // closes it and leaves the player as it was.
    const size_t nWindows = m_x.ClientWindows().size();
    Press(kCtrl, XK_o);
    ASSERT_TRUE(WaitUntil([&] { return m_x.ClientWindows().size() > nWindows; }, kWaitMs));
    const unsigned long dialog = m_x.ClientWindows().back();
    ASSERT_TRUE(WaitUntil([&] { return m_x.ActiveWindow() == dialog; }, kWaitMs));
    m_x.Press({}, XK_Escape);
    EXPECT_TRUE(WaitUntil([&] { return m_x.ClientWindows().size() == nWindows; }, kWaitMs));

    Press(kAlt, XK_F4);
    ASSERT_TRUE(m_pPlayer->WaitForExit(kWaitMs));
    EXPECT_EQ(m_pPlayer->ExitCode(), 0);
}

// The scales, maximize, both full-screen modes from either Enter, Fit
// Desktop and Fit Clip.
TEST_F(KeyboardTest, PictureKeys)
{
    Start(LongClip());
    Press({}, XK_2);
    const QRect normal = NextRect(QRect());
    // The picture's height follows the scale (its width may be held by the
    // skin's minimum); from the kept corner, moved up as far as the work
    // area's bottom asks.
    Press({}, XK_4);
    const QRect twice = NextRect(normal);
    EXPECT_EQ(twice.height() - normal.height(), 360);
    EXPECT_EQ(twice.left(), normal.left());
    EXPECT_TRUE(Work().contains(twice)) << testing::PrintToString(twice);
    Press({}, XK_3);
    EXPECT_EQ(NextRect(twice).height() - normal.height(), 180);
    Press({}, XK_KP_1);
    const QRect half = NextRect(normal.adjusted(0, 0, 0, 180));
    EXPECT_LT(half.height(), normal.height());
    Press({}, XK_2);
    EXPECT_EQ(WaitForRect(normal), normal);

    Press({}, XK_6);
    EXPECT_EQ(WaitForRect(Work()), Work());
    Press({}, XK_6);
    EXPECT_EQ(WaitForRect(normal), normal);

    const QRect display = QGuiApplication::primaryScreen()->geometry();
    const std::pair<std::vector<unsigned long>, unsigned long> fullScreenKeys[] = {
        {{}, XK_Return}, {{}, XK_KP_Enter}, {kCtrl, XK_Return}, {kCtrl, XK_KP_Enter}};
    for (const auto& [modifiers, nKey] : fullScreenKeys) {
        Press(modifiers, nKey);
        EXPECT_EQ(WaitForRect(display), display) << "key " << nKey;
        Press(modifiers, nKey);
        EXPECT_EQ(WaitForRect(normal), normal) << "key " << nKey;
    }

    // Fit Desktop: the work area's width, or on a wide monitor its height,
    // from its top-left corner; the whole window on the monitor.
    Press({}, XK_5);
    const QRect desktop = NextRect(normal);
    EXPECT_EQ(desktop.topLeft(), Work().topLeft());
    EXPECT_TRUE(desktop.width() == Work().width() || desktop.bottom() >= Work().bottom() - 1) << testing::PrintToString(desktop);
    EXPECT_TRUE(Work().contains(desktop)) << desktop.width() << "x" << desktop.height();

    // Fit Clip after Inc Size: the window closes round the picture again.
    Press({}, XK_2);
    EXPECT_EQ(WaitForRect(normal), normal);
    Press(kCtrlAlt, XK_equal);
    const QRect grown = NextRect(normal);
    EXPECT_EQ(grown, normal.adjusted(-10, -10, 10, 10));
    Press({}, XK_7);
    const QRect fitted = NextRect(grown);
    EXPECT_EQ(fitted.topLeft(), grown.topLeft());
    EXPECT_NE(fitted.size(), grown.size());
    EXPECT_LE(fitted.width(), grown.width());
    EXPECT_LE(fitted.height(), grown.height());
}

// The pad's nine moves with Ctrl+Alt, with Num Lock on and off, and the
// size keys: the pad's plus and minus where the keymap lets them through,
// and their second keys on the main keyboard always.
TEST_F(KeyboardTest, PanAndScanFromThePad)
{
    Start();
    const QRect work = Work();
    for (const bool bNumLock : {true, false}) {
        SCOPED_TRACE(bNumLock ? "Num Lock on" : "Num Lock off");
        m_x.SetNumLock(bNumLock);
        ASSERT_EQ(m_x.NumLock(), bNumLock);
        const QSize size = Rect().size();
        auto at = [&](int x, int y) { return QRect(QPoint(x, y), size); };
        const QRect centre = at(work.left() + (work.width() - size.width()) / 2,
                                work.top() + (work.height() - size.height()) / 2);
        const std::pair<unsigned long, QRect> moves[] = {
            {XK_KP_7, at(work.left(), work.top())},
            {XK_KP_9, at(work.right() + 1 - size.width(), work.top())},
            {XK_KP_3, at(work.right() + 1 - size.width(), work.bottom() + 1 - size.height())},
            {XK_KP_1, at(work.left(), work.bottom() + 1 - size.height())},
            {XK_KP_5, centre},
            {XK_KP_4, centre.translated(-10, 0)},
            {XK_KP_8, centre.translated(-10, -10)},
            {XK_KP_6, centre.translated(0, -10)},
            {XK_KP_2, centre},
        };
        for (const auto& [nKey, expected] : moves) {
            Press(kCtrlAlt, nKey);
            EXPECT_EQ(WaitForRect(expected), expected) << "pad key " << std::hex << nKey;
        }
        Press(kCtrlAlt, XK_equal);
        EXPECT_EQ(WaitForRect(centre.adjusted(-10, -10, 10, 10)), centre.adjusted(-10, -10, 10, 10));
        Press(kCtrlAlt, XK_minus);
        EXPECT_EQ(WaitForRect(centre), centre);
    }

    // Without the server's own Ctrl+Alt keys the pad's plus and minus reach
    // the player.
    ASSERT_EQ(std::system("setxkbmap -option srvrkeys:none"), 0);
    const QRect now = Rect();
    Press(kCtrlAlt, XK_KP_Add);
    EXPECT_EQ(WaitForRect(now.adjusted(-10, -10, 10, 10)), now.adjusted(-10, -10, 10, 10));
    Press(kCtrlAlt, XK_KP_Subtract);
    EXPECT_EQ(WaitForRect(now), now);
    EXPECT_EQ(std::system("setxkbmap -option ''"), 0);
}

} // namespace
