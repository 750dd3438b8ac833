#include "KorvoPlayerDlg.h"

#include "AcceleratorFilter.h"
#include "CommandIds.h"
#include "CommandLine.h"
#include "MainMenu.h"
#include "Monitor.h"
#include "ScreenWnd.h"
#include "SharedMemory.h"
#include "SharedPlayerRecord.h"
#include "common/Report.h"
#include "common/Stream.h"
#include "common/Utf8.h"
#include "controls/BitmapSlider.h"
#include "controls/HoverButton.h"
#include "controls/ISkinControl.h"
#include "controls/TransparentStatic.h"
#include "playback/MediaGraph.h"
#include "skinui/KorvoUIManager.h"
#include "skinui/PlaylistDlg.h"
#include "winsys/MessageEvent.h"
#include "winsys/OpenFileFilter.h"
#include "winsys/StringTable.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QShowEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <utility>

namespace {

constexpr int IDS_CANNOT_CREATE_OPEN_MEMORY = 5053;

constexpr const char* kWindowText = "Ostra Viewer";
constexpr LONGLONG kSecond = 10'000'000;
constexpr long kStateTimeoutMs = 10000;
constexpr int kPositionPeriodMs = 100;
constexpr QSize kPlaylistSize(238, 302);
// How often the window makes sure that later starts still find it.
constexpr int kPublishPeriodMs = 1000;

static_assert(kMaxFileNameLength == kRecordFileSize - 1, "every name the record holds can be played");

// The argument cut to what fits a field of cbField bytes with its terminator.
std::string FieldText(const std::string& argument, size_t cbField)
{
    return argument.substr(0, Utf8PrefixLength(argument.data(), argument.size(), cbField - 1));
}

// Whether the file can be opened for reading through the stream factory.
HRESULT CheckFileOpens(const std::string& fileName)
{
    CStream* pStream = nullptr;
    HRESULT hr = CStream::CreateInstance(fileName.c_str(), &pStream);
    if (hr != S_OK || pStream == nullptr)
        return hr != S_OK ? hr : E_FAIL;
    hr = pStream->Init(fileName.c_str());
    pStream->Close();
    pStream->Release();
    return hr;
}

} // namespace

CKorvoPlayerDlg::CKorvoPlayerDlg(const std::string& filterLibraryDir, QWidget* pParent)
    : QDialog(pParent),
      m_directShow(filterLibraryDir),
      m_pScreenWnd(new CScreenWnd(this, &m_directShow)),
      m_instanceServer([this](const InstanceRequest& request) { return OnInstanceMessage(request); }),
      m_frame(this, this),
      m_geometry(this, &m_directShow, m_pScreenWnd, [this] { _ShowLastReport(); })
{
    connect(&m_positionTimer, &QTimer::timeout, this, &CKorvoPlayerDlg::OnTimer);
    connect(qApp, &QGuiApplication::screenRemoved, this, &CKorvoPlayerDlg::_OnMonitorRemoved, Qt::QueuedConnection);
    OnInitDialog();
}

CKorvoPlayerDlg::~CKorvoPlayerDlg()
{
    // The skin's controls go before the window that holds them.
    m_pSkin.reset();
}

void CKorvoPlayerDlg::OnInitDialog()
{
    setWindowFlag(Qt::FramelessWindowHint);
    // The playlist, a window of its own, takes its icon from this one.
    setWindowIcon(LoadResourceIcon(IDR_MAINFRAME));
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::black));
    resize(478, 341);
    new CAcceleratorFilter(this, [this](int nID) { OnCommand(nID); });
    m_pMenu = CreateMainPopupMenu(this, [this](int nID) { OnCommand(nID); });
    m_pScreenWnd->CreateLogo();
    m_directShow.Init(m_pScreenWnd);
    if (!_InitSkin())
        return;

    auto hWnd = static_cast<WindowHandle>(winId());
    if (HRESULT hr = m_instanceServer.Listen(hWnd); hr != S_OK) {
        ReportError(hr, "Can not answer other instances on window %x", hWnd);
        Trace("from %s", "CKorvoPlayerDlg::OnInitDialog()");
    }
    _PublishWindow();
    auto* pPublish = new QTimer(this);
    connect(pPublish, &QTimer::timeout, this, &CKorvoPlayerDlg::_PublishWindow);
    pPublish->start(kPublishPeriodMs);

    _CreatePlaylist();
    _CentreOnScreen();
    // A name too long to play is kept whole, so that Play reports it.
    const auto& arguments = CommandLineArguments();
    if (arguments.size() > 1) {
        m_fileName = arguments[1];
        if (arguments.size() > 2)
            m_secondArgument = FieldText(arguments[2], kRecordArgumentSize);
        m_pPlaylist->AddFile(m_fileName.c_str());
        _PostPlay();
    }
    setWindowTitle(QString::fromLatin1(kWindowText));
}

