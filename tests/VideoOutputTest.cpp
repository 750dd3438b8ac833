// The picture on each video path, as the X server shows it: this program
// is built once per path, with KORVOPLAYER_VIDEO_SINK forcing it. The Xv
// path falls back to plain X images where the server has no Xv (Xvfb).
// The X and GL programs run again with QT_SCALE_FACTOR at 1.5 and 2: the
// rectangles are given in logical pixels and looked for, in the server's
// screenshot, at the device pixels they cover.
#include "DebugCapture.h"
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "TestMedia.h"
#include "TestScreenWindow.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"
#include "playback/VideoPath.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string_view>
#include <vector>

namespace {

// A screen window that paints itself black, as the player's does around
// the picture: whatever is not black was drawn by the sink.
class CBlackScreenWindow : public CTestScreenWindow {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }
};

bool IsWhite(QRgb pixel)
{
    return qGray(pixel) > 200;
}

bool IsDark(QRgb pixel)
{
    return qGray(pixel) < 60;
}

class VideoOutputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    void SetUp() override
    {
        m_screen.resize(400, 300);
        ASSERT_EQ(m_graph.Init(&m_screen), S_OK);
    }

    // Each edge scaled on its own; the checks keep a margin of a few
    // pixels, so the rounding is not theirs to decide.
    QRect DeviceRect(const QRect& logical) const
    {
        const double r = m_screen.devicePixelRatioF();
        return QRectF(QPointF(logical.left() * r, logical.top() * r),
                      QPointF((logical.right() + 1) * r, (logical.bottom() + 1) * r))
            .toRect();
    }

    // In device pixels, whatever the ratio.
    QImage Screenshot()
    {
        const QPoint origin = m_screen.mapToGlobal(QPoint(0, 0));
        return m_screen.screen()->grabWindow(0, origin.x(), origin.y(), m_screen.width(), m_screen.height()).toImage();
    }

    // The disc clips are a black disc on white: the picture's corners are
    // white, and so is nothing outside its rectangle.
    bool ShowsThePictureIn(const QRect& logical)
    {
        const QImage shot = Screenshot();
        const QRect picture = DeviceRect(logical);
        const QRect inner = picture.adjusted(3, 3, -3, -3) & shot.rect().adjusted(3, 3, -3, -3);
        const QRect outer = picture.adjusted(-3, -3, 3, 3);
        for (QPoint pt : {inner.topLeft(), inner.topRight(), inner.bottomLeft(), inner.bottomRight()})
            if (!IsWhite(shot.pixel(pt)))
                return false;
        for (QPoint pt : {outer.topLeft(), outer.topRight(), outer.bottomLeft(), outer.bottomRight(),
                          QPoint(outer.left(), picture.center().y()), QPoint(picture.center().x(), outer.top())})
            if (shot.rect().contains(pt) && !IsDark(shot.pixel(pt)))
                return false;
        return IsDark(shot.pixel(picture.center()));
    }

    void PlayPaused(const std::string& path, const QRect& picture)
    {
        ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
        ASSERT_EQ(m_graph.SetScreenSize(RECT::FromQRect(picture)), S_OK) << LastReport();
        ASSERT_EQ(m_graph.Pause(), S_OK) << LastReport();
        int nState = State_Stopped;
        ASSERT_EQ(m_graph.GetState(10000, &nState), S_OK);
        ASSERT_EQ(nState, State_Paused);
    }

    CBlackScreenWindow m_screen;
    CDirectShow m_graph{std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()};
};

// The first test of the program: the path is chosen, and said, once.
TEST_F(VideoOutputTest, TakesTheForcedPathOrTheNextOneDown)
{
    CDebugCapture capture;
    const VideoPath path = CVideoPath::ForThisRun();
    const char* pszForced = std::getenv("KORVOPLAYER_VIDEO_SINK");
    ASSERT_NE(pszForced, nullptr) << "the build gives each program of this test its path";
    const std::string_view forced = pszForced;
    std::string said;
    for (const std::string& line : capture.Lines())
        if (line.find("CVideoPath") != std::string::npos)
            said = line;
    EXPECT_NE(said.find(CVideoPath::SinkFactoryName(path)), std::string::npos) << said;
    EXPECT_NE(said.find("forced by KORVOPLAYER_VIDEO_SINK=" + std::string(forced)), std::string::npos) << said;
    if (forced == "gl") {
        EXPECT_EQ(path, VideoPath::Gl);
    } else if (forced == "x") {
        EXPECT_EQ(path, VideoPath::X);
    } else if (path == VideoPath::X) {
        EXPECT_NE(said.find("no Xv adaptor"), std::string::npos) << said;
    }
    EXPECT_EQ(CVideoPath::ForThisRun(), path);
}

