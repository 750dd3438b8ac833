#include "KorvoPlayerDlg.h"

#include "AcceleratorFilter.h"
#include "CommandIds.h"
#include "CommandLine.h"
#include "MainMenu.h"
#include "Monitor.h"
#include "ScreenWnd.h"
#include "instance/SharedPlayerRecord.h"
#include "common/Report.h"
#include "common/Utf8.h"
#include "controls/HoverButton.h"
#include "controls/PictureNote.h"
#include "playback/MediaGraph.h"
#include "skinui/KorvoUIManager.h"
#include "skinui/PlaylistDlg.h"
#include "winsys/MessageEvent.h"
#include "winsys/OpenFileFilter.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QShowEvent>
#include <QPainter>
#include <utility>

namespace {

constexpr const char* kWindowText = "Ostra Viewer";
constexpr LONGLONG kSecond = 10'000'000;

static_assert(kMaxFileNameLength == kRecordFileSize - 1, "every name the record holds can be played");

// The argument cut to what fits a field of cbField bytes with its terminator.
std::string FieldText(const std::string& argument, size_t cbField)
{
    return argument.substr(0, Utf8PrefixLength(argument.data(), argument.size(), cbField - 1));
}

} // namespace

CKorvoPlayerDlg::CKorvoPlayerDlg(const std::string& filterLibraryDir, QWidget* pParent)
    : QDialog(pParent),
      m_directShow(filterLibraryDir),
      m_display(m_directShow.Events()),
      m_pScreenWnd(new CScreenWnd(this, &m_directShow)),
      m_reportBox(*this, m_directShow, QString::fromLatin1(kWindowText)),
      m_frame(this, this),
      m_dock(*this),
      m_geometry(this, &m_directShow, m_pScreenWnd, [this] { ShowLastReport(); }),
      m_control(m_directShow, *this),
      m_publisher([this](const std::string& fileName, const std::string& secondArgument) {
          _OnOpenForwarded(fileName, secondArgument);
      }),
      m_skin({*this, m_directShow, m_control, m_display, m_dock, m_geometry, *m_pScreenWnd,
              [this] { ShowLastReport(); }})
{
    connect(qApp, &QGuiApplication::screenRemoved, this, &CKorvoPlayerDlg::_OnMonitorRemoved, Qt::QueuedConnection);
    OnInitDialog();
}

CKorvoPlayerDlg::~CKorvoPlayerDlg() = default;

void CKorvoPlayerDlg::OnInitDialog()
{
    // A main window, not a dialog, in the window manager's eyes: GNOME's
    // window manager neither maximizes nor makes full screen a dialog.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // The playlist, a window of its own, takes its icon from this one.
    setWindowIcon(LoadResourceIcon(IDR_MAINFRAME));
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::black));
    resize(478, 341);
    new CAcceleratorFilter(this, [this](int nID) { OnCommand(nID); });
    m_pMenu = CreateMainPopupMenu(this, [this](int nID) { OnCommand(nID); });
    // The track and skin menus go before the separator above Exit.
    m_tracks.AddMenus(m_pMenu, m_pMenu->actions().value(m_pMenu->actions().size() - 2));
    m_skin.AddMenu(m_pMenu, m_pMenu->actions().at(m_pMenu->actions().size() - 2), [this](int nID) { OnCommand(nID); });
    m_pScreenWnd->CreateLogo();
    connect(&m_tracks, &CTrackChooser::Noted, m_pScreenWnd->Note(),
            [pNote = m_pScreenWnd->Note()](const QString& text) { pNote->Show(text, CTrackChooser::kNoteMilliseconds); });
    m_directShow.Init(m_pScreenWnd);
    // Even a window without its skin is the player later starts must find:
    // otherwise each of them would open a player of its own.
    const bool bSkinned = m_skin.Build();
    m_publisher.Start(static_cast<WindowHandle>(winId()));
    if (!bSkinned)
        return;

    connect(m_dock.Create(SkinManager()->SkinArchive()), &CPlaylistDlg::EntryChosen, this,
            &CKorvoPlayerDlg::PlayChosenEntry);
    m_dock.CentreOnScreen();
    // A name too long to play is kept whole, so that Play reports it.
    const auto& arguments = CommandLineArguments();
    if (arguments.size() > 1 && !m_skin.OpenPackage(AbsoluteFileArgument(arguments[1]))) {
        m_control.SetFileName(arguments[1]);
        if (arguments.size() > 2)
            m_secondArgument = FieldText(arguments[2], kRecordArgumentSize);
        Playlist()->AddFile(arguments[1].c_str());
        m_control.PostPlay();
    }
    setWindowTitle(QString::fromLatin1(kWindowText));
}

