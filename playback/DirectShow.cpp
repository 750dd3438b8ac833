#include "DirectShow.h"

#include "DevicePixels.h"
#include "FilterGraph.h"
#include "MediaGraph.h"
#include "subtitles/SubtitleLoader.h"
#include "subtitles/TextDecoder.h"
#include "winsys/StringTable.h"
#include "winsys/WindowSystem.h"
#include "common/ClassIds.h"
#include "common/FilterInterfaces.h"
#include "common/Report.h"
#include "common/Stream.h"

#include <QFile>
#include <QGuiApplication>
#include <QWidget>
#include <cmath>
#include <cstring>
#include <gst/gst.h>
#include <malloc.h>

namespace {

constexpr ULONG kHeaderSize = 16;

// The ASF header object identifier as it is stored at the start of the file.
constexpr uint8_t kAsfHeaderObject[kHeaderSize] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                   0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

enum StringId {
    IDS_CANNOT_INIT_GRAPH = 5000,
    IDS_CANNOT_MOVE = 5001,
    IDS_CANNOT_GET_POSITION = 5002,
    IDS_CANNOT_GET_DURATION = 5003,
    IDS_CANNOT_SET_LEFT = 5004,
    IDS_CANNOT_READ_HEADER = 5014,
    IDS_CANNOT_CREATE_ASF = 5016,
    IDS_CANNOT_CREATE_FILE_SOURCE = 5017,
    IDS_CANNOT_ADD_FILTER = 5019,
    IDS_CANNOT_GET_FILE_SOURCE = 5020,
    IDS_CANNOT_READ_FILE = 5021,
    IDS_CANNOT_SET_OWNER = 5023,
    IDS_CANNOT_PLAY = 5026,
    IDS_CANNOT_ENUM_PINS = 5027,
    IDS_CANNOT_RENDER_PIN = 5028,
    IDS_NOTHING_TO_RENDER = 5029,
    IDS_CANNOT_PAUSE = 5030,
    IDS_CANNOT_STOP = 5031,
    IDS_CANNOT_RESUME = 5032,
    IDS_CANNOT_GET_EVENT = 5033,
    IDS_CANNOT_GET_STATE = 5035,
    IDS_CANNOT_GET_VIDEO_SIZE = 5036,
    IDS_CANNOT_SET_RATE = 5037,
    IDS_CANNOT_GET_RATE = 5038,
    IDS_CANNOT_SET_VOLUME = 5042,
    IDS_UNKNOWN_FILE_TYPE = 5060,
};

// Reports `hr` with the message text `nID`, then traces the failed call.
HRESULT ReportCall(HRESULT hr, int nID, const char* pszCall)
{
    ReportError(hr, "%s", LoadResString(nID).c_str());
    Trace("from %s", pszCall);
    return hr;
}

// The native window the picture is drawn into; 0 without a display.
guintptr NativeWindow(QWidget* pWindow)
{
    if (pWindow == nullptr || QGuiApplication::platformName() != QLatin1String("xcb"))
        return 0;
    return static_cast<guintptr>(pWindow->winId());
}

} // namespace

HRESULT CheckFileNameLength(const char* pszFileName)
{
    size_t cch = std::strlen(pszFileName);
    if (cch <= kMaxFileNameLength)
        return S_OK;
    HRESULT hr = ReportError(ERROR_FILENAME_EXCED_RANGE, "The file name is longer than %zu bytes", kMaxFileNameLength);
    Trace("strlen(pszFileName) = %zu", cch);
    return hr;
}

CDirectShow::CDirectShow(std::string filterLibraryDir) : m_filterLibrary(std::move(filterLibraryDir)) {}

CDirectShow::~CDirectShow()
{
    _ReleaseGraph();
}

HRESULT CDirectShow::Init(QWidget* pScreenWnd)
{
    m_pScreenWnd = pScreenWnd;
    GError* pError = nullptr;
    if (!gst_init_check(nullptr, nullptr, &pError)) {
        HRESULT hr = ReportError(E_FAIL, "%s", LoadResString(IDS_CANNOT_INIT_GRAPH).c_str());
        Trace("from %s : %s", "gst_init_check()", pError != nullptr ? pError->message : "");
        g_clear_error(&pError);
        return TraceFrom(hr, "CDirectShow::Init()");
    }
    return S_OK;
}

