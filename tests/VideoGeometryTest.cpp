// The picture's ratio and scale, fitting, maximizing, both full-screen modes
// and the keyboard moves of the player window, on an X server with a real
// window manager: commands come from the window's keys, its context menu
// and its skin controls, and the window's place is read back from the X
// server. Screenshots of both full-screen modes go to GEOMETRY_ARTIFACT_DIR.
#include "DebugCapture.h"
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "TestMedia.h"
#include "app/CommandIds.h"
#include "app/CommandLine.h"
#include "app/KorvoPlayerDlg.h"
#include "app/ScreenLogo.h"
#include "app/ScreenWnd.h"
#include "playback/MediaGraph.h"
#include "skinui/KorvoUIManager.h"
#include "skinui/PlaylistDlg.h"
#include "winsys/MessageEvent.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>

namespace {

constexpr int kWaitMs = 5000;
constexpr auto kCtrlAltPad = Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier;

std::string Run(const std::string& command)
{
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            output += buffer;
        ::pclose(pipe);
    }
    return output;
}

// The window's rectangle on the display as the X server has it.
QRect ServerRect(WId id)
{
    std::istringstream lines(Run("xwininfo -id " + std::to_string(id) + " 2>/dev/null"));
    std::map<std::string, int> values;
    for (std::string line; std::getline(lines, line);) {
        const size_t colon = line.find(':');
        if (colon != std::string::npos)
            values[line.substr(line.find_first_not_of(' '), colon - line.find_first_not_of(' '))] =
                std::atoi(line.c_str() + colon + 1);
    }
    return QRect(values["Absolute upper-left X"], values["Absolute upper-left Y"], values["Width"], values["Height"]);
}

std::string Describe(const QRect& rc)
{
    return "(" + std::to_string(rc.x()) + "," + std::to_string(rc.y()) + " " + std::to_string(rc.width()) + "x" +
           std::to_string(rc.height()) + ")";
}

// Video-only clips of any picture size, 60 s long: MPEG-4 where the codec
// takes the size, PNG pictures scaled from a larger source otherwise
// (uncompressed AVI pictures come out of the demuxer with a negative pixel
// aspect ratio that no video sink takes).
std::string ClipPath(int width, int height, const std::string& source = "testsrc2")
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const bool bCoded = width % 16 == 0 && height % 16 == 0;
    const std::string made = bCoded ? size : std::to_string(std::max(width, 16)) + "x" + std::to_string(std::max(height, 16));
    const std::string arguments = "-f lavfi -i " + source + (source.find('=') != std::string::npos ? ":" : "=") +
                                  "size=" + made + ":rate=10:duration=60 " +
                                  (bCoded ? std::string("-c:v mpeg4 -q:v 8")
                                          : "-vf scale=" + std::to_string(width) + ":" + std::to_string(height) +
                                                " -c:v png") +
                                  " -f avi";
    return MadeMedia(source.substr(0, source.find('=')) + "-" + size + ".avi", arguments);
}

// Whether `rc` lies inside `work` along each axis where it is not larger
// than `work` (moves keep the size).
bool InsideWhereItFits(const QRect& rc, const QRect& work)
{
    const bool bHorizontal = rc.width() > work.width() || (rc.left() >= work.left() && rc.right() <= work.right());
    const bool bVertical = rc.height() > work.height() || (rc.top() >= work.top() && rc.bottom() <= work.bottom());
    return bHorizontal && bVertical;
}

