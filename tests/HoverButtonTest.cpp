// The hover button: frame choice, frame size, state images and repeat.
#include "SkinControlHelpers.h"
#include "controls/HoverButton.h"
#include "controls/TransparentStatic.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

const std::vector<QColor> kFrames = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

class HoverButton : public ::testing::Test {
protected:
    HoverButton() : m_button(&m_window)
    {
        m_button.item->Image(SKINIMAGE_ONSETFOCUS) = FrameStrip(30, 10, kFrames);
        m_button.item->Image(SKINIMAGE_ONPLAYING) = FrameStrip(30, 10, {Qt::black, Qt::black, Qt::black, Qt::black});
        m_button.item->Image(SKINIMAGE_ONPAUSE) = m_button.item->Image(SKINIMAGE_ONSETFOCUS);
        m_button.pControl->setGeometry(0, 0, 30, 10);
        m_window.resize(40, 20);
        m_window.show();
    }

    CHoverButton* Button() const { return m_button.pControl; }
    QColor Shown() const { return Button()->grab().toImage().pixelColor(15, 5); }

    void Draw()
    {
        QImage canvas = Canvas(30, 10);
        QPainter painter(&canvas);
        RECT rc{0, 0, 30, 10};
        Button()->Draw(&painter, &rc);
    }

    CMessageWindow m_window;
    SkinnedControl<CHoverButton> m_button;
};

} // namespace

TEST(HoverButtonFrames, FrameFromItemState)
{
    EXPECT_EQ(CHoverButton::FrameIndex(false, false, false), 0);
    EXPECT_EQ(CHoverButton::FrameIndex(false, false, true), 1);
    EXPECT_EQ(CHoverButton::FrameIndex(true, false, true), 2);
    EXPECT_EQ(CHoverButton::FrameIndex(true, true, false), 2);
    EXPECT_EQ(CHoverButton::FrameIndex(false, true, true), 3);
}

TEST_F(HoverButton, FrameWidthIsAQuarterOfTheStrip)
{
    Draw();
    EXPECT_EQ(Button()->FrameWidth(), 30);
    SkinnedControl<CHoverButton> odd(&m_window);
    odd.item->Image(SKINIMAGE_ONSETFOCUS) = QPixmap(122, 10);
    QImage canvas = Canvas(40, 10);
    QPainter painter(&canvas);
    RECT rc{0, 0, 40, 10};
    odd.pControl->Draw(&painter, &rc);
    EXPECT_EQ(odd.pControl->FrameWidth(), 30);
}

TEST_F(HoverButton, PaintShowsTheFrameOfTheState)
{
    EXPECT_EQ(Shown(), QColor(Qt::red));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(Button(), &enter);
    EXPECT_TRUE(Button()->IsHovering());
    EXPECT_EQ(Shown(), QColor(Qt::green));
    Button()->setDown(true);
    EXPECT_EQ(Shown(), QColor(Qt::blue));
    Button()->setDown(false);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(Button(), &leave);
    EXPECT_FALSE(Button()->IsHovering());
    Button()->setEnabled(false);
    EXPECT_EQ(Shown(), QColor(Qt::yellow));
}

TEST_F(HoverButton, StateImagesAfterTheFirstPaint)
{
    SkinnedControl<CHoverButton> fresh(&m_window);
    fresh.item->Image(SKINIMAGE_ONSETFOCUS) = FrameStrip(30, 10, kFrames);
    fresh.item->Image(SKINIMAGE_ONPLAYING) = FrameStrip(30, 10, kFrames);
    fresh.pControl->OnPlaying();
    EXPECT_EQ(fresh.pControl->CurrentImage(), nullptr);

    Draw();
    Button()->OnPlaying();
    EXPECT_EQ(Shown(), QColor(Qt::black));
    Button()->OnPause();
    EXPECT_EQ(Shown(), QColor(Qt::red));
    Button()->OnPlaying();
    Button()->OnMute();
    EXPECT_EQ(Shown(), QColor(Qt::black));
    Button()->OnSizeState(SIZE_MAXIMIZED);
    EXPECT_EQ(Button()->CurrentImage(), &m_button.item->Image(SKINIMAGE_ONPLAYING));
}

TEST_F(HoverButton, RepeatTogglesTheRepeatImage)
{
    Button()->OnRepeat();
    EXPECT_FALSE(Button()->IsRepeatShown());
    Draw();
    Button()->OnRepeat();
    EXPECT_TRUE(Button()->IsRepeatShown());
    EXPECT_EQ(Button()->CurrentImage(), &m_button.item->Image(SKINIMAGE_ONSETFOCUS));

    m_button.item->Image(SKINIMAGE_ONREPEAT) = FrameStrip(30, 10, kFrames);
    Button()->OnRepeat();
    EXPECT_FALSE(Button()->IsRepeatShown());
    EXPECT_EQ(Button()->CurrentImage(), &m_button.item->Image(SKINIMAGE_ONSETFOCUS));
    Button()->OnRepeat();
    EXPECT_EQ(Button()->CurrentImage(), &m_button.item->Image(SKINIMAGE_ONREPEAT));
    Button()->OnRepeat();
    EXPECT_EQ(Button()->CurrentImage(), &m_button.item->Image(SKINIMAGE_ONSETFOCUS));
}

TEST_F(HoverButton, TooltipOnlyWhenActivated)
{
    std::string tip = "재생";
    Button()->SetTooltipText(nullptr, true);
    EXPECT_TRUE(Button()->toolTip().isEmpty());
    Button()->SetTooltipText(&tip, true);
    EXPECT_EQ(Button()->toolTip(), QString::fromUtf8("재생"));
    Button()->SetTooltipText(&tip, false);
    EXPECT_TRUE(Button()->toolTip().isEmpty());
}

TEST_F(HoverButton, ButtonOverAStaticShowsThePanelThroughItsKeyedPixels)
{
    SkinnedControl<CTransparentStatic> panel(&m_window);
    panel.item->m_sType = "color";
    panel.item->m_clrForeground = 0x00FF00;
    panel.pControl->setGeometry(0, 0, 40, 20);
    SkinnedControl<CHoverButton> keyed(panel.pControl);
    keyed.item->m_bTransparent = true;
    keyed.item->m_clrTransparent = 0xFF00FF;
    keyed.item->Image(SKINIMAGE_ONSETFOCUS) = FrameStrip(10, 10, {QColor(255, 0, 255), Qt::red, Qt::red, Qt::red});
    keyed.item->ApplyColorKey();
    keyed.pControl->setGeometry(5, 5, 10, 10);
    panel.pControl->show();
    keyed.pControl->show();
    panel.pControl->grab();
    EXPECT_EQ(keyed.pControl->grab().toImage().pixelColor(5, 5), QColor(Qt::green));
}