HRESULT CDirectShow::Play(const char* pszFileName)
{
    if (pszFileName == nullptr)
        return ArgumentFault("CDirectShow::Play()", "pszFileName = %llx", Hex(pszFileName));
    if (HRESULT hr = CheckFileNameLength(pszFileName); hr != S_OK)
        return TraceFrom(hr, "CDirectShow::Play()");
    // The window keeps serving events while the file prerolls: a Stop among
    // them cancels this start, another Play must wait for it to end.
    if (m_bStarting) {
        HRESULT hr = ReportError(VFW_E_WRONG_STATE, "Another file is being opened");
        return TraceFrom(hr, "CDirectShow::Play()");
    }
    m_bStarting = true;
    HRESULT hr = _Start(pszFileName);
    m_bStarting = false;
    if (m_bStopRequested) {
        m_bStopRequested = false;
        Stop();
        Trace("CDirectShow::Play() : stopped while the file was being opened");
        return E_ABORT;
    }
    if (hr == S_OK) {
        _TellOpened(pszFileName);
        return S_OK;
    }
    m_lastError = PlaybackError{};
    if (m_pGraph != nullptr) {
        // Each stream's thread tells of a decoder it lacks on its own, and
        // may do so after the failure; once the graph has stopped, every
        // one of them has told.
        m_pGraph->Stop();
        m_lastError = m_pGraph->FirstError();
        m_pGraph->AddMissingPlugins(&m_lastError);
    }
    m_lastError.hr = hr;
    m_lastError.text = LastReport();
    return hr;
}

HRESULT CDirectShow::_Start(const char* pszFileName)
{
    // A graph left over from a failed start goes first.
    const bool bWasOpen = m_bOpen;
    _ReleaseGraph();
    if (bWasOpen)
        _TellClosed();
    uint8_t header[kHeaderSize] = {};
    HRESULT hr = _ProbeHeader(pszFileName, header);
    if (hr == S_OK) {
        m_pGraph = std::make_unique<CFilterGraph>(NativeWindow(m_pScreenWnd), m_lVolume);
        _Listen();
        m_pGraph->SetFileName(pszFileName);
        _LoadSubtitlesBeside(pszFileName);
        hr = _CreateSourceFilter(header);
    }
    if (hr == S_OK && (hr = m_pGraph->AddFilter(m_pSourceFilter->GetElement(), kSourceFilterName)) != S_OK)
        ReportCall(hr, IDS_CANNOT_ADD_FILTER, "IGraphBuilder::AddFilter()");
    if (hr == S_OK)
        hr = _LoadSourceFilter(pszFileName);
    if (hr == S_OK)
        hr = _RenderOutputPins(m_pSourceFilter);
    if (hr != S_OK)
        return TraceFrom(hr, "CDirectShow::Play()");
    m_bOpen = true;
    m_bHasVideo = m_pGraph->FindFilterByName(kVideoRendererName);
    m_pGraph->Events().SetNotifyWindow(m_pScreenWnd, WM_PLAYER_GRAPHEVENT, 0);
    if (m_bHasVideo && (hr = _AttachVideoWindow()) != S_OK)
        return TraceFrom(hr, "CDirectShow::Play()");
    hr = m_pGraph->Run();
    if (hr != S_OK && hr != S_FALSE) {
        ReportCall(hr, IDS_CANNOT_PLAY, "IMediaControl::Run()");
        return TraceFrom(hr, "CDirectShow::Play()");
    }
    return S_OK;
}

// Reads the first 16 bytes through the stream factory.
HRESULT CDirectShow::_ProbeHeader(const char* pszFileName, uint8_t (&header)[16])
{
    CStream* pStream = nullptr;
    HRESULT hr = CStream::CreateInstance(pszFileName, &pStream);
    if (hr != S_OK)
        return hr;
    if (pStream == nullptr)
        return ReportError(ERROR_BAD_FORMAT, "%s", LoadResString(IDS_UNKNOWN_FILE_TYPE).c_str());
    ULONG cbRead = 0;
    hr = pStream->Init(pszFileName);
    if (hr == S_OK)
        hr = pStream->Read(header, kHeaderSize, &cbRead);
    pStream->Close();
    pStream->Release();
    if (hr == S_OK && cbRead < kHeaderSize)
        hr = ReportCall(ERROR_BAD_FORMAT, IDS_CANNOT_READ_HEADER, "CStream::Read()");
    return hr;
}