class VideoGeometry : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    // A player window started as by `korvoplayer FILE`, shown, placed at
    // `at` and active; with a file, once the file runs.
    CKorvoPlayerDlg& Start(const std::string& file, const QPoint& at = QPoint(100, 100))
    {
        std::string program = "korvoplayer";
        char* argv[] = {program.data(), const_cast<char*>(file.c_str())};
        SetCommandLine(file.empty() ? 1 : 2, argv);
        m_pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
        m_pDlg->move(at);
        m_pDlg->show();
        EXPECT_TRUE(WaitFor([&] { return m_pDlg->windowHandle()->isExposed(); }, kWaitMs));
        if (!file.empty()) {
            EXPECT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
        }
        EXPECT_TRUE(Settles());
        return *m_pDlg;
    }

    ~VideoGeometry() override
    {
        m_pDlg.reset();
        SetCommandLine(0, nullptr);
    }

    int State()
    {
        int nState = -1;
        m_pDlg->Graph().GetState(0, &nState);
        return nState;
    }

    QRect Server() const { return ServerRect(m_pDlg->winId()); }

    // Waits until the X server has the window where Qt has it, and the two
    // stay so for a moment (the window manager answers in its own time).
    // When the window manager places the window itself (full screen, or
    // `bServerOnly`) Qt may keep the old position, as a busy server can leave
    // it without the move: then only the server's rectangle counts.
    bool Settles(const QRect& expected = QRect(), bool bServerOnly = false)
    {
        QRect last;
        int nSame = 0;
        const bool bSettled = WaitFor(
            [&] {
                QTest::qWait(20);
                const QRect now = Server();
                const bool bAgree = bServerOnly || m_pDlg->isFullScreen() || now == m_pDlg->geometry();
                nSame = now == last && bAgree && (expected.isNull() || now == expected)
                            ? nSame + 1
                            : 0;
                last = now;
                return nSame >= 3;
            },
            kWaitMs);
        if (!bSettled)
            ADD_FAILURE() << "server " << Describe(last) << " Qt " << Describe(m_pDlg->geometry()) << " expected "
                          << Describe(expected);
        return bSettled;
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(m_pDlg.get());
        QTest::keyClick(m_pDlg.get(), key, modifiers);
    }

    // Chooses the context menu's entry with the text `text`.
    void Menu(const QString& text)
    {
        for (QAction* pAction : m_pDlg->ContextMenu()->findChildren<QAction*>()) {
            if (pAction->text() == text)
                return pAction->trigger();
        }
        ADD_FAILURE() << "no menu entry " << text.toStdString();
    }

    // A click of the mouse on a skin control.
    void Click(int nID)
    {
        QWidget* pControl = m_pDlg->SkinManager()->GetControl(nID);
        ASSERT_NE(pControl, nullptr) << nID;
        QApplication::setActiveWindow(m_pDlg.get());
        QTest::mouseClick(pControl, Qt::LeftButton);
    }

    // A skin control's command, as a skin that has the control sends it.
    void Control(int nID) { CMessageEvent::Send(m_pDlg.get(), WM_COMMAND, nID, 0); }

    CScreenWnd* Screen() const { return m_pDlg->ScreenWnd(); }
    QRect Picture() const { return Screen()->PictureRect().ToQRect(); }

    QSize Minimum() const
    {
        int cx = 0;
        int cy = 0;
        m_pDlg->SkinManager()->GetMinimunSize(&cx, &cy);
        return QSize(cx, cy);
    }

    QRect WorkArea() const { return m_pDlg->screen()->availableGeometry(); }

    // What every command leaves: a window of at least the skin's minimum
    // size, and a picture inside the screen window.
    void ExpectSound(const std::string& what)
    {
        const QSize minimum = Minimum();
        EXPECT_GE(m_pDlg->width(), minimum.width()) << what;
        EXPECT_GE(m_pDlg->height(), minimum.height()) << what;
        const QRect picture = Picture();
        if (m_pDlg->Graph().IsOpen() || Screen()->isVisible()) {
            EXPECT_TRUE(QRect(QPoint(), Screen()->size()).contains(picture))
                << what << " picture " << Describe(picture) << " in " << Describe(Screen()->geometry());
            EXPECT_TRUE(QRect(QPoint(), m_pDlg->size()).contains(Screen()->geometry()))
                << what << " screen " << Describe(Screen()->geometry()) << " in " << Describe(m_pDlg->geometry());
            EXPECT_FALSE(picture.isEmpty()) << what;
        }
    }

    // Named after the video path when one is forced, so that the runs on
    // each path keep their own shots.
    std::string Artifact(const std::string& name) const
    {
        std::filesystem::create_directories(GEOMETRY_ARTIFACT_DIR);
        const char* pszPath = std::getenv("KORVOPLAYER_VIDEO_SINK");
        return std::string(GEOMETRY_ARTIFACT_DIR) + "/" + (pszPath != nullptr ? std::string(pszPath) + "-" : "") + name;
    }

    QImage ScreenShot(const std::string& name)
    {
        const std::string path = Artifact(name);
        EXPECT_EQ(std::system(("import -window root " + path).c_str()), 0);
        return QImage(QString::fromStdString(path));
    }

    // Screenshots until one shows what `shows` looks for (a busy machine
    // draws the picture late), or the wait ends; the last one taken.
    QImage ScreenShotWhen(const std::string& name, const std::function<bool(const QImage&)>& shows)
    {
        QImage shot;
        WaitFor([&] { return shows(shot = ScreenShot(name)); }, kWaitMs * 6);
        return shot;
    }

    CDebugCapture m_capture;
    std::unique_ptr<CKorvoPlayerDlg> m_pDlg;
};

