#include "HoverButton.h"

#include "winsys/MessageEvent.h"
#include "TransparentStatic.h"

#include <QPainter>

CHoverButton::CHoverButton(QWidget* pParent) : QAbstractButton(pParent)
{
    setFocusPolicy(Qt::NoFocus);
    // A button takes the mouse: the frame's sizing cursors stay off it.
    setCursor(Qt::ArrowCursor);
    connect(this, &QAbstractButton::clicked, this, &CHoverButton::_SendClicked);
}

void CHoverButton::OnRepeat()
{
    if (m_pCurrentImage == nullptr)
        return;
    CSkinItem* pItem = _SkinItem();
    if (pItem != nullptr && pItem->HasImage(SKINIMAGE_ONREPEAT)) {
        m_pCurrentImage = &pItem->Image(m_bRepeat ? SKINIMAGE_ONSETFOCUS : SKINIMAGE_ONREPEAT);
        update();
    }
    m_bRepeat = !m_bRepeat;
}

void CHoverButton::SetTooltipText(const std::string* pText, bool bActivate)
{
    if (pText == nullptr)
        return;
    setToolTip(bActivate ? QString::fromStdString(*pText) : QString());
}

int CHoverButton::FrameIndex(bool bSelected, bool bDisabled, bool bHover)
{
    if (bSelected)
        return 2;
    if (bDisabled)
        return 3;
    return bHover ? 1 : 0;
}

void CHoverButton::Draw(QPainter* pDC, const RECT* prc)
{
    if (pDC == nullptr || prc == nullptr)
        return;
    _EnsureFrame();
    if (m_pCurrentImage != nullptr)
        pDC->drawPixmap(prc->left, prc->top, *m_pCurrentImage, 0, 0, m_nFrameWidth, m_nFrameHeight);
}

void CHoverButton::paintEvent(QPaintEvent*)
{
    m_backBuffer = QPixmap(size());
    m_backBuffer.fill(Qt::transparent);
    QPainter memory(&m_backBuffer);
    CTransparentStatic::DrawParentPicture(&memory, this);
    _EnsureFrame();
    if (m_pCurrentImage != nullptr) {
        int nFrame = FrameIndex(isDown(), !isEnabled(), m_bHover);
        memory.drawPixmap(0, 0, *m_pCurrentImage, nFrame * m_nFrameWidth, 0, m_nFrameWidth, m_nFrameHeight);
    }
    memory.end();
    QPainter(this).drawPixmap(0, 0, m_backBuffer, 0, 0, m_nFrameWidth, m_nFrameHeight);
}

void CHoverButton::enterEvent(QEnterEvent* pEvent)
{
    m_bHover = true;
    update();
    QAbstractButton::enterEvent(pEvent);
}

void CHoverButton::leaveEvent(QEvent* pEvent)
{
    m_bHover = false;
    update();
    QAbstractButton::leaveEvent(pEvent);
}

CSkinItem* CHoverButton::_SkinItem() const
{
    return CSkinItem::FromWindow(this);
}

void CHoverButton::_Invalidate()
{
    update();
}

void CHoverButton::_EnsureFrame()
{
    if (m_pCurrentImage != nullptr)
        return;
    _EnsureCurrentImage();
    if (m_pCurrentImage != nullptr) {
        m_nFrameWidth = m_pCurrentImage->width() / 4;
        m_nFrameHeight = m_pCurrentImage->height();
    }
}

void CHoverButton::_SendClicked()
{
    CSkinItem* pItem = _SkinItem();
    int nID = pItem != nullptr ? pItem->m_nID : -1;
    CMessageEvent::Send(parentWidget(), WM_COMMAND, MakeCommandParam(nID, BN_CLICKED),
                        static_cast<intptr_t>(reinterpret_cast<uintptr_t>(this)));
}
