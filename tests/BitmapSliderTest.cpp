// The bitmap slider: position and pixel arithmetic, dragging, keys, the two
// notifications and how the channel is drawn.
#include "DebugCapture.h"
#include "SkinControlHelpers.h"
#include "winsys/WindowSystem.h"
#include "controls/BitmapSlider.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

class BitmapSlider : public ::testing::Test {
protected:
    BitmapSlider() : m_slider(&m_window)
    {
        m_slider.item->m_nID = 1009;
        m_window.resize(120, 20);
        Slider()->setGeometry(0, 0, 100, 8);
        QPixmap knob = QPixmap::fromImage(Canvas(10, 8, Qt::black));
        Slider()->SetKnobBitmaps(&knob, nullptr, true, 0xFF00FF);
    }

    CBitmapSlider* Slider() const { return m_slider.pControl; }

    void Mouse(QEvent::Type type, int x)
    {
        QMouseEvent event(type, QPointF(x, 4), QPointF(x, 4), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Slider(), &event);
    }

    void Key(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(Slider(), &event);
    }

    std::vector<unsigned> Messages() const
    {
        std::vector<unsigned> messages;
        for (const auto& message : m_window.m_messages)
            messages.push_back(message.nMessage);
        return messages;
    }

    QImage Drawn()
    {
        QImage canvas = Canvas(Slider()->width(), Slider()->height());
        QPainter painter(&canvas);
        RECT rc{0, 0, Slider()->width(), Slider()->height()};
        Slider()->Draw(&painter, &rc);
        return canvas;
    }

    CMessageWindow m_window;
    SkinnedControl<CBitmapSlider> m_slider;
};

} // namespace

TEST_F(BitmapSlider, PositionAndPixelArithmetic)
{
    EXPECT_EQ(Slider()->Pos2Pixel(0, 100), 5);
    EXPECT_EQ(Slider()->Pos2Pixel(50, 100), 50);
    EXPECT_EQ(Slider()->Pos2Pixel(100, 100), 95);
    EXPECT_EQ(Slider()->Pixel2Pos(50), 50);
    Slider()->SetRangeMinMax(0, 3, false);
    EXPECT_EQ(Slider()->Pos2Pixel(1, 100), 35);
    EXPECT_EQ(Slider()->Pixel2Pos(34), 0);
    Slider()->SetRangeMinMax(0, 0, false);
    EXPECT_EQ(Slider()->Pos2Pixel(0, 100), 5);
}

TEST_F(BitmapSlider, SetPosLimitsToTheRange)
{
    Slider()->SetPos(150);
    EXPECT_EQ(Slider()->GetPos(), 100);
    Slider()->SetPos(-5);
    EXPECT_EQ(Slider()->GetPos(), 0);
    Slider()->SetRangeMinMax(10, 5, false);
    Slider()->SetPos(7);
    EXPECT_EQ(Slider()->GetPos(), 10);
}

TEST_F(BitmapSlider, DragKeepsTheGripWithinHalfAKnob)
{
    Slider()->SetPos(50);
    Mouse(QEvent::MouseButtonPress, 53);
    EXPECT_TRUE(Slider()->IsDragging());
    EXPECT_EQ(Slider()->GetPos(), 50);
    Mouse(QEvent::MouseMove, 63);
    EXPECT_EQ(Slider()->GetPos(), 61);
    Mouse(QEvent::MouseButtonRelease, 63);
    EXPECT_FALSE(Slider()->IsDragging());
    EXPECT_EQ(Messages(), (std::vector<unsigned>{WM_SLIDER_MOVING, WM_SLIDER_MOVING, WM_SLIDER_MOVED}));
    EXPECT_EQ(m_window.m_messages.back().wParam, 1009u);
    EXPECT_EQ(m_window.m_messages.back().lParam, 61);

    Slider()->SetPos(50);
    Mouse(QEvent::MouseButtonPress, 56);
    EXPECT_EQ(Slider()->GetPos(), 56);
    Mouse(QEvent::MouseMove, 4);
    EXPECT_EQ(Slider()->GetPos(), 0);
    Mouse(QEvent::MouseButtonRelease, 4);
}