TEST_F(VideoGeometry, RatiosShapeThePictureInsideTheVideoAreaFromTheMenu)
{
    CKorvoPlayerDlg& dlg = Start(ClipPath(640, 480));
    ASSERT_EQ(Screen()->size(), QSize(640, 480));
    const QRect window = Server();
    EXPECT_EQ(Picture(), QRect(0, 0, 640, 480));
    // k = trunc(480 x 16 / 9) = 853, t = 640 x 480 / 853 = 360.
    Menu("16 : 9 (HDTV)\tCtrl+F8");
    EXPECT_EQ(Picture(), QRect(0, 60, 640, 360));
    EXPECT_DOUBLE_EQ(dlg.Geometry().AspectRatio(), 16.0 / 9.0);
    Menu("Normal\tCtrl+F5");
    EXPECT_EQ(Picture(), QRect(0, 0, 640, 480));
    Menu("2.35 : 1 (Screen)\tCtrl+F10");
    EXPECT_EQ(Picture(), QRect(0, 104, 640, 272));
    Menu("Full\tCtrl+F6");
    EXPECT_EQ(Picture(), QRect(0, 0, 640, 480));
    // 480 x 1.85 is 888 in doubles: t = 345.
    Menu("1.85 : 1 (Screen)\tCtrl+F9");
    EXPECT_EQ(Picture(), QRect(0, 68, 640, 345));
    Menu("User Define\tCtrl+F11");
    EXPECT_EQ(Picture(), QRect(80, 0, 480, 480));
    Menu("4 : 3 (TV)\tCtrl+F7");
    EXPECT_EQ(Picture(), QRect(0, 0, 640, 480));
    // The window keeps its size throughout.
    EXPECT_TRUE(Settles(window));
    // Paused, a ratio still applies; the next start takes the picture's own.
    Key(Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Paused; }));
    Menu("16 : 9 (HDTV)\tCtrl+F8");
    EXPECT_EQ(Picture(), QRect(0, 60, 640, 360));
    dlg.OnStop();
    dlg.OnPlay();
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; }));
    EXPECT_EQ(Picture(), QRect(0, 0, 640, 480));
    EXPECT_DOUBLE_EQ(dlg.Geometry().AspectRatio(), 640.0 / 480.0);
}

TEST_F(VideoGeometry, TheUserRatioComesFromTheCommandLine)
{
    std::string program = "korvoplayer";
    std::string option = "--user-ratio";
    std::string value = "2:1";
    char* argv[] = {program.data(), option.data(), value.data()};
    SetCommandLine(3, argv);
    m_pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
    m_pDlg->show();
    ASSERT_TRUE(WaitFor([&] { return m_pDlg->windowHandle()->isExposed(); }, kWaitMs));
    Menu("User Define\tCtrl+F11");
    EXPECT_DOUBLE_EQ(m_pDlg->Geometry().AspectRatio(), 2.0);
    EXPECT_DOUBLE_EQ(m_pDlg->SkinManager()->m_dAspectRatio, 2.0);
}

