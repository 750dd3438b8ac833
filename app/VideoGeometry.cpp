#include "VideoGeometry.h"

#include "CommandIds.h"
#include "Monitor.h"
#include "PanScan.h"
#include "ScreenWnd.h"
#include "common/Report.h"
#include "playback/DirectShow.h"
#include "skin/UIManager.h"
#include "winsys/StringTable.h"
#include "winsys/WindowSystem.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <utility>

namespace {

constexpr int IDS_CANNOT_DETERMINE_WORKAREA = 5056;
// Stands for the picture's own ratio, or the user's, in the ratio table.
constexpr double kOwnRatio = -1.0;
constexpr double kUserRatio = -2.0;

struct RatioCommand {
    int nID;
    double dRatio;
    const char* pszHandler;
};

constexpr RatioCommand kRatioCommands[] = {
    {ID_RATIO_BASIC, kOwnRatio, "CKorvoPlayerDlg::OnRatioBasic()"},
    {ID_RATIO_FULL, 0.0, "CKorvoPlayerDlg::OnRatioFull()"},
    {ID_RATIO_4VS3, 4.0 / 3.0, "CKorvoPlayerDlg::OnRATIO4vs3()"},
    {ID_RATIO_16VS9, 16.0 / 9.0, "CKorvoPlayerDlg::OnRATIO16vs9()"},
    {ID_RATIO_1DOT85VS1, 1.85, "CKorvoPlayerDlg::OnRATIO1dot85vs1()"},
    {ID_RATIO_2DOT35VS1, 2.35, "CKorvoPlayerDlg::OnRATIO2dot35vs1()"},
    {ID_RATIO_USERDEFINE, kUserRatio, "CKorvoPlayerDlg::OnRatioUserdefine()"},
};

constexpr const char* kScaleHandlers[] = {"CKorvoPlayerDlg::OnSCALE0dot5()", "CKorvoPlayerDlg::OnSCALE1dot0()",
                                          "CKorvoPlayerDlg::OnSCALE1dot5()", "CKorvoPlayerDlg::OnSCALE2dot0()"};

constexpr const char* kPanScanHandlers[] = {
    "CKorvoPlayerDlg::OnScanMoveLeft()",     "CKorvoPlayerDlg::OnScanMoveRight()",
    "CKorvoPlayerDlg::OnScanMoveUp()",       "CKorvoPlayerDlg::OnScanMoveDown()",
    "CKorvoPlayerDlg::OnScanIncSize()",      "CKorvoPlayerDlg::OnScanDecSize()",
    "CKorvoPlayerDlg::OnScanMoveCenter()",   "CKorvoPlayerDlg::OnScanMoveLeftTop()",
    "CKorvoPlayerDlg::OnScanMoveRightTop()", "CKorvoPlayerDlg::OnScanMoveRightBottom()",
    "CKorvoPlayerDlg::OnScanMoveLeftBottom()"};

// Width / height of a picture; 0.0 (fill) for one without a size.
double RatioOf(long lWidth, long lHeight)
{
    return lWidth > 0 && lHeight > 0 ? static_cast<double>(lWidth) / static_cast<double>(lHeight) : 0.0;
}

} // namespace

CVideoGeometry::CVideoGeometry(QWidget* pWindow, CDirectShow* pDirectShow, CScreenWnd* pScreenWnd,
                               std::function<void()> showLastReport)
    : m_pWindow(pWindow),
      m_pDirectShow(pDirectShow),
      m_pScreenWnd(pScreenWnd),
      m_showLastReport(std::move(showLastReport))
{
}

void CVideoGeometry::OnCommand(int nID)
{
    if (m_pSkin == nullptr)
        return;
    if (nID >= ID_RATIO_BASIC && nID <= ID_RATIO_USERDEFINE)
        return _OnRatio(nID);
    if (nID >= ID_SCALE_0DOT5 && nID <= ID_SCALE_2DOT0)
        return _OnScale(nID);
    if (nID == ID_SCAN_DECSIZE)
        return OnScanDecSize();
    if (nID >= ID_SCAN_MOVELEFT && nID <= ID_SCAN_MOVELEFTBOTTOM)
        return _OnPanScan(nID);
    switch (nID) {
    case ID_SCALE_SCREEN:
    case IDC_FULLSCREEN:
        return OnScaleScreen();
    case ID_SCALE_MAXIMIZE:
    case IDC_SYS_MAXIMIZE:
        return _OnMaximize();
    case ID_SCALE_IMAGE:
        return OnScaleImage();
    case ID_SCALE_ENTIRESCREEN:
        return OnScaleEntireScreen();
    case ID_SCALE_FULLSCREEN:
        return OnScaleFullScreen();
    default:
        return;
    }
}