// Builds the skin's controls and takes the window's size from the skin. A
// skin that cannot be built is reported; the window then stays as it is,
// without controls, and plays nothing.
bool CKorvoPlayerDlg::_InitSkin()
{
    auto pSkin = std::make_unique<CKorvoUIManager>();
    if (pSkin->Init(this, "korvoplayer", nullptr) != S_OK) {
        pSkin.reset();
        _ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnInitDialog()");
        return false;
    }
    m_pSkin = std::move(pSkin);
    m_geometry.SetSkin(m_pSkin.get());
    double dWidth = 1.0;
    double dHeight = 1.0;
    if (CommandLineUserRatio(&dWidth, &dHeight) == S_OK)
        m_geometry.SetUserRatio(dWidth, dHeight);
    _FindControls();
    int cx = 0;
    int cy = 0;
    m_pSkin->GetMinimunSize(&cx, &cy);
    setMinimumSize(cx, cy);
    m_pSkin->GetPlayerSize(&cx, &cy);
    resize(cx, cy);
    _ShowVolume();
    return true;
}

void CKorvoPlayerDlg::_FindControls()
{
    m_pTimeSlider = qobject_cast<CBitmapSlider*>(m_pSkin->GetControl(IDC_SLIDER_TIME));
    m_pVolumeSlider = qobject_cast<CBitmapSlider*>(m_pSkin->GetControl(IDC_SLIDER_VOLUME));
    m_pTimeText = qobject_cast<CTransparentStatic*>(m_pSkin->GetControl(IDC_TXT_TIMEINFO));
    m_pTitle = qobject_cast<CTransparentStatic*>(m_pSkin->GetControl(IDC_TITLE));
}

// The playlist starts docked to the player's right edge; it is shown with
// the player and does not take the activation from it.
void CKorvoPlayerDlg::_CreatePlaylist()
{
    m_pPlaylist = new CPlaylistDlg(this);
    m_pPlaylist->setAttribute(Qt::WA_ShowWithoutActivating);
    m_pPlaylist->OnInitDialog();
    const QRect player = geometry();
    m_pPlaylist->PlaceWindow(QRect(QPoint(player.x() + player.width(), player.y()), kPlaylistSize));
    m_pPlaylist->SetCurrentIndex(0);
    connect(m_pPlaylist, &CPlaylistDlg::EntryChosen, this, &CKorvoPlayerDlg::PlayChosenEntry);
    m_previousPosition = player.topLeft();
}

uint32_t CKorvoPlayerDlg::OnInstanceMessage(const InstanceRequest& request)
{
    switch (request.message) {
    case WM_PLAYER_QUERYINSTANCE:
        _PublishWindow();
        return 1;
    case WM_PLAYER_OPENFORWARDED:
        return OnOpenForwarded();
    default:
        return 0;
    }
}

// The file starts once the answer is on its way, so that a slow or failing
// start never keeps the later instance waiting.
uint32_t CKorvoPlayerDlg::OnOpenForwarded()
{
    SharedPlayerRecord* pRecord = _SharedRecord();
    if (pRecord == nullptr) {
        Trace("from %s", "CKorvoPlayerDlg::OnOpenForwarded()");
        return 0;
    }
    OnStop();
    m_fileName = ReadRecordText(pRecord->file, sizeof pRecord->file);
    m_secondArgument = ReadRecordText(pRecord->secondArgument, sizeof pRecord->secondArgument);
    if (m_pPlaylist != nullptr)
        m_pPlaylist->AddFile(m_fileName.c_str());
    _PublishWindow();
    _PostPlay();
    return 1;
}

