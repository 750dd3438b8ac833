#include "WindowFrame.h"

#include "winsys/WindowSystem.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>

namespace {

constexpr int kBorder = 10;

struct Zone {
    int nHit;
    RECT rc;
};

bool Contains(const RECT& rc, const QPoint& pt)
{
    return pt.x() >= rc.left && pt.x() < rc.right && pt.y() >= rc.top && pt.y() < rc.bottom;
}

bool Involves(int nHit, std::initializer_list<int> codes)
{
    return std::find(codes.begin(), codes.end(), nHit) != codes.end();
}

// One edge of a size step: `nEdge` held at `nLimit` when it would pass it
// (from below when bUpper, from above otherwise). The remembered cursor
// coordinate *pq becomes the held edge's, or the cursor's `nCursor`.
int Limit(int nEdge, int nLimit, bool bUpper, int nCursor, int* pq)
{
    if (bUpper ? nEdge > nLimit : nEdge < nLimit) {
        *pq = nLimit;
        return nLimit;
    }
    *pq = nCursor;
    return nEdge;
}

} // namespace

void IFrameWindow::PlaceFrameWindow(QWidget* pWindow, const QRect& rc)
{
    PlaceTopLevelWindow(pWindow, rc);
}

bool IFrameWindow::StartSystemMove(QWidget* pWindow)
{
    return pWindow->windowHandle() != nullptr && pWindow->windowHandle()->startSystemMove();
}

CWindowFrame::CWindowFrame(QWidget* pWindow, IFrameWindow* pHost)
    : m_pWindow(pWindow), m_pHost(pHost)
{
    m_pWindow->setMouseTracking(true);
    m_pWindow->installEventFilter(this);
}

int CWindowFrame::HitTest(const RECT& rc, const QPoint& pt)
{
    const auto [L, T, R, B] = rc;
    const std::array<Zone, 8> zones = {{
        {HTLEFT, {L, T + kBorder, L + kBorder, B - kBorder}},
        {HTTOPLEFT, {L, T, L + kBorder, T + kBorder}},
        {HTTOP, {L + kBorder, T, R - kBorder, T + kBorder}},
        {HTTOPRIGHT, {R - kBorder, T, R, T + kBorder}},
        {HTRIGHT, {R - kBorder, T + kBorder, R, B - kBorder}},
        {HTBOTTOMRIGHT, {R - kBorder, B - kBorder, R, B}},
        {HTBOTTOM, {L + kBorder, B - kBorder, R - kBorder, B}},
        {HTBOTTOMLEFT, {L, B - kBorder, L + kBorder, B}},
    }};
    for (const Zone& zone : zones) {
        if (Contains(zone.rc, pt))
            return zone.nHit;
    }
    return HTCLIENT;
}

Qt::CursorShape CWindowFrame::CursorFor(int nHit)
{
    switch (nHit) {
    case HTLEFT:
    case HTRIGHT:
        return Qt::SizeHorCursor;
    case HTTOP:
    case HTBOTTOM:
        return Qt::SizeVerCursor;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return Qt::SizeFDiagCursor;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

RECT CWindowFrame::Drag(int nHit, const RECT& rc, const QPoint& p, QPoint* pq, const QSize& minimum)
{
    QPoint& q = *pq;
    if (p == q)
        return rc;
    const QPoint d = p - q;
    if (nHit == HTCLIENT) {
        q = p;
        return {rc.left + d.x(), rc.top + d.y(), rc.right + d.x(), rc.bottom + d.y()};
    }
    // A minimum below one pixel would let an edge pass the opposite one.
    const int minW = std::max(minimum.width(), 1);
    const int minH = std::max(minimum.height(), 1);
    RECT r = rc;
    if (Involves(nHit, {HTLEFT, HTTOPLEFT, HTBOTTOMLEFT}))
        r.left = Limit(rc.left + d.x(), rc.right - minW, true, p.x(), &q.rx());
    if (Involves(nHit, {HTTOPLEFT, HTTOP, HTTOPRIGHT}))
        r.top = Limit(rc.top + d.y(), rc.bottom - minH, true, p.y(), &q.ry());
    if (Involves(nHit, {HTTOPRIGHT, HTRIGHT, HTBOTTOMRIGHT}))
        r.right = Limit(rc.right + d.x(), r.left + minW, false, p.x(), &q.rx());
    if (Involves(nHit, {HTBOTTOMLEFT, HTBOTTOM, HTBOTTOMRIGHT}))
        r.bottom = Limit(rc.bottom + d.y(), r.top + minH, false, p.y(), &q.ry());
    return r;
}

bool CWindowFrame::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched != m_pWindow)
        return false;
    switch (pEvent->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(pEvent)->button() != Qt::LeftButton)
            return false;
        _OnPress(static_cast<QMouseEvent*>(pEvent));
        return true;
    case QEvent::MouseMove:
        // The window's own handling follows.
        _OnMove(static_cast<QMouseEvent*>(pEvent));
        return false;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(pEvent)->button() != Qt::LeftButton)
            return false;
        _OnRelease();
        return true;
    default:
        return false;
    }
}

