// The player on a screen split into two monitors, as multi-head desktops
// are: it opens on the monitor under the pointer, and full screen, Fit
// Desktop, maximize, the scales and the keyboard moves keep to the monitor
// it is on, with its docked playlist; a monitor unplugged under a
// full-screen player leaves it on the other one.
#include "DesktopPlayerTest.h"

#include <QImage>
#include <QProcess>
#include <X11/keysym.h>
#include <algorithm>

namespace {

const std::vector<unsigned long> kCtrlAlt = {XK_Control_L, XK_Alt_L};
// The test's screen, 2560x1080, as two monitors side by side.
const QRect kLeft(0, 0, 1280, 1080);
const QRect kRight(1280, 0, 1280, 1080);

class MonitorTest : public DesktopPlayerTest {
protected:
    void SetUp() override
    {
        DesktopPlayerTest::SetUp();
        ASSERT_TRUE(m_x.SplitScreen({kLeft, kRight}));
        m_x.MovePointer(kRight.center());
    }

    // The player's other window, its playlist: new since the start.
    unsigned long Playlist()
    {
        for (unsigned long window : m_x.ClientWindows()) {
            if (window != m_window && std::find(m_before.begin(), m_before.end(), window) == m_before.end())
                return window;
        }
        return 0;
    }

    // A screenshot of the whole X screen (the picture is drawn outside Qt,
    // so only the server has it), kept as `name`.png.
    static QImage Screenshot(const std::string& name)
    {
        const QString path = QString::fromStdString(std::string(MONITOR_ARTIFACT_DIR) + "/" + name + ".png");
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
        return QImage(path);
    }

    // Whether the screenshot has picture, not black, at `pt`.
    static bool IsPicture(const QImage& image, const QPoint& pt)
    {
        return image.valid(pt) && qGray(image.pixel(pt)) > 32;
    }
};

TEST_F(MonitorTest, ThePlayerKeepsToTheMonitorUnderThePointer)
{
    Start(LongClip());
    const unsigned long playlist = Playlist();
    ASSERT_NE(playlist, 0u);
    EXPECT_TRUE(kRight.contains(Rect())) << Rect().x();
    EXPECT_TRUE(kRight.contains(m_x.Rect(playlist))) << m_x.Rect(playlist).x();
    const QRect start = Rect();

    // Full screen covers the player's monitor, without the playlist, and
    // ends exactly where it began, with the playlist back beside it.
    Press({}, XK_Return);
    EXPECT_EQ(WaitForRect(kRight), kRight);
    EXPECT_TRUE(WaitUntil([&] { return !m_x.IsShown(playlist); }, kDesktopWaitMs));
    // The picture keeps its shape across the monitor's width: black above
    // and below, picture from edge to edge, nothing on the other monitor.
    QImage shot;
    EXPECT_TRUE(WaitUntil(
        [&] {
            shot = Screenshot("full-screen-right-monitor");
            return IsPicture(shot, {kRight.left() + 4, kRight.center().y()}) &&
                   IsPicture(shot, {kRight.right() - 4, kRight.center().y()});
        },
        kDesktopWaitMs));
    EXPECT_FALSE(IsPicture(shot, {kRight.center().x(), kRight.top() + 20}));
    EXPECT_FALSE(IsPicture(shot, {kLeft.right() - 4, kLeft.center().y()}));
    Press({}, XK_Return);
    EXPECT_EQ(WaitForRect(start), start);
    EXPECT_TRUE(WaitUntil([&] { return m_x.IsShown(playlist); }, kDesktopWaitMs));
    EXPECT_EQ(m_x.Rect(playlist).topLeft(), start.topRight() + QPoint(1, 0));

    Press({}, XK_6);
    EXPECT_EQ(WaitForRect(kRight), kRight);
    Press({}, XK_6);
    EXPECT_EQ(WaitForRect(start), start);

    // Fit Desktop: the monitor's top-left corner, the whole window on it,
    // and the playlist not on the other monitor.
    Press({}, XK_5);
    const QRect desktop = NextRect(start);
    EXPECT_EQ(desktop.topLeft(), kRight.topLeft());
    EXPECT_TRUE(kRight.contains(desktop)) << desktop.width() << "x" << desktop.height();
    EXPECT_TRUE(kRight.contains(m_x.Rect(playlist))) << m_x.Rect(playlist).x();
    Screenshot("fit-desktop-right-monitor");

    // The scales from the corner kept when the file started: x2.0 there
    // would pass the monitor's bottom, so the window moves up onto it.
    Press(kCtrlAlt, XK_KP_3);
    Press({}, XK_4);
    const QRect twice = NextRect(Rect());
    EXPECT_TRUE(kRight.contains(twice)) << twice.x() << "," << twice.y() << " " << twice.width() << "x"
                                        << twice.height();

    // The keyboard moves keep to the monitor too.
    Press({}, XK_2);
    Press(kCtrlAlt, XK_KP_7);
    EXPECT_EQ(NextRect(twice).topLeft(), kRight.topLeft());
    Press(kCtrlAlt, XK_KP_1);
    EXPECT_EQ(NextRect(QRect()).bottomLeft(), kRight.bottomLeft());
}

TEST_F(MonitorTest, AMonitorUnpluggedUnderFullScreenLeavesThePlayerOnTheOther)
{
    Start(LongClip());
    const QRect start = Rect();
    Press({}, XK_Return);
    EXPECT_EQ(WaitForRect(kRight), kRight);
    m_x.RemoveMonitor(1);
    EXPECT_EQ(WaitForRect(kLeft), kLeft);
    Press({}, XK_Return);
    const QRect back = NextRect(kLeft);
    EXPECT_EQ(back.size(), start.size());
    EXPECT_TRUE(kLeft.contains(back)) << back.x();
    EXPECT_TRUE(m_pPlayer->IsRunning());
}

} // namespace
