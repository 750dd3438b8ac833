#include "DesktopPlayerLink.h"

#include "CommandIds.h"
#include "KorvoPlayerDlg.h"
#include "skinui/PlaylistDlg.h"

#include <QTreeWidget>

PlayerSample CDesktopPlayerLink::Read() const
{
    PlayerSample sample;
    CDirectShow& graph = m_dlg.Graph();
    sample.nState = graph.TargetState();
    sample.fileName = m_dlg.FileName();
    sample.nVolume = m_dlg.Volume();
    sample.bOpen = graph.IsOpen();
    sample.bFullScreen = m_dlg.Geometry().FullScreenMode() != kWindowed;
    if (sample.bOpen) {
        graph.GetTotalPlayLength(&sample.llLength);
        graph.GetRate(&sample.dRate);
        sample.bHasVideo = graph.HasVideo();
    }
    if (CPlaylistDlg* pPlaylist = m_dlg.Playlist()) {
        const int nCount = pPlaylist->List()->topLevelItemCount();
        const int nIndex = pPlaylist->GetCurrentIndex();
        const bool bRunning = sample.nState == State_Running;
        sample.bCanPrevious = bRunning && nCount > 0 && (pPlaylist->IsRepeat() || nIndex > 0);
        sample.bCanNext = bRunning && nCount > 0 && (pPlaylist->IsRepeat() || nIndex + 1 < nCount);
        sample.bCanPlay = sample.bOpen || (nIndex >= 0 && nIndex < nCount);
    }
    return sample;
}

CPlaybackEvents& CDesktopPlayerLink::Events()
{
    return m_dlg.Graph().Events();
}

// The playlist's rows and repeat, the player's volume and file, and its
// window entering or leaving full screen.
void CDesktopPlayerLink::OnChange(std::function<void()> changed)
{
    QObject::connect(&m_dlg.Control(), &CPlaybackControl::Changed, &m_dlg, changed);
    QObject::connect(&m_dlg, &CKorvoPlayerDlg::PlaylistChanged, &m_dlg, changed);
    QObject::connect(&m_dlg, &CKorvoPlayerDlg::WindowStateChanged, &m_dlg, changed);
    if (CPlaylistDlg* pPlaylist = m_dlg.Playlist()) {
        QAbstractItemModel* pRows = pPlaylist->List()->model();
        QObject::connect(pRows, &QAbstractItemModel::rowsInserted, &m_dlg, changed);
        QObject::connect(pRows, &QAbstractItemModel::rowsRemoved, &m_dlg, changed);
    }
}

bool CDesktopPlayerLink::ReadPosition(LONGLONG* pllPosition) const
{
    return m_dlg.Graph().IsOpen() && m_dlg.Graph().GetPosition(pllPosition) == S_OK;
}

void CDesktopPlayerLink::Command(PlayerCommand command)
{
    switch (command) {
    case PlayerCommand::PlayPause:
        return m_dlg.OnCommand(ID_PLAY_PLAY);
    case PlayerCommand::Pause:
        return m_dlg.OnCommand(ID_PLAY_PAUSE);
    case PlayerCommand::Stop:
        return m_dlg.OnCommand(ID_PLAY_STOP);
    case PlayerCommand::Previous:
        return m_dlg.OnCommand(IDC_PREPLAYLIST);
    case PlayerCommand::Next:
        return m_dlg.OnCommand(IDC_NEXTPLAYLIST);
    case PlayerCommand::Exit:
        return m_dlg.OnCommand(ID_APP_EXIT);
    }
}

void CDesktopPlayerLink::SeekTo(LONGLONG llPosition)
{
    m_dlg.Control().SeekTo(llPosition);
}

void CDesktopPlayerLink::SetRate(double dRate)
{
    if (m_dlg.Graph().IsOpen())
        m_dlg.Graph().SetRate(dRate);
}

void CDesktopPlayerLink::SetVolume(int nVolume)
{
    m_dlg.SetVolume(nVolume);
}

// A subtitle file dropped while a file plays is loaded for it.
void CDesktopPlayerLink::OpenFiles(const QStringList& files)
{
    if (!m_dlg.Tracks().TakeSubtitleFiles(files))
        m_dlg.OpenFiles(files);
}

void CDesktopPlayerLink::AddToPlaylist(const QStringList& files)
{
    if (CPlaylistDlg* pPlaylist = m_dlg.Playlist())
        pPlaylist->AddFiles(files);
}

// Enter (the key) keeps the picture's ratio; leaving repeats the command of
// the mode the player is in, which toggles it off.
void CDesktopPlayerLink::SetFullScreen(bool bFullScreen)
{
    const int nMode = m_dlg.Geometry().FullScreenMode();
    if (bFullScreen && nMode == kWindowed)
        m_dlg.OnCommand(ID_SCALE_ENTIRESCREEN);
    else if (!bFullScreen && nMode != kWindowed)
        m_dlg.OnCommand(nMode == kFullScreenFill ? ID_SCALE_FULLSCREEN : ID_SCALE_ENTIRESCREEN);
}

QWidget& CDesktopPlayerLink::Window()
{
    return m_dlg;
}

QWidget* CDesktopPlayerLink::PlaylistWindow()
{
    return m_dlg.Playlist();
}
