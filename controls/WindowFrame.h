// The frame of a borderless skinned window: a 10-pixel band along its edges
// sizes it, with the sizing cursors, and a press anywhere else that no
// control takes moves it. Sizing never goes below the window's minimum
// size. A maximized window has no frame at all. When a move or a size ends
// the window is told, so that it lays its skin out again.
//
// Some window managers ignore a window's own moves (the X window manager of
// some Wayland compositors): when a move is seen to be ignored, the window
// manager is asked to carry on with the move itself (_NET_WM_MOVERESIZE).
//
// The frame watches the window's mouse events (an event filter on the
// window). Presses and moves that a child ignores, as the skin's statics do,
// reach the window and so the frame; buttons, sliders and lists keep theirs.
#pragma once

#include "IgnoredMoveWatch.h"
#include "winsys/Rect.h"

#include <QObject>
#include <QPoint>
#include <QSize>

class QMouseEvent;
class QWidget;

// Hit codes: the client area (which moves the window) and the frame zones.
constexpr int HTCLIENT = 1;
constexpr int HTLEFT = 10;
constexpr int HTRIGHT = 11;
constexpr int HTTOP = 12;
constexpr int HTTOPLEFT = 13;
constexpr int HTTOPRIGHT = 14;
constexpr int HTBOTTOM = 15;
constexpr int HTBOTTOMLEFT = 16;
constexpr int HTBOTTOMRIGHT = 17;

// What the frame needs of the window it moves and sizes.
class IFrameWindow {
public:
    // The smallest size the frame may give the window.
    virtual QSize FrameMinimumSize() const = 0;
    // A move or a size by the frame has ended.
    virtual void OnFrameDragEnd() = 0;
    // Places the window at `rc` (screen coordinates of its client area, the
    // window manager's border, if any, outside it); for a move `rc` keeps
    // the window's size. The default places `pWindow` there.
    virtual void PlaceFrameWindow(QWidget* pWindow, const QRect& rc);
    // Asks the window manager to move `pWindow` with the mouse until the
    // button goes up; false when it cannot. The default asks through the
    // window's platform window.
    virtual bool StartSystemMove(QWidget* pWindow);

protected:
    IFrameWindow() = default;
    virtual ~IFrameWindow() = default;
    IFrameWindow(const IFrameWindow&) = default;
    IFrameWindow& operator=(const IFrameWindow&) = default;
};

class CWindowFrame : public QObject {
    Q_OBJECT

public:
    // Gives `pWindow` (a top-level window, borderless) its frame; `pHost`
    // answers for it. Neither is owned; both outlive the frame (it is
    // usually a member of the window).
    CWindowFrame(QWidget* pWindow, IFrameWindow* pHost);

    // The zone of `pt` in the window rectangle `rc` (screen coordinates),
    // the zones tested in order, the first that holds the point deciding.
    static int HitTest(const RECT& rc, const QPoint& pt);
    static Qt::CursorShape CursorFor(int nHit);
    // One step of a move (HTCLIENT) or size: the window rectangle `rc` when
    // the cursor went from *pq to p. *pq becomes the cursor position the
    // next step starts from: where a minimum size holds an edge back, the
    // held edge's coordinate, so that the edge follows the cursor again
    // once the cursor is back past it.
    static RECT Drag(int nHit, const RECT& rc, const QPoint& p, QPoint* pq, const QSize& minimum);

    // A move or a size is under way.
    bool IsDragging() const { return m_bDragging; }
    int HitCode() const { return m_nHit; }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    bool _IsMaximized() const;
    int _HitTest(const QPoint& ptGlobal) const;
    void _OnPress(QMouseEvent* pEvent);
    void _OnMove(QMouseEvent* pEvent);
    void _OnRelease();
    void _SetCursor(int nHit);
    bool _MoveIgnored(const QMouseEvent& event);

    QWidget* m_pWindow;
    IFrameWindow* m_pHost;
    bool m_bDragging = false;
    QPoint m_ptLast;
    int m_nHit = HTCLIENT;
    // Where the drag has taken the window so far, before the window placed
    // it (a playlist snapping to the player lands elsewhere).
    RECT m_rcDrag;
    // Whether the window manager answers the move's steps.
    CIgnoredMoveWatch m_moveWatch;
};