TEST_F(VideoOutputTest, PlaysEachKindOfClipToTheEnd)
{
    for (TestMedia media : {TestMedia::Wmv, TestMedia::Avi, TestMedia::MpegProgram}) {
        const std::string path = TestMediaPath(media);
        SCOPED_TRACE(path);
        ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
        EXPECT_EQ(m_graph.SetScreenSize({0, 0, 400, 300}), S_OK);
        long lEvent = 0;
        EXPECT_TRUE(WaitFor([&] {
            intptr_t lParam1 = 0;
            intptr_t lParam2 = 0;
            while (lEvent != EC_COMPLETE && lEvent != EC_ERRORABORT &&
                   m_graph.GetEvent(&lEvent, &lParam1, &lParam2, 0) == S_OK)
                m_graph.FreeEventParams(lEvent, lParam1, lParam2);
            return lEvent == EC_COMPLETE || lEvent == EC_ERRORABORT;
        }));
        EXPECT_EQ(lEvent, EC_COMPLETE) << LastReport();
        EXPECT_EQ(m_graph.Stop(), S_OK);
    }
}

// Wide pixels (16:11) too: plain X images take square pixels only.
TEST_F(VideoOutputTest, ThePictureFillsItsRectangleAndMovesWithItWhilePaused)
{
    for (const auto& [nWidth, nHeight, nParN, nParD] : {std::tuple{320, 240, 1, 1}, std::tuple{352, 288, 16, 11}}) {
        SCOPED_TRACE(nParN);
        const QRect first(40, 30, 240, 180);
        PlayPaused(DiscClipPath(TestMedia::Wmv, nWidth, nHeight, nParN, nParD), first);
        EXPECT_TRUE(WaitFor([&] { return ShowsThePictureIn(first); }));
        // Smaller and off centre, then reaching past the window's edges
        // (the GL sink keeps its rectangle inside the window: not asked).
        std::vector<QRect> nexts = {QRect(150, 120, 160, 120)};
        if (CVideoPath::ForThisRun() != VideoPath::Gl)
            nexts.push_back(QRect(-40, -30, 480, 360));
        for (QRect next : nexts) {
            ASSERT_EQ(m_graph.SetScreenSize(RECT::FromQRect(next)), S_OK);
            // Painted black around the new rectangle, as the player's screen
            // window is whenever it places the picture.
            m_screen.update();
            EXPECT_TRUE(WaitFor([&] { return ShowsThePictureIn(next); })) << next.x() << "," << next.y();
        }
        EXPECT_EQ(m_graph.Stop(), S_OK);
    }
}

// Pictures of more than 8 bits a component (10-bit HEVC) are brought to 8
// bits before they are scaled for plain X images.
TEST_F(VideoOutputTest, ATenBitPictureFillsItsRectangle)
{
    const std::string path =
        MadeMedia("disc-hevc10.mkv", "-f lavfi -i color=c=white:size=320x240:rate=25:duration=2 -vf \"format=yuv420p,"
                                     "geq=lum='if(lte(pow(X-W/2,2)+pow(Y-H/2,2),9216),16,235)':cb=128:cr=128,"
                                     "format=yuv420p10le\" -c:v libx265 -x265-params log-level=error -f matroska");
    const QRect picture(40, 30, 240, 180);
    PlayPaused(path, picture);
    EXPECT_TRUE(WaitFor([&] { return ShowsThePictureIn(picture); }));
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

TEST_F(VideoOutputTest, APausedPictureIsDrawnAgainAfterItWasCovered)
{
    const QRect picture(20, 20, 300, 225);
    PlayPaused(DiscClipPath(TestMedia::Avi, 320, 240, 1, 1), picture);
    ASSERT_TRUE(WaitFor([&] { return ShowsThePictureIn(picture); }));
    QWidget cover;
    cover.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    cover.setStyleSheet("background: rgb(200, 0, 0)");
    cover.setGeometry(QRect(m_screen.mapToGlobal(QPoint(0, 0)), m_screen.size()));
    cover.show();
    EXPECT_TRUE(WaitFor([&] { return qRed(Screenshot().pixel(DeviceRect(picture).topLeft() + QPoint(5, 5))) > 150; }));
    cover.hide();
    EXPECT_TRUE(WaitFor([&] { return ShowsThePictureIn(picture); }));
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

} // namespace
