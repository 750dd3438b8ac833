// Watches a drag that moves a window step by step by itself, for the sign
// that the window manager ignores the window's own moves (weston's X window
// manager does): several steps in a row, over at least 120 ms, find the
// window where the press found it although the last one asked for another
// place. The move is then better handed to the window manager. A manager
// that only lags behind a busy drag answers within that time; handing the
// drag to it would lose what the window does at each step (the playlist's
// snapping).
//
// Where the window is must be read from the mouse events, as the X server
// reports them: Qt's own geometry of a top-level window takes a move as
// soon as it is asked for and keeps it when the manager never makes it.
#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

class CIgnoredMoveWatch {
public:
    // The button went down with the window at `ptWindow`.
    void Start(const QPoint& ptWindow);
    // Before a step, with the window at `ptWindow` at the event time
    // `msTime`: whether the moves have been ignored long enough to hand the
    // drag over.
    bool Ignored(const QPoint& ptWindow, quint64 msTime);
    // After a step asked for the window to move: where it is now.
    void Requested(const QPoint& ptWindow) { m_ptRequested = ptWindow; }

    // Where the X server has the top-left corner of the client area of
    // `receiver`'s top-level window when `event` (delivered to `receiver`)
    // happened: the cursor's place on the screen less its place in that
    // window.
    static QPoint WindowAt(const QMouseEvent& event, const QWidget& receiver);

private:
    QPoint m_ptPressWindow;
    QPoint m_ptRequested;
    int m_nIgnoredSteps = 0;
    quint64 m_msFirstIgnored = 0;
};
