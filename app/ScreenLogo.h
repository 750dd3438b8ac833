// The animated logo that the screen window shows in place of the picture of
// a file without one: shown and animated once such a file plays, still while
// it is paused, animated again when it resumes, hidden once the file is
// stopped. It follows the controller's signals; the screen window owns it as
// its child.
#pragma once

#include "controls/AnimatedLogo.h"
#include "winsys/Rect.h"

class CDirectShow;

class CScreenLogo : public CAnimatedLogo {
    Q_OBJECT

public:
    // Loads the logo and tells the controller its size. A logo that cannot
    // be loaded is reported and shown in a message box; the player goes on
    // without a logo animation.
    CScreenLogo(QWidget* pScreenWnd, CDirectShow* pDirectShow);

    // The logo fills the picture's rectangle (in the screen window's
    // logical pixels).
    void Place(const RECT& rect);

private:
    void _OnFileOpened(bool bHasVideo);
    void _OnStateChanged(int nState);

    bool m_bPaused = false;
};
