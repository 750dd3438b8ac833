#include "DesktopIntegration.h"

#include "FileDropTarget.h"
#include "KorvoPlayerDlg.h"
#include "skinui/PlaylistDlg.h"

CDesktopIntegration::CDesktopIntegration(CKorvoPlayerDlg& dlg)
    : m_watch(dlg),
      m_mpris(dlg, m_watch),
      m_screenSaver(m_watch),
      m_pPlayerDrops(new CFileDropTarget(&dlg, [&dlg](const QStringList& files) { dlg.OpenFiles(files); }))
{
    if (CPlaylistDlg* pPlaylist = dlg.Playlist())
        m_pPlaylistDrops =
            new CFileDropTarget(pPlaylist, [pPlaylist](const QStringList& files) { pPlaylist->AddFiles(files); });
}