TEST_F(BitmapSlider, EmptyRangeReportsTheMinimum)
{
    Slider()->SetPos(0);
    Slider()->SetRangeMinMax(0, 0, false);
    Mouse(QEvent::MouseButtonPress, 70);
    Mouse(QEvent::MouseButtonRelease, 70);
    EXPECT_EQ(Slider()->GetPos(), 0);
    EXPECT_EQ(m_window.m_messages.back().lParam, 0);
}

TEST_F(BitmapSlider, KeysStepOnlyWhenEnabledAndSendOnlyMoved)
{
    Slider()->SetPos(50);
    Slider()->EnableSlider(false);
    Key(Qt::Key_Home);
    Key(Qt::Key_Right);
    EXPECT_EQ(Slider()->GetPos(), 50);
    Mouse(QEvent::MouseButtonPress, 10);
    EXPECT_TRUE(m_window.m_messages.empty());

    Slider()->EnableSlider(true);
    Key(Qt::Key_Right);
    EXPECT_EQ(Slider()->GetPos(), 51);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Slider()->GetPos(), 31);
    Key(Qt::Key_End);
    EXPECT_EQ(Slider()->GetPos(), 100);
    Key(Qt::Key_Up);
    EXPECT_EQ(Slider()->GetPos(), 99);
    EXPECT_EQ(Messages(), std::vector<unsigned>(4, WM_SLIDER_MOVED));
}

TEST_F(BitmapSlider, DisablingEndsTheDrag)
{
    Mouse(QEvent::MouseButtonPress, 30);
    Slider()->EnableSlider(false);
    EXPECT_FALSE(Slider()->IsDragging());
}

TEST_F(BitmapSlider, HorizontalFillIsCroppedVerticalFillStretched)
{
    QPixmap empty = CoordinateImage(100, 8, 1);
    QPixmap fill = CoordinateImage(100, 8, 2);
    Slider()->SetChannelBitmaps(&empty, &fill, false, 0);
    Slider()->SetKnobBitmaps(nullptr, nullptr, false, 0);
    Slider()->SetPos(50);
    QImage horizontal = Drawn();
    EXPECT_EQ(horizontal.pixelColor(40, 3), QColor(40, 3, 2));
    EXPECT_EQ(horizontal.pixelColor(70, 3), QColor(70, 3, 1));

    Slider()->setGeometry(0, 0, 8, 100);
    Slider()->SetVertical(true);
    QPixmap vfill = CoordinateImage(8, 100, 2);
    QPixmap vempty = CoordinateImage(8, 100, 1);
    Slider()->SetChannelBitmaps(&vempty, &vfill, false, 0);
    QImage vertical = Drawn();
    // The whole fill image is squeezed into the filled 50 pixels.
    EXPECT_EQ(vertical.pixelColor(3, 0), QColor(3, 0, 2));
    EXPECT_EQ(vertical.pixelColor(3, 49).blue(), 2);
    EXPECT_GT(vertical.pixelColor(3, 40).green(), 70);
    EXPECT_EQ(vertical.pixelColor(3, 70), QColor(3, 70, 1));

    Slider()->EnableSlider(false);
    EXPECT_EQ(Drawn().pixelColor(3, 10), QColor(3, 10, 1));
}

TEST_F(BitmapSlider, KnobSitsOnThePositionAndIsKeyed)
{
    QPixmap knob = QPixmap::fromImage(Canvas(10, 8, QColor(255, 0, 255)));
    Slider()->SetKnobBitmaps(&knob, nullptr, true, 0xFF00FF);
    EXPECT_EQ(Drawn().pixelColor(5, 3), QColor(Qt::white));
    QPixmap black = QPixmap::fromImage(Canvas(10, 8, Qt::black));
    Slider()->SetKnobBitmaps(&black, nullptr, true, 0xFF00FF);
    Slider()->SetPos(100);
    QImage image = Drawn();
    EXPECT_EQ(image.pixelColor(90, 3), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(89, 3), QColor(Qt::white));
}

TEST_F(BitmapSlider, NullArgumentsReport87)
{
    CDebugCapture capture;
    Slider()->Draw(nullptr, nullptr);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CBitmapSlider::Draw()");
}