HRESULT CDirectShow::_CreateSourceFilter(const uint8_t (&header)[16])
{
    const bool isAsf = std::memcmp(header, kAsfHeaderObject, kHeaderSize) == 0;
    HRESULT hr = m_filterLibrary.CreateFilter(isAsf ? CLSID_ASFSourceFilter : CLSID_AsyncFileSourceFilter,
                                              &m_pSourceFilter);
    if (hr != S_OK)
        ReportCall(hr, isAsf ? IDS_CANNOT_CREATE_ASF : IDS_CANNOT_CREATE_FILE_SOURCE, "CoCreateInstance()");
    return hr;
}

HRESULT CDirectShow::_LoadSourceFilter(const char* pszFileName)
{
    IFileSourceFilter* pFileSource = nullptr;
    HRESULT hr = m_pSourceFilter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&pFileSource));
    if (hr != S_OK)
        return ReportCall(hr, IDS_CANNOT_GET_FILE_SOURCE, "IBaseFilter::QueryInterface()");
    hr = pFileSource->Load(pszFileName, nullptr);
    pFileSource->Release();
    if (hr != S_OK) {
        ReportError(hr, "%s", LoadResStringWith(IDS_CANNOT_READ_FILE, pszFileName).c_str());
        Trace("from %s", "IFileSourceFilter::Load()");
    }
    return hr;
}

// Renders every output of the filter that is not connected yet, then lets
// the graph preroll: rendering has worked when the renderers hold data. An
// output that fails after others were rendered fails the file with its own
// code; only a file of which nothing was rendered has nothing to render.
HRESULT CDirectShow::_RenderOutputPins(IBaseFilter* pBaseFilter)
{
    HRESULT hrRender = S_OK;
    bool isRendered = false;
    if (pBaseFilter == nullptr) {
        ReportError(ERROR_INVALID_PARAMETER);
        Trace("pBaseFilter = %llx", Hex(pBaseFilter));
    } else if ((hrRender = m_pGraph->RenderOutputs(pBaseFilter->GetElement(), &isRendered)) != S_OK) {
        ReportCall(hrRender, IDS_CANNOT_RENDER_PIN, "IGraphBuilder::Render()");
    }
    if (isRendered && hrRender == S_OK) {
        hrRender = m_pGraph->Preroll(kRenderTimeoutMilliseconds);
        if (hrRender == E_ABORT)
            return hrRender;
        isRendered = hrRender == S_OK;
        if (!isRendered)
            ReportCall(hrRender, IDS_CANNOT_RENDER_PIN, "IGraphBuilder::Render()");
    }
    if (isRendered)
        return TraceFrom(hrRender, "CDirectShow::_RenderOutputPins()");
    HRESULT hr = ReportError(kNothingToRender, "%s", LoadResString(IDS_NOTHING_TO_RENDER).c_str());
    return TraceFrom(hr, "CDirectShow::_RenderOutputPins()");
}

HRESULT CDirectShow::_AttachVideoWindow()
{
    HRESULT hr = m_pGraph->PutOwner(NativeWindow(m_pScreenWnd));
    if (hr != S_OK && hr != VFW_E_NOT_CONNECTED)
        return ReportCall(hr, IDS_CANNOT_SET_OWNER, "IVideoWindow::put_Owner()");
    return S_OK;
}

// Subtitle files that cannot be read leave the file to play without them.
void CDirectShow::_LoadSubtitlesBeside(const char* pszFileName)
{
    SUBTITLEFILE file;
    if (CSubtitleLoader(CTextDecoder::CurrentLocale()).LoadBeside(pszFileName, &file) == S_OK)
        m_pGraph->Subtitles().AddFileTracks(std::move(file.tracks));
}

