// What the player is on a Linux desktop besides its window: the MPRIS
// media controls, the screen-saver inhibition while video plays, and files
// dropped on the player or its playlist. All follow the player through one
// state watch. Lives while the player runs; the player outlives it.
#pragma once

#include "MprisService.h"
#include "PlayerStateWatch.h"
#include "ScreenSaverInhibitor.h"

class CFileDropTarget;

class CDesktopIntegration {
public:
    explicit CDesktopIntegration(IDesktopPlayer& player);
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