void CKorvoPlayerDlg::OnCommand(int nID)
{
    if (m_tracks.OnCommand(nID))
        return;
    switch (nID) {
    case ID_PLAY_PLAY:
    case IDC_PLAY:
        return m_control.Play();
    case ID_PLAY_STOP:
    case ID_FILE_CLOSE:
    case IDC_STOP:
        return m_control.Stop();
    case ID_PLAY_PAUSE:
    case IDC_PAUSE:
        return m_control.Pause();
    case IDC_PREPLAYLIST:
    case IDC_NEXTPLAYLIST:
        return m_control.PlayNeighbour(nID == IDC_NEXTPLAYLIST);
    case IDC_REPEAT:
        return _ToggleRepeat();
    case IDC_LIST:
        return _TogglePlaylist();
    case IDC_SYS_MINIMIZE:
        return showMinimized();
    case ID_FILE_OPEN:
    case IDC_FILEOPEN:
        return OnFileOpen();
    case ID_APP_EXIT:
    case IDC_SYS_CLOSE:
        return OnExit();
    case ID_PLAY_BACK10:
        return m_control.Seek(-10 * kSecond, "CKorvoPlayerDlg::OnPlayBack10()");
    case ID_PLAY_FORWARD10:
        return m_control.Seek(10 * kSecond, "CKorvoPlayerDlg::OnPlayForward10()");
    case ID_PLAY_BACK60:
        return m_control.Seek(-60 * kSecond, "CKorvoPlayerDlg::OnPlayBack60()");
    case ID_PLAY_FORWARD60:
        return m_control.Seek(60 * kSecond, "CKorvoPlayerDlg::OnPlayForward60()");
    case ID_PLAY_BACK300:
        return m_control.Seek(-300 * kSecond, "CKorvoPlayerDlg::OnPlayBack300()");
    case ID_PLAY_FORWARD300:
        return m_control.Seek(300 * kSecond, "CKorvoPlayerDlg::OnPlayForward300()");
    case ID_PLAY_NORMALSPEED:
        return m_control.ChangeRate(CPlaybackControl::RateStep::Normal);
    case ID_PLAY_SLOWER:
        return m_control.ChangeRate(CPlaybackControl::RateStep::Slower);
    case ID_PLAY_FASTER:
        return m_control.ChangeRate(CPlaybackControl::RateStep::Faster);
    case ID_VOLUMN_DOWN:
        return m_control.ChangeVolume(CPlaybackControl::VolumeStep::Down);
    case ID_VOLUMN_UP:
        return m_control.ChangeVolume(CPlaybackControl::VolumeStep::Up);
    case ID_VOLUMN_NONE:
        return m_control.ChangeVolume(CPlaybackControl::VolumeStep::Mute);
    case ID_PLAY_FROMSTART:
    case ID_PLAY_RESUME:
        return emit MemoryCommand(nID);
    default:
        if (!m_skin.OnCommand(nID))
            m_geometry.OnCommand(nID);
        return;
    }
}

// Tells the skin the picture's size at the start of a file and whenever it
// changes while playing; the window takes the skin's size for it when the
// file sized the window, within the desktop, and the picture is fitted into
// the window otherwise.
void CKorvoPlayerDlg::_FitToPicture()
{
    long lWidth = 0;
    long lHeight = 0;
    double dRatio = 0.0;
    if (m_directShow.GetOriginalScreenSize(&lWidth, &lHeight) == S_OK && lWidth > 0 && lHeight > 0)
        dRatio = static_cast<double>(lWidth) / static_cast<double>(lHeight);
    else
        lWidth = lHeight = 0;
    if (m_geometry.FullScreenMode() != kWindowed)
        return m_geometry.OnFullScreenPicture(static_cast<int>(lWidth), static_cast<int>(lHeight), dRatio);
    SkinManager()->SetScreenSize(static_cast<int>(lWidth), static_cast<int>(lHeight), dRatio, 1.0);
    m_geometry.OnPictureStart(dRatio);
    if (m_bWindowFollowsPicture) {
        int cx = 0;
        int cy = 0;
        SkinManager()->GetPlayerSize(&cx, &cy);
        QSize player = QSize(cx, cy).boundedTo(m_dock.WorkArea().size());
        if (player != QSize(cx, cy))
            SkinManager()->SetPlayerSize(player.width(), player.height());
        m_dock.KeepOnScreen(player);
        resize(player);
    } else {
        SkinManager()->SetPlayerSize(width(), height());
    }
    m_geometry.PlaceScreen();
}

