// The skinned static: its four looks, the nine-piece frame, centred images,
// text flags, state images and the command pass-through.
#include "DebugCapture.h"
#include "SkinControlHelpers.h"
#include "controls/HoverButton.h"
#include "controls/TransparentStatic.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

class TransparentStatic : public ::testing::Test {
protected:
    TransparentStatic() : m_static(&m_window) {}

    QImage DrawInto(QImage canvas, const RECT& rc)
    {
        QPainter painter(&canvas);
        m_static.pControl->Draw(&painter, &rc);
        painter.end();
        return canvas;
    }

    // The bounding box of the pixels that differ from white.
    static QRect Ink(const QImage& image)
    {
        QRect box;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) != QColor(Qt::white))
                    box |= QRect(x, y, 1, 1);
            }
        }
        return box;
    }

    QImage Text(const char* pszText, unsigned dwStyle, QSize size)
    {
        SkinnedControl<CTransparentStatic> label(&m_window);
        label.item->m_sType = "text";
        QFont font("DejaVu Sans");
        font.setPixelSize(11);
        label.pControl->setFont(font);
        label.pControl->ModifyStyle(dwStyle);
        label.pControl->SetText(pszText);
        QImage canvas = Canvas(size.width(), size.height());
        QPainter painter(&canvas);
        RECT rc{0, 0, size.width(), size.height()};
        label.pControl->Draw(&painter, &rc);
        return canvas;
    }

    CMessageWindow m_window;
    SkinnedControl<CTransparentStatic> m_static;
};

} // namespace

TEST_F(TransparentStatic, NinePieceCaptionKeepsFixedBordersAndKeysMagenta)
{
    QImage source(492, 26, QImage::Format_RGB32);
    QPainter painter(&source);
    painter.fillRect(0, 0, 71, 26, Qt::red);
    painter.fillRect(71, 0, 391, 26, Qt::green);
    painter.fillRect(462, 0, 30, 26, Qt::blue);
    painter.fillRect(0, 0, 10, 26, QColor(255, 0, 255));
    painter.end();
    CSkinItem& item = *m_static.item;
    item.m_sType = "bitmap";
    item.m_sImageAlign = "client";
    item.m_bTransparent = true;
    item.m_clrTransparent = 0xFF00FF;
    item.m_fixedSize[0] = 71;
    item.m_fixedSize[2] = 30;
    item.Image(SKINIMAGE_ONSETFOCUS) = QPixmap::fromImage(source);
    item.ApplyColorKey();

    QImage out = DrawInto(Canvas(600, 26), RECT{0, 0, 600, 26});
    EXPECT_EQ(out.pixelColor(5, 10), QColor(Qt::white));
    EXPECT_EQ(out.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(out.pixelColor(70, 10), QColor(Qt::red));
    EXPECT_EQ(out.pixelColor(71, 10), QColor(Qt::green));
    EXPECT_EQ(out.pixelColor(569, 25), QColor(Qt::green));
    EXPECT_EQ(out.pixelColor(570, 0), QColor(Qt::blue));
    EXPECT_EQ(out.pixelColor(599, 25), QColor(Qt::blue));
}

TEST_F(TransparentStatic, CentredImageIsUnscaledAndCutByTheRectangle)
{
    CSkinItem& item = *m_static.item;
    item.m_sType = "BITMAP";
    item.m_sImageAlign = "center";
    item.Image(SKINIMAGE_ONSETFOCUS) = CoordinateImage(399, 244, 7);

    QImage wide = DrawInto(Canvas(488, 244), RECT{0, 0, 488, 244});
    EXPECT_EQ(wide.pixelColor(43, 0), QColor(Qt::white));
    EXPECT_EQ(wide.pixelColor(44, 0), QColor(0, 0, 7));
    EXPECT_EQ(wide.pixelColor(44 + 398, 243), QColor(398 % 256, 243, 7));

    QImage small = DrawInto(Canvas(300, 200), RECT{0, 0, 300, 200});
    EXPECT_EQ(small.pixelColor(0, 0), QColor(49, 22, 7));
}

TEST_F(TransparentStatic, ColourFillAndNothingForTransparentOrTile)
{
    m_static.item->m_sType = "color";
    m_static.item->m_clrForeground = 97 | (148 << 8) | (221 << 16);
    EXPECT_EQ(DrawInto(Canvas(20, 20), RECT{5, 5, 15, 15}).pixelColor(10, 10), QColor(97, 148, 221));
    EXPECT_EQ(DrawInto(Canvas(20, 20), RECT{5, 5, 15, 15}).pixelColor(2, 2), QColor(Qt::white));

    m_static.item->m_sType = "transparent";
    EXPECT_TRUE(Ink(DrawInto(Canvas(20, 20), RECT{0, 0, 20, 20})).isEmpty());

    m_static.item->m_sType = "bitmap";
    m_static.item->m_sImageAlign = "tile";
    m_static.item->Image(SKINIMAGE_ONSETFOCUS) = CoordinateImage(4, 4);
    EXPECT_TRUE(Ink(DrawInto(Canvas(20, 20), RECT{0, 0, 20, 20})).isEmpty());
}

TEST_F(TransparentStatic, TitleStyleDrawsOneCentredElidedLine)
{
    const unsigned dwTitle = SS_CENTER | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX;
    QRect ink = Ink(Text("Title", dwTitle, QSize(200, 40)));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 100, 3);
    EXPECT_NEAR(ink.center().y(), 20, 3);

    QImage longText = Text("a very long title that cannot fit in the label", dwTitle, QSize(80, 40));
    QRect longInk = Ink(longText);
    EXPECT_LT(longInk.height(), 16);
    EXPECT_LE(longInk.right(), 79);

    // "&" is drawn literally only with the no-prefix bit.
    EXPECT_NE(Text("a&b", dwTitle, QSize(80, 20)), Text("a&b", dwTitle & ~SS_NOPREFIX, QSize(80, 20)));
}