TEST_F(VideoGeometry, ScalesSizeTheWindowFromItsKeptCorner)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    Key(Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Paused; }));
    const QPoint corner = QPoint(dlg.Geometry().SavedWindowRect().left, dlg.Geometry().SavedWindowRect().top);
    dlg.move(300, 200);
    ASSERT_TRUE(Settles());
    Key(Qt::Key_4);
    EXPECT_TRUE(Settles());
    EXPECT_EQ(Server().topLeft(), corner);
    EXPECT_EQ(Screen()->size(), QSize(640, 480));
    EXPECT_EQ(Picture(), QRect(0, 0, 640, 480));
    EXPECT_EQ(dlg.Geometry().Scale(), 2.0);
    const QSize margins = dlg.size() - Screen()->size();
    // x 0.5 asks for 160 x 120: the skin's minimum is larger.
    Key(Qt::Key_1);
    EXPECT_TRUE(Settles(QRect(corner, Minimum())));
    ExpectSound("x 0.5");
    Key(Qt::Key_3);
    EXPECT_TRUE(Settles(QRect(corner, (QSize(480, 360) + margins).expandedTo(Minimum()))));
    Key(Qt::Key_2);
    EXPECT_TRUE(Settles(QRect(corner, QSize(320, 240).expandedTo(Minimum() - margins) + margins)));
    ExpectSound("x 1.0");
    // From the menu, with the 16:9 ratio: 426 x 240 doubled.
    Menu("16 : 9 (HDTV)\tCtrl+F8");
    Menu("x 2.0\t4");
    EXPECT_TRUE(Settles(QRect(corner, QSize(852, 480) + margins)));
    EXPECT_EQ(Picture(), QRect(0, 0, 852, 480));
}

TEST_F(VideoGeometry, ScaleAndFitDoNothingWithoutAFile)
{
    CKorvoPlayerDlg& dlg = Start("");
    const QRect window = Server();
    for (Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_7})
        Key(key);
    Control(IDC_FULLSCREEN);
    Menu("Fit Desktop\t5");
    Menu("Fit Clip\t7");
    EXPECT_TRUE(Settles(window));
    EXPECT_EQ(dlg.Geometry().FullScreenMode(), kWindowed);
    // Ratios work without a file (the logo's shape for Normal).
    Menu("16 : 9 (HDTV)\tCtrl+F8");
    EXPECT_DOUBLE_EQ(dlg.SkinManager()->m_dAspectRatio, 16.0 / 9.0);
    Menu("Normal\tCtrl+F5");
    const QSize logo = dlg.ScreenWnd()->Logo()->GetPictureSize();
    EXPECT_DOUBLE_EQ(dlg.Geometry().AspectRatio(), double(logo.width()) / logo.height());
    EXPECT_TRUE(Settles(window));
    EXPECT_FALSE(Screen()->isVisible());
}

TEST_F(VideoGeometry, FitDesktopTakesTheDisplaysWidthAndFitClipTheClips)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    const QRect display = WorkArea();
    const QSize margins = dlg.size() - Screen()->size();
    Key(Qt::Key_5);
    // 4:3 over the work area's width, which leaves room below on this
    // display (a wider one makes the window as high as the work area).
    const int nArea = display.width() - margins.width();
    EXPECT_TRUE(Settles(QRect(display.topLeft(), QSize(display.width(), nArea * 3 / 4 + margins.height()))));
    EXPECT_EQ(Picture(), QRect(QPoint(), Screen()->size()));
    // With the Full ratio the video area keeps its height.
    dlg.setGeometry(200, 150, 700, 500);
    ASSERT_TRUE(Settles());
    const int nHeight = Screen()->height();
    Menu("Full\tCtrl+F6");
    Control(IDC_FULLSCREEN);
    EXPECT_TRUE(Settles(QRect(display.topLeft(), QSize(display.width(), nHeight + margins.height()))));
    ExpectSound("Fit Desktop, Full");
    // Fit Clip: the window around the picture of the Normal ratio, keeping
    // its corner.
    dlg.setGeometry(200, 150, 900, 500);
    ASSERT_TRUE(Settles());
    Menu("Normal\tCtrl+F5");
    const QSize picture = Picture().size();
    Key(Qt::Key_7);
    EXPECT_TRUE(Settles());
    EXPECT_EQ(Server().topLeft(), QPoint(200, 150));
    // The area takes the picture's size; fitting the ratio into it again
    // may lose the pixel that the division truncated.
    EXPECT_EQ(Screen()->size(), picture);
    EXPECT_LE(picture.width() - Picture().width(), 1);
    EXPECT_LE(picture.height() - Picture().height(), 1);
}

