#include "SyncReader.h"

#include "common/ErrorText.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr AVRational kReferenceTimeBase = {1, 10000000};
constexpr AVRational kSeekTimeBase = {1, AV_TIME_BASE};

// The bound on sample sizes when the header gives none.
constexpr DWORD kUnknownMaxSampleSize = 64 * 1024;

HRESULT FromAVError(int nError)
{
    if (nError == AVERROR(ENOMEM))
        return ERROR_NOT_ENOUGH_MEMORY;
    if (nError == AVERROR_INVALIDDATA || nError == AVERROR_DEMUXER_NOT_FOUND)
        return NS_E_INVALID_INPUT_FORMAT;
    if (nError < 0 && nError > -0x10000)
        return Win32ErrorFromErrno(AVUNERROR(nError));
    return E_FAIL;
}

LONGLONG ToReferenceTime(int64_t llValue, AVRational timeBase)
{
    return av_rescale_q(llValue, timeBase, kReferenceTimeBase);
}

DWORD ClampToDword(int64_t llValue)
{
    return static_cast<DWORD>(std::clamp<int64_t>(llValue, 0, std::numeric_limits<DWORD>::max()));
}

size_t FormatSize(const AVCodecParameters& params)
{
    size_t cbHeader = params.codec_type == AVMEDIA_TYPE_VIDEO ? sizeof(VIDEOINFOHEADER) : sizeof(WAVEFORMATEX);
    return cbHeader + static_cast<size_t>(params.extradata_size);
}

// The codec's private data goes right after the format structure.
void CopyCodecData(const AVCodecParameters& params, void* pDestination)
{
    if (params.extradata_size > 0)
        std::memcpy(pDestination, params.extradata, static_cast<size_t>(params.extradata_size));
}

void FillVideoFormat(const AVStream& stream, VIDEOINFOHEADER* pFormat)
{
    const AVCodecParameters& params = *stream.codecpar;
    *pFormat = {};
    pFormat->rcSource = {0, 0, params.width, params.height};
    pFormat->rcTarget = pFormat->rcSource;
    pFormat->dwBitRate = ClampToDword(params.bit_rate);
    if (stream.avg_frame_rate.num > 0 && stream.avg_frame_rate.den > 0)
        pFormat->AvgTimePerFrame = av_rescale_q(1, av_inv_q(stream.avg_frame_rate), kReferenceTimeBase);
    BITMAPINFOHEADER& header = pFormat->bmiHeader;
    header.biSize = static_cast<DWORD>(sizeof(BITMAPINFOHEADER) + static_cast<size_t>(params.extradata_size));
    header.biWidth = params.width;
    header.biHeight = params.height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(std::clamp(params.bits_per_coded_sample, 0, 0xFFFF));
    header.biCompression = params.codec_tag;
    // The pixel aspect ratio the file gives (the header's aspect ratio
    // attributes, else the codec's), as the pixel densities across and down:
    // a pixel twice as wide as high has half as many pixels per metre
    // across. Left 0 (unknown) when the file gives none.
    AVRational par = av_guess_sample_aspect_ratio(nullptr, const_cast<AVStream*>(&stream), nullptr);
    if (par.num > 0 && par.den > 0) {
        header.biXPelsPerMeter = par.den;
        header.biYPelsPerMeter = par.num;
    }
    CopyCodecData(params, pFormat + 1);
}

void FillAudioFormat(const AVCodecParameters& params, WAVEFORMATEX* pFormat)
{
    *pFormat = {};
    pFormat->wFormatTag = static_cast<WORD>(params.codec_tag);
    pFormat->nChannels = static_cast<WORD>(std::clamp(params.ch_layout.nb_channels, 0, 0xFFFF));
    pFormat->nSamplesPerSec = ClampToDword(params.sample_rate);
    pFormat->nAvgBytesPerSec = ClampToDword(params.bit_rate / 8);
    pFormat->nBlockAlign = static_cast<WORD>(std::clamp(params.block_align, 0, 0xFFFF));
    pFormat->wBitsPerSample = static_cast<WORD>(std::clamp(params.bits_per_coded_sample, 0, 0xFFFF));
    pFormat->cbSize = static_cast<WORD>(params.extradata_size);
    CopyCodecData(params, pFormat + 1);
}

GUID MajorType(const AVCodecParameters& params)
{
    switch (params.codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        return WMMEDIATYPE_Video;
    case AVMEDIA_TYPE_AUDIO:
        return WMMEDIATYPE_Audio;
    default:
        return GUID_NULL;
    }
}

} // namespace