void CVideoGeometry::OnPictureStart(double dRatio)
{
    m_dAspectRatio = dRatio;
    m_dScale = 1.0;
    m_rcSaved = RECT::FromQRect(m_pWindow->geometry());
}

void CVideoGeometry::OnFullScreenPicture(int nWidth, int nHeight, double dRatio)
{
    m_dAspectRatio = dRatio;
    m_dScale = 1.0;
    m_pSkin->SetScreenSize(nWidth, nHeight, m_nFullScreenMode == kFullScreenFill ? 0.0 : dRatio, m_dScale);
    PlaceScreen();
}

HRESULT CVideoGeometry::PlaceScreen()
{
    RECT area = {};
    if (m_nFullScreenMode != kWindowed) {
        m_pSkin->SetAvailableScreenSize(m_pWindow->width(), m_pWindow->height());
        area = {0, 0, m_pWindow->width(), m_pWindow->height()};
        m_pScreenWnd->show();
        m_pScreenWnd->raise();
    } else {
        m_pSkin->GetAvailableScreenRect(&area);
    }
    RECT picture = {};
    m_pSkin->GetScreenRect(&picture);
    m_pScreenWnd->setGeometry(area.ToQRect());
    m_pScreenWnd->SetPictureRect(picture);
    return m_pDirectShow->IsOpen() ? m_pDirectShow->SetScreenSize(picture) : S_OK;
}

void CVideoGeometry::SetSavedSize(const QSize& size)
{
    m_rcSaved.right = m_rcSaved.left + size.width();
    m_rcSaved.bottom = m_rcSaved.top + size.height();
}

void CVideoGeometry::OnStop()
{
    m_pScreenWnd->setVisible(m_nFullScreenMode != kWindowed);
}

void CVideoGeometry::SetUserRatio(double dWidth, double dHeight)
{
    m_dUserRatioWidth = dWidth;
    m_dUserRatioHeight = dHeight;
}

HRESULT CVideoGeometry::ReadWorkArea(const QScreen* pScreen, RECT* prc)
{
    const QRect work = pScreen != nullptr ? pScreen->availableGeometry() : QRect();
    if (work.isEmpty()) {
        ReportError(ERROR_NOT_FOUND, "%s", LoadResString(IDS_CANNOT_DETERMINE_WORKAREA).c_str());
        Trace("from %s", "SystemParametersInfo()");
        return ERROR_NOT_FOUND;
    }
    *prc = RECT::FromQRect(work);
    return S_OK;
}

void CVideoGeometry::_OnRatio(int nID)
{
    for (const RatioCommand& command : kRatioCommands) {
        if (command.nID != nID)
            continue;
        HRESULT hr = S_OK;
        double dRatio = command.dRatio;
        if (dRatio == kOwnRatio)
            dRatio = _OriginalRatio(&hr);
        else if (dRatio == kUserRatio)
            dRatio = m_dUserRatioWidth / m_dUserRatioHeight;
        if (hr == S_OK) {
            m_dAspectRatio = dRatio;
            hr = _ChangeScreenRatio(dRatio);
        }
        return _Fail(hr, command.pszHandler, true);
    }
}

// The picture's own shape; without a file, or for one without a picture,
// the logo's.
double CVideoGeometry::_OriginalRatio(HRESULT* phr) const
{
    long lWidth = 0;
    long lHeight = 0;
    *phr = m_pDirectShow->GetOriginalScreenSize(&lWidth, &lHeight);
    return RatioOf(lWidth, lHeight);
}

// The picture takes the ratio inside the video area as it is; the window
// keeps its size.
HRESULT CVideoGeometry::_ChangeScreenRatio(double dRatio)
{
    m_pSkin->m_dAspectRatio = dRatio;
    m_pSkin->FitScreen();
    HRESULT hr = PlaceScreen();
    if (hr != S_OK)
        Trace("from %s", "CKorvoPlayerDlg::_ChangeScreenRatio()");
    return hr;
}

void CVideoGeometry::_OnScale(int nID)
{
    if (!m_pDirectShow->IsOpen())
        return;
    static constexpr double kScales[] = {0.5, 1.0, 1.5, 2.0};
    _LeaveWindowManagerFullScreen();
    m_dScale = kScales[nID - ID_SCALE_0DOT5];
    _Fail(_ChangeScreenScale(), kScaleHandlers[nID - ID_SCALE_0DOT5], true);
}

