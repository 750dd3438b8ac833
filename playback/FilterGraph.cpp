#include "FilterGraph.h"

#include "DepthReducer.h"
#include "GstFailure.h"
#include "MediaGraph.h"
#include "PictureWindow.h"
#include "SinkFactory.h"
#include "SoundStream.h"
#include "common/Report.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <gst/base/gstbaseparse.h>
#include <gst/gl/gl.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>
#include <string_view>
#include <utility>

namespace {

// The volume element of the sound chain, found by name.
constexpr const char* kVolumeName = "Audio Volume";
// The first element of the video chain, whose input has the decoded
// pictures' own size, found by name.
constexpr const char* kVideoConverterName = "Video Converter";
// The caps that size the pictures for an X image sink, found by name.
constexpr const char* kScaleCapsName = "Video Scale";
// The 8-bit formats that GStreamer's scaler scales without unpacking each
// line into a general intermediate form: planar and packed YUV, RGB.
constexpr const char* kScalableFormats =
    "video/x-raw, format=(string){ I420, YV12, NV12, NV21, Y42B, Y444, YUY2, UYVY, BGRx, RGBx, xRGB, xBGR, BGRA, "
    "RGBA, ARGB, ABGR, GRAY8 }";
// The queue in front of the sound sink, found by name: the sink runs on
// the queue's thread, so that a sink that hangs when its sound server goes
// away holds up that thread only, and can be taken out of the graph.
constexpr const char* kAudioQueueName = "Audio Queue";
// Enough to hand the sink its next buffer without delaying volume changes.
constexpr guint kAudioQueueBuffers = 2;

// How soon a graph changing state is asked again whether its paused picture
// needs making at a new size.
constexpr int kRefreshRetryMilliseconds = 20;

// How often a graph is looked at for standing still, and how long it may
// stand still while playing before its sound output is opened again: a
// sound server starting a stream takes up to a second and a half.
constexpr int kStallLookMs = 500;
constexpr int kStallLimitMs = 3000;

constexpr GstSeekFlags kSeekFlags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);