void PacketDeleter::operator()(AVPacket* pPacket) const
{
    av_packet_free(&pPacket);
}

CSyncReader::CSyncReader(size_t cbMaxQueued) : m_cbMaxQueued(cbMaxQueued) {}

CSyncReader::~CSyncReader()
{
    Close();
}

HRESULT CSyncReader::OpenStream(CStream* pStream)
{
    if (pStream == nullptr)
        return E_POINTER;
    Close();
    // libavformat starts reading where it believes the file starts.
    HRESULT hr = pStream->Seek(0, STREAM_SEEK_SET, nullptr);
    if (hr == S_OK)
        hr = m_io.Create(pStream);
    if (hr != S_OK)
        return hr;
    m_pFormat = avformat_alloc_context();
    if (m_pFormat == nullptr)
        return ERROR_NOT_ENOUGH_MEMORY;
    m_pFormat->pb = m_io.Get();
    int nError = avformat_open_input(&m_pFormat, nullptr, av_find_input_format("asf"), nullptr);
    if (nError < 0) {
        // A failed open frees the format context but not our I/O context.
        m_io.Free();
        return FromAVError(nError);
    }
    pStream->AddRef();
    m_pStream = pStream;
    LONGLONG llAvailable = 0;
    if (pStream->GetLength(&m_llOpenedLength, &llAvailable) != S_OK)
        m_llOpenedLength = -1;
    m_streams = std::vector<StreamState>(m_pFormat->nb_streams);
    for (unsigned i = 0; i < m_pFormat->nb_streams; ++i)
        m_pFormat->streams[i]->discard = AVDISCARD_ALL;
    m_fEndOfFile = false;
    m_fHasRangeEnd = false;
    return S_OK;
}

void CSyncReader::Close()
{
    m_streams.clear();
    avformat_close_input(&m_pFormat);
    m_io.Free();
    if (m_pStream != nullptr)
        m_pStream->Release();
    m_pStream = nullptr;
}

HRESULT CSyncReader::GetStreamCount(DWORD* pcStreams)
{
    if (pcStreams == nullptr)
        return E_POINTER;
    if (m_pFormat == nullptr)
        return NS_E_INVALID_REQUEST;
    *pcStreams = m_pFormat->nb_streams;
    return S_OK;
}

HRESULT CSyncReader::GetStream(DWORD dwStreamIndex, GUID* pType, WORD* pwStreamNum)
{
    if (pType == nullptr || pwStreamNum == nullptr)
        return E_POINTER;
    if (m_pFormat == nullptr)
        return NS_E_INVALID_REQUEST;
    if (dwStreamIndex >= m_pFormat->nb_streams)
        return E_INVALIDARG;
    const AVStream& stream = *m_pFormat->streams[dwStreamIndex];
    *pwStreamNum = static_cast<WORD>(stream.id);
    // A stream whose number a later stream repeats never gets a sample: it
    // counts as a stream of no kind we read.
    int nIndex = 0;
    bool fReachable = _FindStream(*pwStreamNum, &nIndex) == S_OK && static_cast<DWORD>(nIndex) == dwStreamIndex;
    *pType = fReachable ? MajorType(*stream.codecpar) : GUID_NULL;
    return S_OK;
}

HRESULT CSyncReader::GetAttributeByName(WORD wStreamNum, const char* pszName, WMT_ATTR_DATATYPE* pType,
                                        BYTE* pValue, WORD* pcbLength)
{
    if (pszName == nullptr || pType == nullptr || pcbLength == nullptr)
        return E_POINTER;
    if (m_pFormat == nullptr)
        return NS_E_INVALID_REQUEST;
    if (wStreamNum != 0 || std::strcmp(pszName, g_wszWMDuration) != 0)
        return ASF_E_NOTFOUND;
    *pType = WMT_TYPE_QWORD;
    WORD cbAvailable = *pcbLength;
    *pcbLength = sizeof(ULONGLONG);
    if (pValue == nullptr)
        return S_OK;
    if (cbAvailable < sizeof(ULONGLONG))
        return ASF_E_BUFFERTOOSMALL;
    auto cnsPlayTime = static_cast<ULONGLONG>(_PlayTime());
    std::memcpy(pValue, &cnsPlayTime, sizeof cnsPlayTime);
    return S_OK;
}

