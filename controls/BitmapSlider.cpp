#include "BitmapSlider.h"

#include "winsys/MessageEvent.h"
#include "TransparentStatic.h"
#include "SkinDraw.h"
#include "winsys/WindowSystem.h"
#include "common/Report.h"
#include "skin/SkinItem.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

QPixmap CopyImage(const QPixmap& image, bool bTransparent, COLORREF clrTransparent)
{
    if (!bTransparent)
        return image;
    return QPixmap::fromImage(skinvalue::KeyedImage(image.toImage(), clrTransparent));
}

} // namespace

CBitmapSlider::CBitmapSlider(QWidget* pParent) : QWidget(pParent)
{
    setFocusPolicy(Qt::ClickFocus);
    // A slider takes the mouse: the frame's sizing cursors stay off it.
    setCursor(Qt::ArrowCursor);
}

void CBitmapSlider::SetRangeMax(int nMax, bool bRedraw)
{
    m_nMax = nMax;
    if (bRedraw)
        update();
}

void CBitmapSlider::SetRangeMin(int nMin, bool bRedraw)
{
    m_nMin = nMin;
    if (bRedraw)
        update();
}

void CBitmapSlider::SetRangeMinMax(int nMin, int nMax, bool bRedraw)
{
    SetRangeMin(nMin, false);
    SetRangeMax(nMax, bRedraw);
}

void CBitmapSlider::SetPos(int nPos)
{
    m_nPos = std::max(std::min(nPos, m_nMax), m_nMin);
    update();
}

void CBitmapSlider::EnableSlider(bool bEnable)
{
    m_bEnable = bEnable;
    if (!bEnable && m_bLButtonDown) {
        m_bLButtonDown = false;
        releaseMouse();
    }
    update();
}

void CBitmapSlider::SetFocusRectangle(bool bEnable, bool bRedraw)
{
    m_bFocusRect = bEnable;
    if (bRedraw)
        update();
}

bool CBitmapSlider::SetChannelBitmaps(const QPixmap* pEmpty, const QPixmap* pFill, bool bTransparent,
                                      COLORREF clrTransparent)
{
    if (pEmpty == nullptr) {
        m_bChannel = false;
        m_bmChannel = QPixmap();
        m_bmChannelActive = QPixmap();
        return true;
    }
    m_bmChannel = CopyImage(*pEmpty, bTransparent, clrTransparent);
    m_bChannelActive = pFill != nullptr && !pFill->isNull();
    m_bmChannelActive = m_bChannelActive ? CopyImage(*pFill, bTransparent, clrTransparent) : QPixmap();
    m_bChannel = true;
    return true;
}

bool CBitmapSlider::SetKnobBitmaps(const QPixmap* pKnob, const QPixmap* pKnobActive, bool bTransparent,
                                   COLORREF clrTransparent)
{
    if (pKnob == nullptr) {
        m_bThumb = false;
        m_bmThumb = QPixmap();
        m_bmThumbActive = QPixmap();
        return true;
    }
    m_bmThumb = CopyImage(*pKnob, bTransparent, clrTransparent);
    m_nThumbWidth = m_bmThumb.width();
    m_nThumbHeight = m_bmThumb.height();
    m_bThumbActive = pKnobActive != nullptr && !pKnobActive->isNull();
    m_bmThumbActive = m_bThumbActive ? CopyImage(*pKnobActive, bTransparent, clrTransparent) : QPixmap();
    m_bThumb = true;
    return true;
}

int CBitmapSlider::Pos2Pixel(int nPos, int nLength) const
{
    const int nKnob = _Knob();
    double fraction = 0.0;
    if (m_nMax != m_nMin)
        fraction = static_cast<double>(nPos - m_nMin) / (m_nMax - m_nMin);
    return nKnob / 2 + _MarginLow() +
           static_cast<int>(std::trunc(fraction * (nLength - _MarginHigh() - _MarginLow() - nKnob)));
}

int CBitmapSlider::Pixel2Pos(int nPixel) const
{
    const int nKnob = _Knob();
    const int nTravel = _Length() - _MarginHigh() - _MarginLow() - nKnob;
    if (nTravel == 0)
        return m_nMin;
    double value = static_cast<double>(nPixel - nKnob / 2 - _MarginLow()) / nTravel * (m_nMax - m_nMin) + m_nMin;
    return static_cast<int>(std::trunc(std::clamp(value, -2147483648.0, 2147483647.0)));
}

void CBitmapSlider::Draw(QPainter* pDC, const RECT* prc)
{
    if (pDC == nullptr || prc == nullptr) {
        ReportError(ERROR_INVALID_PARAMETER, "pDC = %llx, prc = %llx", Hex(pDC), Hex(prc));
        Trace("from %s", "CBitmapSlider::Draw()");
        return;
    }
    const int p = Pos2Pixel(m_nPos, _Length());
    if (m_bChannel)
        _DrawChannel(pDC, *prc, p);
    if (m_bThumb && m_bEnable) {
        const QPixmap& knob = (m_bLButtonDown && m_bThumbActive) ? m_bmThumbActive : m_bmThumb;
        if (m_bVertical)
            pDC->drawPixmap(prc->left + m_nMarginLeft, prc->top + p - m_nThumbHeight / 2, knob);
        else
            pDC->drawPixmap(prc->left + p - m_nThumbWidth / 2, prc->top + m_nMarginTop, knob);
    }
    if (m_bFocusRect && m_bFocus && m_bEnable) {
        pDC->save();
        pDC->setPen(QPen(Qt::gray, 1, Qt::DotLine));
        pDC->setBrush(Qt::NoBrush);
        pDC->drawRect(prc->ToQRect().adjusted(0, 0, -1, -1));
        pDC->restore();
    }
}