// A stream without an index or a length header (an MP3 without a VBR
// header) has no duration until its parser has counted enough frames. The
// parser can convert the stream's byte length into time from the frames it
// has already seen, which is exact for a constant bit rate.
bool EstimateDurationFromParser(GstBin* pBin, gint64* pDuration)
{
    bool bFound = false;
    GstIterator* pIterator = gst_bin_iterate_recurse(pBin);
    GValue item = G_VALUE_INIT;
    while (!bFound && gst_iterator_next(pIterator, &item) == GST_ITERATOR_OK) {
        auto* pElement = GST_ELEMENT(g_value_get_object(&item));
        gint64 bytes = 0;
        bFound = GST_IS_BASE_PARSE(pElement) &&
                 gst_element_query_duration(pElement, GST_FORMAT_BYTES, &bytes) && bytes > 0 &&
                 gst_element_query_convert(pElement, GST_FORMAT_BYTES, bytes, GST_FORMAT_TIME, pDuration) &&
                 *pDuration > 0;
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(pIterator);
    return bFound;
}

// The linear gain of an attenuation in hundredths of a decibel.
double Gain(long lVolume)
{
    return std::pow(10.0, static_cast<double>(lVolume) / 2000.0);
}

int PlayerState(GstState state)
{
    if (state == GST_STATE_PLAYING)
        return State_Running;
    return state == GST_STATE_PAUSED ? State_Paused : State_Stopped;
}

// Makes the elements of a chain, adds them to the bin and links them in
// order; null when one of them cannot be made or linked.
GstElement* AddChain(GstBin* pBin, std::initializer_list<GstElement*> elements)
{
    for (GstElement* pElement : elements)
        if (pElement == nullptr) {
            for (GstElement* pMade : elements)
                if (pMade != nullptr)
                    gst_object_unref(gst_object_ref_sink(pMade));
            return nullptr;
        }
    GstElement* pPrevious = nullptr;
    for (GstElement* pElement : elements) {
        gst_bin_add(pBin, pElement);
        if (pPrevious != nullptr && !gst_element_link(pPrevious, pElement))
            return nullptr;
        pPrevious = pElement;
    }
    // From the sink up, so that nothing pushes into an element not yet started.
    for (auto it = std::rbegin(elements); it != std::rend(elements); ++it)
        gst_element_sync_state_with_parent(*it);
    return *elements.begin();
}

// Takes down by hand an element that refused to stop: deactivating its pads
// ends its streaming threads, and marking it stopped lets the graph reach
// NULL without it and be released without complaint. Its own clean-up runs
// when it is destroyed.
void ForceStopped(GstElement* pElement)
{
    Trace("CFilterGraph : %s refused to stop; taken down by hand", GST_OBJECT_NAME(pElement));
    gst_element_set_locked_state(pElement, TRUE);
    GstIterator* pPads = gst_element_iterate_pads(pElement);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(pPads, &item) == GST_ITERATOR_OK) {
        gst_pad_set_active(GST_PAD(g_value_get_object(&item)), FALSE);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(pPads);
    GST_OBJECT_LOCK(pElement);
    GST_STATE(pElement) = GST_STATE_NULL;
    GST_STATE_NEXT(pElement) = GST_STATE_VOID_PENDING;
    GST_STATE_PENDING(pElement) = GST_STATE_VOID_PENDING;
    GST_STATE_RETURN(pElement) = GST_STATE_CHANGE_SUCCESS;
    GST_OBJECT_UNLOCK(pElement);
}

// Brings the pipeline to NULL after an attempt that ended in `result`, even
// when elements refuse to stop (a source whose file was replaced under it):
// after each failed attempt the elements whose own change failed are taken
// down by hand. Bins fail only through their children, which the walk
// reaches.
void StopWhateverRefuses(GstElement* pPipeline, GstStateChangeReturn result)
{
    constexpr int kAttempts = 4;
    for (int attempt = 0; attempt < kAttempts && result == GST_STATE_CHANGE_FAILURE; ++attempt) {
        GstIterator* pElements = gst_bin_iterate_recurse(GST_BIN(pPipeline));
        GValue item = G_VALUE_INIT;
        while (gst_iterator_next(pElements, &item) == GST_ITERATOR_OK) {
            auto* pElement = GST_ELEMENT(g_value_get_object(&item));
            if (!GST_IS_BIN(pElement) && GST_STATE_RETURN(pElement) == GST_STATE_CHANGE_FAILURE)
                ForceStopped(pElement);
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(pElements);
        result = gst_element_set_state(pPipeline, GST_STATE_NULL);
    }
}

// The display size of the caps a pad has now; false without video caps.
bool PadDisplaySize(GstPad* pPad, long* plWidth, long* plHeight)
{
    GstCaps* pCaps = gst_pad_get_current_caps(pPad);
    GstVideoInfo info;
    bool isKnown = pCaps != nullptr && gst_video_info_from_caps(&info, pCaps);
    if (isKnown)
        CFilterGraph::DisplaySize(GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                                  GST_VIDEO_INFO_PAR_N(&info), GST_VIDEO_INFO_PAR_D(&info), plWidth, plHeight);
    if (pCaps != nullptr)
        gst_caps_unref(pCaps);
    return isKnown;
}

// Square pixels (plain X images have no other), at `size` when it is known;
// the converter keeps the picture's shape otherwise.
GstCaps* ScaleCaps(uint64_t size)
{
    GstCaps* pCaps = gst_caps_new_simple("video/x-raw", "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
    if (size != 0)
        gst_caps_set_simple(pCaps, "width", G_TYPE_INT, static_cast<int>(size & 0xFFFFFFFFu), "height", G_TYPE_INT,
                            static_cast<int>(size >> 32), nullptr);
    return pCaps;
}

void SetScaleCaps(GstElement* pCapsFilter, uint64_t size)
{
    GstCaps* pCaps = ScaleCaps(size);
    g_object_set(pCapsFilter, "caps", pCaps, nullptr);
    gst_caps_unref(pCaps);
}

// Whether a source's output is a picture stream (a byte stream, to be
// demultiplexed, is not known to be one).
bool PadCarriesVideo(GstPad* pPad)
{
    GstCaps* pCaps = gst_pad_query_caps(pPad, nullptr);
    const bool bVideo = pCaps != nullptr && !gst_caps_is_any(pCaps) && !gst_caps_is_empty(pCaps) &&
                        std::string_view(gst_structure_get_name(gst_caps_get_structure(pCaps, 0))).starts_with("video/");
    if (pCaps != nullptr)
        gst_caps_unref(pCaps);
    return bVideo;
}

uint64_t PackedSize(QSize size)
{
    return static_cast<uint64_t>(size.width()) | static_cast<uint64_t>(size.height()) << 32;
}

} // namespace

CFilterGraph::CFilterGraph(guintptr windowHandle, long lVolume)
    : m_pPipeline(static_cast<GstElement*>(gst_object_ref_sink(gst_pipeline_new(nullptr)))),
      m_windowHandle(0),
      m_lostSound(m_pPipeline, kAudioQueueName, kAudioRendererName),
      m_dGain(Gain(lVolume)),
      m_stallWatch(std::chrono::milliseconds(kStallLimitMs))
{
    connect(&m_stallTimer, &QTimer::timeout, this, &CFilterGraph::_WatchForStall);
    m_stallTimer.start(kStallLookMs);
    m_windowHandle = _UsePictureWindow(windowHandle);
    m_subtitles.SetLateCueHandler(
        [this] { QMetaObject::invokeMethod(this, &CFilterGraph::RedrawPaused, Qt::QueuedConnection); });
    GstBus* pBus = gst_element_get_bus(m_pPipeline);
    gst_bus_set_sync_handler(pBus, _OnBusMessage, this, nullptr);
    gst_object_unref(pBus);
}

CFilterGraph::~CFilterGraph()
{
    // Every streaming thread ends here, so that none reaches this object later.
    StopWhateverRefuses(m_pPipeline, gst_element_set_state(m_pPipeline, GST_STATE_NULL));
    GstBus* pBus = gst_element_get_bus(m_pPipeline);
    gst_bus_set_sync_handler(pBus, nullptr, nullptr, nullptr);
    gst_object_unref(pBus);
    gst_object_unref(m_pPipeline);
}

HRESULT CFilterGraph::AddFilter(GstElement* pElement, const char* pszName)
{
    if (pElement == nullptr || pszName == nullptr || GST_OBJECT_PARENT(pElement) != nullptr)
        return E_INVALIDARG;
    gst_object_set_name(GST_OBJECT(pElement), pszName);
    // The bin takes a reference of its own.
    return gst_bin_add(GST_BIN(m_pPipeline), pElement) ? S_OK : E_FAIL;
}

void CFilterGraph::SetFileName(const std::string& fileName)
{
    std::lock_guard lock(m_renderLock);
    m_fileName = fileName;
}

HRESULT CFilterGraph::Render(GstPad* pPad)
{
    if (PadCarriesVideo(pPad)) {
        std::lock_guard lock(m_renderLock);
        m_bPictureExpected = true;
    }
    GstElement* pDecoder = gst_element_factory_make("decodebin", nullptr);
    if (pDecoder == nullptr)
        return VFW_E_CANNOT_RENDER;
    gst_bin_add(GST_BIN(m_pPipeline), pDecoder);
    g_signal_connect(pDecoder, "autoplug-continue", G_CALLBACK(_OnDecoding), nullptr);
    g_signal_connect(pDecoder, "pad-added", G_CALLBACK(_OnDecodedPad), this);
    GstPad* pSinkPad = gst_element_get_static_pad(pDecoder, "sink");
    GstPadLinkReturn linked = gst_pad_link(pPad, pSinkPad);
    gst_object_unref(pSinkPad);
    if (linked != GST_PAD_LINK_OK) {
        gst_bin_remove(GST_BIN(m_pPipeline), pDecoder);
        return VFW_E_CANNOT_RENDER;
    }
    return S_OK;
}

HRESULT CFilterGraph::RenderOutputs(GstElement* pSource, bool* pbRendered)
{
    *pbRendered = false;
    HRESULT hr = S_OK;
    GstIterator* pPads = gst_element_iterate_pads(pSource);
    GValue item = G_VALUE_INIT;
    for (bool bWalking = true; bWalking && hr == S_OK;) {
        switch (gst_iterator_next(pPads, &item)) {
        case GST_ITERATOR_OK: {
            auto* pPad = static_cast<GstPad*>(g_value_get_object(&item));
            if (!gst_pad_is_linked(pPad) && GST_PAD_DIRECTION(pPad) == GST_PAD_SRC) {
                hr = Render(pPad);
                *pbRendered = *pbRendered || hr == S_OK;
            }
            g_value_reset(&item);
            break;
        }
        case GST_ITERATOR_RESYNC:
            // The pads rendered already are linked now and are passed over.
            gst_iterator_resync(pPads);
            break;
        case GST_ITERATOR_ERROR:
            hr = E_FAIL;
            break;
        case GST_ITERATOR_DONE:
            bWalking = false;
            break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(pPads);
    return hr;
}

HRESULT CFilterGraph::Preroll(int msTimeout)
{
    if (gst_element_set_state(m_pPipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE && m_hrError == S_OK)
        m_hrError = VFW_E_CANNOT_RENDER;
    if (!m_bPrerolled && m_hrError == S_OK) {
        QEventLoop wait;
        QTimer::singleShot(msTimeout, &wait, &QEventLoop::quit);
        m_pPrerollWait = &wait;
        // Paints and timers go on; input waits until the file is open.
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        m_pPrerollWait = nullptr;
    }
    if (m_hrError != S_OK)
        return m_hrError;
    std::lock_guard lock(m_renderLock);
    if (!m_bHasAudio && !m_bHasVideo)
        return m_bPrerolled ? VFW_E_CANNOT_RENDER : VFW_E_TIMEOUT;
    // A slow file that already has its renderers starts to play once its
    // preroll ends.
    return S_OK;
}

void CFilterGraph::AbortPreroll()
{
    HRESULT hrNone = S_OK;
    m_hrError.compare_exchange_strong(hrNone, E_ABORT);
    if (m_pPrerollWait != nullptr)
        m_pPrerollWait->quit();
}

PlaybackError CFilterGraph::FirstError()
{
    std::lock_guard lock(m_renderLock);
    return m_firstError;
}

bool CFilterGraph::FindFilterByName(const char* pszName) const
{
    GstElement* pElement = gst_bin_get_by_name(GST_BIN(m_pPipeline), pszName);
    if (pElement == nullptr)
        return false;
    gst_object_unref(pElement);
    return true;
}

HRESULT CFilterGraph::Run()
{
    // Playing before every renderer prerolled can freeze the picture.
    if (!m_bPrerolled) {
        m_bRunPending = true;
        return S_FALSE;
    }
    return _ApplyState(GST_STATE_PLAYING);
}

HRESULT CFilterGraph::Pause()
{
    m_bRunPending = false;
    return _ApplyState(GST_STATE_PAUSED);
}

HRESULT CFilterGraph::Stop()
{
    m_bRunPending = false;
    HRESULT hr = _ApplyState(GST_STATE_NULL);
    if (hr != S_OK)
        StopWhateverRefuses(m_pPipeline, GST_STATE_CHANGE_FAILURE);
    return hr;
}

HRESULT CFilterGraph::_ApplyState(GstState state)
{
    GstStateChangeReturn result = gst_element_set_state(m_pPipeline, state);
    if (result == GST_STATE_CHANGE_FAILURE)
        return m_hrError != S_OK ? m_hrError.load() : E_FAIL;
    return result == GST_STATE_CHANGE_ASYNC && state == GST_STATE_PLAYING ? S_FALSE : S_OK;
}

HRESULT CFilterGraph::GetState(long msTimeout, int* pState)
{
    if (m_bRunPending) {
        *pState = State_Running;
        return VFW_S_STATE_INTERMEDIATE;
    }
    // A graph that has failed will not finish a change: waiting for it
    // would only hold up the user-interface thread.
    if (msTimeout < 0 || m_hrError != S_OK)
        msTimeout = 0;
    GstState current = GST_STATE_NULL;
    GstState pending = GST_STATE_VOID_PENDING;
    GstStateChangeReturn result =
        gst_element_get_state(m_pPipeline, &current, &pending, static_cast<GstClockTime>(msTimeout) * GST_MSECOND);
    switch (result) {
    case GST_STATE_CHANGE_FAILURE:
        *pState = PlayerState(current);
        return m_hrError != S_OK ? m_hrError.load() : E_FAIL;
    case GST_STATE_CHANGE_ASYNC:
        *pState = PlayerState(pending != GST_STATE_VOID_PENDING ? pending : current);
        return VFW_S_STATE_INTERMEDIATE;
    default:
        *pState = PlayerState(current);
        return S_OK;
    }
}

HRESULT CFilterGraph::SetPositions(LONGLONG llPosition)
{
    ++m_nUserSeeks;
    if (!_Seek(m_dRate, llPosition))
        return E_FAIL;
    m_llLastPosition = llPosition;
    return S_OK;
}

bool CFilterGraph::_Seek(double dRate, LONGLONG llPosition)
{
    m_bEnded = false;
    return gst_element_seek(m_pPipeline, dRate, GST_FORMAT_TIME, kSeekFlags, GST_SEEK_TYPE_SET,
                            llPosition * kNanosecondsPerUnit, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
}

HRESULT CFilterGraph::GetCurrentPosition(LONGLONG* pllPosition)
{
    // During a seek the graph has no position to tell; the last one stands.
    _QueryPosition();
    *pllPosition = m_llLastPosition;
    return S_OK;
}

// Takes the graph's position as the last one when it can tell it.
bool CFilterGraph::_QueryPosition()
{
    gint64 position = 0;
    if (!gst_element_query_position(m_pPipeline, GST_FORMAT_TIME, &position) || position < 0)
        return false;
    m_llLastPosition = position / kNanosecondsPerUnit;
    return true;
}

HRESULT CFilterGraph::GetDuration(LONGLONG* pllDuration)
{
    gint64 duration = 0;
    if ((!gst_element_query_duration(m_pPipeline, GST_FORMAT_TIME, &duration) || duration < 0) &&
        !EstimateDurationFromParser(GST_BIN(m_pPipeline), &duration))
        return E_FAIL;
    *pllDuration = duration / kNanosecondsPerUnit;
    return S_OK;
}

HRESULT CFilterGraph::SetRate(double dRate)
{
    LONGLONG llPosition = 0;
    GetCurrentPosition(&llPosition);
    if (!_Seek(dRate, llPosition)) {
        std::lock_guard lock(m_renderLock);
        return m_bHasAudio ? VFW_E_UNSUPPORTED_AUDIO : VFW_E_UNSUPPORTED_VIDEO;
    }
    m_dRate = dRate;
    return S_OK;
}

HRESULT CFilterGraph::PutOwner(guintptr windowHandle)
{
    std::unique_ptr<CPictureWindow> pFormer;
    if (m_pPictureWindow != nullptr && m_pPictureWindow->Owner() != windowHandle)
        pFormer = std::move(m_pPictureWindow);
    m_windowHandle = _UsePictureWindow(windowHandle);
    if (m_pPictureWindow != nullptr)
        m_pPictureWindow->Show();
    GstElement* pOverlay = _VideoOverlay();
    if (pOverlay == nullptr)
        return VFW_E_NOT_CONNECTED;
    // The sink moves to the new window before the former one goes.
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(pOverlay), m_windowHandle.load());
    gst_object_unref(pOverlay);
    return S_OK;
}

HRESULT CFilterGraph::PutVideoWindow(VideoEdge edge, long lValue)
{
    m_rect[static_cast<int>(edge)] = lValue;
    GstElement* pOverlay = _VideoOverlay();
    if (pOverlay == nullptr)
        return VFW_E_NOT_CONNECTED;
    gst_object_unref(pOverlay);
    _ApplyRenderRectangle();
    return S_OK;
}

HRESULT CFilterGraph::GetVideoSize(long* plWidth, long* plHeight)
{
    GstElement* pConverter = gst_bin_get_by_name(GST_BIN(m_pPipeline), kVideoConverterName);
    if (pConverter == nullptr)
        return VFW_E_NOT_CONNECTED;
    GstPad* pPad = gst_element_get_static_pad(pConverter, "sink");
    gst_object_unref(pConverter);
    bool isKnown = pPad != nullptr && PadDisplaySize(pPad, plWidth, plHeight);
    if (pPad != nullptr)
        gst_object_unref(pPad);
    return isKnown ? S_OK : VFW_E_NOT_CONNECTED;
}

void CFilterGraph::DisplaySize(int nWidth, int nHeight, int nParN, int nParD, long* plWidth, long* plHeight)
{
    *plWidth = nWidth;
    *plHeight = nHeight;
    if (nParN <= 0 || nParD <= 0 || nWidth <= 0 || nHeight <= 0)
        return;
    // Computed in 64 bits; a ratio no picture has is held to what an int holds.
    auto scaled = [](int nValue, int nNum, int nDen) {
        return static_cast<long>(std::min<guint64>(
            gst_util_uint64_scale_int_round(static_cast<guint64>(nValue), nNum, nDen), G_MAXINT));
    };
    if (nParN > nParD)
        *plWidth = scaled(nWidth, nParN, nParD);
    else if (nParN < nParD)
        *plHeight = scaled(nHeight, nParD, nParN);
}

HRESULT CFilterGraph::PutVolume(long lVolume)
{
    if (lVolume < kVolumeSilence || lVolume > kVolumeFull)
        return E_INVALIDARG;
    GstElement* pVolume = gst_bin_get_by_name(GST_BIN(m_pPipeline), kVolumeName);
    if (pVolume == nullptr)
        return E_NOTIMPL;
    m_dGain = Gain(lVolume);
    g_object_set(pVolume, "volume", m_dGain.load(), nullptr);
    gst_object_unref(pVolume);
    return S_OK;
}

GstBusSyncReply CFilterGraph::_OnBusMessage(GstBus*, GstMessage* pMessage, gpointer pGraph)
{
    auto* self = static_cast<CFilterGraph*>(pGraph);
    switch (GST_MESSAGE_TYPE(pMessage)) {
    case GST_MESSAGE_EOS:
        self->m_bEnded = true;
        self->m_events.Post(EC_COMPLETE, 0, 0);
        emit self->Ended();
        break;
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(pMessage) == GST_OBJECT(self->m_pPipeline)) {
            GstState pending = GST_STATE_VOID_PENDING;
            gst_message_parse_state_changed(pMessage, nullptr, nullptr, &pending);
            if (pending == GST_STATE_VOID_PENDING)
                emit self->StateReached();
        }
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        emit self->DurationChanged();
        break;
    case GST_MESSAGE_ELEMENT:
        self->_OnMissingPlugin(pMessage);
        break;
    case GST_MESSAGE_ERROR:
        if (!self->_IsSoundOutputLost(pMessage))
            self->_OnError(pMessage);
        break;
    case GST_MESSAGE_CLOCK_LOST:
        QMetaObject::invokeMethod(self, &CFilterGraph::_OnClockLost, Qt::QueuedConnection);
        break;

    case GST_MESSAGE_ASYNC_DONE:
        if (!self->m_bPrerolled.exchange(true))
            QMetaObject::invokeMethod(self, &CFilterGraph::_OnPrerolled, Qt::QueuedConnection);
        else
            emit self->SeekDone(self->m_nUserSeeks);
        break;
    default:
        break;
    }
    // Nothing is left on the bus: every message the player needs is handled
    // here, and a dropped message belongs to its handler.
    gst_message_unref(pMessage);
    return GST_BUS_DROP;
}

// The first failure is the graph's; each one is also an event.
void CFilterGraph::_OnError(GstMessage* pMessage)
{
    const PlaybackError error = CGstFailure::FromMessage(pMessage);
    Trace("CFilterGraph : %s (%s)", error.gstMessage.c_str(), error.gstDebug.c_str());
    HRESULT hrNone = S_OK;
    if (m_hrError.compare_exchange_strong(hrNone, error.hr)) {
        {
            std::lock_guard lock(m_renderLock);
            m_firstError = error;
        }
        QMetaObject::invokeMethod(this, &CFilterGraph::_OnPrerolled, Qt::QueuedConnection);
    }
    m_events.Post(EC_ERRORABORT, error.hr, 0);
    emit Failed(error);
}

// A decoder the file needs is not installed: the file may still play
// without that stream, and a failure it causes names it.
void CFilterGraph::_OnMissingPlugin(GstMessage* pMessage)
{
    CMissingPlugin plugin;
    if (!CMissingPlugin::Read(pMessage, &plugin))
        return;
    Trace("CFilterGraph : missing plugin: %s (%s)", plugin.m_description.c_str(),
          plugin.m_package.empty() ? "package unknown" : plugin.m_package.c_str());
    std::lock_guard lock(m_renderLock);
    // Kept in order of their names: the streams' threads tell them in any
    // order, and the player names them alike each time.
    auto it = std::lower_bound(m_missingPlugins.begin(), m_missingPlugins.end(), plugin,
                               [](const CMissingPlugin& a, const CMissingPlugin& b) { return a.m_description < b.m_description; });
    if (it == m_missingPlugins.end() || it->m_description != plugin.m_description)
        m_missingPlugins.insert(it, plugin);
}

// Every missing decoder, with each package once.
void CFilterGraph::AddMissingPlugins(PlaybackError* pError)
{
    std::lock_guard lock(m_renderLock);
    for (const CMissingPlugin& plugin : m_missingPlugins) {
        pError->missingPlugin += (pError->missingPlugin.empty() ? "" : " and ") + plugin.m_description;
        if (!plugin.m_package.empty() && pError->package.find(plugin.m_package) == std::string::npos)
            pError->package += (pError->package.empty() ? "" : ", ") + plugin.m_package;
    }
}

// On the thread that learnt of it: a sound sink that fails with a resource
// error has lost its device or sound server. The file plays on without
// sound: a null sink takes the lost one's place (CLostSoundOutput). Later
// errors of the same sink are its death throes and are dropped.
bool CFilterGraph::_IsSoundOutputLost(GstMessage* pMessage)
{
    if (std::string_view(GST_OBJECT_NAME(GST_MESSAGE_SRC(pMessage))) != kAudioRendererName)
        return false;
    GError* pError = nullptr;
    gst_message_parse_error(pMessage, &pError, nullptr);
    const bool bResource = pError->domain == GST_RESOURCE_ERROR;
    if (bResource && !m_bSoundLost.exchange(true)) {
        Trace("CFilterGraph : the sound output was lost (%s); the file plays on without sound", pError->message);
        m_lostSound.Begin();
        QMetaObject::invokeMethod(this, &CFilterGraph::_OnSoundLost, Qt::QueuedConnection);
    }
    g_error_free(pError);
    return bResource;
}

// The swap waits for the sound's next push, unless its stream has ended.
void CFilterGraph::_OnSoundLost()
{
    m_lostSound.Finish();
}

// The sink that gave the clock left the graph: a playing graph takes a new
// one (the system clock) by pausing and playing again, as GStreamer asks; a
// paused one takes it when it plays next.
void CFilterGraph::_OnClockLost()
{
    if (GST_STATE_TARGET(m_pPipeline) == GST_STATE_PLAYING) {
        Trace("CFilterGraph : the clock was lost; a new one is chosen");
        gst_element_set_state(m_pPipeline, GST_STATE_PAUSED);
        gst_element_set_state(m_pPipeline, GST_STATE_PLAYING);
    }
    emit ClockLost();
}

// A graph with a sound output of its own that plays, settled and not at its
// end, should move on; one that stands still has lost its clock for good.
void CFilterGraph::_WatchForStall()
{
    bool bWatched = false;
    {
        std::lock_guard lock(m_renderLock);
        bWatched = m_bHasAudio && !m_bSoundLost;
    }
    if (!bWatched)
        return;
    GstState current = GST_STATE_NULL;
    GstState pending = GST_STATE_VOID_PENDING;
    const bool bSettled = gst_element_get_state(m_pPipeline, &current, &pending, 0) == GST_STATE_CHANGE_SUCCESS;
    // A position the graph can not tell does not count as standing still.
    const bool bPlaying = _QueryPosition() && bSettled && current == GST_STATE_PLAYING && !m_bEnded;
    if (m_stallWatch.Observe(bPlaying, m_llLastPosition, CStallWatch::Clock::now()))
        _ReopenSoundOutput();
}

// The old queue and sink leave the paused graph and new ones take their
// place; the seek to where the file stood starts every stream again (the
// streams' threads stopped when their pushes into the old queue failed),
// and the graph takes the new sink's clock when it plays.
void CFilterGraph::_ReopenSoundOutput()
{
    Trace("CFilterGraph : the graph stood still while playing; the sound output is opened again");
    GstBin* pBin = GST_BIN(m_pPipeline);
    GstElement* pQueue = gst_bin_get_by_name(pBin, kAudioQueueName);
    GstElement* pSink = gst_bin_get_by_name(pBin, kAudioRendererName);
    GstPad* pInput = pQueue != nullptr ? gst_element_get_static_pad(pQueue, "sink") : nullptr;
    GstPad* pFeed = pInput != nullptr ? gst_pad_get_peer(pInput) : nullptr;
    if (pFeed != nullptr && pSink != nullptr) {
        gst_element_set_state(m_pPipeline, GST_STATE_PAUSED);
        gst_pad_unlink(pFeed, pInput);
        gst_bin_remove_many(pBin, pQueue, pSink, nullptr);
        gst_element_set_state(pSink, GST_STATE_NULL);
        gst_element_set_state(pQueue, GST_STATE_NULL);
        auto [pNewQueue, pNewSink] = _MakeSoundOutput();
        GstElement* pFirst = AddChain(pBin, {pNewQueue, pNewSink});
        GstPad* pNewInput = pFirst != nullptr ? gst_element_get_static_pad(pFirst, "sink") : nullptr;
        if (pNewInput == nullptr || gst_pad_link(pFeed, pNewInput) != GST_PAD_LINK_OK)
            Trace("CFilterGraph::_ReopenSoundOutput() : no new sound output can be linked");
        if (pNewInput != nullptr)
            gst_object_unref(pNewInput);
        _Seek(m_dRate, m_llLastPosition);
        gst_element_set_state(m_pPipeline, GST_STATE_PLAYING);
    }
    for (GstObject* pObject : {GST_OBJECT(pFeed), GST_OBJECT(pInput), GST_OBJECT(pSink), GST_OBJECT(pQueue)})
        if (pObject != nullptr)
            gst_object_unref(pObject);
}

// On the user-interface thread: the preroll ended, well or not.
void CFilterGraph::_OnPrerolled()
{
    if (m_pPrerollWait != nullptr)
        m_pPrerollWait->quit();
    if (m_bRunPending && m_bPrerolled && m_hrError == S_OK) {
        m_bRunPending = false;
        _ApplyState(GST_STATE_PLAYING);
    }
}

// On a streaming thread: decodebin goes on decoding a stream, except
// SubStation text, which is handed on as it is to be drawn with its styles
// where GStreamer can (its parser would keep only the text).
gboolean CFilterGraph::_OnDecoding(GstElement*, GstPad*, GstCaps* pCaps, gpointer)
{
    if (gst_caps_get_size(pCaps) == 0)
        return TRUE;
    const std::string mediaType = gst_structure_get_name(gst_caps_get_structure(pCaps, 0));
    const bool bSubStation = mediaType == "application/x-ass" || mediaType == "application/x-ssa";
    return bSubStation && CDrawnSubtitles::Draws(mediaType) ? FALSE : TRUE;
}

// On a streaming thread: the first video stream gets the renderer, every
// sound stream an input of the sound chain's selector and every text
// stream a sink gathering its cues for the subtitle overlay; any further
// stream is consumed at the clock's pace.
void CFilterGraph::_OnDecodedPad(GstElement*, GstPad* pPad, gpointer pGraph)
{
    auto* self = static_cast<CFilterGraph*>(pGraph);
    GstCaps* pCaps = gst_pad_get_current_caps(pPad);
    if (pCaps == nullptr)
        pCaps = gst_pad_query_caps(pPad, nullptr);
    std::string mediaType = gst_structure_get_name(gst_caps_get_structure(pCaps, 0));
    gst_caps_unref(pCaps);
    bool bTrack = false;
    {
        std::lock_guard lock(self->m_renderLock);
        GstPad* pSinkPad = self->_RendererInput(pPad, mediaType, &bTrack);
        if (pSinkPad == nullptr || gst_pad_link(pPad, pSinkPad) != GST_PAD_LINK_OK) {
            Trace("CFilterGraph::_OnDecodedPad() : the %s stream can not be rendered", mediaType.c_str());
            bTrack = false;
        }
        if (pSinkPad != nullptr)
            gst_object_unref(pSinkPad);
    }
    if (bTrack)
        emit self->TracksFound();
}

// The pad a decoded stream is linked to (a new reference), null when none
// could be made; `pbTrack` tells a stream the user can choose.
GstPad* CFilterGraph::_RendererInput(GstPad* pDecodedPad, const std::string& mediaType, bool* pbTrack)
{
    if (mediaType.starts_with("audio/") && !m_bHasAudio)
        _MakeRendererChain(mediaType.c_str());
    if (mediaType.starts_with("audio/") && m_bHasAudio) {
        *pbTrack = true;
        return m_audioTracks.AddInput(pDecodedPad);
    }
    if (CDrawnSubtitles::Draws(mediaType)) {
        GstPad* pInput = m_subtitles.AddDrawnStream(GST_BIN(m_pPipeline), pDecodedPad);
        *pbTrack = pInput != nullptr;
        if (pInput != nullptr)
            return pInput;
    }
    GstElement* pFirst = nullptr;
    if (mediaType == "text/x-raw") {
        *pbTrack = true;
        pFirst = AddChain(GST_BIN(m_pPipeline), {m_subtitles.MakeStreamSink(pDecodedPad)});
    } else {
        pFirst = _MakeRendererChain(mediaType.c_str());
    }
    if (pFirst == nullptr)
        return nullptr;
    // A chain headed by the drawn subtitles' overlay takes the pictures at
    // its video input.
    GstPad* pInput = gst_element_get_static_pad(pFirst, "sink");
    return pInput != nullptr ? pInput : gst_element_get_static_pad(pFirst, "video_sink");
}

// On the thread that set the video chain's input caps: a picture whose display
// size changes after its first caps (a new sequence header) is an event, so
// that the player can reshape the window. Caps taken away (at a stop) are
// no change of size.
void CFilterGraph::_OnVideoCaps(GstPad* pPad, GParamSpec*, gpointer pGraph)
{
    auto* self = static_cast<CFilterGraph*>(pGraph);
    long lWidth = 0;
    long lHeight = 0;
    if (!PadDisplaySize(pPad, &lWidth, &lHeight))
        return;
    const uint64_t size = static_cast<uint64_t>(lWidth) | static_cast<uint64_t>(lHeight) << 32;
    const uint64_t previous = self->m_displaySize.exchange(size);
    if (previous != 0 && previous != size) {
        self->m_events.Post(EC_VIDEO_SIZE_CHANGED, (lWidth & 0xFFFF) | (lHeight & 0xFFFF) << 16, 0);
        emit self->PictureResized(static_cast<int>(lWidth), static_cast<int>(lHeight));
    }
}

GstElement* CFilterGraph::_MakeRendererChain(const char* pszMediaType)
{
    GstBin* pBin = GST_BIN(m_pPipeline);
    std::string_view mediaType(pszMediaType);
    GstElement* pFirst = nullptr;
    if (mediaType.starts_with("audio/") && !m_bHasAudio) {
        GstElement* pVolume = gst_element_factory_make("volume", kVolumeName);
        if (pVolume != nullptr)
            g_object_set(pVolume, "volume", m_dGain.load(), nullptr);
        auto [pQueue, pSink] = _MakeSoundOutput();
        pFirst = AddChain(pBin, {m_audioTracks.MakeSelector(), gst_element_factory_make("audioconvert", nullptr),
                                 gst_element_factory_make("scaletempo", nullptr), pVolume,
                                 gst_element_factory_make("audioconvert", nullptr),
                                 gst_element_factory_make("audioresample", nullptr), pQueue, pSink});
        m_bHasAudio = pFirst != nullptr;
    } else if (mediaType.starts_with("video/") && !m_bHasVideo) {
        pFirst = _MakeVideoChain();
        m_bHasVideo = pFirst != nullptr;
    } else {
        GstElement* pSink = CSinkFactory::MakeNullSink(nullptr);
        g_object_set(pSink, "async", FALSE, nullptr);
        pFirst = AddChain(pBin, {pSink});
    }
    return pFirst;
}

// The queue in front of the sound sink and the sink, whose input names its
// stream (_OnAudioData); either may be null when it can not be made.
std::pair<GstElement*, GstElement*> CFilterGraph::_MakeSoundOutput()
{
    GstElement* pQueue = gst_element_factory_make("queue", kAudioQueueName);
    if (pQueue != nullptr)
        g_object_set(pQueue, "max-size-buffers", kAudioQueueBuffers, "max-size-bytes", 0u, "max-size-time",
                     guint64{0}, nullptr);
    GstElement* pSink = CSinkFactory::MakeAudioSink(kAudioRendererName);
    if (GstPad* pInput = pSink != nullptr ? gst_element_get_static_pad(pSink, "sink") : nullptr) {
        gst_pad_add_probe(pInput,
                          static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_BUFFER),
                          _OnAudioData, this, nullptr);
        gst_object_unref(pInput);
    }
    return {pQueue, pSink};
}

// On the sound sink's thread. Before its stream opens (the caps come
// first) the stream is given its role: every stream of the file is
// rendered by then, or known from the source's outputs, so the role tells
// whether the file has a picture. With the first sound the stream is open,
// and is named after the file unless the file gave it a title of its own.
GstPadProbeReturn CFilterGraph::_OnAudioData(GstPad* pPad, GstPadProbeInfo* pInfo, gpointer pGraph)
{
    auto* self = static_cast<CFilterGraph*>(pGraph);
    std::unique_lock lock(self->m_renderLock);
    if ((GST_PAD_PROBE_INFO_TYPE(pInfo) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) != 0) {
        GstEvent* pEvent = GST_PAD_PROBE_INFO_EVENT(pInfo);
        if (GST_EVENT_TYPE(pEvent) == GST_EVENT_TAG && CSoundStream::HasTitle(pEvent))
            self->m_bSoundTitled = true;
        if (GST_EVENT_TYPE(pEvent) != GST_EVENT_CAPS)
            return GST_PAD_PROBE_OK;
        if (GstElement* pSink = gst_pad_get_parent_element(pPad)) {
            CSoundStream::Apply(pSink, self->m_fileName, self->m_bHasVideo || self->m_bPictureExpected);
            gst_object_unref(pSink);
        }
        return GST_PAD_PROBE_OK;
    }
    const std::string fileName = self->m_fileName;
    const bool bTitled = self->m_bSoundTitled;
    lock.unlock();
    if (!bTitled)
        gst_pad_send_event(pPad, CSoundStream::TitleEvent(fileName));
    return GST_PAD_PROBE_REMOVE;
}

// Plain X images are converted and scaled to their window's size, by as
// many threads as the machine has (late pictures are dropped before they
// are converted); the other sinks scale themselves.
GstElement* CFilterGraph::_MakeVideoChain()
{
    GstElement* pSink = CSinkFactory::MakeVideoSink(kVideoRendererName, m_windowHandle.load());
    // A picture that comes late is shown rather than dropped at the sink:
    // late pictures are dropped upstream by quality of service (the
    // decoder and the converter), before they cost their work. Dropped at
    // the sink, every picture of a file heavier than the machine came late
    // and none was shown for up to two seconds at a time.
    if (pSink != nullptr)
        g_object_set(pSink, "max-lateness", G_GINT64_CONSTANT(-1), nullptr);
    const bool bScaled = pSink != nullptr && CSinkFactory::NeedsScaledPictures(pSink);
    GstElement* pConverter = gst_element_factory_make("videoconvert", kVideoConverterName);
    if (GstPad* pInput = pConverter != nullptr ? gst_element_get_static_pad(pConverter, "sink") : nullptr) {
        g_signal_connect(pInput, "notify::caps", G_CALLBACK(_OnVideoCaps), this);
        gst_object_unref(pInput);
    }
    // Without a text overlay (GStreamer's pango plugin) the picture plays
    // without subtitles.
    GstElement* pOverlay = m_subtitles.MakeElement();
    if (pOverlay == nullptr)
        Trace("CFilterGraph::_MakeVideoChain() : no text overlay; subtitles can not be shown");
    // GStreamer's own subtitle overlay, for the streams it draws itself,
    // takes the decoder's pictures at the file's size: bitmaps are made
    // for that size, and the converter after it turns the result into
    // what the sink takes.
    if (GstElement* pDrawn = m_subtitles.MakeDrawnElement()) {
        GstElement* pFirst = AddChain(GST_BIN(m_pPipeline), {pDrawn});
        GstElement* pRest = _AddVideoChainAfterDrawn(pConverter, pOverlay, pSink, bScaled);
        if (pFirst == nullptr || pRest == nullptr || !gst_element_link_pads(pFirst, "src", pRest, "sink"))
            return nullptr;
        m_subtitles.LinkDrawn();
        return pFirst;
    }
    return _AddVideoChainAfterDrawn(pConverter, pOverlay, pSink, bScaled);
}

// The converter (and for plain X images the scaler), the text overlay,
// when there is one, and the sink.
GstElement* CFilterGraph::_AddVideoChainAfterDrawn(GstElement* pConverter, GstElement* pOverlay, GstElement* pSink,
                                                   bool bScaled)
{
    if (!bScaled)
        return pOverlay != nullptr ? AddChain(GST_BIN(m_pPipeline), {pConverter, pOverlay, pSink})
                                   : AddChain(GST_BIN(m_pPipeline), {pConverter, pSink});
    // Scaling and converting in one step works at the file's size in
    // GStreamer's general converter; scaling first, in an 8-bit format its
    // scaler has fast code for, and converting for the sink at the
    // window's size costs a quarter as much at 2160p, where it took more
    // than the decoding. Pictures of a deeper format (10-bit HEVC) are
    // brought to 8 bits first, by a shift of each plane where the format
    // has one; the others pass untouched.
    GstElement* pReducer = CDepthReducer::Make();
    // The decoder's pictures cross to a thread of their own, one picture
    // at a time: the decoder's thread goes on feeding the decoder while a
    // picture is converted and waits for its time at the sink. Without it
    // the decoder's own threads stood idle meanwhile, and 2160p60 H.264
    // showed 55 pictures a second instead of 60; the picture held costs
    // 1.3 MiB at 720p, 3 MiB at 1080p.
    GstElement* pDecoded = gst_element_factory_make("queue", nullptr);
    if (pDecoded != nullptr)
        g_object_set(pDecoded, "max-size-buffers", 1U, "max-size-bytes", 0U, "max-size-time", G_GUINT64_CONSTANT(0),
                     nullptr);
    const gint nThreads = static_cast<gint>(g_get_num_processors());
    GstElement* pFormats = gst_element_factory_make("capsfilter", nullptr);
    if (pFormats != nullptr) {
        GstCaps* pScalable = gst_caps_from_string(kScalableFormats);
        g_object_set(pFormats, "caps", pScalable, nullptr);
        gst_caps_unref(pScalable);
    }
    GstElement* pScaler = gst_element_factory_make("videoscale", nullptr);
    GstElement* pSinkConverter = gst_element_factory_make("videoconvert", nullptr);
    for (GstElement* pElement : {pConverter, pScaler, pSinkConverter})
        if (pElement != nullptr)
            g_object_set(pElement, "n-threads", nThreads, nullptr);
    // Late pictures are dropped before any of that work.
    for (GstElement* pElement : {pConverter, pScaler})
        if (pElement != nullptr)
            g_object_set(pElement, "qos", TRUE, nullptr);
    if (pScaler != nullptr)
        g_object_set(pScaler, "add-borders", FALSE, nullptr);
    // A new size takes effect once the scaler has renegotiated for it:
    // until then the pictures already on their way keep the former size,
    // so sizes changing quickly never leave a picture that fits neither.
    GstElement* pCaps = gst_element_factory_make("capsfilter", kScaleCapsName);
    if (pCaps != nullptr) {
        gst_util_set_object_arg(G_OBJECT(pCaps), "caps-change-mode", "delayed");
        SetScaleCaps(pCaps, m_scaleSize.load());
    }
    return pOverlay != nullptr
               ? AddChain(GST_BIN(m_pPipeline),
                          {pDecoded, pConverter, pReducer, pFormats, pScaler, pCaps, pSinkConverter, pOverlay, pSink})
               : AddChain(GST_BIN(m_pPipeline), {pDecoded, pConverter, pReducer, pFormats, pScaler, pCaps, pSinkConverter, pSink});
}

guintptr CFilterGraph::_UsePictureWindow(guintptr windowHandle)
{
    if (windowHandle == 0 || CVideoPath::ForThisRun() == VideoPath::Gl)
        return windowHandle;
    if (m_pPictureWindow == nullptr) {
        m_pPictureWindow = std::make_unique<CPictureWindow>(windowHandle);
        connect(m_pPictureWindow.get(), &CPictureWindow::Exposed, this, &CFilterGraph::_OnPictureExposed);
        connect(m_pPictureWindow.get(), &CPictureWindow::Resized, this, &CFilterGraph::_OnPictureResized);
        m_scaleSize = PackedSize(m_pPictureWindow->Size());
    }
    return m_pPictureWindow->Handle() != 0 ? m_pPictureWindow->Handle() : windowHandle;
}

void CFilterGraph::_OnPictureExposed()
{
    if (GstElement* pOverlay = _VideoOverlay()) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(pOverlay));
        gst_object_unref(pOverlay);
    }
}

// The next picture comes at the new size; a paused graph makes it at once,
// by a seek to where it stands (once for the four sides of one placing). A
// playing graph is left alone: a seek would stop its sound for as long as
// the graph takes to make its pictures again.
void CFilterGraph::_OnPictureResized(QSize size)
{
    m_scaleSize = PackedSize(size);
    GstElement* pCaps = gst_bin_get_by_name(GST_BIN(m_pPipeline), kScaleCapsName);
    if (pCaps == nullptr)
        return;
    SetScaleCaps(pCaps, m_scaleSize.load());
    gst_object_unref(pCaps);
    if (!m_bRefreshQueued) {
        m_bRefreshQueued = true;
        QMetaObject::invokeMethod(this, &CFilterGraph::_RefreshPicture, Qt::QueuedConnection);
    }
}

// A graph still making its picture (after a seek) is asked again once it
// has made it: the change may have come too late for that picture.
void CFilterGraph::RedrawPaused()
{
    GstState current = GST_STATE_NULL;
    const GstStateChangeReturn result = gst_element_get_state(m_pPipeline, &current, nullptr, 0);
    if (result == GST_STATE_CHANGE_ASYNC) {
        QTimer::singleShot(kRefreshRetryMilliseconds, this, &CFilterGraph::RedrawPaused);
        return;
    }
    if (m_bPrerolled && !m_bRunPending && result == GST_STATE_CHANGE_SUCCESS && current == GST_STATE_PAUSED) {
        LONGLONG llPosition = 0;
        GetCurrentPosition(&llPosition);
        _Seek(m_dRate, llPosition);
    }
}

void CFilterGraph::_RefreshPicture()
{
    m_bRefreshQueued = false;
    GstState current = GST_STATE_NULL;
    GstState pending = GST_STATE_VOID_PENDING;
    // A graph on its way to a state is looked at again once it is there.
    if (gst_element_get_state(m_pPipeline, &current, &pending, 0) == GST_STATE_CHANGE_ASYNC) {
        m_bRefreshQueued = true;
        QTimer::singleShot(kRefreshRetryMilliseconds, this, &CFilterGraph::_RefreshPicture);
        return;
    }
    if (!m_bPrerolled || m_bRunPending || current != GST_STATE_PAUSED)
        return;
    LONGLONG llPosition = 0;
    GetCurrentPosition(&llPosition);
    _Seek(m_dRate, llPosition);
}

// Sizes the GL sink's drawing surface to a new render rectangle, on the
// sink's GL thread after the rectangle itself. The GL window takes its new
// size from the X server's notice of the move, and that notice can wait
// unread in the sink's connection until some later X event wakes it: a
// paused picture would stay drawn at the former size until then.
static void ResizeGlSurface(GstElement* pSink, guint nWidth, guint nHeight)
{
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(pSink), "context") == nullptr)
        return;
    GstGLContext* pContext = nullptr;
    g_object_get(pSink, "context", &pContext, nullptr);
    if (pContext == nullptr)
        return;
    GstGLWindow* pWindow = gst_gl_context_get_window(pContext);
    gst_object_unref(pContext);
    if (pWindow == nullptr)
        return;
    struct Resize {
        GstGLWindow* pWindow;
        guint nWidth;
        guint nHeight;
    };
    gst_gl_window_send_message_async(
        pWindow,
        [](gpointer pData) {
            const auto* pResize = static_cast<Resize*>(pData);
            gst_gl_window_resize(pResize->pWindow, pResize->nWidth, pResize->nHeight);
        },
        new Resize{pWindow, nWidth, nHeight},
        [](gpointer pData) {
            auto* pResize = static_cast<Resize*>(pData);
            gst_object_unref(pResize->pWindow);
            delete pResize;
        });
}

