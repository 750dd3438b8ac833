#include "ASFSourceFilterOutputPin.h"

#include "ASFCaps.h"
#include "ASFSourceFilter.h"
#include "common/Report.h"

extern "C" {
#include <libavcodec/packet.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

const ASFPinKind kASFVideoPin = {"Video", "Brelm ASF Source Filter Video Ouput Pin", "CASFSourceFilterVideoOutputPin",
                                 &WMFORMAT_VideoInfo, &CASFReader::GetVideoMediaType, &CASFReader::TakeVideoSample};
const ASFPinKind kASFAudioPin = {"Audio", "Brelm ASF Source Filter Audio Ouput Pin", "CASFSourceFilterAudioOutputPin",
                                 &WMFORMAT_WaveFormatEx, &CASFReader::GetAudioMediaType, &CASFReader::TakeAudioSample};

namespace {

// A pin's samples downstream hold at most the bytes of this many of its
// buffers (the size of an uncompressed picture, or of the stream's largest
// sample): compressed samples are far smaller, and many of them go out
// before the pin waits, instead of every sample waiting for the one before.
constexpr std::size_t kBufferCount = 3;

// A sample handed downstream in the reader's own memory, and the room it
// takes among the pin's samples in flight.
struct InFlightSample {
    SampleBuffer pPacket;
    std::shared_ptr<CSampleGate> pGate;
    std::size_t cbTaken;
};

// The buffer's memory is freed: the packet goes, then its room.
void FreeInFlightSample(gpointer pData)
{
    auto* pSample = static_cast<InFlightSample*>(pData);
    std::shared_ptr<CSampleGate> pGate = std::move(pSample->pGate);
    const std::size_t cbTaken = pSample->cbTaken;
    delete pSample;
    pGate->Release(cbTaken);
}

// A time computed in double precision, truncated toward zero; times beyond
// the 64-bit range (a rate near zero) stay at its ends.
REFERENCE_TIME ToReferenceTime(double dTime)
{
    constexpr double kLimit = 9.2e18;
    if (std::isnan(dTime))
        return 0;
    if (dTime >= kLimit)
        return std::numeric_limits<REFERENCE_TIME>::max();
    if (dTime <= -kLimit)
        return std::numeric_limits<REFERENCE_TIME>::min();
    return static_cast<REFERENCE_TIME>(dTime);
}

// 100-nanosecond units as GStreamer time; none for times before zero.
GstClockTime ToClockTime(LONGLONG llTime)
{
    return llTime >= 0 ? static_cast<GstClockTime>(llTime) * 100 : GST_CLOCK_TIME_NONE;
}

} // namespace

CASFSourceFilterOutputPin::CASFSourceFilterOutputPin(CASFSourceFilter* pFilter, CASFReader* pReader,
                                                     const ASFPinKind& kind, GstPad* pPad, HRESULT* phr)
    : CMediaSeeking(&m_lock, kASFPinSeekingCapabilities), m_pFilter(pFilter), m_pReader(pReader), m_kind(kind),
      m_pPad(GST_PAD(gst_object_ref(pPad)))
{
    const WM_MEDIA_TYPE* pType = (m_pReader->*m_kind.pfnMediaType)();
    if (pType == nullptr || pType->formattype != *m_kind.pFormatType) {
        *phr = ReportError(ERROR_BAD_FORMAT, "이 파일 포맷은 지원하지 않습니다");
        Trace("from %s::GetMediaType()", m_kind.pszClassName);
        return;
    }
    m_mediaType = *pType;
    m_format.assign(pType->pbFormat, pType->pbFormat + pType->cbFormat);
    m_mediaType.pbFormat = m_format.data();
    m_mediaType.pUnk = nullptr;
    m_hasMediaType = true;
}

CASFSourceFilterOutputPin::~CASFSourceFilterOutputPin()
{
    Activate(false);
    gst_object_unref(m_pPad);
}

HRESULT CASFSourceFilterOutputPin::GetMediaType(AM_MEDIA_TYPE* pmt)
{
    if (pmt == nullptr)
        return E_POINTER;
    if (!m_hasMediaType) {
        HRESULT hr = ReportError(ERROR_BAD_FORMAT, "이 파일 포맷은 지원하지 않습니다");
        Trace("from %s::GetMediaType()", m_kind.pszClassName);
        return hr;
    }
    pmt->majortype = m_mediaType.majortype;
    pmt->subtype = m_mediaType.subtype;
    pmt->bFixedSizeSamples = m_mediaType.bFixedSizeSamples;
    pmt->bTemporalCompression = m_mediaType.bTemporalCompression;
    pmt->lSampleSize = m_mediaType.lSampleSize;
    return S_OK;
}

HRESULT CASFSourceFilterOutputPin::CheckMediaType(const AM_MEDIA_TYPE* pmt)
{
    if (pmt == nullptr)
        return E_POINTER;
    return m_hasMediaType && pmt->majortype == m_mediaType.majortype && pmt->subtype == m_mediaType.subtype
               ? S_OK
               : S_FALSE;
}

GstCaps* CASFSourceFilterOutputPin::GetCaps() const
{
    GstCaps* pCaps = m_hasMediaType ? CapsForASFType(m_mediaType) : nullptr;
    // The platform's mapping leaves some fields open (ranges of sizes); a
    // stream's caps name one value each.
    return pCaps != nullptr ? gst_caps_fixate(pCaps) : nullptr;
}

DWORD CASFSourceFilterOutputPin::_BufferSize() const
{
    if (m_kind.pFormatType == &WMFORMAT_VideoInfo)
        return reinterpret_cast<const VIDEOINFOHEADER*>(m_mediaType.pbFormat)->bmiHeader.biSizeImage;
    return m_mediaType.lSampleSize;
}

HRESULT CASFSourceFilterOutputPin::FillBuffer(IMediaSample* pSample)
{
    std::lock_guard lock(m_lock);
    HRESULT hr = _FillBuffer(pSample);
    if (hr != S_OK && hr != S_FALSE)
        Trace("from %s::FillBuffer()", m_kind.pszClassName);
    return hr;
}

HRESULT CASFSourceFilterOutputPin::_FillBuffer(IMediaSample* pSample)
{
    if (pSample == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER);
        Trace("pSample = %llx", Hex(pSample));
        return hr;
    }
    BYTE* pbBuffer = nullptr;
    HRESULT hr = pSample->GetPointer(&pbBuffer);
    if (hr != S_OK)
        return ReportCallError(hr, m_kind.pszClassName, __LINE__);
    SampleBuffer pPacket;
    hr = _TakeSample(pSample, &pPacket);
    if (hr == S_OK)
        std::memcpy(pbBuffer, pPacket->data, static_cast<size_t>(pPacket->size));
    return hr;
}