bool CWindowFrame::_IsMaximized() const
{
    return m_pWindow->isMaximized();
}

int CWindowFrame::_HitTest(const QPoint& ptGlobal) const
{
    return _IsMaximized() ? HTCLIENT : HitTest(RECT::FromQRect(m_pWindow->geometry()), ptGlobal);
}

void CWindowFrame::_OnPress(QMouseEvent* pEvent)
{
    if (_IsMaximized())
        return;
    m_ptLast = pEvent->globalPosition().toPoint();
    m_nHit = _HitTest(m_ptLast);
    _SetCursor(m_nHit);
    m_rcDrag = RECT::FromQRect(m_pWindow->geometry());
    m_moveWatch.Start(CIgnoredMoveWatch::WindowAt(*pEvent, *m_pWindow));
    m_bDragging = true;
    // The window keeps the mouse until the button goes up, whatever child
    // the layout puts under the cursor meanwhile.
    m_pWindow->grabMouse();
}

// Each step goes on from where the drag has taken the window, not from
// where the window put itself: a window that snaps to an edge comes away
// again once the cursor has gone far enough, however slowly it moves.
void CWindowFrame::_OnMove(QMouseEvent* pEvent)
{
    if (!m_bDragging) {
        _SetCursor(_HitTest(pEvent->globalPosition().toPoint()));
        return;
    }
    // The button went up where the window did not see it (another window
    // took the mouse): the drag is over.
    if (!(pEvent->buttons() & Qt::LeftButton))
        return _OnRelease();
    _SetCursor(m_nHit);
    if (_MoveIgnored(*pEvent) && m_pHost->StartSystemMove(m_pWindow))
        return _OnRelease();
    const RECT rc = Drag(m_nHit, m_rcDrag, pEvent->globalPosition().toPoint(), &m_ptLast, m_pHost->FrameMinimumSize());
    if (rc == m_rcDrag)
        return;
    m_rcDrag = rc;
    m_pHost->PlaceFrameWindow(m_pWindow, rc.ToQRect());
    m_moveWatch.Requested(m_pWindow->geometry().topLeft());
}

// Only a move is handed to the window manager; a size goes on by steps.
bool CWindowFrame::_MoveIgnored(const QMouseEvent& event)
{
    return m_nHit == HTCLIENT &&
           m_moveWatch.Ignored(CIgnoredMoveWatch::WindowAt(event, *m_pWindow), event.timestamp());
}

void CWindowFrame::_OnRelease()
{
    const bool bWasDragging = m_bDragging;
    m_bDragging = false;
    m_nHit = HTCLIENT;
    if (bWasDragging) {
        m_pWindow->releaseMouse();
        m_pHost->OnFrameDragEnd();
    }
}

void CWindowFrame::_SetCursor(int nHit)
{
    const Qt::CursorShape shape = CursorFor(nHit);
    if (m_pWindow->cursor().shape() != shape)
        m_pWindow->setCursor(shape);
}