CSubtitleOverlay* CDirectShow::Subtitles()
{
    return m_bOpen ? &m_pGraph->Subtitles() : nullptr;
}

CAudioTracks* CDirectShow::AudioTracks()
{
    return m_bOpen ? &m_pGraph->AudioTracks() : nullptr;
}

HRESULT CDirectShow::LoadSubtitleFile(const char* pszPath)
{
    if (pszPath == nullptr)
        return ArgumentFault("CDirectShow::LoadSubtitleFile()", "pszPath = %llx", Hex(pszPath));
    if (!m_bOpen)
        return TraceFrom(ReportError(VFW_E_WRONG_STATE, "No file is open to load subtitles for"),
                         "CDirectShow::LoadSubtitleFile()");
    SUBTITLEFILE file;
    HRESULT hr = CSubtitleLoader(CTextDecoder::CurrentLocale()).LoadFile(pszPath, &file);
    if (hr != S_OK)
        return TraceFrom(hr, "CDirectShow::LoadSubtitleFile()");
    m_pGraph->Subtitles().AddFileTracks(std::move(file.tracks));
    TellTracksChosen();
    return S_OK;
}

void CDirectShow::TellTracksChosen()
{
    if (!m_bOpen)
        return;
    m_pGraph->RedrawPaused();
    emit m_events.TracksChanged();
}

HRESULT CDirectShow::Pause()
{
    HRESULT hr = m_bOpen ? m_pGraph->Pause() : VFW_E_WRONG_STATE;
    if (hr != S_OK) {
        ReportCall(hr, IDS_CANNOT_PAUSE, "IMediaControl::Pause()");
        return TraceFrom(hr, "CDirectShow::Pause()");
    }
    return S_OK;
}

HRESULT CDirectShow::Resume()
{
    HRESULT hr = m_bOpen ? m_pGraph->Run() : VFW_E_WRONG_STATE;
    if (hr != S_OK && hr != S_FALSE) {
        ReportCall(hr, IDS_CANNOT_RESUME, "IMediaControl::Run()");
        return TraceFrom(hr, "CDirectShow::Resume()");
    }
    return S_OK;
}

HRESULT CDirectShow::Stop()
{
    if (m_bStarting) {
        m_bStopRequested = true;
        if (m_pGraph != nullptr)
            m_pGraph->AbortPreroll();
        return S_OK;
    }
    if (m_pGraph == nullptr && m_pSourceFilter == nullptr)
        return S_OK;
    // A graph that refused to stop is released all the same: kept, it could
    // neither play nor stop again and would hold up every later command.
    const bool bWasOpen = m_bOpen;
    HRESULT hr = m_bOpen ? m_pGraph->Stop() : S_OK;
    if (hr != S_OK)
        ReportCall(hr, IDS_CANNOT_STOP, "IMediaControl::Stop()");
    _ReleaseGraph();
    if (bWasOpen)
        _TellClosed();
    return hr != S_OK ? TraceFrom(hr, "CDirectShow::Stop()") : S_OK;
}

// The graph goes first: it holds the source filter's element too. The
// graph's threads leave their freed memory in malloc's per-thread arenas,
// and a GL video sink leaves most (180 MB after 50 files on a software
// renderer): giving it back costs about a millisecond.
void CDirectShow::_ReleaseGraph()
{
    m_bOpen = false;
    m_bHasVideo = false;
    m_pGraph.reset();
    if (m_pSourceFilter != nullptr) {
        m_pSourceFilter->Release();
        m_pSourceFilter = nullptr;
    }
    malloc_trim(0);
}

HRESULT CDirectShow::GetState(long msTimeout, int* pState)
{
    if (pState == nullptr)
        return ArgumentFault("CDirectShow::GetState()", "pfs = %llx", Hex(pState));
    *pState = State_Stopped;
    if (!m_bOpen)
        return S_OK;
    if (HRESULT hr = m_pGraph->GetState(msTimeout, pState); hr != S_OK) {
        ReportCall(hr, IDS_CANNOT_GET_STATE, "IMediaControl::GetState()");
        return TraceFrom(hr, "CDirectShow::GetState()");
    }
    return S_OK;
}