HRESULT CASFSourceFilterOutputPin::_TakeSample(IMediaSample* pSample, SampleBuffer* ppPacket)
{
    LONGLONG llSampleTime = 0;
    LONGLONG llDuration = 0;
    HRESULT hr = (m_pReader->*m_kind.pfnTakeSample)(ppPacket, &llSampleTime, &llDuration);
    if (hr == NS_E_NO_MORE_SAMPLES)
        return S_FALSE;
    if (hr != S_OK)
        return hr;
    // A sample that does not fit is refused rather than cut: a cut sample
    // would reach the decoder as corrupt data.
    const auto cbData = static_cast<LONGLONG>((*ppPacket)->size);
    if (cbData > pSample->GetSize()) {
        hr = ReportError(ERROR_INSUFFICIENT_BUFFER, "The sample of %lld bytes does not fit the buffer of %lld bytes",
                         static_cast<long long>(cbData), static_cast<long long>(pSample->GetSize()));
        Trace("llSampleTime = %lld", static_cast<long long>(llSampleTime));
        return hr;
    }
    pSample->SetActualDataLength(cbData);
    pSample->SetSyncPoint(TRUE);
    return _StampSample(pSample, llSampleTime, llDuration);
}

HRESULT CASFSourceFilterOutputPin::_StampSample(IMediaSample* pSample, LONGLONG llSampleTime, LONGLONG llDuration)
{
    const double dRate = Rate();
    const LONGLONG llStart = StartPosition();
    REFERENCE_TIME rtStart = ToReferenceTime(static_cast<double>(llSampleTime - llStart) / dRate);
    REFERENCE_TIME rtEnd = ToReferenceTime(static_cast<double>(llSampleTime - llStart + llDuration) / dRate);
    HRESULT hr = pSample->SetTime(&rtStart, &rtEnd);
    if (hr != S_OK) {
        ReportError(hr, "시간을 설정할 수 없습니다");
        Trace("reftStart = %lld, reftEnd = %lld", static_cast<long long>(rtStart), static_cast<long long>(rtEnd));
        Trace("from %s", "IMediaSample::SetTime()");
        return hr;
    }
    LONGLONG llSampleEnd = llSampleTime + llDuration;
    pSample->SetMediaTime(&llSampleTime, &llSampleEnd);
    // The whole sample lies before the start position: decode it, show nothing.
    if (rtEnd < 0)
        pSample->SetPreroll(TRUE);
    return S_OK;
}

