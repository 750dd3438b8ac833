#include "TransparentStatic.h"

#include "winsys/MessageEvent.h"
#include "SkinDraw.h"
#include "common/Report.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

namespace {

bool IsType(const CSkinItem& item, const char* pszType)
{
    return skinvalue::EqualNoCase(item.m_sType, pszType);
}

// Qt alignment and wrapping for the static's style bits.
int TextFlags(unsigned dwStyle)
{
    int flags = 0;
    if (dwStyle & SS_RIGHT)
        flags |= Qt::AlignRight;
    else if (dwStyle & SS_CENTER)
        flags |= Qt::AlignHCenter;
    else
        flags |= Qt::AlignLeft;
    if (dwStyle & SS_CENTERIMAGE)
        flags |= Qt::AlignVCenter | Qt::TextSingleLine;
    else
        flags |= Qt::AlignTop;
    if (!(dwStyle & SS_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    if (!(dwStyle & (SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_PATHELLIPSIS | 0x0C)))
        flags |= Qt::TextWordWrap;
    return flags;
}

// Cuts each line of the text with an ellipsis where it is wider than `nWidth`.
QString Elide(const QString& text, unsigned dwStyle, const QFontMetrics& metrics, int nWidth, int flags)
{
    if (!(dwStyle & (SS_ENDELLIPSIS | SS_PATHELLIPSIS)))
        return text;
    Qt::TextElideMode mode = (dwStyle & SS_ENDELLIPSIS) ? Qt::ElideRight : Qt::ElideMiddle;
    QStringList lines = (flags & Qt::TextSingleLine) ? QStringList{QString(text).replace('\n', ' ')}
                                                      : text.split('\n');
    for (QString& line : lines)
        line = metrics.elidedText(line, mode, nWidth, flags & Qt::TextShowMnemonic);
    return lines.join('\n');
}

} // namespace

CTransparentStatic::CTransparentStatic(QWidget* pParent) : QWidget(pParent)
{
    // Like a static without the notify style, it lets the mouse through to
    // the window beneath: it takes no press, move or release (they go on to
    // its parent), moves without a button included. Its child controls
    // still get their own input, which a static transparent for mouse
    // events would take from them too.
    setMouseTracking(true);
}

void CTransparentStatic::SetText(const char* pszText)
{
    m_sText = pszText != nullptr ? pszText : "";
    update();
}

void CTransparentStatic::DrawParentPicture(QPainter* pDC, const QWidget* pChild)
{
    const auto* pParent = qobject_cast<const CTransparentStatic*>(pChild->parentWidget());
    if (pParent == nullptr || pParent->m_offscreen.isNull())
        return;
    pDC->drawPixmap(0, 0, pParent->m_offscreen, pChild->x(), pChild->y(), pChild->width(), pChild->height());
}

void CTransparentStatic::paintEvent(QPaintEvent*)
{
    m_offscreen = QPixmap(size());
    m_offscreen.fill(Qt::transparent);
    QPainter memory(&m_offscreen);
    DrawParentPicture(&memory, this);
    RECT rc{0, 0, width(), height()};
    Draw(&memory, &rc);
    memory.end();
    CSkinItem* pItem = _SkinItem();
    if (pItem != nullptr && !IsType(*pItem, "transparent"))
        QPainter(this).drawPixmap(0, 0, m_offscreen);
}

bool CTransparentStatic::event(QEvent* pEvent)
{
    if (pEvent->type() == CMessageEvent::EventType()) {
        auto* pMessage = static_cast<CMessageEvent*>(pEvent);
        if (pMessage->m_nMessage == WM_COMMAND || pMessage->m_nMessage == WM_NOTIFY) {
            CMessageEvent::Send(parentWidget(), pMessage->m_nMessage, pMessage->m_wParam, pMessage->m_lParam);
            return true;
        }
    }
    return QWidget::event(pEvent);
}

void CTransparentStatic::Draw(QPainter* pDC, const RECT* prc)
{
    if (pDC == nullptr || prc == nullptr) {
        ReportError(ERROR_INVALID_PARAMETER, "pDC = %llx, prc = %llx", Hex(pDC), Hex(prc));
        Trace("from %s", "CTransparentStatic::Draw()");
        return;
    }
    CSkinItem* pItem = _SkinItem();
    if (pItem == nullptr)
        return;
    if (IsType(*pItem, "bitmap"))
        _DrawBitmap(pDC, *prc, *pItem);
    else if (IsType(*pItem, "text"))
        _DrawText(pDC, *prc, *pItem);
    else if (IsType(*pItem, "color"))
        pDC->fillRect(prc->ToQRect(), skinvalue::ToQColor(pItem->m_clrForeground));
}

void CTransparentStatic::_DrawBitmap(QPainter* pDC, const RECT& rc, const CSkinItem& item)
{
    _EnsureCurrentImage();
    const QPixmap& image = *m_pCurrentImage;
    if (image.isNull())
        return;
    if (skinvalue::EqualNoCase(item.m_sImageAlign, "client")) {
        skindraw::NinePiece(pDC, image, rc, item.m_fixedSize);
    } else if (skinvalue::EqualNoCase(item.m_sImageAlign, "center")) {
        int x = rc.left + (rc.Width() - image.width()) / 2;
        int y = rc.top + (rc.Height() - image.height()) / 2;
        pDC->save();
        pDC->setClipRect(rc.ToQRect(), Qt::IntersectClip);
        pDC->drawPixmap(x, y, image);
        pDC->restore();
    }
}

void CTransparentStatic::_DrawText(QPainter* pDC, const RECT& rc, const CSkinItem& item) const
{
    if (m_sText.empty())
        return;
    pDC->save();
    pDC->setFont(font());
    pDC->setPen(skinvalue::ToQColor(item.m_clrFont));
    const int flags = TextFlags(m_dwStyle);
    QString text = Elide(QString::fromStdString(m_sText), m_dwStyle, pDC->fontMetrics(), rc.Width(), flags);
    pDC->drawText(rc.ToQRect(), flags, text);
    pDC->restore();
}

CSkinItem* CTransparentStatic::_SkinItem() const
{
    return CSkinItem::FromWindow(this);
}

void CTransparentStatic::_Invalidate()
{
    update();
}