int CDirectShow::TargetState()
{
    int nState = State_Stopped;
    if (m_bOpen)
        m_pGraph->GetState(0, &nState);
    return nState;
}

HRESULT CDirectShow::GetEvent(long* plEvent, intptr_t* plParam1, intptr_t* plParam2, long msTimeout)
{
    if (plEvent == nullptr || plParam1 == nullptr || plParam2 == nullptr)
        return ArgumentFault("CDirectShow::GetEvent()",
                             "plEvent = %llx, plParam1 = %llx, plParam2 = %llx", Hex(plEvent), Hex(plParam1),
                             Hex(plParam2));
    if (!m_bOpen)
        return E_ABORT;
    HRESULT hr = m_pGraph->Events().Get(plEvent, plParam1, plParam2, msTimeout);
    if (hr != S_OK && hr != E_ABORT) {
        ReportCall(hr, IDS_CANNOT_GET_EVENT, "IMediaEvent::GetEvent()");
        return TraceFrom(hr, "CDirectShow::GetEvent()");
    }
    return hr;
}

// The events carry numbers only: there is nothing to free.
HRESULT CDirectShow::FreeEventParams(long, intptr_t, intptr_t)
{
    return S_OK;
}

HRESULT CDirectShow::SetPosition(LONGLONG llPosition)
{
    if (llPosition < 0)
        return ArgumentFault("CDirectShow::SetPosition()", "llPosition = %lld",
                             static_cast<long long>(llPosition));
    HRESULT hr = m_bOpen ? m_pGraph->SetPositions(llPosition) : VFW_E_WRONG_STATE;
    if (hr != S_OK && hr != S_FALSE) {
        ReportError(hr, "%s", LoadResString(IDS_CANNOT_MOVE).c_str());
        Trace("llPosition = %lld", static_cast<long long>(llPosition));
        Trace("from %s", "IMediaSeeking::SetPositions()");
        return TraceFrom(hr, "CDirectShow::SetPosition()");
    }
    return S_OK;
}

HRESULT CDirectShow::GetPosition(LONGLONG* pllPosition)
{
    if (pllPosition == nullptr)
        return ArgumentFault("CDirectShow::GetPosition()", "pllPosition = %llx", Hex(pllPosition));
    HRESULT hr = m_bOpen ? m_pGraph->GetCurrentPosition(pllPosition) : VFW_E_WRONG_STATE;
    if (hr != S_OK) {
        ReportCall(hr, IDS_CANNOT_GET_POSITION, "IMediaSeeking::GetCurrentPosition()");
        return TraceFrom(hr, "CDirectShow::GetPosition()");
    }
    return S_OK;
}

HRESULT CDirectShow::GetTotalPlayLength(LONGLONG* pllTotal)
{
    if (pllTotal == nullptr)
        return ArgumentFault("CDirectShow::GetTotalPlayLength()", "pllTotal = %llx", Hex(pllTotal));
    HRESULT hr = m_bOpen ? m_pGraph->GetDuration(pllTotal) : VFW_E_WRONG_STATE;
    if (hr != S_OK) {
        ReportCall(hr, IDS_CANNOT_GET_DURATION, "IMediaSeeking::GetDuration()");
        return TraceFrom(hr, "CDirectShow::GetTotalPlayLength()");
    }
    m_events.TellDuration(*pllTotal);
    return S_OK;
}

HRESULT CDirectShow::SetRate(double dRate)
{
    // Written so that a rate that is not a number is refused too.
    if (!(dRate > 0.0))
        return ArgumentFault("CDirectShow::SetRate()", "dRate = %f", dRate);
    HRESULT hr = m_bOpen ? m_pGraph->SetRate(dRate) : VFW_E_WRONG_STATE;
    if (hr != S_OK) {
        ReportError(hr, "%s", LoadResString(IDS_CANNOT_SET_RATE).c_str());
        Trace("dRate = %f", dRate);
        Trace("from %s", "IMediaSeeking::SetRate()");
        return TraceFrom(hr, "CDirectShow::SetRate()");
    }
    m_events.TellRate(dRate);
    return S_OK;
}