LONGLONG CASFSourceFilterOutputPin::GetMediaDuration()
{
    return m_pFilter->GetPlayTime();
}

HRESULT CASFSourceFilterOutputPin::ChangeStart()
{
    guint32 seqnum = gst_util_seqnum_next();
    bool wasStreaming = SuspendForSeek(seqnum);
    HRESULT hr = m_pFilter->Restart(StartPosition(), this);
    if (wasStreaming)
        ResumeAfterSeek(seqnum);
    return hr;
}

HRESULT CASFSourceFilterOutputPin::ChangeStop()
{
    return S_OK;
}

HRESULT CASFSourceFilterOutputPin::ChangeRate()
{
    return S_OK;
}

HRESULT CASFSourceFilterOutputPin::Activate(bool fActive)
{
    std::lock_guard lock(m_taskLock);
    if (!fActive) {
        if (m_isActive)
            _StopTask();
        m_isActive = false;
        return S_OK;
    }
    m_isActive = true;
    return _StartStreamingIfLinked();
}

void CASFSourceFilterOutputPin::OnLinked()
{
    std::lock_guard lock(m_taskLock);
    if (m_isActive && m_pGate == nullptr)
        _StartStreamingIfLinked();
}

HRESULT CASFSourceFilterOutputPin::_StartStreamingIfLinked()
{
    // Only a linked pad streams: nothing would take what it pushes.
    if (!gst_pad_is_linked(m_pPad))
        return S_OK;
    m_pGate = std::make_shared<CSampleGate>(kBufferCount * _BufferSize());
    m_needStartEvents = true;
    m_needSegment = true;
    m_hasDelivered = false;
    _StartTask();
    return S_OK;
}

void CASFSourceFilterOutputPin::_StartTask()
{
    m_isDiscont = true;
    m_llPosition = StartPosition();
    m_isStreaming = gst_pad_start_task(m_pPad, _Loop, this, nullptr) != FALSE;
}

void CASFSourceFilterOutputPin::_StopTask()
{
    if (m_pGate != nullptr)
        m_pGate->SetFlushing(true);
    gst_pad_stop_task(m_pPad);
    m_isStreaming = false;
    m_pGate.reset();
}

