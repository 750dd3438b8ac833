// The frame of the borderless windows: its zones, the arithmetic of a move
// or a size step with the minimum size, and the move handed to a window
// manager that ignores the window's own moves.
#include "controls/WindowFrame.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A window 300 x 200 at (100, 50).
const RECT kWindow{100, 50, 400, 250};

TEST(WindowFrameZones, EdgesCornersAndTheClientArea)
{
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {105, 150}), HTLEFT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {105, 55}), HTTOPLEFT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {110, 150}), HTCLIENT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {250, 50}), HTTOP);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {399, 50}), HTTOPRIGHT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {390, 150}), HTRIGHT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {399, 249}), HTBOTTOMRIGHT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {250, 240}), HTBOTTOM);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {100, 249}), HTBOTTOMLEFT);
}

// Right and bottom edges are excluded; the band is exactly 10 pixels wide.
TEST(WindowFrameZones, BandsAreHalfOpen)
{
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {109, 150}), HTLEFT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {389, 150}), HTCLIENT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {400, 150}), HTCLIENT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {250, 250}), HTCLIENT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {105, 60}), HTLEFT);
    EXPECT_EQ(CWindowFrame::HitTest(kWindow, {99, 150}), HTCLIENT);
}

// In a window smaller than two bands the earlier zone of the order wins.
TEST(WindowFrameZones, TheFirstZoneInOrderDecides)
{
    const RECT tiny{0, 0, 15, 15};
    EXPECT_EQ(CWindowFrame::HitTest(tiny, {7, 7}), HTTOPLEFT);
    EXPECT_EQ(CWindowFrame::HitTest(tiny, {12, 3}), HTTOPRIGHT);
    EXPECT_EQ(CWindowFrame::HitTest(tiny, {3, 12}), HTBOTTOMLEFT);
}

TEST(WindowFrameDrag, AMoveOffsetsTheWindow)
{
    QPoint q(200, 100);
    EXPECT_EQ(CWindowFrame::Drag(HTCLIENT, kWindow, {230, 90}, &q, {238, 100}), (RECT{130, 40, 430, 240}));
    EXPECT_EQ(q, QPoint(230, 90));
    EXPECT_EQ(CWindowFrame::Drag(HTCLIENT, kWindow, q, &q, {238, 100}), kWindow);
}

// A window 300 wide with a minimum of 238: its left edge dragged 100 pixels
// to the right stops 62 pixels in, and follows the cursor again on the way
// back once the cursor passes the held edge.
TEST(WindowFrameDrag, TheLeftEdgeStopsAtTheMinimumAndFollowsBack)
{
    const RECT start{0, 0, 300, 302};
    QPoint q(5, 150);
    RECT rc = CWindowFrame::Drag(HTLEFT, start, {105, 150}, &q, {238, 302});
    EXPECT_EQ(rc, (RECT{62, 0, 300, 302}));
    EXPECT_EQ(q.x(), 62);
    rc = CWindowFrame::Drag(HTLEFT, rc, {80, 150}, &q, {238, 302});
    EXPECT_EQ(rc.left, 62);
    rc = CWindowFrame::Drag(HTLEFT, rc, {50, 150}, &q, {238, 302});
    EXPECT_EQ(rc, (RECT{50, 0, 300, 302}));
    EXPECT_EQ(q.x(), 50);
    rc = CWindowFrame::Drag(HTLEFT, rc, {20, 150}, &q, {238, 302});
    EXPECT_EQ(rc.left, 20);
}

TEST(WindowFrameDrag, EachEdgeOfACornerIsHeldOnItsOwn)
{
    const RECT start{0, 0, 300, 302};
    QPoint q(295, 297);
    // Past the left and above the top edge: both held at the minimum.
    RECT rc = CWindowFrame::Drag(HTBOTTOMRIGHT, start, {-400, -400}, &q, {238, 302});
    EXPECT_EQ(rc, (RECT{0, 0, 238, 302}));
    EXPECT_EQ(q, QPoint(238, 302));
    rc = CWindowFrame::Drag(HTBOTTOMRIGHT, rc, {260, 350}, &q, {238, 302});
    EXPECT_EQ(rc, (RECT{0, 0, 260, 350}));
    q = QPoint(5, 5);
    rc = CWindowFrame::Drag(HTTOPLEFT, start, {-15, 500}, &q, {238, 302});
    EXPECT_EQ(rc, (RECT{-20, 0, 300, 302}));
    EXPECT_EQ(q, QPoint(-15, 0));
}