TEST_F(TransparentStatic, DefaultStyleWrapsFromTheTopLeft)
{
    QRect ink = Ink(Text("word word word word", 0, QSize(40, 80)));
    EXPECT_LT(ink.left(), 4);
    EXPECT_LT(ink.top(), 6);
    EXPECT_GT(ink.height(), 20);
    EXPECT_TRUE(Ink(Text("", 0, QSize(40, 80))).isEmpty());
}

TEST_F(TransparentStatic, StateImagesSwitchOnlyAfterTheFirstDraw)
{
    CSkinItem& item = *m_static.item;
    item.m_sType = "bitmap";
    item.m_sImageAlign = "client";
    item.Image(SKINIMAGE_ONSETFOCUS) = CoordinateImage(4, 4, 1);
    item.Image(SKINIMAGE_ONPLAYING) = CoordinateImage(4, 4, 2);
    CTransparentStatic* p = m_static.pControl;
    p->OnPlaying();
    EXPECT_EQ(p->CurrentImage(), nullptr);
    DrawInto(Canvas(4, 4), RECT{0, 0, 4, 4});
    EXPECT_EQ(p->CurrentImage(), &item.Image(SKINIMAGE_ONSETFOCUS));
    p->OnPause();
    p->OnActivate(0);
    p->OnSizeState(SIZE_MAXIMIZED);
    EXPECT_EQ(p->CurrentImage(), &item.Image(SKINIMAGE_ONSETFOCUS));
    p->OnPlaying();
    EXPECT_EQ(p->CurrentImage(), &item.Image(SKINIMAGE_ONPLAYING));
    EXPECT_EQ(DrawInto(Canvas(4, 4), RECT{0, 0, 4, 4}).pixelColor(0, 0), QColor(0, 0, 2));
    item.Image(SKINIMAGE_ONKILLFOCUS) = CoordinateImage(4, 4, 3);
    p->OnActivate(1);
    EXPECT_EQ(p->CurrentImage(), &item.Image(SKINIMAGE_ONSETFOCUS));
    p->OnActivate(0);
    EXPECT_EQ(p->CurrentImage(), &item.Image(SKINIMAGE_ONKILLFOCUS));
}

TEST_F(TransparentStatic, NullArgumentsReport87)
{
    CDebugCapture capture;
    RECT rc;
    m_static.pControl->Draw(nullptr, &rc);
    EXPECT_NE(LastReport().find("87"), std::string::npos);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CTransparentStatic::Draw()");
}

TEST_F(TransparentStatic, ChildLabelDrawsOverTheParentsPicture)
{
    m_window.resize(60, 30);
    m_static.item->m_sType = "color";
    m_static.item->m_clrForeground = 0x0000FF;
    m_static.pControl->setGeometry(0, 0, 60, 30);
    SkinnedControl<CTransparentStatic> panel(m_static.pControl);
    panel.item->m_sType = "transparent";
    panel.pControl->setGeometry(10, 5, 40, 20);
    SkinnedControl<CTransparentStatic> label(panel.pControl);
    label.item->m_sType = "text";
    label.item->m_clrFont = 0xFFFFFF;
    label.pControl->setGeometry(0, 0, 40, 20);
    label.pControl->SetText("x");
    m_window.show();
    QImage shot = m_window.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::red));
    // The label's corner shows the red panel it copied from its parents.
    EXPECT_EQ(label.pControl->grab().toImage().pixelColor(39, 0), QColor(Qt::red));
    EXPECT_EQ(panel.pControl->Picture().toImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(TransparentStatic, ButtonClickInNestedStaticsReachesTheWindow)
{
    SkinnedControl<CTransparentStatic> inner(m_static.pControl);
    SkinnedControl<CHoverButton> button(inner.pControl);
    button.item->m_nID = 1006;
    button.pControl->click();
    ASSERT_EQ(m_window.m_messages.size(), 1u);
    EXPECT_EQ(m_window.m_messages[0].nMessage, WM_COMMAND);
    EXPECT_EQ(m_window.m_messages[0].wParam, MakeCommandParam(1006, BN_CLICKED));
}
