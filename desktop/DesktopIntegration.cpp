#include "DesktopIntegration.h"

#include "FileDropTarget.h"

CDesktopIntegration::CDesktopIntegration(IDesktopPlayer& player)
    : m_watch(player),
      m_mpris(player, m_watch),
      m_screenSaver(m_watch),
      m_pPlayerDrops(
          new CFileDropTarget(&player.Window(), [&player](const QStringList& files) { player.OpenFiles(files); }))
{
    if (QWidget* pPlaylist = player.PlaylistWindow())
        m_pPlaylistDrops =
            new CFileDropTarget(pPlaylist, [&player](const QStringList& files) { player.AddToPlaylist(files); });
}
