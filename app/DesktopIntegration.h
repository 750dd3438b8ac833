// What the player window is on a Linux desktop besides itself: the MPRIS
// media controls, the screen-saver inhibition while video plays, and files
// dropped on the player or its playlist. All follow the window through one
// state watch. Lives while the window runs; the window outlives it.
#pragma once

#include "MprisService.h"
#include "PlayerStateWatch.h"
#include "ScreenSaverInhibitor.h"

class CFileDropTarget;
class CKorvoPlayerDlg;

class CDesktopIntegration {
public:
    explicit CDesktopIntegration(CKorvoPlayerDlg& dlg);
    CDesktopIntegration(const CDesktopIntegration&) = delete;
    CDesktopIntegration& operator=(const CDesktopIntegration&) = delete;

    CPlayerStateWatch& Watch() { return m_watch; }
    const CMprisService& Mpris() const { return m_mpris; }
    const CScreenSaverInhibitor& ScreenSaver() const { return m_screenSaver; }
    // Owned by the windows they serve; the playlist's is null without a playlist.
    CFileDropTarget* PlayerDrops() const { return m_pPlayerDrops; }
    CFileDropTarget* PlaylistDrops() const { return m_pPlaylistDrops; }

private:
    CPlayerStateWatch m_watch;
    CMprisService m_mpris;
    CScreenSaverInhibitor m_screenSaver;
    CFileDropTarget* m_pPlayerDrops;
    CFileDropTarget* m_pPlaylistDrops = nullptr;
};