// Any process of the user can remove the record, cut it short or scribble
// on it. A removed or replaced record is opened again by its name, so that
// this window reads what later starts write; a record cut short is garbage:
// it is reported and grown again, and null is returned.
SharedPlayerRecord* CKorvoPlayerDlg::_SharedRecord()
{
    if (g_pSharedMemory == nullptr)
        return nullptr;
    if (g_pSharedRecord != nullptr && g_pSharedMemory->IsStillNamed()) {
        if (SharedPlayerRecord* pRecord = WholeSharedRecord())
            return pRecord;
        ReportShortRecord();
        Trace("from %s", "CKorvoPlayerDlg::_SharedRecord()");
        _OpenSharedRecord();
        return nullptr;
    }
    return _OpenSharedRecord() == S_OK ? g_pSharedRecord : nullptr;
}

// Reports only a failure that differs from the last one: the record is
// checked every second while someone may keep it from us.
HRESULT CKorvoPlayerDlg::_OpenSharedRecord()
{
    const char* pszCall = nullptr;
    HRESULT hr = OpenSharedRecord(*g_pSharedMemory, &pszCall);
    if (hr != S_OK && hr != std::exchange(m_hrRecord, hr)) {
        ReportError(hr, "%s", LoadResString(IDS_CANNOT_CREATE_OPEN_MEMORY).c_str());
        Trace("from %s", pszCall);
        Trace("from %s", "CKorvoPlayerDlg::_OpenSharedRecord()");
    }
    if (hr == S_OK)
        m_hrRecord = S_OK;
    return hr;
}

// Later starts find this window by the handle in the record.
void CKorvoPlayerDlg::_PublishWindow()
{
    auto hWnd = static_cast<WindowHandle>(winId());
    SharedPlayerRecord* pRecord = _SharedRecord();
    if (pRecord != nullptr && ReadRecordWindow(*pRecord) != hWnd)
        WriteRecordWindow(*pRecord, hWnd);
}

void CKorvoPlayerDlg::_PostPlay()
{
    QMetaObject::invokeMethod(this, [this] { OnCommand(IDC_PLAY); }, Qt::QueuedConnection);
}

void CKorvoPlayerDlg::OnCommand(int nID)
{
    switch (nID) {
    case ID_PLAY_PLAY:
    case IDC_PLAY:
        return OnPlay();
    case ID_PLAY_STOP:
    case ID_FILE_CLOSE:
    case IDC_STOP:
        return OnStop();
    case ID_PLAY_PAUSE:
    case IDC_PAUSE:
        return OnPause();
    case IDC_PREPLAYLIST:
    case IDC_NEXTPLAYLIST:
        return _PlayNeighbour(nID);
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
        return _Seek(-10 * kSecond, "CKorvoPlayerDlg::OnPlayBack10()");
    case ID_PLAY_FORWARD10:
        return _Seek(10 * kSecond, "CKorvoPlayerDlg::OnPlayForward10()");
    case ID_PLAY_BACK60:
        return _Seek(-60 * kSecond, "CKorvoPlayerDlg::OnPlayBack60()");
    case ID_PLAY_FORWARD60:
        return _Seek(60 * kSecond, "CKorvoPlayerDlg::OnPlayForward60()");
    case ID_PLAY_BACK300:
        return _Seek(-300 * kSecond, "CKorvoPlayerDlg::OnPlayBack300()");
    case ID_PLAY_FORWARD300:
        return _Seek(300 * kSecond, "CKorvoPlayerDlg::OnPlayForward300()");
    case ID_PLAY_NORMALSPEED:
    case ID_PLAY_SLOWER:
    case ID_PLAY_FASTER:
        return _ChangeRate(nID);
    case ID_VOLUMN_DOWN:
    case ID_VOLUMN_UP:
    case ID_VOLUMN_NONE:
        return _ChangeVolume(nID);
    default:
        return m_geometry.OnCommand(nID);
    }
}

