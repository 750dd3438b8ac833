// The player's main window. It publishes its handle in the shared record so
// that later instances find it and answers their messages (through its
// publisher); it owns the graph controller, the playback control and the
// screen window the picture is shown in, turns keys, commands and handed
// files into playback, and shows what the playback control tells it.
#pragma once

#include "PlaybackControl.h"
#include "PlaybackDisplay.h"
#include "PlaybackView.h"
#include "PlayerSkin.h"
#include "PlaylistDock.h"
#include "ReportBox.h"
#include "VideoGeometry.h"
#include "instance/InstancePublisher.h"
#include "winsys/WindowSystem.h"
#include "common/ComTypes.h"
#include "common/LibraryLocation.h"
#include "controls/WindowFrame.h"
#include "playback/DirectShow.h"
#include "tracks/TrackChooser.h"

#include <QDialog>
#include <QStringList>
#include <memory>
#include <string>

class CHoverButton;
class CKorvoUIManager;
class CPlaylistDlg;
class CScreenWnd;

class CKorvoPlayerDlg : public QDialog, public IFrameWindow, public IPlaybackView {
    Q_OBJECT

public:
    // The BrelmSource library is looked for relative to `filterLibraryDir`.
    explicit CKorvoPlayerDlg(const std::string& filterLibraryDir = ProgramDir(), QWidget* pParent = nullptr);
    ~CKorvoPlayerDlg() override;

    // Answers a message of a later instance.
    uint32_t OnInstanceMessage(const InstanceRequest& request) { return m_publisher.OnInstanceMessage(request); }
    // Carries out a command of a key, a menu entry or a skin control.
    void OnCommand(int nID);

    const std::string& FileName() const { return m_control.FileName(); }
    const std::string& SecondArgument() const { return m_secondArgument; }
    int Volume() const { return m_control.Volume(); }
    CDirectShow& Graph() { return m_directShow; }
    CPlaybackControl& Control() { return m_control; }
    CTrackChooser& Tracks() { return m_tracks; }
    // The message box showing the last failure, while it is open.
    QMessageBox* MessageBox() const { return m_reportBox.Box(); }
    QMenu* ContextMenu() const { return m_pMenu; }
    // Null when the skin could not be built.
    CKorvoUIManager* SkinManager() const { return m_skin.Manager(); }
    CPlaylistDlg* Playlist() const { return m_dock.Playlist(); }
    CScreenWnd* ScreenWnd() const { return m_pScreenWnd; }
    const CVideoGeometry& Geometry() const { return m_geometry; }

    // Stops, adds the files to the playlist and plays the first of them
    // (as the Open command does with one file). A skin package first is
    // offered for installing instead, and nothing is played.
    void OpenFiles(const QStringList& files);
    // The player's volume (held to 0..100), shown and applied to the graph.
    void SetVolume(int nVolume) { m_control.SetVolume(nVolume); }

    // Plays, pauses or resumes, as the state of the graph asks.
    void OnPlay() { m_control.Play(); }
    void OnStop() { m_control.Stop(); }
    void OnPause() { m_control.Pause(); }
    // The user chose an entry of the playlist: stops and plays again.
    void PlayChosenEntry();
    // Leaves the player.
    void OnExit();
    // The dialog's cancel command: pauses a running file and minimises.
    void reject() override;

    // What the playback control shows.
    void ShowPlaying() override;
    void ShowPaused() override;
    void ShowStopped() override;
    void ShowFileStarted(bool bSizeWindow) override;
    void ShowPictureChanged() override { _FitToPicture(); }
    void ShowDuration(int nTotal) override { m_display.ShowDuration(nTotal); }
    void ShowPosition(int nSecond) override { m_display.ShowPosition(nSecond); }
    void ShowVolume(int nVolume) override { m_display.ShowVolume(nVolume); }
    void ShowLastReport() override { m_reportBox.ShowLastReport(); }
    bool HasPlaylist() const override { return Playlist() != nullptr; }
    std::string CurrentEntry() const override;
    void StepEntry(bool bForward) override;

signals:
    // The playlist's repeat was switched.
    void PlaylistChanged();
    // The window was minimized, maximized, made full screen or normal again.
    void WindowStateChanged();
    // A command of what the player remembers (from the beginning, resume).
    void MemoryCommand(int nID);

protected:
    bool event(QEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void moveEvent(QMoveEvent* pEvent) override;
    void changeEvent(QEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void showEvent(QShowEvent* pEvent) override;

    // The window is borderless: its frame moves and sizes it.
    QSize FrameMinimumSize() const override;
    void OnFrameDragEnd() override;

private:
    void OnInitDialog();
    void _OnOpenForwarded(const std::string& fileName, const std::string& secondArgument);
    void OnFileOpen();
    void _FitToPicture();
    void _ToggleRepeat();
    void _TogglePlaylist();
    void _OnMonitorRemoved();
    void _ShowContextMenu(const QPoint& ptScreen);
    void _OnSliderMoving(int nID, int nPos);

    CDirectShow m_directShow;
    CPlaybackDisplay m_display;
    CScreenWnd* m_pScreenWnd;
    // The context menu, a child of this window.
    QMenu* m_pMenu = nullptr;
    CTrackChooser m_tracks{m_directShow, this};
    std::string m_secondArgument;
    // The file playing sized the window (the first one), so the window
    // follows its picture when that changes shape.
    bool m_bWindowFollowsPicture = false;
    CReportBox m_reportBox;
    CWindowFrame m_frame;
    CPlaylistDock m_dock;
    CVideoGeometry m_geometry;
    CPlaybackControl m_control;
    CInstancePublisher m_publisher;
    // Built in the set-up, with no skin manager when no skin could be
    // built; its controls go before the window and the parts they show.
    CPlayerSkin m_skin;
};