// The video sink when it draws into a window, with a new reference.
GstElement* CFilterGraph::_VideoOverlay() const
{
    GstElement* pSink = gst_bin_get_by_name(GST_BIN(m_pPipeline), kVideoRendererName);
    if (pSink != nullptr && !GST_IS_VIDEO_OVERLAY(pSink)) {
        gst_object_unref(pSink);
        return nullptr;
    }
    return pSink;
}

void CFilterGraph::_ApplyRenderRectangle()
{
    const long* r = m_rect;
    GstElement* pOverlay = _VideoOverlay();
    if (pOverlay == nullptr)
        return;
    if (m_pPictureWindow != nullptr && m_pPictureWindow->Handle() != 0) {
        gst_object_unref(pOverlay);
        if (r[2] > 0 && r[3] > 0)
            m_pPictureWindow->Place(static_cast<int>(r[0]), static_cast<int>(r[1]), static_cast<int>(r[2]),
                                    static_cast<int>(r[3]));
        return;
    }
    // Until the player places it, the picture fills the window.
    if (r[2] > 0 && r[3] > 0) {
        gst_video_overlay_set_render_rectangle(GST_VIDEO_OVERLAY(pOverlay), static_cast<gint>(r[0]),
                                               static_cast<gint>(r[1]), static_cast<gint>(r[2]),
                                               static_cast<gint>(r[3]));
        ResizeGlSurface(pOverlay, static_cast<guint>(r[2]), static_cast<guint>(r[3]));
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(pOverlay));
    }
    gst_object_unref(pOverlay);
}