HRESULT CSyncReader::GetMediaType(WORD wStreamNum, WM_MEDIA_TYPE* pType, DWORD* pcbType)
{
    if (pcbType == nullptr)
        return E_POINTER;
    int nIndex = 0;
    HRESULT hr = _FindStream(wStreamNum, &nIndex);
    if (hr != S_OK)
        return hr;
    const AVStream& stream = *m_pFormat->streams[nIndex];
    const AVCodecParameters& params = *stream.codecpar;
    GUID majorType = MajorType(params);
    bool fVideo = majorType == WMMEDIATYPE_Video;
    if (majorType == GUID_NULL || (!fVideo && params.extradata_size > 0xFFFF))
        return NS_E_INVALID_INPUT_FORMAT;
    size_t cbFormat = FormatSize(params);
    size_t cbNeeded = sizeof(WM_MEDIA_TYPE) + cbFormat;
    if (cbNeeded > std::numeric_limits<DWORD>::max())
        return NS_E_INVALID_INPUT_FORMAT;
    DWORD cbAvailable = *pcbType;
    *pcbType = static_cast<DWORD>(cbNeeded);
    if (pType == nullptr || cbAvailable < cbNeeded)
        return ASF_E_BUFFERTOOSMALL;

    *pType = {};
    pType->majortype = majorType;
    pType->subtype = FourccGuid(params.codec_tag);
    pType->bFixedSizeSamples = !fVideo;
    pType->bTemporalCompression = fVideo;
    pType->lSampleSize = fVideo ? 0 : static_cast<ULONG>(std::max(params.block_align, 0));
    pType->formattype = fVideo ? WMFORMAT_VideoInfo : WMFORMAT_WaveFormatEx;
    pType->cbFormat = static_cast<ULONG>(cbFormat);
    pType->pbFormat = reinterpret_cast<BYTE*>(pType + 1);
    if (fVideo)
        FillVideoFormat(stream, reinterpret_cast<VIDEOINFOHEADER*>(pType->pbFormat));
    else
        FillAudioFormat(params, reinterpret_cast<WAVEFORMATEX*>(pType->pbFormat));
    return S_OK;
}

HRESULT CSyncReader::GetMaxStreamSampleSize(WORD wStreamNum, DWORD* pcbMax)
{
    if (pcbMax == nullptr)
        return E_POINTER;
    int nIndex = 0;
    HRESULT hr = _FindStream(wStreamNum, &nIndex);
    if (hr != S_OK)
        return hr;
    // An audio sample fills at most one data packet of the file, or one block
    // of its codec when that is larger.
    const AVCodecParameters& params = *m_pFormat->streams[nIndex]->codecpar;
    DWORD cbMax = std::max<DWORD>(m_pFormat->packet_size, ClampToDword(params.block_align));
    *pcbMax = cbMax != 0 ? cbMax : kUnknownMaxSampleSize;
    return S_OK;
}

HRESULT CSyncReader::SetStreamsSelected(WORD wStreamNum, bool fSelected)
{
    int nIndex = 0;
    HRESULT hr = _FindStream(wStreamNum, &nIndex);
    if (hr != S_OK)
        return hr;
    StreamState& state = m_streams[static_cast<size_t>(nIndex)];
    state.fSelected = fSelected;
    if (!fSelected) {
        state.queue.clear();
        state.cbQueued = 0;
    }
    m_pFormat->streams[nIndex]->discard = fSelected ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    return S_OK;
}

HRESULT CSyncReader::GetNextSample(WORD wStreamNum, SampleBuffer* ppSample, LONGLONG* pcnsSampleTime,
                                   LONGLONG* pcnsDuration, DWORD* pdwFlags)
{
    if (ppSample == nullptr || pcnsSampleTime == nullptr || pcnsDuration == nullptr || pdwFlags == nullptr)
        return E_POINTER;
    int nIndex = 0;
    HRESULT hr = _FindStream(wStreamNum, &nIndex);
    if (hr != S_OK)
        return hr;
    StreamState& state = m_streams[static_cast<size_t>(nIndex)];
    if (!state.fSelected)
        return NS_E_INVALID_REQUEST;
    hr = _FillQueue(nIndex);
    if (hr != S_OK)
        return hr;
    if (state.queue.empty())
        return NS_E_NO_MORE_SAMPLES;
    LONGLONG cnsTime = state.cnsNextTime;
    _SampleTime(*state.queue.front(), &cnsTime);
    if (m_fHasRangeEnd && cnsTime >= m_cnsRangeEnd)
        return NS_E_NO_MORE_SAMPLES;

    *ppSample = _PopSample(nIndex, cnsTime, pcnsDuration, pdwFlags);
    *pcnsSampleTime = cnsTime;
    return S_OK;
}

