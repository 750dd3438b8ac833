// The shape and place of the picture and of the player window: the picture's
// ratio and scale, fitting the window to the desktop or to the clip,
// maximizing, the two full-screen modes and moving or sizing the window from
// the keyboard inside the desktop's work area. The player window hands it
// its geometry commands, and asks it to place the picture when a file
// starts and when the window changes size.
//
// Full screen is the window manager's full-screen state: the window covers
// the whole display above every panel, and the screen window covers the
// whole player window, so that the skin's frame is hidden under it. The
// window rectangle from before is put back exactly when full screen ends.
#pragma once

#include "winsys/Rect.h"
#include "common/ComTypes.h"

#include <QRect>
#include <functional>

class CDirectShow;
class CScreenWnd;
class CUIManager;
class QScreen;
class QWidget;

// The full-screen modes.
constexpr int kWindowed = 0;
constexpr int kFullScreenKeepRatio = 1;
constexpr int kFullScreenFill = 2;

class CVideoGeometry {
public:
    // None of the arguments is owned; all outlive this object (it is a
    // member of `pWindow`). `showLastReport` shows the last failure to the
    // user.
    CVideoGeometry(QWidget* pWindow, CDirectShow* pDirectShow, CScreenWnd* pScreenWnd,
                   std::function<void()> showLastReport);

    // The skin manager of the window, once it is built; commands do nothing
    // without it.
    void SetSkin(CUIManager* pSkin) { m_pSkin = pSkin; }
    // Carries out a ratio, scale, fit, maximize, full-screen or pan-and-scan
    // command; any other command is ignored.
    void OnCommand(int nID);

    // A file starts (or its picture changed shape) in a window: the
    // picture's own ratio at scale 1.0, and the window rectangle kept as
    // the one that scale commands place the window at.
    void OnPictureStart(double dRatio);
    // The same in full screen: the window stays as it is, and the picture
    // of `nWidth` x `nHeight` takes its own ratio over the display (or fills
    // it in mode 2).
    void OnFullScreenPicture(int nWidth, int nHeight, double dRatio);
    // Places the screen window on the video area and the picture inside it,
    // and hands the picture's rectangle to the graph when a file is open;
    // returns what the graph answered. In full screen the video area is the
    // whole window and the screen window is shown even without a file.
    HRESULT PlaceScreen();
    // After a stop: the screen window stays only in full screen.
    void OnStop();
    // A monitor went away: full screen on it goes to the nearest monitor
    // left, and the rectangle it returns to with it.
    void OnMonitorRemoved();

    int FullScreenMode() const { return m_nFullScreenMode; }
    double AspectRatio() const { return m_dAspectRatio; }
    double Scale() const { return m_dScale; }
    const RECT& SavedWindowRect() const { return m_rcSaved; }
    void SetUserRatio(double dWidth, double dHeight);
    // In full screen: the window goes back at `size` (a new skin's size),
    // from the same corner, when full screen ends.
    void SetSavedSize(const QSize& size);

    // The desktop's work area of `pScreen` into *prc; string 5056 is
    // reported when there is none.
    static HRESULT ReadWorkArea(const QScreen* pScreen, RECT* prc);

private:
    void _OnRatio(int nID);
    double _OriginalRatio(HRESULT* phr) const;
    HRESULT _ChangeScreenRatio(double dRatio);
    void _OnScale(int nID);
    HRESULT _ChangeScreenScale();
    void OnScaleScreen();
    void _LimitPlayerHeight(int cyLimit);
    QRect _OnWorkArea(const QRect& rc);
    QScreen* _Monitor() const;
    void _KeepSavedOnAMonitor();
    void OnScaleImage();
    void _OnMaximize();
    void OnScaleEntireScreen();
    void OnScaleFullScreen();
    void _EnterFullScreen(int nMode, const char* pszHandler);
    void _LeaveFullScreen();
    void _LeaveWindowManagerFullScreen();
    void _OnPanScan(int nID);
    void OnScanDecSize();
    void _MoveWindow(const RECT& rc);
    void _Fail(HRESULT hr, const char* pszHandler, bool bShow);

    QWidget* m_pWindow;
    CDirectShow* m_pDirectShow;
    CScreenWnd* m_pScreenWnd;
    CUIManager* m_pSkin = nullptr;
    std::function<void()> m_showLastReport;
    // Width / height applied to the picture, 0.0 to fill the video area.
    double m_dAspectRatio = 0.0;
    double m_dScale = 1.0;
    double m_dUserRatioWidth = 1.0;
    double m_dUserRatioHeight = 1.0;
    int m_nFullScreenMode = kWindowed;
    // Where the window was when the file started or full screen began.
    RECT m_rcSaved;
};