// Past the opposite edge a size is never negative, even with no minimum.
TEST(WindowFrameDrag, NoSizeBelowTheMinimumOrBelowOnePixel)
{
    const RECT start{0, 0, 300, 302};
    for (int nHit : {HTLEFT, HTTOP, HTRIGHT, HTBOTTOM, HTTOPLEFT, HTTOPRIGHT, HTBOTTOMLEFT, HTBOTTOMRIGHT}) {
        QPoint q(150, 150);
        RECT rc = CWindowFrame::Drag(nHit, start, {5000, 5000}, &q, {0, 0});
        q = QPoint(150, 150);
        rc = CWindowFrame::Drag(nHit, rc, {-5000, -5000}, &q, {0, 0});
        EXPECT_GE(rc.Width(), 1) << nHit;
        EXPECT_GE(rc.Height(), 1) << nHit;
        q = QPoint(150, 150);
        rc = CWindowFrame::Drag(nHit, start, {-5000, 5000}, &q, {238, 302});
        EXPECT_GE(rc.Width(), 238) << nHit;
        EXPECT_GE(rc.Height(), 302) << nHit;
    }
}

// The host of a window whose manager may take over a move; it counts the
// moves it is asked to hand over.
class CRecordingHost : public IFrameWindow {
public:
    QSize FrameMinimumSize() const override { return {10, 10}; }
    void OnFrameDragEnd() override {}
    bool StartSystemMove(QWidget*) override
    {
        ++m_nSystemMoves;
        return true;
    }
    int m_nSystemMoves = 0;
};

// A drag of a window at (100, 100) by 10 pixels a step, 100 ms apart. A
// manager that ignores a window's own moves (`bIgnoring`) never makes them:
// Qt's geometry still follows each request, but the X server's events go
// on finding the window at (100, 100), and only they tell.
int SystemMovesOfADrag(bool bIgnoring, QPoint* pEnd)
{
    QWidget window;
    window.setGeometry(100, 100, 300, 200);
    window.show();
    CRecordingHost host;
    CWindowFrame frame(&window, &host);
    auto send = [&](QEvent::Type type, int nStep, Qt::MouseButtons buttons) {
        const QPoint onServer = bIgnoring ? QPoint(100, 100) : window.geometry().topLeft();
        const QPoint ptGlobal(250 + 10 * nStep, 200);
        QMouseEvent event(type, ptGlobal - onServer, ptGlobal, Qt::LeftButton, buttons, Qt::NoModifier);
        event.setTimestamp(100u * static_cast<unsigned>(nStep));
        QApplication::sendEvent(&window, &event);
    };
    send(QEvent::MouseButtonPress, 0, Qt::LeftButton);
    for (int i = 1; i <= 6 && frame.IsDragging(); ++i)
        send(QEvent::MouseMove, i, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 6, Qt::NoButton);
    *pEnd = window.geometry().topLeft();
    return host.m_nSystemMoves;
}

// From the second step on, three steps over 120 ms and more find the
// window where the press did: the fourth hands the drag over, and the frame
// asks for no move after that.
TEST(WindowFrameMove, AMoveTheManagerIgnoresIsHandedToIt)
{
    QPoint end;
    EXPECT_EQ(SystemMovesOfADrag(true, &end), 1);
    EXPECT_EQ(end, QPoint(130, 100));
}

TEST(WindowFrameMove, AMoveTheManagerHonoursStaysTheFrames)
{
    QPoint end;
    EXPECT_EQ(SystemMovesOfADrag(false, &end), 0);
    EXPECT_EQ(end, QPoint(160, 100));
}

} // namespace