void CKorvoPlayerDlg::_ToggleRepeat()
{
    if (SkinManager() == nullptr)
        return;
    Playlist()->SetRepeat(!Playlist()->IsRepeat());
    if (auto* pButton = qobject_cast<CHoverButton*>(SkinManager()->GetControl(IDC_REPEAT)))
        pButton->OnRepeat();
    emit PlaylistChanged();
}

void CKorvoPlayerDlg::_TogglePlaylist()
{
    if (Playlist() != nullptr)
        Playlist()->setVisible(!Playlist()->isVisible());
}

void CKorvoPlayerDlg::PlayChosenEntry()
{
    m_control.Stop();
    m_control.Play();
}

void CKorvoPlayerDlg::OnFileOpen()
{
    QString file = QFileDialog::getOpenFileName(this, QString(), QString(), OpenFileFilter());
    if (!file.isEmpty())
        OpenFiles({file});
}

// Each file added becomes the current entry: the first is added last. A
// skin package (dropped, or opened) is installed, not played.
void CKorvoPlayerDlg::OpenFiles(const QStringList& files)
{
    if (files.isEmpty() || m_skin.OpenPackage(QFile::encodeName(files.first()).toStdString()))
        return;
    m_control.SetFileName(QFile::encodeName(files.first()).toStdString());
    m_control.Stop();
    if (Playlist() != nullptr) {
        for (auto file = files.crbegin(); file != files.crend(); ++file)
            Playlist()->AddFile(QFile::encodeName(*file).constData());
    }
    m_control.Play();
}

void CKorvoPlayerDlg::OnExit()
{
    if (Playlist() != nullptr)
        Playlist()->close();
    m_control.Stop();
    done(0);
}

bool CKorvoPlayerDlg::event(QEvent* pEvent)
{
    if (pEvent->type() == CMessageEvent::EventType()) {
        auto* pMessage = static_cast<CMessageEvent*>(pEvent);
        if (pMessage->m_nMessage == WM_PLAYER_GRAPHEVENT) {
            m_control.OnGraphEvents();
            return true;
        }
        if (pMessage->m_nMessage == WM_COMMAND) {
            OnCommand(static_cast<int>(pMessage->m_wParam & 0xFFFFu));
            return true;
        }
        if (pMessage->m_nMessage == WM_SLIDER_MOVING) {
            _OnSliderMoving(static_cast<int>(pMessage->m_wParam), static_cast<int>(pMessage->m_lParam));
            return true;
        }
        if (pMessage->m_nMessage == WM_SLIDER_MOVED)
            return true;
        if (pMessage->m_nMessage == WM_RBUTTONDOWN) {
            const auto lParam = static_cast<uint32_t>(pMessage->m_lParam);
            const QPoint pt(static_cast<int16_t>(lParam & 0xFFFFu), static_cast<int16_t>(lParam >> 16));
            _ShowContextMenu(mapToGlobal(pt));
            return true;
        }
    }
    return QDialog::event(pEvent);
}

// Dragging the time slider seeks, so the picture follows the knob; the
// volume slider sets the graph's volume, leaving the stored volume as it is.
void CKorvoPlayerDlg::_OnSliderMoving(int nID, int nPos)
{
    if (nID == IDC_SLIDER_TIME && m_display.HasTimeSlider())
        m_control.SeekTo(static_cast<LONGLONG>(nPos) * kSecond);
    else if (nID == IDC_SLIDER_VOLUME && m_display.HasVolumeSlider())
        m_control.SetGraphVolume(nPos);
}

void CKorvoPlayerDlg::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::RightButton)
        return _ShowContextMenu(pEvent->globalPosition().toPoint());
    QDialog::mousePressEvent(pEvent);
}

// The menu opens without holding up the window, as the graph keeps playing.
void CKorvoPlayerDlg::_ShowContextMenu(const QPoint& ptScreen)
{
    m_pMenu->popup(ptScreen);
}

// Escape does not close the player.
void CKorvoPlayerDlg::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Escape)
        return pEvent->accept();
    QDialog::keyPressEvent(pEvent);
}

// Closing the window from the window manager leaves the player.
void CKorvoPlayerDlg::closeEvent(QCloseEvent* pEvent)
{
    pEvent->ignore();
    OnExit();
}

// While a file is open the picture is fitted into the new size; the skin is
// composed again, and laid out unless the frame is still sizing the window.
void CKorvoPlayerDlg::resizeEvent(QResizeEvent* pEvent)
{
    QDialog::resizeEvent(pEvent);
    if (SkinManager() == nullptr)
        return;
    int nState = State_Stopped;
    m_directShow.GetState(0, &nState);
    if (nState != State_Stopped)
        SkinManager()->SetPlayerSize(width(), height());
    if (nState != State_Stopped || m_geometry.FullScreenMode() != kWindowed)
        m_geometry.PlaceScreen();
    SkinManager()->Paint();
    if (!m_frame.IsDragging())
        SkinManager()->Dock(isMaximized() ? SIZE_MAXIMIZED : 0);
    m_dock.Carry();
}