// Takes the stream's first sample, which starts at `cnsTime`.
SampleBuffer CSyncReader::_PopSample(int nIndex, LONGLONG cnsTime, LONGLONG* pcnsDuration, DWORD* pdwFlags)
{
    StreamState& state = m_streams[static_cast<size_t>(nIndex)];
    SampleBuffer pSample = std::move(state.queue.front());
    state.queue.pop_front();
    state.cbQueued -= static_cast<size_t>(pSample->size);
    LONGLONG cnsDuration = _SampleDuration(nIndex, *pSample, cnsTime);
    state.cnsLastDuration = cnsDuration;
    if (__builtin_add_overflow(cnsTime, cnsDuration, &state.cnsNextTime))
        state.cnsNextTime = cnsTime;

    DWORD dwFlags = 0;
    if (pSample->flags & AV_PKT_FLAG_KEY)
        dwFlags |= WM_SF_CLEANPOINT;
    if (pSample->flags & AV_PKT_FLAG_CORRUPT)
        dwFlags |= WM_SF_DATALOSS;
    if (state.fDiscontinuity)
        dwFlags |= WM_SF_DISCONTINUITY;
    state.fDiscontinuity = false;
    *pcnsDuration = cnsDuration;
    *pdwFlags = dwFlags;
    return pSample;
}

HRESULT CSyncReader::SetRange(LONGLONG cnsStartTime, LONGLONG cnsDuration)
{
    if (m_pFormat == nullptr)
        return NS_E_INVALID_REQUEST;
    if (cnsStartTime < 0)
        return E_INVALIDARG;
    int64_t llTarget = av_rescale_q(cnsStartTime, kReferenceTimeBase, kSeekTimeBase);
    int nError = av_seek_frame(m_pFormat, -1, llTarget, AVSEEK_FLAG_BACKWARD);
    if (nError < 0)
        return FromAVError(nError);
    _ClearQueues();
    m_fEndOfFile = false;
    m_fHasRangeEnd = cnsDuration > 0 && !__builtin_add_overflow(cnsStartTime, cnsDuration, &m_cnsRangeEnd);
    return _ReadToLastKeyFrame(cnsStartTime);
}

// The index leads to a key frame up to one index interval before the start.
// Reading on until every selected video stream has passed the start finds
// the last key frame at or before it, where those streams then begin.
HRESULT CSyncReader::_ReadToLastKeyFrame(LONGLONG cnsStartTime)
{
    m_cnsKeyFrameTarget = cnsStartTime;
    HRESULT hr = S_OK;
    while (hr == S_OK && !m_fEndOfFile && !_VideoPassed(cnsStartTime))
        hr = _ReadPacket();
    m_cnsKeyFrameTarget = -1;
    return hr;
}

