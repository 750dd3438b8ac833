#include "KorvoPlayerDlg.h"

#include "Accelerators.h"
#include "CommandIds.h"
#include "CommandLine.h"
#include "ScreenWnd.h"
#include "SharedMemory.h"
#include "SharedPlayerRecord.h"
#include "common/Report.h"
#include "common/Stream.h"
#include "common/Utf8.h"
#include "playback/MediaGraph.h"
#include "winsys/MessageEvent.h"
#include "winsys/OpenFileFilter.h"
#include "winsys/StringTable.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

constexpr int IDS_CANNOT_CREATE_OPEN_MEMORY = 5053;

constexpr const char* kWindowText = "Ostra Viewer";
constexpr LONGLONG kSecond = 10'000'000;
constexpr long kStateTimeoutMs = 10000;
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
      m_frame(this, this)
{
    OnInitDialog();
}

void CKorvoPlayerDlg::OnInitDialog()
{
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    setPalette(QPalette(Qt::black));
    resize(478, 341);
    InstallAccelerators(this, [this](int nID) { OnCommand(nID); });
    m_directShow.Init(m_pScreenWnd);

    auto hWnd = static_cast<WindowHandle>(winId());
    if (HRESULT hr = m_instanceServer.Listen(hWnd); hr != S_OK) {
        ReportError(hr, "Can not answer other instances on window %x", hWnd);
        Trace("from %s", "CKorvoPlayerDlg::OnInitDialog()");
    }
    _PublishWindow();
    auto* pPublish = new QTimer(this);
    connect(pPublish, &QTimer::timeout, this, &CKorvoPlayerDlg::_PublishWindow);
    pPublish->start(kPublishPeriodMs);

    // A name too long to play is kept whole, so that Play reports it.
    const auto& arguments = CommandLineArguments();
    if (arguments.size() > 1) {
        m_fileName = arguments[1];
        if (arguments.size() > 2)
            m_secondArgument = FieldText(arguments[2], kRecordArgumentSize);
        _PostPlay();
    }
    setWindowTitle(QString::fromLatin1(kWindowText));
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
        return;
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
        m_directShow.Resume();
        return;
    }
    if (nState == State_Running) {
        m_directShow.Pause();
        return;
    }
    if (m_fileName.empty())
        return;
    // A file is being opened (this comes from an event served while it
    // prerolls): play again once that start has ended.
    if (m_bStarting) {
        m_bPlayPending = true;
        return;
    }
    m_bStarting = true;
    HRESULT hr = _StartFile();
    m_bStarting = false;
    if (hr == S_OK) {
        m_directShow.SetVolume(m_nVolume);
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
    if (hr == S_OK)
        hr = m_directShow.Play(m_fileName.c_str());
    if (hr != S_OK)
        return hr;
    // The first file sizes the window to its picture; later files are
    // fitted into the window as it is.
    m_bWindowFollowsPicture = !m_bPlayedOnce;
    m_pScreenWnd->show();
    m_pScreenWnd->raise();
    _FitToPicture();
    return S_OK;
}

// Takes the picture's size at the start of a file and whenever it changes
// while playing; the window follows it when the file sized the window.
void CKorvoPlayerDlg::_FitToPicture()
{
    _TakePictureSize();
    if (m_bWindowFollowsPicture)
        _SizeWindowToPicture();
    _PlaceScreen();
}

// The size the picture is shown at, from the graph controller.
void CKorvoPlayerDlg::_TakePictureSize()
{
    long lWidth = 0;
    long lHeight = 0;
    m_pictureSize = QSize();
    if (m_directShow.GetOriginalScreenSize(&lWidth, &lHeight) == S_OK && lWidth > 0 && lHeight > 0)
        m_pictureSize = QSize(static_cast<int>(lWidth), static_cast<int>(lHeight));
}

// The client area becomes the picture's size, within the desktop.
void CKorvoPlayerDlg::_SizeWindowToPicture()
{
    if (m_pictureSize.isEmpty())
        return;
    QSize desktop = screen()->availableGeometry().size() - (frameGeometry().size() - size());
    resize(m_pictureSize.boundedTo(desktop) == m_pictureSize ? m_pictureSize
                                                             : m_pictureSize.scaled(desktop, Qt::KeepAspectRatio));
}

// The screen window covers the client area; the picture keeps its shape
// inside it, centred, and the screen window is black around it.
void CKorvoPlayerDlg::_PlaceScreen()
{
    QRect picture = rect();
    if (!m_pictureSize.isEmpty()) {
        picture.setSize(m_pictureSize.scaled(size(), Qt::KeepAspectRatio));
        picture.moveCenter(rect().center());
    }
    RECT screenRect = RECT::FromQRect(picture);
    m_pScreenWnd->setGeometry(rect());
    m_pScreenWnd->SetPictureRect(screenRect);
    if (m_directShow.IsOpen())
        m_directShow.SetScreenSize(screenRect);
}

// The graph is released even when it refuses to stop; the failure is shown.
void CKorvoPlayerDlg::OnStop()
{
    m_bWindowFollowsPicture = false;
    m_pictureSize = QSize();
    m_pScreenWnd->hide();
    if (m_directShow.Stop() != S_OK) {
        _ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnStop()");
    }
}

void CKorvoPlayerDlg::OnPause()
{
    m_directShow.Pause();
}

void CKorvoPlayerDlg::PlayChosenEntry()
{
    OnStop();
    OnPlay();
}

void CKorvoPlayerDlg::OnFileOpen()
{
    QString file = QFileDialog::getOpenFileName(this, QString(), QString(), OpenFileFilter());
    if (file.isEmpty())
        return;
    m_fileName = file.toStdString();
    OnStop();
    OnPlay();
}

void CKorvoPlayerDlg::OnExit()
{
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
    if (m_directShow.IsOpen() && m_directShow.SetVolume(m_nVolume) != S_OK)
        Trace("from %s", pszHandler);
}

// Takes every waiting graph event. The end of the file stops the player; a
// failure while playing is shown and stops it too.
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
        if (lEvent == EC_COMPLETE || lEvent == EC_ERRORABORT) {
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
    }
    return QDialog::event(pEvent);
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

void CKorvoPlayerDlg::resizeEvent(QResizeEvent* pEvent)
{
    QDialog::resizeEvent(pEvent);
    if (m_pScreenWnd->isVisible())
        _PlaceScreen();
}

// The smallest size the window manager is told (none until the window takes
// its size from the skin).
QSize CKorvoPlayerDlg::FrameMinimumSize() const
{
    return minimumSize();
}

// The window has no skin layout to redo yet.
void CKorvoPlayerDlg::OnFrameDragEnd() {}

void CKorvoPlayerDlg::reject()
{
    int nState = State_Stopped;
    if (m_directShow.GetState(0, &nState) != S_OK) {
        Trace("from %s", "CKorvoPlayerDlg::OnCancel()");
        return;
    }
    if (nState == State_Running && m_directShow.Pause() != S_OK) {
        Trace("from %s", "CKorvoPlayerDlg::OnCancel()");
        return;
    }
    showMinimized();
}