void CBitmapSlider::_DrawChannel(QPainter* pDC, const RECT& rc, int p) const
{
    const int W = width();
    const int H = height();
    const QPixmap& empty = m_bmChannel;
    const QPixmap& fill = m_bmChannelActive;
    if (!m_bChannelActive || !m_bEnable) {
        skindraw::Stretch(pDC, rc.left, rc.top, W, H, empty, 0, 0, empty.width(), empty.height());
        return;
    }
    if (m_bVertical) {
        const int q = Pos2Pixel(m_nPos, empty.height());
        skindraw::Stretch(pDC, rc.left, rc.top + p, W, H - p, empty, 0, q, empty.width(), empty.height() - q);
        skindraw::Stretch(pDC, rc.left, rc.top, W, p, fill, 0, 0, fill.width(), fill.height());
    } else {
        const int q = Pos2Pixel(m_nPos, empty.width());
        skindraw::Stretch(pDC, rc.left + p, rc.top, W - p, H, empty, q, 0, empty.width() - q, empty.height());
        const int qFill = Pos2Pixel(m_nPos, fill.width());
        skindraw::Stretch(pDC, rc.left, rc.top, p, H, fill, 0, 0, qFill, fill.height());
    }
}

void CBitmapSlider::paintEvent(QPaintEvent*)
{
    m_backBuffer = QPixmap(size());
    m_backBuffer.fill(Qt::transparent);
    QPainter memory(&m_backBuffer);
    CTransparentStatic::DrawParentPicture(&memory, this);
    RECT rc{0, 0, width(), height()};
    Draw(&memory, &rc);
    memory.end();
    QPainter(this).drawPixmap(0, 0, m_backBuffer);
}

void CBitmapSlider::mousePressEvent(QMouseEvent* pEvent)
{
    if (!m_bEnable || pEvent->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(pEvent);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_bLButtonDown = true;
    const int nPress = _Along(pEvent->position().toPoint());
    const int nCentre = Pos2Pixel(m_nPos, _Length());
    m_nMouseOffset = std::abs(nPress - nCentre) <= _Knob() / 2 ? nPress - nCentre : 0;
    _MoveTo(nPress);
    update();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (m_bLButtonDown && m_bEnable)
        _MoveTo(_Along(pEvent->position().toPoint()));
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (!m_bEnable || pEvent->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(pEvent);
        return;
    }
    m_bLButtonDown = false;
    update();
    _Notify(WM_SLIDER_MOVED);
}

void CBitmapSlider::_MoveTo(int nCoordinate)
{
    const int nLow = _Knob() / 2 + _MarginLow();
    const int nHigh = _Length() - _MarginHigh() - _Knob() / 2;
    int p = nCoordinate - m_nMouseOffset;
    if (m_bVertical)
        p = std::max(std::min(p, nHigh), nLow);
    else
        p = std::min(std::max(p, nLow), nHigh);
    SetPos(Pixel2Pos(p));
    _Notify(WM_SLIDER_MOVING);
}

void CBitmapSlider::keyPressEvent(QKeyEvent* pEvent)
{
    if (!m_bEnable) {
        QWidget::keyPressEvent(pEvent);
        return;
    }
    int nPos = m_nPos;
    switch (pEvent->key()) {
    case Qt::Key_PageUp:
        nPos -= m_nPage;
        break;
    case Qt::Key_PageDown:
        nPos += m_nPage;
        break;
    case Qt::Key_End:
        nPos = m_nMax;
        break;
    case Qt::Key_Home:
        nPos = m_nMin;
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        --nPos;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        ++nPos;
        break;
    default:
        QWidget::keyPressEvent(pEvent);
        return;
    }
    SetPos(nPos);
    _Notify(WM_SLIDER_MOVED);
}

void CBitmapSlider::focusInEvent(QFocusEvent* pEvent)
{
    QWidget::focusInEvent(pEvent);
    m_bFocus = true;
    update();
}

void CBitmapSlider::focusOutEvent(QFocusEvent* pEvent)
{
    QWidget::focusOutEvent(pEvent);
    m_bFocus = false;
    update();
}

void CBitmapSlider::_Notify(unsigned nMessage)
{
    CSkinItem* pItem = CSkinItem::FromWindow(this);
    int nID = pItem != nullptr ? pItem->m_nID : -1;
    CMessageEvent::Send(window(), nMessage, static_cast<uintptr_t>(static_cast<unsigned>(nID)), m_nPos);
}