bool CSyncReader::_VideoPassed(LONGLONG cnsTime) const
{
    for (size_t i = 0; i < m_streams.size(); ++i) {
        const StreamState& state = m_streams[i];
        if (!state.fSelected || m_pFormat->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
            continue;
        LONGLONG cnsLast = 0;
        if (state.queue.empty() || !_SampleTime(*state.queue.back(), &cnsLast) || cnsLast <= cnsTime)
            return false;
    }
    return true;
}

HRESULT CSyncReader::_FindStream(WORD wStreamNum, int* pnIndex) const
{
    if (m_pFormat == nullptr)
        return NS_E_INVALID_REQUEST;
    // Stream numbers run from 1; when a damaged header repeats a number, the
    // demuxer delivers that number's samples to the last stream that has it.
    for (int i = static_cast<int>(m_pFormat->nb_streams) - 1; i >= 0 && wStreamNum != 0; --i) {
        if (m_pFormat->streams[i]->id == wStreamNum) {
            *pnIndex = i;
            return S_OK;
        }
    }
    return NS_E_INVALID_STREAM;
}

// Reads until the stream's first sample is known with its duration, which a
// sample without one takes from the next sample of its stream.
HRESULT CSyncReader::_FillQueue(int nIndex)
{
    const std::deque<SampleBuffer>& queue = m_streams[static_cast<size_t>(nIndex)].queue;
    HRESULT hr = S_OK;
    while (hr == S_OK && !m_fEndOfFile && (queue.empty() || (queue.size() == 1 && queue.front()->duration <= 0)))
        hr = _ReadPacket();
    return hr;
}

HRESULT CSyncReader::_ReadPacket()
{
    SampleBuffer pSample(av_packet_alloc());
    if (pSample == nullptr)
        return ERROR_NOT_ENOUGH_MEMORY;
    int nError = av_read_frame(m_pFormat, pSample.get());
    if (nError == AVERROR_EOF)
        return _EndOfFile();
    if (nError < 0)
        return FromAVError(nError);
    _Enqueue(std::move(pSample));
    return S_OK;
}

// The end of the data is the end of the samples, unless the file has become
// shorter since it was opened: then what was left unread is lost, and the
// end is a failure the player can tell the user of.
HRESULT CSyncReader::_EndOfFile()
{
    m_fEndOfFile = true;
    LONGLONG llLength = 0;
    LONGLONG llAvailable = 0;
    if (m_llOpenedLength > 0 && m_pStream->GetLength(&llLength, &llAvailable) == S_OK && llLength < m_llOpenedLength)
        return ERROR_HANDLE_EOF;
    return S_OK;
}

void CSyncReader::_Enqueue(SampleBuffer pSample)
{
    if (pSample->stream_index < 0 || static_cast<size_t>(pSample->stream_index) >= m_streams.size())
        return;
    StreamState& state = m_streams[static_cast<size_t>(pSample->stream_index)];
    if (!state.fSelected)
        return;
    // A later key frame at or before a seek's start makes what came before
    // it of no use.
    LONGLONG cnsTime = 0;
    if (m_cnsKeyFrameTarget >= 0 && (pSample->flags & AV_PKT_FLAG_KEY) != 0 &&
        m_pFormat->streams[pSample->stream_index]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
        _SampleTime(*pSample, &cnsTime) && cnsTime <= m_cnsKeyFrameTarget) {
        state.queue.clear();
        state.cbQueued = 0;
    }
    state.cbQueued += static_cast<size_t>(pSample->size);
    state.queue.push_back(std::move(pSample));
    while (state.cbQueued > m_cbMaxQueued && state.queue.size() > 1) {
        state.cbQueued -= static_cast<size_t>(state.queue.front()->size);
        state.queue.pop_front();
        state.fDiscontinuity = true;
    }
}

void CSyncReader::_ClearQueues()
{
    for (StreamState& state : m_streams) {
        state.queue.clear();
        state.cbQueued = 0;
        state.fDiscontinuity = true;
        state.cnsLastDuration = 0;
        state.cnsNextTime = 0;
    }
}

// The play time of the file from its header, without the preroll; 0 when the
// header gives none.
LONGLONG CSyncReader::_PlayTime() const
{
    LONGLONG cnsPlayTime = 0;
    for (unsigned i = 0; i < m_pFormat->nb_streams; ++i) {
        const AVStream& stream = *m_pFormat->streams[i];
        if (stream.duration != AV_NOPTS_VALUE)
            cnsPlayTime = std::max(cnsPlayTime, ToReferenceTime(stream.duration, stream.time_base));
    }
    return cnsPlayTime;
}

// A sample without a time stamp of its own follows the one before it.
bool CSyncReader::_SampleTime(const AVPacket& packet, LONGLONG* pcnsTime) const
{
    int64_t llTime = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    if (llTime == AV_NOPTS_VALUE)
        return false;
    *pcnsTime = ToReferenceTime(llTime, m_pFormat->streams[packet.stream_index]->time_base);
    return true;
}

LONGLONG CSyncReader::_SampleDuration(int nIndex, const AVPacket& packet, LONGLONG cnsTime) const
{
    const StreamState& state = m_streams[static_cast<size_t>(nIndex)];
    if (packet.duration > 0)
        return ToReferenceTime(packet.duration, m_pFormat->streams[nIndex]->time_base);
    LONGLONG cnsNextTime = 0;
    LONGLONG cnsDuration = 0;
    if (!state.queue.empty() && _SampleTime(*state.queue.front(), &cnsNextTime) &&
        !__builtin_sub_overflow(cnsNextTime, cnsTime, &cnsDuration) && cnsDuration > 0)
        return cnsDuration;
    return state.cnsLastDuration;
}
