// The player's main window. It publishes its handle in the shared record so
// that later instances find it and answers their messages; it owns the graph
// controller and the screen window the picture is shown in, and turns keys,
// commands, graph events and handed files into playback.
#pragma once

#include "InstanceServer.h"
#include "VideoGeometry.h"
#include "winsys/WindowSystem.h"
#include "common/ComTypes.h"
#include "common/LibraryLocation.h"
#include "controls/WindowFrame.h"
#include "playback/DirectShow.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>

class CBitmapSlider;
class CHoverButton;
class CKorvoUIManager;
class CPlaylistDlg;
class CScreenWnd;
class CTransparentStatic;
struct SharedPlayerRecord;

class CKorvoPlayerDlg : public QDialog, public IFrameWindow {
    Q_OBJECT

public:
    // The BrelmSource library is looked for relative to `filterLibraryDir`.
    explicit CKorvoPlayerDlg(const std::string& filterLibraryDir = ProgramDir(), QWidget* pParent = nullptr);
    ~CKorvoPlayerDlg() override;

    // Answers a message of a later instance.
    uint32_t OnInstanceMessage(const InstanceRequest& request);
    // Carries out a command of a key, a menu entry or a skin control.
    void OnCommand(int nID);

    const std::string& FileName() const { return m_fileName; }
    const std::string& SecondArgument() const { return m_secondArgument; }
    int Volume() const { return m_nVolume; }
    CDirectShow& Graph() { return m_directShow; }
    // The message box showing the last failure, while it is open.
    QMessageBox* MessageBox() const { return m_pMessageBox; }
    QMenu* ContextMenu() const { return m_pMenu; }
    // Null when the skin could not be built.
    CKorvoUIManager* SkinManager() const { return m_pSkin.get(); }
    CPlaylistDlg* Playlist() const { return m_pPlaylist; }
    CScreenWnd* ScreenWnd() const { return m_pScreenWnd; }
    const CVideoGeometry& Geometry() const { return m_geometry; }

    // Stops, adds the files to the playlist and plays the first of them
    // (as the Open command does with one file).
    void OpenFiles(const QStringList& files);
    // The player's volume (held to 0..100), shown and applied to the graph.
    void SetVolume(int nVolume);

    // Plays, pauses or resumes, as the state of the graph asks.
    void OnPlay();
    void OnStop();
    void OnPause();
    // The user chose an entry of the playlist: stops and plays again.
    void PlayChosenEntry();
    // Leaves the player.
    void OnExit();
    // The dialog's cancel command: pauses a running file and minimises.
    void reject() override;

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
    std::unique_ptr<CKorvoUIManager> _BuildSkin();
    bool _InitSkin();
    void _FindControls();
    void _CreatePlaylist();
    uint32_t OnOpenForwarded();
    SharedPlayerRecord* _SharedRecord();
    HRESULT _OpenSharedRecord();
    void _PublishWindow();
    void OnFileOpen();
    intptr_t onKorvoPlayerFilterGraph();
    HRESULT _StartFile();
    void _FitToPicture();
    void _PlaceScreen();
    void _ShowTitle();
    HRESULT _SetPlayLength();
    void _ShowTime();
    void OnTimer();
    void _KillTimer();
    void _PlayNeighbour(int nID);
    void _ToggleRepeat();
    void _TogglePlaylist();
    void _CarryPlaylist();
    QRect _PlaylistBeside(const QRect& player, const QPoint& moved) const;
    void _CentreOnScreen();
    void _KeepOnScreen(const QSize& size);
    QRect _WorkArea() const;
    void _OnMonitorRemoved();
    void _ShowContextMenu(const QPoint& ptScreen);
    void _OnSliderMoving(int nID, int nPos);
    HRESULT _MovePosition(LONGLONG llOffset);
    void _Seek(LONGLONG llOffset, const char* pszHandler);
    void _ChangeRate(int nID);
    void _ChangeVolume(int nID);
    void _SetVolume(int nVolume, const char* pszHandler);
    void _ShowVolume();
    void _PostPlay();
    void _ShowLastReport();

    CDirectShow m_directShow;
    // Built in the set-up; the controls below belong to it and are null when
    // the skin has no such control.
    std::unique_ptr<CKorvoUIManager> m_pSkin;
    CBitmapSlider* m_pTimeSlider = nullptr;
    CBitmapSlider* m_pVolumeSlider = nullptr;
    CTransparentStatic* m_pTimeText = nullptr;
    CTransparentStatic* m_pTitle = nullptr;
    CScreenWnd* m_pScreenWnd;
    // A child of this window (deleted with it); null without a skin.
    CPlaylistDlg* m_pPlaylist = nullptr;
    // The duration of the file playing and the last whole second shown.
    int m_nTotalHours = 0;
    int m_nTotalMinutes = 0;
    int m_nTotalSeconds = 0;
    int m_nCurrentSecond = 0;
    // The position timer, running while a file plays or is paused.
    QTimer m_positionTimer;
    // The context menu, a child of this window.
    QMenu* m_pMenu = nullptr;
    // Where the window was at the last move, for carrying a docked playlist.
    QPoint m_previousPosition;
    // The playlist was shown when full screen began, and is hidden until
    // it ends.
    bool m_bPlaylistAside = false;
    CInstanceServer m_instanceServer;
    std::string m_fileName;
    std::string m_secondArgument;
    int m_nVolume = 100;
    bool m_bPlayedOnce = false;
    // The file playing sized the window (the first one), so the window
    // follows its picture when that changes shape.
    bool m_bWindowFollowsPicture = false;
    // A file is being opened, and a play asked for meanwhile.
    bool m_bStarting = false;
    bool m_bPlayPending = false;
    // The last failure to open the shared record again, reported once.
    HRESULT m_hrRecord = S_OK;
    QPointer<QMessageBox> m_pMessageBox;
    CWindowFrame m_frame;
    CVideoGeometry m_geometry;
};