TEST_F(VideoGeometry, MaximizeFillsTheWorkAreaAndRestores)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    const QRect window = Server();
    Key(Qt::Key_6);
    EXPECT_TRUE(Settles(WorkArea(), true));
    EXPECT_TRUE(dlg.isMaximized());
    ExpectSound("maximized");
    Click(IDC_SYS_MAXIMIZE);
    EXPECT_TRUE(Settles(window));
    EXPECT_FALSE(dlg.isMaximized());
    Menu("Maxmize/Restore\t6");
    EXPECT_TRUE(Settles(WorkArea(), true));
}

// Enter and Ctrl+Enter on a playing clip: the picture covers the display,
// the frame is hidden, a drag does not move the window, and leaving puts
// the window back exactly.
TEST_F(VideoGeometry, BothFullScreenModesCoverTheDisplayAndRestoreExactly)
{
    CKorvoPlayerDlg& dlg = Start(ClipPath(320, 240, "smptebars"));
    dlg.setGeometry(150, 120, 600, 420);
    const QRect window(150, 120, 600, 420);
    ASSERT_TRUE(Settles(window));
    const QRect windowed = Picture();
    const QRect display = dlg.screen()->geometry();

    const size_t nLines = m_capture.Lines().size();
    Key(Qt::Key_Return);
    EXPECT_EQ(dlg.Geometry().FullScreenMode(), kFullScreenKeepRatio);
    // Enter traces the mode it found.
    const std::vector<std::string> lines = m_capture.Lines();
    EXPECT_NE(std::find(lines.begin() + static_cast<long>(nLines), lines.end(), "0"), lines.end());
    EXPECT_TRUE(Settles(display));
    EXPECT_EQ(Screen()->geometry(), QRect(QPoint(), display.size()));
    EXPECT_EQ(Screen()->DragLock(), 1);
    // 320 x 240 over 1280 x 1024: 1280 x 960, centred.
    EXPECT_EQ(Picture(), QRect(0, (display.height() - display.width() * 3 / 4) / 2, display.width(),
                               display.width() * 3 / 4));
    // Black above and below the picture, the bars' colours inside it, once
    // the sink has drawn the picture at its new size.
    const QImage keep = ScreenShotWhen("fullscreen-keep-ratio.png", [&](const QImage& shot) {
        return shot.pixelColor(display.width() / 2, 10) == QColor(Qt::black) &&
               shot.pixelColor(display.width() / 8, display.height() / 3) != QColor(Qt::black);
    });
    ASSERT_FALSE(keep.isNull());
    EXPECT_EQ(keep.pixelColor(display.width() / 2, 10), QColor(Qt::black));
    EXPECT_NE(keep.pixelColor(display.width() / 8, display.height() / 3), QColor(Qt::black));

    // A left-button drag on the picture does not move the window.
    QWindow* pHandle = dlg.windowHandle();
    QTest::mousePress(pHandle, Qt::LeftButton, {}, QPoint(400, 400));
    QTest::mouseMove(pHandle, QPoint(500, 450));
    QTest::mouseRelease(pHandle, Qt::LeftButton, {}, QPoint(500, 450));
    EXPECT_TRUE(Settles(display));

    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(dlg.Geometry().FullScreenMode(), kFullScreenFill);
    EXPECT_EQ(Picture(), QRect(QPoint(), display.size()));
    const QImage fill = ScreenShotWhen("fullscreen-fill.png", [&](const QImage& shot) {
        return shot.pixelColor(display.width() / 8, 10) != QColor(Qt::black) &&
               shot.pixelColor(display.width() / 8, display.height() - 10) != QColor(Qt::black);
    });
    EXPECT_NE(fill.pixelColor(display.width() / 8, 10), QColor(Qt::black));
    EXPECT_NE(fill.pixelColor(display.width() / 8, display.height() - 10), QColor(Qt::black));
    // Its own ratio stays for mode 1.
    Key(Qt::Key_Return);
    EXPECT_EQ(dlg.Geometry().FullScreenMode(), kFullScreenKeepRatio);
    EXPECT_EQ(Picture().size(), QSize(display.width(), display.width() * 3 / 4));
    Key(Qt::Key_Return);
    EXPECT_EQ(dlg.Geometry().FullScreenMode(), kWindowed);
    EXPECT_TRUE(Settles(window));
    EXPECT_EQ(Screen()->DragLock(), 0);
    ExpectSound("after Enter, Enter");

    Key(Qt::Key_Return);
    EXPECT_TRUE(Settles(display));
    Key(Qt::Key_Return, Qt::ControlModifier);
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(Settles(window));
    EXPECT_EQ(Picture(), windowed);
    EXPECT_DOUBLE_EQ(dlg.SkinManager()->m_dAspectRatio, 320.0 / 240.0);
    // From the menu, and Ctrl+Enter straight from a window.
    Menu("Entire Screen\tCtrl+Enter");
    EXPECT_TRUE(Settles(display));
    EXPECT_EQ(Picture(), QRect(QPoint(), display.size()));
    Menu("Entire Screen\tCtrl+Enter");
    EXPECT_TRUE(Settles(window));
}