HRESULT CDirectShow::GetRate(double* pdRate)
{
    if (pdRate == nullptr)
        return ArgumentFault("CDirectShow::GetRate()", "pdRate = %llx", Hex(pdRate));
    if (!m_bOpen) {
        ReportCall(VFW_E_WRONG_STATE, IDS_CANNOT_GET_RATE, "IMediaSeeking::GetRate()");
        return TraceFrom(VFW_E_WRONG_STATE, "CDirectShow::GetRate()");
    }
    *pdRate = m_pGraph->GetRate();
    return S_OK;
}

long CDirectShow::VolumeLevel(int nVolume, double* pdLevel)
{
    constexpr double kFloor = 1e-10;
    double x = nVolume * 0.01 * (1.0 - kFloor) + kFloor;
    double dLevel = std::log10(x) * 10 * 100;
    if (pdLevel != nullptr)
        *pdLevel = dLevel;
    return static_cast<long>(dLevel);
}

HRESULT CDirectShow::SetVolume(int nVolume)
{
    if (nVolume < 0 || nVolume > 100)
        return ArgumentFault("CDirectShow::SetVolume()", "nVolume = %d", nVolume);
    double dLevel = 0;
    long lLevel = VolumeLevel(nVolume, &dLevel);
    HRESULT hr = m_bOpen ? m_pGraph->PutVolume(lLevel) : VFW_E_WRONG_STATE;
    if (hr != S_OK) {
        ReportError(hr, "%s", LoadResString(IDS_CANNOT_SET_VOLUME).c_str());
        Trace("nVolume = %d, dVolume = %f", nVolume, dLevel);
        Trace("from %s", "IBasicAudio::put_Volume()");
        return TraceFrom(hr, "CDirectShow::SetVolume()");
    }
    m_lVolume = lLevel;
    m_events.TellVolume(lLevel);
    return S_OK;
}

// Without a picture there is nothing to place: the screen window places
// what it shows instead.
HRESULT CDirectShow::SetScreenSize(RECT rect)
{
    if (!m_bHasVideo)
        return S_OK;
    // The sinks and the picture window work in the screen's own pixels.
    const RECT device = CDevicePixels::FromLogical(rect, CDevicePixels::RatioOf(m_pScreenWnd));
    struct Side {
        VideoEdge edge;
        long lValue;
        const char* pszCall;
    };
    const Side sides[] = {{VideoEdge::Left, device.left, "IVideoWindow::put_Left()"},
                          {VideoEdge::Top, device.top, "IVideoWindow::put_Top()"},
                          {VideoEdge::Width, device.Width(), "IVideoWindow::put_Width()"},
                          {VideoEdge::Height, device.Height(), "IVideoWindow::put_Height()"}};
    for (const Side& side : sides) {
        HRESULT hr = m_pGraph->PutVideoWindow(side.edge, side.lValue);
        if (hr != S_OK && hr != VFW_E_NOT_CONNECTED) {
            ReportCall(hr, IDS_CANNOT_SET_LEFT + static_cast<int>(side.edge), side.pszCall);
            return TraceFrom(hr, "CDirectShow::SetScreenSize()");
        }
    }
    return S_OK;
}

HRESULT CDirectShow::GetOriginalScreenSize(long* plWidth, long* plHeight)
{
    if (plWidth == nullptr || plHeight == nullptr)
        return ArgumentFault("CDirectShow::GetOriginalScreenSize()",
                             "plWidth = %llx, plHeight = %llx", Hex(plWidth), Hex(plHeight));
    if (!m_bHasVideo) {
        *plWidth = m_noPictureSize.width();
        *plHeight = m_noPictureSize.height();
        return S_OK;
    }
    if (HRESULT hr = m_pGraph->GetVideoSize(plWidth, plHeight); hr != S_OK) {
        ReportCall(hr, IDS_CANNOT_GET_VIDEO_SIZE, "IBaseVideo::GetVideoSize()");
        return TraceFrom(hr, "CDirectShow::GetOriginalScreenSize()");
    }
    return S_OK;
}