// A paused picture is painted again where the window went.
void CKorvoPlayerDlg::moveEvent(QMoveEvent* pEvent)
{
    QDialog::moveEvent(pEvent);
    m_dock.Carry();
    int nState = State_Stopped;
    if (m_directShow.GetState(0, &nState) != S_OK)
        Trace("from %s", "CKorvoPlayerDlg::OnMove()");
    else if (nState == State_Paused)
        m_pScreenWnd->update();
}

// A monitor went away: a player left on no monitor comes back to the work
// area of the one nearest to it; full screen moves to that monitor.
void CKorvoPlayerDlg::_OnMonitorRemoved()
{
    if (m_geometry.FullScreenMode() != kWindowed)
        return m_geometry.OnMonitorRemoved();
    if (QGuiApplication::screenAt(geometry().center()) == nullptr)
        m_dock.KeepOnScreen(size());
}

// The skin's controls follow the activation, but not while minimized. A
// shown playlist is hidden while the player is full screen.
void CKorvoPlayerDlg::changeEvent(QEvent* pEvent)
{
    QDialog::changeEvent(pEvent);
    if (pEvent->type() == QEvent::WindowStateChange) {
        m_dock.OnWindowStateChange();
        emit WindowStateChanged();
    }
    if (pEvent->type() == QEvent::ActivationChange && SkinManager() != nullptr && !isMinimized())
        SkinManager()->OnActivate(isActiveWindow() ? 1 : 0);
}

void CKorvoPlayerDlg::paintEvent(QPaintEvent*)
{
    if (SkinManager() != nullptr)
        QPainter(this).drawPixmap(0, 0, SkinManager()->GetPicture());
}

// The playlist shows with the player.
void CKorvoPlayerDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    if (Playlist() != nullptr && !pEvent->spontaneous())
        Playlist()->show();
}

QSize CKorvoPlayerDlg::FrameMinimumSize() const
{
    return minimumSize();
}

void CKorvoPlayerDlg::OnFrameDragEnd()
{
    if (SkinManager() != nullptr)
        SkinManager()->Dock(0);
}

void CKorvoPlayerDlg::reject()
{
    if (m_geometry.FullScreenMode() == kFullScreenKeepRatio)
        return;
    int nState = State_Stopped;
    if (m_directShow.GetState(0, &nState) != S_OK) {
        Trace("from %s", "CKorvoPlayerDlg::OnCancel()");
        return;
    }
    if (nState == State_Running) {
        if (m_directShow.Pause() != S_OK) {
            Trace("from %s", "CKorvoPlayerDlg::OnCancel()");
            return;
        }
        SkinManager()->OnPause();
    }
    showMinimized();
}

void CKorvoPlayerDlg::_OnOpenForwarded(const std::string& fileName, const std::string& secondArgument)
{
    if (m_skin.OpenPackage(fileName))
        return;
    m_control.Stop();
    m_control.SetFileName(fileName);
    m_secondArgument = secondArgument;
    if (Playlist() != nullptr)
        Playlist()->AddFile(fileName.c_str());
    m_control.PostPlay();
}

void CKorvoPlayerDlg::ShowPlaying()
{
    if (SkinManager() != nullptr)
        SkinManager()->OnPlaying();
}

void CKorvoPlayerDlg::ShowPaused()
{
    if (SkinManager() != nullptr)
        SkinManager()->OnPause();
}

void CKorvoPlayerDlg::ShowStopped()
{
    if (SkinManager() != nullptr)
        SkinManager()->OnStop();
    m_bWindowFollowsPicture = false;
    m_geometry.OnStop();
}

void CKorvoPlayerDlg::ShowFileStarted(bool bSizeWindow)
{
    m_bWindowFollowsPicture = bSizeWindow;
    m_pScreenWnd->show();
    m_pScreenWnd->raise();
    _FitToPicture();
}

std::string CKorvoPlayerDlg::CurrentEntry() const
{
    return Playlist() != nullptr ? Playlist()->GetCurrentFile() : std::string();
}

void CKorvoPlayerDlg::StepEntry(bool bForward)
{
    if (Playlist() == nullptr)
        return;
    if (bForward)
        Playlist()->MoveToNext();
    else
        Playlist()->MoveToPrevious();
}
