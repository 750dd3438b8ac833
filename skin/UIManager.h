// The geometry of one skinned window: its minimum and current size, the
// video area (the rectangle of the control IDC_LOGOPANEL) and the video
// rectangle inside it, which keeps the video's aspect ratio. Also holds the
// tables the skin refers to: control ids and fonts.
#pragma once

#include "winsys/Rect.h"
#include "common/ComTypes.h"

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <unordered_map>

// The control whose rectangle is the video area.
constexpr int IDC_LOGOPANEL = 1015;
// The controls that show the player's state: the skin lays them out and
// switches them, the player window fills them.
constexpr int IDC_SLIDER_TIME = 1003;
constexpr int IDC_TXT_TIMEINFO = 1007;
constexpr int IDC_SLIDER_VOLUME = 1009;
constexpr int IDC_TITLE = 1016;

class CUIManager {
public:
    CUIManager() = default;
    virtual ~CUIManager() = default;
    CUIManager(const CUIManager&) = delete;
    CUIManager& operator=(const CUIManager&) = delete;

    // Builds the skinned window `pwndParent` from the skin's window
    // `pszWindowName`; a skin archive path replaces the built-in skin.
    virtual HRESULT Init(QWidget* pwndParent, const char* pszWindowName, const char* pszSkinArchive) = 0;
    virtual void Dock(unsigned nType) = 0;
    virtual void Paint() = 0;
    virtual void OnActivate(unsigned nState) = 0;
    virtual void OnPlaying() = 0;
    virtual void OnPause() = 0;
    virtual void OnStop() = 0;
    virtual void OnMute() = 0;
    virtual QWidget* GetControl(int nID) const = 0;

    HRESULT GetScreenRect(RECT* prc) const;
    HRESULT SetScreenSize(int nVideoWidth, int nVideoHeight, double dRatio, double dScale);
    HRESULT FitScreen();
    HRESULT SetPlayerSize(int cx, int cy);
    HRESULT GetPlayerSize(int* pcx, int* pcy) const;
    HRESULT GetMinimunSize(int* pcx, int* pcy) const;
    HRESULT SetPlayerWidth(int cx);
    HRESULT FitPlayerToScreen();
    HRESULT GetAvailableScreenRect(RECT* prc) const;
    HRESULT SetAvailableScreenSize(int cx, int cy);

    // The skin archive or folder built from; empty for the built-in skin.
    const std::string& SkinArchive() const { return m_sSkinArchive; }

    // Video width / height; 0 lets the video fill the area.
    double m_dAspectRatio = 0.5;

protected:
    // Keeps the parent and the archive path and fills the control-id table.
    HRESULT Create(QWidget* pwndParent, const char* pszWindowName, const char* pszSkinArchive);

    int _RightMargin() const { return m_rcMinimum.right - m_rcBaseAvailableScreen.right; }
    int _BottomMargin() const { return m_rcMinimum.bottom - m_rcBaseAvailableScreen.bottom; }

    std::string m_sSkinArchive;
    QPointer<QWidget> m_pParent;
    RECT m_rcScreen;
    RECT m_rcPlayer;
    RECT m_rcAvailableScreen;
    RECT m_rcBaseAvailableScreen;
    RECT m_rcMinimum;
    int m_nVideoWidth = 0;
    int m_nVideoHeight = 0;
    std::unordered_map<std::string, int> m_controlIds;
    std::unordered_map<std::string, std::unique_ptr<QFont>> m_fonts;
};
