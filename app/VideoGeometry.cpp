#include "VideoGeometry.h"

#include "CommandIds.h"
#include "PanScan.h"
#include "ScreenWnd.h"
#include "common/Report.h"
#include "playback/DirectShow.h"
#include "skin/UIManager.h"
#include "winsys/StringTable.h"

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
        _MoveWindow({m_rcSaved.left, m_rcSaved.top, m_rcSaved.left + cx, m_rcSaved.top + cy});
        hr = PlaceScreen();
    }
    if (hr != S_OK)
        Trace("from %s", "CKorvoPlayerDlg::_ChangeScreenScale()");
    return hr;
}

// The window as wide as the display, at its top-left corner, as high as the
// ratio asks (with the Full ratio the video area keeps its height).
void CVideoGeometry::OnScaleScreen()
{
    if (!m_pDirectShow->IsOpen() || m_pWindow->screen() == nullptr)
        return;
    const QRect display = m_pWindow->screen()->geometry();
    m_pSkin->SetPlayerWidth(display.width());
    int cx = 0;
    int cy = 0;
    m_pSkin->GetPlayerSize(&cx, &cy);
    _MoveWindow({display.left(), display.top(), display.left() + cx, display.top() + cy});
    _Fail(PlaceScreen(), "CKorvoPlayerDlg::OnScaleScreen()", false);
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
    if (m_pWindow->screen() != nullptr) {
        const QSize display = m_pWindow->screen()->geometry().size();
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
    if (HRESULT hr = ReadWorkArea(m_pWindow->screen(), &work); hr != S_OK)
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
    m_pWindow->setGeometry(rc.ToQRect());
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
