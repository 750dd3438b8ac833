#include "UIManager.h"

#include "common/Report.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Truncates toward zero into the int range.
int TruncToInt(double value)
{
    return static_cast<int>(std::trunc(std::clamp(value, -2147483648.0, 2147483647.0)));
}

constexpr std::pair<const char*, int> kControlIds[] = {
    {"IDC_STATIC", -1},
    {"IDC_FILEOPEN", 1001},
    {"IDC_SLIDER_TIME", 1003},
    {"IDC_STOP", 1004},
    {"IDC_PLAY", 1006},
    {"IDC_TXT_TIMEINFO", 1007},
    {"IDC_VIEW", 1008},
    {"IDC_SLIDER_VOLUME", 1009},
    {"IDC_SYS_CLOSE", 1011},
    {"IDC_SYS_MAXIMIZE", 1012},
    {"IDC_SYS_MINIMIZE", 1013},
    {"IDC_FULLSCREEN", 1014},
    {"IDC_LOGOPANEL", 1015},
    {"IDC_TITLE", 1016},
    {"IDC_LIST", 1017},
    {"IDC_PLAYLIST_ADD", 1018},
    {"IDC_PLAYLIST_SLIDER_LIST", 1019},
    {"IDC_PLAYLIST_SYS_CLOSE", 1020},
    {"IDC_PLAYLIST_DEL", 1021},
    {"IDC_LISTPANEL", 1022},
    {"IDC_SKIN_LIST", 1011},
    {"IDC_PREPLAYLIST", 1023},
    {"IDC_NEXTPLAYLIST", 1024},
    {"IDC_PLAYLIST_BTNUP", 1025},
    {"IDC_PLAYLIST_BTNDOWN", 1026},
    {"IDC_REPEAT", 1027},
};

HRESULT ReportNullOutput(const void* p1, const void* p2, const char* pszFunction)
{
    return ArgumentFault(pszFunction, "pnWidth = %llx, pnHeight = %llx", Hex(p1), Hex(p2));
}

HRESULT ReportNullRect(const RECT* prc, const char* pszFunction)
{
    return ArgumentFault(pszFunction, "prc = %llx", Hex(prc));
}

} // namespace

HRESULT CUIManager::Create(QWidget* pwndParent, const char*, const char* pszSkinArchive)
{
    if (pwndParent == nullptr)
        return ArgumentFault("CUIManager::Create()", "pwndParent = %llx", Hex(pwndParent));
    m_pParent = pwndParent;
    m_sSkinArchive = pszSkinArchive != nullptr ? pszSkinArchive : "";
    for (const auto& [pszName, nID] : kControlIds)
        m_controlIds[pszName] = nID;
    return S_OK;
}

HRESULT CUIManager::GetScreenRect(RECT* prc) const
{
    if (prc == nullptr)
        return ReportNullRect(prc, "CUIManager::GetScreenRect()");
    *prc = m_rcScreen;
    return S_OK;
}

HRESULT CUIManager::SetScreenSize(int nVideoWidth, int nVideoHeight, double dRatio, double dScale)
{
    m_dAspectRatio = dRatio;
    m_nVideoWidth = nVideoWidth;
    m_nVideoHeight = nVideoHeight;
    const int vw = TruncToInt(std::trunc(nVideoHeight * dRatio) * dScale);
    const int vh = TruncToInt(nVideoHeight * dScale);
    const int bw = m_rcBaseAvailableScreen.Width();
    const int bh = m_rcBaseAvailableScreen.Height();
    if (bw > vw && bh > vh) {
        m_rcPlayer = m_rcMinimum;
        m_rcAvailableScreen = m_rcBaseAvailableScreen;
        FitScreen();
    } else {
        m_rcScreen.left = bw > vw ? (bw - vw) / 2 : 0;
        m_rcScreen.right = m_rcScreen.left + vw;
        m_rcScreen.top = bh > vh ? (bh - vh) / 2 : 0;
        m_rcScreen.bottom = m_rcScreen.top + vh;
    }
    m_rcAvailableScreen.right = m_rcAvailableScreen.left + std::max(bw, m_rcScreen.Width());
    m_rcAvailableScreen.bottom = m_rcAvailableScreen.top + std::max(bh, m_rcScreen.Height());
    m_rcPlayer.right = m_rcAvailableScreen.right + _RightMargin();
    m_rcPlayer.bottom = m_rcAvailableScreen.bottom + _BottomMargin();
    return S_OK;
}

