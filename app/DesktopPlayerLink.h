// The player window as the desktop integration sees it: reads what the
// window shows and carries out the desktop's requests as the window's own
// commands. Lives no longer than the window.
#pragma once

#include "desktop/DesktopPlayer.h"

class CKorvoPlayerDlg;

class CDesktopPlayerLink : public IDesktopPlayer {
public:
    explicit CDesktopPlayerLink(CKorvoPlayerDlg& dlg) : m_dlg(dlg) {}

    PlayerSample Read() const override;
    CPlaybackEvents& Events() override;
    void OnChange(std::function<void()> changed) override;
    bool ReadPosition(LONGLONG* pllPosition) const override;
    void Command(PlayerCommand command) override;
    void SeekTo(LONGLONG llPosition) override;
    void SetRate(double dRate) override;
    void SetVolume(int nVolume) override;
    void OpenFiles(const QStringList& files) override;
    void AddToPlaylist(const QStringList& files) override;
    void SetFullScreen(bool bFullScreen) override;
    QWidget& Window() override;
    QWidget* PlaylistWindow() override;

private:
    CKorvoPlayerDlg& m_dlg;
};