void CKorvoPlayerDlg::OnPlay()
{
    // A graph that cannot tell its state cannot be driven either: the player
    // says so and stops, so that the next play starts afresh.
    int nState = State_Stopped;
    if (HRESULT hr = m_directShow.GetState(kStateTimeoutMs, &nState); hr != S_OK && hr != VFW_S_STATE_INTERMEDIATE) {
        _ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnPlay()");
        OnStop();
        return;
    }
    if (nState == State_Paused) {
        if (m_directShow.Resume() == S_OK)
            m_pSkin->OnPlaying();
        return;
    }
    if (nState == State_Running) {
        OnPause();
        return;
    }
    // A file is being opened (this comes from an event served while it
    // prerolls): play again once that start has ended.
    if (m_bStarting) {
        m_bPlayPending = true;
        return;
    }
    if (m_pPlaylist == nullptr)
        return;
    m_fileName = m_pPlaylist->GetCurrentFile();
    if (m_fileName.empty())
        return;
    m_bStarting = true;
    HRESULT hr = _StartFile();
    m_bStarting = false;
    if (hr == S_OK) {
        m_bPlayedOnce = true;
    } else if (hr != E_ABORT) {
        _ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnPlay()");
        OnStop();
    }
    if (std::exchange(m_bPlayPending, false))
        _PostPlay();
}

HRESULT CKorvoPlayerDlg::_StartFile()
{
    HRESULT hr = CheckFileOpens(m_fileName);
    if (hr != S_OK)
        return hr;
    m_pSkin->OnPlaying();
    hr = m_directShow.Play(m_fileName.c_str());
    if (hr != S_OK)
        return hr;
    // The first file sizes the window to its picture; later files are
    // fitted into the window as it is.
    m_bWindowFollowsPicture = !m_bPlayedOnce;
    m_pScreenWnd->show();
    m_pScreenWnd->raise();
    _FitToPicture();
    _ShowTitle();
    m_directShow.SetVolume(m_nVolume);
    _SetPlayLength();
    m_positionTimer.start(kPositionPeriodMs);
    return S_OK;
}

void CKorvoPlayerDlg::_ShowTitle()
{
    if (m_pTitle != nullptr)
        m_pTitle->SetText(std::filesystem::path(m_fileName).filename().string().c_str());
}

// Takes the duration of the file; the time slider spans it in seconds.
HRESULT CKorvoPlayerDlg::_SetPlayLength()
{
    LONGLONG llTotal = 0;
    if (HRESULT hr = m_directShow.GetTotalPlayLength(&llTotal); hr != S_OK) {
        Trace("from %s", "CKorvoPlayerDlg::_SetPlayLength()");
        return hr;
    }
    const int nTotal = static_cast<int>(std::clamp<LONGLONG>(llTotal / kSecond, 0, INT32_MAX));
    m_nTotalHours = nTotal / 3600;
    m_nTotalMinutes = nTotal % 3600 / 60;
    m_nTotalSeconds = nTotal % 60;
    m_nCurrentSecond = 0;
    _ShowTime();
    if (m_pTimeSlider != nullptr)
        m_pTimeSlider->SetRangeMinMax(0, nTotal, false);
    return S_OK;
}

void CKorvoPlayerDlg::_ShowTime()
{
    if (m_pTimeText == nullptr)
        return;
    const int n = m_nCurrentSecond;
    m_pTimeText->SetText(QString::asprintf("%02d:%02d:%02d/%02d:%02d:%02d", n / 3600, n % 3600 / 60, n % 60,
                                           m_nTotalHours, m_nTotalMinutes, m_nTotalSeconds)
                             .toLatin1()
                             .constData());
}