bool CASFSourceFilterOutputPin::SuspendForSeek(guint32 seqnum)
{
    std::lock_guard lock(m_taskLock);
    if (!m_isStreaming)
        return false;
    GstEvent* pEvent = gst_event_new_flush_start();
    gst_event_set_seqnum(pEvent, seqnum);
    gst_pad_push_event(m_pPad, pEvent);
    m_pGate->SetFlushing(true);
    gst_pad_pause_task(m_pPad);
    m_isStreaming = false;
    return true;
}

void CASFSourceFilterOutputPin::ResumeAfterSeek(guint32 seqnum)
{
    std::lock_guard lock(m_taskLock);
    // A stop that came during the seek has ended the pin's streaming.
    if (!m_isActive || m_pGate == nullptr)
        return;
    GstEvent* pEvent = gst_event_new_flush_stop(TRUE);
    gst_event_set_seqnum(pEvent, seqnum);
    gst_pad_push_event(m_pPad, pEvent);
    m_pGate->SetFlushing(false);
    m_seqnum = seqnum;
    m_needSegment = true;
    _StartTask();
}

void CASFSourceFilterOutputPin::_Loop(gpointer pPin)
{
    auto* pThis = static_cast<CASFSourceFilterOutputPin*>(pPin);
    if (pThis->m_needStartEvents) {
        pThis->_PushStartEvents();
        if (pThis->m_needStartEvents)
            return;
    }
    if (pThis->m_needSegment) {
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        // A rate of zero or below never reaches the stamps through a seek.
        segment.rate = pThis->Rate() > 0 ? pThis->Rate() : 1.0;
        segment.start = ToClockTime(std::max<LONGLONG>(pThis->StartPosition(), 0));
        segment.time = segment.start;
        segment.position = segment.start;
        GstEvent* pEvent = gst_event_new_segment(&segment);
        if (pThis->m_seqnum != GST_SEQNUM_INVALID)
            gst_event_set_seqnum(pEvent, pThis->m_seqnum);
        gst_pad_push_event(pThis->m_pPad, pEvent);
        pThis->m_needSegment = false;
    }
    GstFlowReturn flow = pThis->_PushSample();
    if (flow != GST_FLOW_OK)
        pThis->_EndStreaming(flow);
}

void CASFSourceFilterOutputPin::_PushStartEvents()
{
    GstCaps* pCaps = GetCaps();
    if (pCaps == nullptr) {
        GST_ELEMENT_ERROR(m_pFilter->GetElement(), STREAM, CODEC_NOT_FOUND, (nullptr),
                          ("The %s stream has a format that is not supported", Name()));
        _EndStreaming(GST_FLOW_ERROR);
        return;
    }
    gchar* pszStreamId = gst_pad_create_stream_id(m_pPad, m_pFilter->GetElement(), GST_PAD_NAME(m_pPad));
    GstEvent* pEvent = gst_event_new_stream_start(pszStreamId);
    g_free(pszStreamId);
    gst_event_set_group_id(pEvent, m_pFilter->GroupId());
    gst_pad_push_event(m_pPad, pEvent);
    gst_pad_push_event(m_pPad, gst_event_new_caps(pCaps));
    gst_caps_unref(pCaps);
    m_needStartEvents = false;
}

