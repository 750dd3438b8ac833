#include "ScreenWnd.h"

#include "ScreenLogo.h"
#include "controls/PictureNote.h"
#include "winsys/WindowSystem.h"
#include "winsys/MessageEvent.h"
#include "playback/DevicePixels.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <QPainterPath>

CScreenWnd::CScreenWnd(QWidget* pParent, CDirectShow* pDirectShow)
    : QWidget(pParent),
      m_pDirectShow(pDirectShow),
      m_pNote(new CPictureNote(this))
{
    // The video sink draws into this window's own native window.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Screen"));
    setGeometry(0, 0, 10, 10);
    hide();
}

void CScreenWnd::CreateLogo()
{
    m_pLogo = new CScreenLogo(this, m_pDirectShow);
}

void CScreenWnd::SetPictureRect(const RECT& rect)
{
    m_pictureRect = rect;
    if (m_pLogo != nullptr)
        m_pLogo->Place(rect);
    m_pNote->SetArea(rect.ToQRect());
    update();
}

bool CScreenWnd::event(QEvent* pEvent)
{
    // On a screen of another pixel ratio the same logical rectangle covers
    // other device pixels: the picture is placed anew once Qt has moved the
    // native windows to the new ratio.
    if (pEvent->type() == QEvent::ScreenChangeInternal)
        QMetaObject::invokeMethod(this, &CScreenWnd::_PlacePictureAgain, Qt::QueuedConnection);
    if (pEvent->type() == CMessageEvent::EventType()) {
        auto* pMessage = static_cast<CMessageEvent*>(pEvent);
        if (pMessage->m_nMessage == WM_PLAYER_GRAPHEVENT)
            return CMessageEvent::Send(parentWidget(), pMessage->m_nMessage, pMessage->m_wParam, pMessage->m_lParam);
    }
    return QWidget::event(pEvent);
}

void CScreenWnd::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::RightButton) {
        const QPoint pt = mapToParent(pEvent->position().toPoint());
        CMessageEvent::Send(parentWidget(), WM_RBUTTONDOWN, MK_RBUTTON,
                            static_cast<intptr_t>((static_cast<uint32_t>(pt.y()) & 0xFFFFu) << 16 |
                                                  (static_cast<uint32_t>(pt.x()) & 0xFFFFu)));
        return;
    }
    if (pEvent->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(pEvent);
    if (m_nDragLock == 1)
        return;
    m_bDragging = true;
    m_lastCursor = pEvent->globalPosition().toPoint();
    m_moveWatch.Start(CIgnoredMoveWatch::WindowAt(*pEvent, *this));
}

void CScreenWnd::mouseMoveEvent(QMouseEvent* pEvent)
{
    QPoint cursor = pEvent->globalPosition().toPoint();
    if (!m_bDragging || cursor == m_lastCursor)
        return;
    QWidget* pPlayer = window();
    if (m_moveWatch.Ignored(CIgnoredMoveWatch::WindowAt(*pEvent, *this), pEvent->timestamp()) &&
        pPlayer->windowHandle() != nullptr &&
        pPlayer->windowHandle()->startSystemMove()) {
        m_bDragging = false;
        return;
    }
    pPlayer->move(pPlayer->pos() + (cursor - m_lastCursor));
    m_moveWatch.Requested(pPlayer->geometry().topLeft());
    m_lastCursor = cursor;
}

void CScreenWnd::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::LeftButton)
        m_bDragging = false;
}

void CScreenWnd::_PlacePictureAgain()
{
    if (m_pDirectShow->IsOpen())
        m_pDirectShow->SetScreenSize(m_pictureRect);
    update();
}

void CScreenWnd::paintEvent(QPaintEvent*)
{
    int nState = State_Stopped;
    QPainter painter(this);
    if (m_pDirectShow->GetState(0, &nState) != S_OK || nState == State_Stopped)
        return painter.fillRect(rect(), Qt::black);
    // Everything but the picture, which the video sink draws itself at the
    // same device pixels: painted in device pixels, so that no fractional
    // ratio leaves a seam between the two.
    const double dRatio = CDevicePixels::RatioOf(this);
    painter.scale(1.0 / dRatio, 1.0 / dRatio);
    QPainterPath around;
    around.addRect(CDevicePixels::FromLogical(RECT::FromQRect(rect()), dRatio).ToQRect());
    QPainterPath picture;
    picture.addRect(CDevicePixels::FromLogical(m_pictureRect, dRatio).ToQRect());
    painter.fillPath(around.subtracted(picture), Qt::black);
}