// The window takes the size the skin gives the scaled picture, at the place
// kept when the file started or full screen began.
HRESULT CVideoGeometry::_ChangeScreenScale()
{
    long lWidth = 0;
    long lHeight = 0;
    HRESULT hr = m_pDirectShow->GetOriginalScreenSize(&lWidth, &lHeight);
    if (hr == S_OK) {
        m_pSkin->SetScreenSize(static_cast<int>(lWidth), static_cast<int>(lHeight), m_dAspectRatio, m_dScale);
        int cx = 0;
        int cy = 0;
        m_pSkin->GetPlayerSize(&cx, &cy);
        _MoveWindow(RECT::FromQRect(_OnWorkArea(QRect(m_rcSaved.left, m_rcSaved.top, cx, cy))));
        hr = PlaceScreen();
    }
    if (hr != S_OK)
        Trace("from %s", "CKorvoPlayerDlg::_ChangeScreenScale()");
    return hr;
}

// The window as wide as the monitor's work area, at its top-left corner, as
// high as the ratio asks (with the Full ratio the video area keeps its
// height); where that is higher than the work area, as high as the work
// area and as wide as the ratio then asks, so that the controls stay on
// the monitor.
void CVideoGeometry::OnScaleScreen()
{
    QScreen* pScreen = _Monitor();
    if (!m_pDirectShow->IsOpen() || pScreen == nullptr)
        return;
    const QRect work = pScreen->availableGeometry();
    m_pSkin->SetPlayerWidth(work.width());
    _LimitPlayerHeight(work.height());
    int cx = 0;
    int cy = 0;
    m_pSkin->GetPlayerSize(&cx, &cy);
    _MoveWindow({work.left(), work.top(), work.left() + cx, work.top() + cy});
    _Fail(PlaceScreen(), "CKorvoPlayerDlg::OnScaleScreen()", false);
}

// A player higher than `cyLimit` is narrowed until its video area, at the
// skin's ratio, leaves the frame room within `cyLimit`; without a ratio,
// or when the skin's minimum forbids it, only the height is cut.
void CVideoGeometry::_LimitPlayerHeight(int cyLimit)
{
    int cx = 0;
    int cy = 0;
    RECT area = {};
    m_pSkin->GetPlayerSize(&cx, &cy);
    m_pSkin->GetAvailableScreenRect(&area);
    if (cy <= cyLimit)
        return;
    if (m_pSkin->m_dAspectRatio > 0) {
        const int cyArea = cyLimit - (cy - area.Height());
        m_pSkin->SetPlayerWidth(cx - area.Width() + static_cast<int>(cyArea * m_pSkin->m_dAspectRatio));
        m_pSkin->GetPlayerSize(&cx, &cy);
    }
    if (cy > cyLimit)
        m_pSkin->SetPlayerSize(cx, cyLimit);
}

// `rc` no larger than the work area of its monitor and moved onto it,
// with the skin told the size when it had to shrink.
QRect CVideoGeometry::_OnWorkArea(const QRect& rc)
{
    QScreen* pScreen = MonitorOf(rc);
    if (pScreen == nullptr)
        return rc;
    const QRect work = pScreen->availableGeometry();
    const QSize size = rc.size().boundedTo(work.size());
    if (size != rc.size())
        m_pSkin->SetPlayerSize(size.width(), size.height());
    return KeptInside(QRect(rc.topLeft(), size), work);
}

// A monitor may have gone away since the rectangle was saved: a rectangle
// whose middle is on no monitor any more goes onto the nearest one.
void CVideoGeometry::_KeepSavedOnAMonitor()
{
    const QRect saved = m_rcSaved.ToQRect();
    if (QGuiApplication::screenAt(saved.center()) != nullptr)
        return;
    if (const QScreen* pScreen = MonitorOf(saved))
        m_rcSaved = RECT::FromQRect(KeptInside(saved, pScreen->availableGeometry()));
}

void CVideoGeometry::OnMonitorRemoved()
{
    if (m_nFullScreenMode == kWindowed || QGuiApplication::screenAt(m_pWindow->geometry().center()) != nullptr)
        return;
    _KeepSavedOnAMonitor();
    m_pWindow->showNormal();
    _MoveWindow(m_rcSaved);
    if (QScreen* pScreen = MonitorOf(m_rcSaved.ToQRect())) {
        const QSize display = pScreen->geometry().size();
        m_pSkin->SetAvailableScreenSize(display.width(), display.height());
    }
    m_pWindow->showFullScreen();
    PlaceScreen();
}

// The monitor the window is on.
QScreen* CVideoGeometry::_Monitor() const
{
    return MonitorOf(m_pWindow->geometry());
}

// The window shrinks or grows around the picture, keeping its top-left
// corner; the size change fits the picture again.
void CVideoGeometry::OnScaleImage()
{
    if (!m_pDirectShow->IsOpen())
        return;
    int cx = 0;
    int cy = 0;
    HRESULT hr = m_pSkin->FitPlayerToScreen();
    if (hr == S_OK)
        hr = m_pSkin->GetPlayerSize(&cx, &cy);
    if (hr != S_OK)
        return _Fail(hr, "CKorvoPlayerDlg::OnScaleImage()", false);
    const QPoint corner = m_pWindow->pos();
    _MoveWindow({corner.x(), corner.y(), corner.x() + cx, corner.y() + cy});
}