// Pushes the stream's next sample in the reader's memory, once the gate has
// room for it; the room comes back when downstream frees the buffer.
GstFlowReturn CASFSourceFilterOutputPin::_PushSample()
{
    // A sample with no memory of its own: it carries the size bound and the stamps.
    CBufferSample sample(nullptr, static_cast<LONGLONG>(_BufferSize()));
    SampleBuffer pPacket;
    HRESULT hr = S_OK;
    {
        std::lock_guard lock(m_lock);
        hr = _TakeSample(&sample, &pPacket);
    }
    if (hr != S_OK)
        return _FlowOfFailedSample(hr);
    // A sample read while a seek or a stop begins is dropped: the pin starts
    // again from the new position, or not at all.
    const auto cbTaken = static_cast<std::size_t>(pPacket->size);
    if (!m_pGate->Acquire(cbTaken))
        return GST_FLOW_FLUSHING;
    GstBuffer* pBuffer = _WrapSample(std::move(pPacket), cbTaken);
    LONGLONG llStart = 0;
    LONGLONG llEnd = 0;
    sample.GetMediaTime(&llStart, &llEnd);
    GST_BUFFER_PTS(pBuffer) = ToClockTime(llStart);
    GST_BUFFER_DURATION(pBuffer) = llEnd > llStart ? ToClockTime(llEnd - llStart) : GST_CLOCK_TIME_NONE;
    if (sample.IsPreroll() == S_OK)
        GST_BUFFER_FLAG_SET(pBuffer, GST_BUFFER_FLAG_DECODE_ONLY);
    if (m_isDiscont)
        GST_BUFFER_FLAG_SET(pBuffer, GST_BUFFER_FLAG_DISCONT);
    m_isDiscont = false;
    m_llPosition = llStart;
    m_hasDelivered = true;
    return gst_pad_push(m_pPad, pBuffer);
}

GstFlowReturn CASFSourceFilterOutputPin::_FlowOfFailedSample(HRESULT hr)
{
    if (hr == S_FALSE)
        return GST_FLOW_EOS;
    Trace("from %s::FillBuffer()", m_kind.pszClassName);
    // Each pin streams on a thread of its own: its own report, not another
    // pin's made meanwhile.
    GST_ELEMENT_ERROR(m_pFilter->GetElement(), STREAM, DEMUX, (nullptr), ("%s", LastReportOfThisThread().c_str()));
    return GST_FLOW_ERROR;
}

// A read-only buffer over the packet's bytes that owns the packet and the
// room it took in the gate.
GstBuffer* CASFSourceFilterOutputPin::_WrapSample(SampleBuffer pPacket, std::size_t cbTaken)
{
    BYTE* pbData = pPacket->data;
    const auto cbData = static_cast<gsize>(pPacket->size);
    auto* pInFlight = new InFlightSample{std::move(pPacket), m_pGate, cbTaken};
    return gst_buffer_new_wrapped_full(GST_MEMORY_FLAG_READONLY, pbData, cbData, 0, cbData, pInFlight,
                                       FreeInFlightSample);
}

// A stream that ends before a single sample of it was read from the file's
// start (or from a start inside its play time) has no usable data (a broken packet size, an empty data
// object, a file cut short): a failure, not an end.
void CASFSourceFilterOutputPin::_PostNoSampleError()
{
    ReportError(ERROR_BAD_FORMAT, "The %s stream of the file holds no sample", GST_PAD_NAME(m_pPad));
    Trace("from %s::FillBuffer()", m_kind.pszClassName);
    GST_ELEMENT_ERROR(m_pFilter->GetElement(), STREAM, DEMUX, ("The file holds no %s data.", GST_PAD_NAME(m_pPad)),
                      ("%s", LastReportOfThisThread().c_str()));
}

// Ends the task's pushing: at the end of the stream and on a failure the
// pad delivers end of stream (after the error, for a failure); a flush
// only pauses the task until the seek restarts it.
void CASFSourceFilterOutputPin::_EndStreaming(GstFlowReturn flow)
{
    gst_pad_pause_task(m_pPad);
    if (flow == GST_FLOW_FLUSHING)
        return;
    if (flow != GST_FLOW_EOS && flow != GST_FLOW_ERROR)
        GST_ELEMENT_FLOW_ERROR(m_pFilter->GetElement(), flow);
    if (flow == GST_FLOW_EOS && !m_hasDelivered &&
        (StartPosition() <= 0 || StartPosition() < m_pFilter->GetPlayTime()))
        _PostNoSampleError();
    GstEvent* pEvent = gst_event_new_eos();
    if (m_seqnum != GST_SEQNUM_INVALID)
        gst_event_set_seqnum(pEvent, m_seqnum);
    gst_pad_push_event(m_pPad, pEvent);
}
