// The child window of the player window that holds the picture of the file
// being played, or the animated logo of a file without one. It passes the
// graph's notifications on to the player window, moves the player window
// when dragged with the left button (unless its drag lock is set; where
// the window manager ignores the window's own moves it hands the drag to
// the window manager) and keeps
// the area around the picture black while a file is open, and all of itself
// black when it is shown without one (full screen). Its note keeps to the
// picture.
#pragma once

#include "controls/IgnoredMoveWatch.h"
#include "winsys/Rect.h"

#include <QPoint>
#include <cstdint>
#include <QWidget>

// A right click on the screen window, handed to the player window with the
// cursor position in the player's client coordinates (low word x, high y).
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr uintptr_t MK_RBUTTON = 0x0002;

class CDirectShow;
class CPictureNote;
class CScreenLogo;

class CScreenWnd : public QWidget {
    Q_OBJECT

public:
    CScreenWnd(QWidget* pParent, CDirectShow* pDirectShow);

    // Makes the logo shown in place of a picture (once, before the
    // controller's Init).
    void CreateLogo();
    CScreenLogo* Logo() const { return m_pLogo; }
    // A line of text shown for a moment over the picture.
    CPictureNote* Note() const { return m_pNote; }

    // The rectangle of the picture inside this window in logical pixels, as
    // last placed; the black around it is painted again and the logo fills
    // it.
    void SetPictureRect(const RECT& rect);
    const RECT& PictureRect() const { return m_pictureRect; }
    // While the drag lock is 1 a left-button drag does not move the player.
    void SetDragLock(int nLock) { m_nDragLock = nLock; }
    int DragLock() const { return m_nDragLock; }

protected:
    bool event(QEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;

private:
    void _PlacePictureAgain();

    CDirectShow* m_pDirectShow;
    CScreenLogo* m_pLogo = nullptr;
    CPictureNote* m_pNote;
    QPoint m_lastCursor;
    bool m_bDragging = false;
    // Whether the window manager answers the drag's moves; where it does
    // not, the drag is handed to it.
    CIgnoredMoveWatch m_moveWatch;
    int m_nDragLock = 0;
    RECT m_pictureRect = {};
};