void CDirectShow::_Listen()
{
    const unsigned nSerial = ++m_nGraphSerial;
    m_nToldSeeks = 0;
    auto pass = [this, nSerial](auto signal, auto handler) {
        QObject::connect(
            m_pGraph.get(), signal, &m_events,
            [this, nSerial, handler](const auto&... args) {
                if (nSerial == m_nGraphSerial && m_bOpen)
                    handler(args...);
            },
            Qt::QueuedConnection);
    };
    pass(&CFilterGraph::StateReached, [this] { _OnStateReached(); });
    pass(&CFilterGraph::DurationChanged, [this] { _TellDuration(); });
    pass(&CFilterGraph::SeekDone, [this](int nUserSeeks) { _OnSeekDone(nUserSeeks); });
    pass(&CFilterGraph::Ended, [this] { emit m_events.EndOfStream(); });
    pass(&CFilterGraph::Failed, [this](const PlaybackError& error) { _OnFailed(error); });
    pass(&CFilterGraph::ClockLost, [this] { emit m_events.ClockLost(); });
    pass(&CFilterGraph::TracksFound, [this] { emit m_events.TracksChanged(); });
    pass(&CFilterGraph::PictureResized,
         [this](int nWidth, int nHeight) { emit m_events.VideoSizeChanged(nWidth, nHeight); });
}

// Everything is read before anything is told: a slot may stop the file
// (or open another), and what is left untold then is no longer true.
void CDirectShow::_TellOpened(const char* pszFileName)
{
    const unsigned nSerial = m_nGraphSerial;
    const bool bHasAudio = m_pGraph->FindFilterByName(kAudioRendererName);
    LONGLONG llDuration = 0;
    const bool bKnownDuration = m_pGraph->GetDuration(&llDuration) == S_OK;
    long lWidth = 0;
    long lHeight = 0;
    const bool bKnownSize = m_bHasVideo && m_pGraph->GetVideoSize(&lWidth, &lHeight) == S_OK;
    const double dRate = m_pGraph->GetRate();
    int nState = State_Stopped;
    const bool bSettled = m_pGraph->GetState(0, &nState) == S_OK;
    auto stillOpen = [&] { return m_bOpen && nSerial == m_nGraphSerial; };
    emit m_events.FileOpened(QFile::decodeName(pszFileName), m_bHasVideo, bHasAudio);
    if (stillOpen())
        emit m_events.TracksChanged();
    if (stillOpen() && bKnownDuration)
        m_events.TellDuration(llDuration);
    if (stillOpen() && bKnownSize)
        emit m_events.VideoSizeChanged(static_cast<int>(lWidth), static_cast<int>(lHeight));
    if (stillOpen())
        m_events.TellRate(dRate);
    if (stillOpen() && bSettled)
        m_events.TellState(nState);
}

// After the graph is gone: the file's state, length and streams are none.
void CDirectShow::_TellClosed()
{
    const unsigned nSerial = m_nGraphSerial;
    auto stillClosed = [&] { return !m_bOpen && nSerial == m_nGraphSerial; };
    m_events.TellState(State_Stopped);
    if (stillClosed())
        m_events.TellDuration(0);
    if (stillClosed())
        emit m_events.TracksChanged();
}

// Without a report: a length not known yet is no failure.
void CDirectShow::_TellDuration()
{
    LONGLONG llDuration = 0;
    if (m_pGraph->GetDuration(&llDuration) == S_OK)
        m_events.TellDuration(llDuration);
}

// A state is told once the graph has settled in it: a graph passing
// through a state on its way (a seek while playing) tells nothing.
void CDirectShow::_OnStateReached()
{
    int nState = State_Stopped;
    if (m_pGraph->GetState(0, &nState) == S_OK)
        m_events.TellState(nState);
}

void CDirectShow::_OnSeekDone(int nUserSeeks)
{
    if (nUserSeeks <= m_nToldSeeks)
        return;
    m_nToldSeeks = nUserSeeks;
    LONGLONG llPosition = 0;
    m_pGraph->GetCurrentPosition(&llPosition);
    emit m_events.PositionJumped(llPosition);
}

void CDirectShow::_OnFailed(const PlaybackError& error)
{
    m_lastError = error;
    m_pGraph->AddMissingPlugins(&m_lastError);
    emit m_events.Error(m_lastError);
}