// The window manager maximizes a window onto the work area itself; placing
// the window there as well would end its maximized state.
void CVideoGeometry::_OnMaximize()
{
    if (m_pWindow->isMaximized())
        return m_pWindow->showNormal();
    m_pWindow->showMaximized();
}

// Enter.
void CVideoGeometry::OnScaleEntireScreen()
{
    const char* pszHandler = "CKorvoPlayerDlg::OnScaleEntireScreen()";
    Trace("%d", m_nFullScreenMode);
    if (m_nFullScreenMode == kWindowed)
        return _EnterFullScreen(kFullScreenKeepRatio, pszHandler);
    if (m_nFullScreenMode == kFullScreenKeepRatio)
        return _LeaveFullScreen();
    m_nFullScreenMode = kFullScreenKeepRatio;
    _Fail(_ChangeScreenRatio(m_dAspectRatio), pszHandler, false);
}

// Ctrl+Enter.
void CVideoGeometry::OnScaleFullScreen()
{
    const char* pszHandler = "CKorvoPlayerDlg::OnScaleFullScreen()";
    if (m_nFullScreenMode == kWindowed)
        return _EnterFullScreen(kFullScreenFill, pszHandler);
    if (m_nFullScreenMode == kFullScreenFill)
        return _LeaveFullScreen();
    m_nFullScreenMode = kFullScreenFill;
    _Fail(_ChangeScreenRatio(0.0), pszHandler, false);
}

// The video area takes the display's size (filling it in mode 2, whatever
// the window's own ratio); the window manager then gives the window the
// whole display, and that size change places the picture.
void CVideoGeometry::_EnterFullScreen(int nMode, const char* pszHandler)
{
    m_rcSaved = RECT::FromQRect(m_pWindow->geometry());
    m_nFullScreenMode = nMode;
    m_pScreenWnd->SetDragLock(1);
    if (QScreen* pScreen = _Monitor()) {
        const QSize display = pScreen->geometry().size();
        m_pSkin->SetAvailableScreenSize(display.width(), display.height());
    }
    if (nMode == kFullScreenFill) {
        m_pSkin->m_dAspectRatio = 0.0;
        m_pSkin->FitScreen();
    }
    m_pWindow->showFullScreen();
    _Fail(PlaceScreen(), pszHandler, false);
}

// The window goes back to its saved rectangle, and the skin lays the video
// area out for it at once: when full screen ends before the window manager
// has sized the window for it, no size change comes to do that.
void CVideoGeometry::_LeaveFullScreen()
{
    if (m_nFullScreenMode == kFullScreenFill)
        m_pSkin->m_dAspectRatio = m_dAspectRatio;
    _LeaveWindowManagerFullScreen();
    _KeepSavedOnAMonitor();
    _MoveWindow(m_rcSaved);
    m_pSkin->SetPlayerSize(m_rcSaved.Width(), m_rcSaved.Height());
    m_pScreenWnd->setVisible(m_pDirectShow->IsOpen());
    PlaceScreen();
}

// Windowed again, and the window manager's full-screen state left, so that
// the window can be placed.
void CVideoGeometry::_LeaveWindowManagerFullScreen()
{
    m_nFullScreenMode = kWindowed;
    m_pScreenWnd->SetDragLock(0);
    if (m_pWindow->isFullScreen())
        m_pWindow->showNormal();
}

void CVideoGeometry::_OnPanScan(int nID)
{
    RECT work = {};
    if (HRESULT hr = ReadWorkArea(_Monitor(), &work); hr != S_OK)
        return _Fail(hr, kPanScanHandlers[nID - ID_SCAN_MOVELEFT], true);
    _MoveWindow(PanScanRect(nID, RECT::FromQRect(m_pWindow->geometry()), work));
}

void CVideoGeometry::OnScanDecSize()
{
    int cx = 0;
    int cy = 0;
    if (HRESULT hr = m_pSkin->GetMinimunSize(&cx, &cy); hr != S_OK)
        return _Fail(hr, "CKorvoPlayerDlg::OnScanDecSize()", true);
    _MoveWindow(DecreasedRect(RECT::FromQRect(m_pWindow->geometry()), cx, cy));
}

void CVideoGeometry::_MoveWindow(const RECT& rc)
{
    PlaceTopLevelWindow(m_pWindow, rc.ToQRect());
    m_pWindow->update();
}

// A failed command: the last report is shown when `bShow`, and the handler
// traced.
void CVideoGeometry::_Fail(HRESULT hr, const char* pszHandler, bool bShow)
{
    if (hr == S_OK)
        return;
    if (bShow)
        m_showLastReport();
    Trace("from %s", pszHandler);
}