// Full screen lasts across files and begins without one (the frame stays
// hidden while none plays); each file takes its own shape there (or fills the
// display in mode 2), the cancel command does nothing in mode 1, and a scale
// command ends full screen.
TEST_F(VideoGeometry, FullScreenOutlivesTheFileAndAScaleEndsIt)
{
    CKorvoPlayerDlg& dlg = Start("");
    const QRect window = Server();
    const QRect display = dlg.screen()->geometry();
    const QRect whole(QPoint(), display.size());
    // 4:3 over 1280 x 1024 is 1280 x 960; 16:9 is 1280 x 720.
    const QRect tv(0, 32, 1280, 960);
    const QRect wide(0, 152, 1280, 720);
    for (int nMode : {kFullScreenKeepRatio, kFullScreenFill}) {
        Key(Qt::Key_Return, nMode == kFullScreenFill ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_TRUE(Settles(display));
        EXPECT_TRUE(Screen()->isVisible());
        EXPECT_EQ(Screen()->geometry(), whole);
        for (const auto& [file, picture] : {std::pair(ClipPath(320, 240), tv), std::pair(ClipPath(512, 288), wide)}) {
            dlg.Playlist()->AddFile(file.c_str());
            dlg.OnPlay();
            ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
            EXPECT_TRUE(Settles(display));
            EXPECT_EQ(Picture(), nMode == kFullScreenFill ? whole : picture) << file;
            dlg.OnStop();
            EXPECT_TRUE(Screen()->isVisible());
            EXPECT_EQ(Screen()->geometry(), whole);
            dlg.reject();
            EXPECT_EQ(dlg.isMinimized(), nMode == kFullScreenFill);
            dlg.showFullScreen();
            EXPECT_TRUE(Settles(display));
        }
        dlg.OnPlay();
        ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
        Key(Qt::Key_2);
        EXPECT_EQ(dlg.Geometry().FullScreenMode(), kWindowed);
        EXPECT_EQ(Screen()->DragLock(), 0);
        EXPECT_TRUE(Settles());
        EXPECT_EQ(Server().topLeft(), window.topLeft());
        EXPECT_EQ(Picture(), QRect(QPoint(), Screen()->size()));
        ExpectSound("scaled out of full screen");
        dlg.OnStop();
        EXPECT_FALSE(Screen()->isVisible());
    }
}

// A panel on the left of the display, 100 pixels wide, that the window
// manager keeps out of the work area.
class LeftPanel {
public:
    LeftPanel()
    {
        m_panel.setWindowFlag(Qt::FramelessWindowHint);
        m_panel.setGeometry(0, 0, 100, 1024);
        const std::string id = std::to_string(m_panel.winId());
        Run("xprop -id " + id + " -f _NET_WM_WINDOW_TYPE 32a -set _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_DOCK");
        Run("xprop -id " + id + " -f _NET_WM_STRUT_PARTIAL 32c -set _NET_WM_STRUT_PARTIAL 100,0,0,0,0,1023,0,0,0,0,0,0");
        Run("xprop -id " + id + " -f _NET_WM_STRUT 32c -set _NET_WM_STRUT 100,0,0,0");
        m_panel.show();
    }

private:
    QWidget m_panel;
};

TEST_F(VideoGeometry, PanAndScanKeepToTheWorkAreaBesideAPanel)
{
    LeftPanel panel;
    CKorvoPlayerDlg& dlg = Start("");
    ASSERT_TRUE(WaitFor([&] { return WorkArea().left() == 100; }, kWaitMs)) << Describe(WorkArea());
    const QRect work = WorkArea();
    const QSize size = dlg.size();
    Key(Qt::Key_5, kCtrlAltPad);
    EXPECT_TRUE(Settles(QRect(QPoint(100 + (work.width() - size.width()) / 2, (work.height() - size.height()) / 2),
                              size)));
    Key(Qt::Key_7, kCtrlAltPad);
    EXPECT_TRUE(Settles(QRect(work.topLeft(), size)));
    Key(Qt::Key_4, kCtrlAltPad);
    EXPECT_TRUE(Settles(QRect(work.topLeft(), size)));
    dlg.move(105, 40);
    ASSERT_TRUE(Settles());
    Menu("Move Left\tCtrl+Alt+Numpad 4");
    EXPECT_TRUE(Settles(QRect(QPoint(100, 40), size)));
    Key(Qt::Key_6, kCtrlAltPad);
    Key(Qt::Key_2, kCtrlAltPad);
    EXPECT_TRUE(Settles(QRect(QPoint(110, 50), size)));
    Key(Qt::Key_8, kCtrlAltPad);
    Menu("Move Bottom\tCtrl+Alt|Numpad 2");
    EXPECT_TRUE(Settles(QRect(QPoint(110, 50), size)));
    Key(Qt::Key_3, kCtrlAltPad);
    EXPECT_TRUE(Settles(QRect(work.bottomRight() - QPoint(size.width(), size.height()) + QPoint(1, 1), size)));
    Key(Qt::Key_9, kCtrlAltPad);
    Key(Qt::Key_1, kCtrlAltPad);
    EXPECT_TRUE(Settles(QRect(QPoint(work.left(), work.bottom() + 1 - size.height()), size)));
    // Inc Size in the bottom-left corner grows up and to the right.
    Key(Qt::Key_Plus, kCtrlAltPad);
    EXPECT_TRUE(Settles(QRect(QPoint(work.left(), work.bottom() + 1 - size.height() - 20), size + QSize(20, 20))));
    // Dec Size back to the minimum, and there it stays.
    Key(Qt::Key_Minus, kCtrlAltPad);
    EXPECT_TRUE(Settles());
    Key(Qt::Key_Minus, kCtrlAltPad);
    EXPECT_TRUE(Settles());
    EXPECT_EQ(dlg.size(), Minimum());
    const QRect minimum = Server();
    Menu("Dec Size\tCtrl+Alt+Numpad -, Ctrl+Alt+-");
    EXPECT_TRUE(Settles(minimum));
}

// Every command, with no file, while a file opens, playing, paused and
// minimized, each held down for many repeats: the window never goes below
// the skin's minimum, pan and scan never leave the work area, and the
// picture stays inside the screen window.
TEST_F(VideoGeometry, EveryCommandHeldDownLeavesASoundWindow)
{
    CKorvoPlayerDlg& dlg = Start("");
    const std::vector<int> commands = {
        ID_RATIO_BASIC,         ID_RATIO_FULL,         ID_RATIO_4VS3,          ID_RATIO_16VS9,
        ID_RATIO_1DOT85VS1,     ID_RATIO_2DOT35VS1,    ID_RATIO_USERDEFINE,    ID_SCALE_0DOT5,
        ID_SCALE_1DOT0,         ID_SCALE_1DOT5,        ID_SCALE_2DOT0,         ID_SCALE_SCREEN,
        ID_SCALE_MAXIMIZE,      ID_SCALE_IMAGE,        ID_SCALE_FULLSCREEN,    ID_SCALE_ENTIRESCREEN,
        ID_SCAN_MOVELEFT,       ID_SCAN_MOVERIGHT,     ID_SCAN_MOVEUP,         ID_SCAN_MOVEDOWN,
        ID_SCAN_INCSIZE,        ID_SCAN_DECSIZE,       ID_SCAN_MOVECENTER,     ID_SCAN_MOVELEFTTOP,
        ID_SCAN_MOVERIGHTTOP,   ID_SCAN_MOVERIGHTBOTTOM, ID_SCAN_MOVELEFTBOTTOM};
    auto holdEach = [&](const std::string& when) {
        for (int nID : commands) {
            for (int i = 0; i < 60; ++i) {
                dlg.OnCommand(nID);
                QCoreApplication::processEvents();
            }
            QTest::qWait(30);
            ExpectSound(when + " " + std::to_string(nID));
            const bool bPanScan = nID >= ID_SCAN_MOVELEFT && nID <= ID_SCAN_MOVELEFTBOTTOM;
            const bool bWindowed = dlg.Geometry().FullScreenMode() == kWindowed && !dlg.isMaximized();
            EXPECT_TRUE(!bPanScan || !bWindowed || InsideWhereItFits(dlg.geometry(), WorkArea()))
                << when << " " << nID << Describe(dlg.geometry());
        }
        // Back to a window for the next round.
        while (dlg.Geometry().FullScreenMode() != kWindowed)
            dlg.OnCommand(ID_SCALE_ENTIRESCREEN);
        if (dlg.isMaximized())
            dlg.OnCommand(ID_SCALE_MAXIMIZE);
        EXPECT_TRUE(Settles());
    };
    holdEach("no file");
    // Every command once more while the file opens: they wait in the queue
    // that the start serves while the file prerolls.
    for (int nID : commands) {
        for (int i = 0; i < 3; ++i)
            QMetaObject::invokeMethod(&dlg, [&dlg, nID] { dlg.OnCommand(nID); }, Qt::QueuedConnection);
    }
    dlg.Playlist()->AddFile(TestMediaPath(TestMedia::Wmv20s).c_str());
    dlg.OnPlay();
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << LastReport();
    QTest::qWait(100);
    ExpectSound("opening");
    while (dlg.Geometry().FullScreenMode() != kWindowed)
        dlg.OnCommand(ID_SCALE_ENTIRESCREEN);
    holdEach("playing");
    dlg.OnPause();
    holdEach("paused");
    dlg.showMinimized();
    holdEach("minimized");
    EXPECT_EQ(dlg.MessageBox(), nullptr);
}

// Pictures of odd shapes and a file without one: every ratio and scale
// leaves a window of at least the minimum size with the picture inside.
TEST_F(VideoGeometry, OddPicturesAndTheLogoKeepTheWindowSound)
{
    const std::vector<std::pair<std::string, QSize>> files = {
        {ClipPath(1, 1, "color=c=red"), QSize(1, 1)},
        {ClipPath(4000, 16), QSize(4000, 16)},
        {ClipPath(16, 4000), QSize(16, 4000)},
        {TestMediaPath(TestMedia::Mp3), QSize()}};
    for (const auto& [file, size] : files) {
        // The first file sizes the window: in the corner the tallest fits.
        CKorvoPlayerDlg& dlg = Start(file, QPoint(0, 0));
        long lWidth = 0;
        long lHeight = 0;
        ASSERT_EQ(dlg.Graph().GetOriginalScreenSize(&lWidth, &lHeight), S_OK);
        const QSize expected = size.isValid() ? size : dlg.ScreenWnd()->Logo()->GetPictureSize();
        EXPECT_EQ(QSize(lWidth, lHeight), expected) << file;
        ExpectSound(file + " start");
        for (int nID : {ID_SCALE_0DOT5, ID_SCALE_2DOT0, ID_RATIO_16VS9, ID_SCALE_1DOT5, ID_RATIO_BASIC, ID_SCALE_IMAGE,
                        ID_SCALE_SCREEN, ID_RATIO_FULL, ID_SCALE_1DOT0, ID_SCALE_ENTIRESCREEN, ID_SCALE_FULLSCREEN,
                        ID_SCALE_FULLSCREEN}) {
            dlg.OnCommand(nID);
            EXPECT_TRUE(Settles()) << file << " " << nID;
            ExpectSound(file + " " + std::to_string(nID));
        }
        EXPECT_EQ(dlg.MessageBox(), nullptr) << LastReport();
        m_pDlg.reset();
    }
}

} // namespace