HRESULT CUIManager::FitScreen()
{
    const int aw = m_rcAvailableScreen.Width();
    const int ah = m_rcAvailableScreen.Height();
    const int H = m_nVideoHeight;
    const int Wr = TruncToInt(H * m_dAspectRatio);
    // Without a video size there is no ratio to keep: the video fills the area.
    if (m_dAspectRatio == 0 || H < 1 || Wr < 1) {
        m_rcScreen = {0, 0, aw, ah};
        return S_OK;
    }
    const int hFit = static_cast<int>(static_cast<long long>(aw) * H / Wr);
    if (hFit > ah) {
        const int wFit = static_cast<int>(static_cast<long long>(ah) * Wr / H);
        m_rcScreen = {aw / 2 - wFit / 2, 0, aw / 2 - wFit / 2 + wFit, ah};
    } else if (hFit == ah) {
        m_rcScreen = {0, 0, aw, ah};
    } else {
        m_rcScreen = {0, ah / 2 - hFit / 2, aw, ah / 2 - hFit / 2 + hFit};
    }
    return S_OK;
}

HRESULT CUIManager::SetPlayerSize(int cx, int cy)
{
    cx = std::max(cx, m_rcMinimum.Width());
    cy = std::max(cy, m_rcMinimum.Height());
    m_rcPlayer.right = cx;
    m_rcPlayer.bottom = cy;
    m_rcAvailableScreen.right = cx - _RightMargin();
    m_rcAvailableScreen.bottom = cy - _BottomMargin();
    return FitScreen();
}

HRESULT CUIManager::GetPlayerSize(int* pcx, int* pcy) const
{
    if (pcx == nullptr || pcy == nullptr)
        return ReportNullOutput(pcx, pcy, "CUIManager::GetPlayerSize()");
    *pcx = m_rcPlayer.Width();
    *pcy = m_rcPlayer.Height();
    return S_OK;
}

HRESULT CUIManager::GetMinimunSize(int* pcx, int* pcy) const
{
    if (pcx == nullptr || pcy == nullptr)
        return ReportNullOutput(pcx, pcy, "CUIManager::GetMinimunSize()");
    *pcx = m_rcMinimum.Width();
    *pcy = m_rcMinimum.Height();
    return S_OK;
}

HRESULT CUIManager::SetPlayerWidth(int cx)
{
    cx = std::max(cx, m_rcMinimum.Width());
    m_rcPlayer.right = cx;
    m_rcAvailableScreen.right = cx - _RightMargin();
    // Without a ratio the height stays as it is.
    if (m_dAspectRatio != 0)
        m_rcAvailableScreen.bottom = m_rcAvailableScreen.top + TruncToInt(m_rcAvailableScreen.Width() / m_dAspectRatio);
    m_rcPlayer.bottom = m_rcAvailableScreen.bottom + _BottomMargin();
    return S_OK;
}

HRESULT CUIManager::FitPlayerToScreen()
{
    const int sw = m_rcScreen.Width();
    const int sh = m_rcScreen.Height();
    int right = m_rcAvailableScreen.left + sw + _RightMargin();
    int bottom = m_rcAvailableScreen.top + sh + _BottomMargin();
    if (right - m_rcPlayer.left < m_rcMinimum.Width())
        right = m_rcMinimum.right;
    if (bottom - m_rcPlayer.top < m_rcMinimum.Height())
        bottom = m_rcMinimum.bottom;
    m_rcPlayer.right = right;
    m_rcPlayer.bottom = bottom;
    m_rcAvailableScreen.right = right - _RightMargin();
    m_rcAvailableScreen.bottom = bottom - _BottomMargin();
    const int x = (m_rcAvailableScreen.Width() - sw) / 2;
    const int y = (m_rcAvailableScreen.Height() - sh) / 2;
    m_rcScreen = {x, y, x + sw, y + sh};
    return S_OK;
}

HRESULT CUIManager::GetAvailableScreenRect(RECT* prc) const
{
    if (prc == nullptr)
        return ReportNullRect(prc, "CUIManager::GetAvailableScreenRect()");
    *prc = m_rcAvailableScreen;
    return S_OK;
}

HRESULT CUIManager::SetAvailableScreenSize(int cx, int cy)
{
    m_rcAvailableScreen.right = m_rcAvailableScreen.left + cx;
    m_rcAvailableScreen.bottom = m_rcAvailableScreen.top + cy;
    m_rcPlayer.right = m_rcAvailableScreen.right + _RightMargin();
    m_rcPlayer.bottom = m_rcAvailableScreen.bottom + _BottomMargin();
    return FitScreen();
}