// Shows each new whole second; when the tick came early it waits for the
// next whole second instead of ticking every 100 ms through it.
void CKorvoPlayerDlg::OnTimer()
{
    LONGLONG llPosition = 0;
    if (m_directShow.GetPosition(&llPosition) != S_OK) {
        Trace("from %s", "CKorvoPlayerDlg::OnTimer()");
        return;
    }
    const int nSecond = static_cast<int>(std::clamp<LONGLONG>(llPosition / kSecond, 0, INT32_MAX));
    const int nMillisecond = static_cast<int>(llPosition / 10'000 % 1000);
    if (nSecond == m_nCurrentSecond) {
        m_positionTimer.start(1000 - nMillisecond);
        return;
    }
    m_nCurrentSecond = nSecond;
    _ShowTime();
    if (m_pTimeSlider != nullptr)
        m_pTimeSlider->SetPos(nSecond);
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
    m_pSkin->SetScreenSize(static_cast<int>(lWidth), static_cast<int>(lHeight), dRatio, 1.0);
    m_geometry.OnPictureStart(dRatio);
    if (m_bWindowFollowsPicture) {
        int cx = 0;
        int cy = 0;
        m_pSkin->GetPlayerSize(&cx, &cy);
        QSize player = QSize(cx, cy).boundedTo(_WorkArea().size());
        if (player != QSize(cx, cy))
            m_pSkin->SetPlayerSize(player.width(), player.height());
        _KeepOnScreen(player);
        resize(player);
    } else {
        m_pSkin->SetPlayerSize(width(), height());
    }
    _PlaceScreen();
}

// The screen window covers the skin's video area (the whole window in full
// screen); the picture keeps its shape inside it, and the screen window is
// black around it.
void CKorvoPlayerDlg::_PlaceScreen()
{
    m_geometry.PlaceScreen();
}

// The graph is released even when it refuses to stop; the failure is shown.
void CKorvoPlayerDlg::OnStop()
{
    m_positionTimer.stop();
    if (m_pSkin != nullptr)
        m_pSkin->OnStop();
    m_bWindowFollowsPicture = false;
    m_geometry.OnStop();
    if (m_directShow.Stop() != S_OK) {
        _ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnStop()");
    }
}

// Only a file playing or paused pauses; the skin shows it paused.
void CKorvoPlayerDlg::OnPause()
{
    if (m_directShow.IsOpen() && m_directShow.Pause() == S_OK)
        m_pSkin->OnPause();
}

// The previous or next entry, only while a file runs.
void CKorvoPlayerDlg::_PlayNeighbour(int nID)
{
    int nState = State_Stopped;
    if (m_directShow.GetState(0, &nState) != S_OK || nState != State_Running)
        return;
    OnStop();
    if (nID == IDC_PREPLAYLIST)
        m_pPlaylist->MoveToPrevious();
    else
        m_pPlaylist->MoveToNext();
    OnPlay();
}

void CKorvoPlayerDlg::_ToggleRepeat()
{
    if (m_pSkin == nullptr)
        return;
    m_pPlaylist->SetRepeat(!m_pPlaylist->IsRepeat());
    if (auto* pButton = qobject_cast<CHoverButton*>(m_pSkin->GetControl(IDC_REPEAT)))
        pButton->OnRepeat();
}

void CKorvoPlayerDlg::_TogglePlaylist()
{
    if (m_pPlaylist != nullptr)
        m_pPlaylist->setVisible(!m_pPlaylist->isVisible());
}

void CKorvoPlayerDlg::PlayChosenEntry()
{
    OnStop();
    OnPlay();
}

void CKorvoPlayerDlg::OnFileOpen()
{
    QString file = QFileDialog::getOpenFileName(this, QString(), QString(), OpenFileFilter());
    if (!file.isEmpty())
        OpenFiles({file});
}

// Each file added becomes the current entry: the first is added last.
void CKorvoPlayerDlg::OpenFiles(const QStringList& files)
{
    if (files.isEmpty())
        return;
    m_fileName = QFile::encodeName(files.first()).toStdString();
    OnStop();
    if (m_pPlaylist != nullptr) {
        for (auto file = files.crbegin(); file != files.crend(); ++file)
            m_pPlaylist->AddFile(QFile::encodeName(*file).constData());
    }
    OnPlay();
}

void CKorvoPlayerDlg::OnExit()
{
    if (m_pPlaylist != nullptr)
        m_pPlaylist->close();
    OnStop();
    done(0);
}

HRESULT CKorvoPlayerDlg::_MovePosition(LONGLONG llOffset)
{
    if (!m_directShow.IsOpen())
        return S_OK;
    LONGLONG llPosition = 0;
    HRESULT hr = m_directShow.GetPosition(&llPosition);
    if (hr == S_OK)
        hr = m_directShow.SetPosition(std::max<LONGLONG>(llPosition + llOffset, 0));
    if (hr != S_OK && hr != S_FALSE) {
        Trace("from %s", "CKorvoPlayerDlg::_MovePosition()");
        return hr;
    }
    return S_OK;
}

void CKorvoPlayerDlg::_Seek(LONGLONG llOffset, const char* pszHandler)
{
    if (_MovePosition(llOffset) != S_OK) {
        _ShowLastReport();
        Trace("from %s", pszHandler);
    }
}

// Normal speed, 0.1 slower (never below 0.1) or 0.1 faster. A rate the
// renderers cannot play leaves the rate as it was, without a message.
void CKorvoPlayerDlg::_ChangeRate(int nID)
{
    if (!m_directShow.IsOpen())
        return;
    double dRate = 1.0;
    HRESULT hr = S_OK;
    if (nID != ID_PLAY_NORMALSPEED && (hr = m_directShow.GetRate(&dRate)) == S_OK)
        dRate = nID == ID_PLAY_FASTER ? dRate + 0.1 : std::max(dRate - 0.1, 0.1);
    if (hr == S_OK)
        hr = m_directShow.SetRate(dRate);
    bool bRefused = nID != ID_PLAY_NORMALSPEED && (hr == VFW_E_UNSUPPORTED_AUDIO || hr == VFW_E_UNSUPPORTED_VIDEO);
    if (hr != S_OK && !bRefused) {
        _ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnPlayNormalspeed()");
    }
}

void CKorvoPlayerDlg::_ChangeVolume(int nID)
{
    const char* pszHandler = "CKorvoPlayerDlg::OnVolumnNone()";
    if (nID == ID_VOLUMN_DOWN) {
        m_nVolume = std::max(m_nVolume - 5, 0);
        pszHandler = "CKorvoPlayerDlg::OnVolumnDown()";
    } else if (nID == ID_VOLUMN_UP) {
        m_nVolume = std::min(m_nVolume + 5, 100);
        pszHandler = "CKorvoPlayerDlg::OnVolumnUp()";
    } else {
        m_nVolume = 0;
    }
    _SetVolume(m_nVolume, pszHandler);
}

void CKorvoPlayerDlg::SetVolume(int nVolume)
{
    _SetVolume(std::clamp(nVolume, 0, 100), "CKorvoPlayerDlg::SetVolume()");
}

void CKorvoPlayerDlg::_SetVolume(int nVolume, const char* pszHandler)
{
    m_nVolume = nVolume;
    _ShowVolume();
    if (m_directShow.IsOpen() && m_directShow.SetVolume(m_nVolume) != S_OK)
        Trace("from %s", pszHandler);
}

void CKorvoPlayerDlg::_ShowVolume()
{
    if (m_pVolumeSlider == nullptr)
        return;
    m_pVolumeSlider->SetRangeMinMax(0, 100, false);
    m_pVolumeSlider->SetPos(m_nVolume);
}

// Takes every waiting graph event. The end of the file stops the player and
// plays the playlist's next entry; a failure while playing is shown and
// stops the player.
intptr_t CKorvoPlayerDlg::onKorvoPlayerFilterGraph()
{
    for (;;) {
        long lEvent = 0;
        intptr_t lParam1 = 0;
        intptr_t lParam2 = 0;
        HRESULT hr = m_directShow.GetEvent(&lEvent, &lParam1, &lParam2, 0);
        if (hr == E_ABORT)
            return 0;
        if (hr != S_OK) {
            Trace("from %s", "CKorvoPlayerDlg::onKorvoPlayerFilterGraph()");
            return hr;
        }
        m_directShow.FreeEventParams(lEvent, lParam1, lParam2);
        if (lEvent == EC_VIDEO_SIZE_CHANGED)
            _FitToPicture();
        if (lEvent == EC_ERRORABORT) {
            ReportError(static_cast<HRESULT>(lParam1));
            _ShowLastReport();
        }
        if (lEvent == EC_COMPLETE) {
            OnStop();
            m_pPlaylist->MoveToNext();
            OnPlay();
            return 0;
        }
        if (lEvent == EC_ERRORABORT) {
            OnStop();
            return 0;
        }
    }
}

// The report goes into a message box that does not hold up the window: the
// graph keeps answering while it is open.
void CKorvoPlayerDlg::_ShowLastReport()
{
    if (m_pMessageBox != nullptr)
        m_pMessageBox->close();
    m_pMessageBox = new QMessageBox(QMessageBox::Warning, QString::fromLatin1(kWindowText),
                                    QString::fromStdString(LastReport()), QMessageBox::Ok, this);
    // A failure of the controller's comes with what GStreamer said about it.
    if (m_directShow.LastError().text == LastReport())
        m_pMessageBox->setDetailedText(QString::fromStdString(m_directShow.LastError().Details()));
    m_pMessageBox->setAttribute(Qt::WA_DeleteOnClose);
    m_pMessageBox->open();
}

bool CKorvoPlayerDlg::event(QEvent* pEvent)
{
    if (pEvent->type() == CMessageEvent::EventType()) {
        auto* pMessage = static_cast<CMessageEvent*>(pEvent);
        if (pMessage->m_nMessage == WM_PLAYER_GRAPHEVENT) {
            onKorvoPlayerFilterGraph();
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
    if (!m_directShow.IsOpen())
        return;
    if (nID == IDC_SLIDER_TIME && m_pTimeSlider != nullptr)
        m_directShow.SetPosition(static_cast<LONGLONG>(nPos) * kSecond);
    else if (nID == IDC_SLIDER_VOLUME && m_pVolumeSlider != nullptr)
        m_directShow.SetVolume(nPos);
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
    if (m_pSkin == nullptr)
        return;
    int nState = State_Stopped;
    m_directShow.GetState(0, &nState);
    if (nState != State_Stopped)
        m_pSkin->SetPlayerSize(width(), height());
    if (nState != State_Stopped || m_geometry.FullScreenMode() != kWindowed)
        _PlaceScreen();
    m_pSkin->Paint();
    if (!m_frame.IsDragging())
        m_pSkin->Dock(isMaximized() ? SIZE_MAXIMIZED : 0);
    _CarryPlaylist();
}

// A paused picture is painted again where the window went.
void CKorvoPlayerDlg::moveEvent(QMoveEvent* pEvent)
{
    QDialog::moveEvent(pEvent);
    _CarryPlaylist();
    int nState = State_Stopped;
    if (m_directShow.GetState(0, &nState) != S_OK)
        Trace("from %s", "CKorvoPlayerDlg::OnMove()");
    else if (nState == State_Paused)
        m_pScreenWnd->update();
}

// A docked playlist keeps to its side of the player, keeping its size, on
// the player's monitor: where that side has no room left on it, the
// playlist stays on the monitor's edge over the player. In full screen it
// is hidden and stays where it was, for the player's return.
void CKorvoPlayerDlg::_CarryPlaylist()
{
    if (isFullScreen())
        return;
    const QRect player = geometry();
    const QPoint moved = player.topLeft() - m_previousPosition;
    m_previousPosition = player.topLeft();
    if (m_pPlaylist != nullptr && m_pPlaylist->GetDockSide() != DOCK_NONE)
        m_pPlaylist->move(KeptInside(_PlaylistBeside(player, moved), _WorkArea()).topLeft());
}

// Where a docked playlist goes when the player is at `player` after moving
// by `moved`: against the side it is docked on, following the move along it.
QRect CKorvoPlayerDlg::_PlaylistBeside(const QRect& player, const QPoint& moved) const
{
    QRect list = m_pPlaylist->geometry();
    switch (m_pPlaylist->GetDockSide()) {
    case DOCK_ABOVE:
        list.moveTo(list.x() + moved.x(), player.y() - list.height());
        break;
    case DOCK_RIGHT:
        list.moveTo(player.x() + player.width(), list.y() + moved.y());
        break;
    case DOCK_LEFT:
        list.moveTo(player.x() - list.width(), list.y() + moved.y());
        break;
    case DOCK_BELOW:
        list.moveTo(list.x() + moved.x(), player.y() + player.height());
        break;
    default:
        break;
    }
    return list;
}

// The player starts in the middle of the work area of the monitor under the
// pointer (where window managers put new windows), with its docked playlist.
void CKorvoPlayerDlg::_CentreOnScreen()
{
    const QRect pair = geometry() | _PlaylistBeside(geometry(), QPoint());
    if (QScreen* pScreen = MonitorUnderPointer())
        move(pos() + pScreen->availableGeometry().center() - pair.center());
    _KeepOnScreen(size());
}

// Moves the player, at its new size, and a docked playlist with it, back
// inside the work area where a size taken from the skin or a picture would
// put them past its edges; the top left edge wins when the pair is larger.
void CKorvoPlayerDlg::_KeepOnScreen(const QSize& size)
{
    const QRect player(pos(), size);
    QRect pair = player;
    if (m_pPlaylist != nullptr && m_pPlaylist->GetDockSide() != DOCK_NONE)
        pair |= _PlaylistBeside(player, QPoint());
    const QPoint shift = KeptInside(pair, _WorkArea()).topLeft() - pair.topLeft();
    if (!shift.isNull())
        move(pos() + shift);
}

// The work area of the monitor the player is on.
QRect CKorvoPlayerDlg::_WorkArea() const
{
    QScreen* pScreen = MonitorOf(geometry());
    return pScreen != nullptr ? pScreen->availableGeometry() : geometry();
}

// A monitor went away: a player left on no monitor comes back to the work
// area of the one nearest to it; full screen moves to that monitor.
void CKorvoPlayerDlg::_OnMonitorRemoved()
{
    if (m_geometry.FullScreenMode() != kWindowed)
        return m_geometry.OnMonitorRemoved();
    if (QGuiApplication::screenAt(geometry().center()) == nullptr)
        _KeepOnScreen(size());
}

// The skin's controls follow the activation, but not while minimized. A
// shown playlist is hidden while the player is full screen.
void CKorvoPlayerDlg::changeEvent(QEvent* pEvent)
{
    QDialog::changeEvent(pEvent);
    if (pEvent->type() == QEvent::WindowStateChange && m_pPlaylist != nullptr) {
        if (isFullScreen() && m_pPlaylist->isVisible()) {
            m_bPlaylistAside = true;
            m_pPlaylist->hide();
        } else if (!isFullScreen() && std::exchange(m_bPlaylistAside, false)) {
            m_pPlaylist->show();
        }
    }
    if (pEvent->type() == QEvent::ActivationChange && m_pSkin != nullptr && !isMinimized())
        m_pSkin->OnActivate(isActiveWindow() ? 1 : 0);
}

void CKorvoPlayerDlg::paintEvent(QPaintEvent*)
{
    if (m_pSkin != nullptr)
        QPainter(this).drawPixmap(0, 0, m_pSkin->GetPicture());
}

// The playlist shows with the player.
void CKorvoPlayerDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    if (m_pPlaylist != nullptr && !pEvent->spontaneous())
        m_pPlaylist->show();
}

QSize CKorvoPlayerDlg::FrameMinimumSize() const
{
    return minimumSize();
}

void CKorvoPlayerDlg::OnFrameDragEnd()
{
    if (m_pSkin != nullptr)
        m_pSkin->Dock(0);
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
        m_pSkin->OnPause();
    }
    showMinimized();
}
