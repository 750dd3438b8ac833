#include "ASFReader.h"

#include "common/Report.h"

extern "C" {
#include <libavcodec/packet.h>
}

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

constexpr const char* kReaderModule = "CASFReader";

// The size of one uncompressed frame of the header: rows padded to four bytes.
// False when it does not fit in 32 bits.
bool UncompressedFrameSize(const BITMAPINFOHEADER& header, DWORD* pcbFrame)
{
    auto cPixels = static_cast<uint64_t>(std::abs(static_cast<int64_t>(header.biWidth)));
    auto cRows = static_cast<uint64_t>(std::abs(static_cast<int64_t>(header.biHeight)));
    uint64_t cbRow = ((cPixels * header.biBitCount + 31) / 8) & ~uint64_t{3};
    if (cRows != 0 && cbRow > std::numeric_limits<DWORD>::max() / cRows)
        return false;
    *pcbFrame = static_cast<DWORD>(cbRow * cRows);
    return true;
}

} // namespace

CASFReader::~CASFReader()
{
    _Release();
}

HRESULT CASFReader::Init(CStream* pStream)
{
    if (pStream == nullptr)
        return ArgumentFault("CASFReader::Init()", "pStream = %llx", Hex(pStream));
    std::lock_guard lock(m_lock);
    HRESULT hr = _Init(pStream);
    if (hr != S_OK)
        Trace("from %s", "CASFReader::Init()");
    return hr;
}

HRESULT CASFReader::_Init(CStream* pStream)
{
    _Release();
    m_pReader.reset(new (std::nothrow) CSyncReader());
    if (m_pReader == nullptr) {
        HRESULT hr = ReportError(ERROR_NOT_ENOUGH_MEMORY, "WMSyncReader 객체를 생성할 수 없습니다");
        Trace("from %s", "WMCreateSyncReader()");
        return hr;
    }
    HRESULT hr = m_pReader->OpenStream(pStream);
    if (hr != S_OK) {
        ReportError(hr, "스트림을 열 수 없습니다");
        Trace("from %s", "IWMSyncReader::OpenStream()");
        return hr;
    }
    if ((hr = _GetStreamNumber()) != S_OK || (hr = _GetPlayTime()) != S_OK || (hr = _GetReadyReadingSample()) != S_OK)
        return hr;
    if (m_wVideoStreamNum == 0 && m_wAudioStreamNum == 0) {
        hr = ReportError(NS_E_INVALID_STREAM, "The file has neither a video nor an audio stream");
        Trace("from %s", "CASFReader::_Init()");
        return hr;
    }
    // Only the streams the file has get a media type; a sound-only or a
    // picture-only file is read as such.
    if (m_wVideoStreamNum != 0 &&
        ((hr = _GetMediaTypes(m_wVideoStreamNum, &m_pVideoMediaType)) != S_OK || (hr = _SetVideoFrameSize()) != S_OK))
        return hr;
    return m_wAudioStreamNum != 0 ? _GetMediaTypes(m_wAudioStreamNum, &m_pAudioMediaType) : S_OK;
}

HRESULT CASFReader::_ReopenIfReset()
{
    CStream* pStream = std::exchange(m_pResetStream, nullptr);
    if (pStream == nullptr)
        return S_OK;
    HRESULT hr = _Init(pStream);
    if (hr != S_OK)
        Trace("from %s", "CASFReader::Reset()");
    return hr;
}

void CASFReader::_Release()
{
    m_pResetStream = nullptr;
    if (m_pReader != nullptr)
        m_pReader->Close();
    m_pReader.reset();
    m_pVideoMediaType.reset();
    m_pAudioMediaType.reset();
    m_wVideoStreamNum = 0;
    m_wAudioStreamNum = 0;
    m_cnsPlayTime = 0;
}

HRESULT CASFReader::_GetStreamNumber()
{
    m_wVideoStreamNum = 0;
    m_wAudioStreamNum = 0;
    DWORD cStreams = 0;
    HRESULT hr = m_pReader->GetStreamCount(&cStreams);
    if (hr != S_OK) {
        ReportCallError(hr, kReaderModule, __LINE__);
        Trace("from %s", "CASFReader::_GetStreamNumber()");
        return hr;
    }
    // With several streams of one type, the last one found is used.
    for (DWORD i = 0; i < cStreams; ++i) {
        GUID type = GUID_NULL;
        WORD wStreamNum = 0;
        hr = m_pReader->GetStream(i, &type, &wStreamNum);
        if (hr != S_OK) {
            ReportCallError(hr, kReaderModule, __LINE__);
            Trace("from %s", "CASFReader::_GetStreamNumber()");
            return hr;
        }
        if (type == WMMEDIATYPE_Video)
            m_wVideoStreamNum = wStreamNum;
        else if (type == WMMEDIATYPE_Audio)
            m_wAudioStreamNum = wStreamNum;
    }
    return S_OK;
}

HRESULT CASFReader::_GetPlayTime()
{
    WMT_ATTR_DATATYPE type = WMT_TYPE_QWORD;
    WORD wLength = 0;
    m_pReader->GetAttributeByName(0, g_wszWMDuration, &type, nullptr, &wLength);
    std::unique_ptr<BYTE[]> pbValue(new (std::nothrow) BYTE[wLength]);
    if (pbValue == nullptr) {
        HRESULT hr = ReportError(ERROR_NOT_ENOUGH_MEMORY);
        Trace("wLength = %d", wLength);
        Trace("from %s", "CASFReader::_GetPlayTime()");
        return hr;
    }
    HRESULT hr = m_pReader->GetAttributeByName(0, g_wszWMDuration, &type, pbValue.get(), &wLength);
    if (hr != S_OK) {
        ReportError(hr, "파일의 재생ㄴ 시간을 구할 수 없습니다");
        Trace("from %s", "IWMHeaderInfo::GetAttributeByName()");
        Trace("from %s", "CASFReader::_GetPlayTime()");
        return hr;
    }
    m_cnsPlayTime = 0;
    if (type == WMT_TYPE_QWORD && wLength >= sizeof(LONGLONG))
        std::memcpy(&m_cnsPlayTime, pbValue.get(), sizeof(LONGLONG));
    return S_OK;
}

HRESULT CASFReader::_GetReadyReadingSample()
{
    for (WORD wStreamNum : {m_wAudioStreamNum, m_wVideoStreamNum}) {
        if (wStreamNum == 0)
            continue;
        HRESULT hr = m_pReader->SetStreamsSelected(wStreamNum, true);
        if (hr != S_OK) {
            ReportCallError(hr, kReaderModule, __LINE__);
            Trace("from %s", "CASFReader::_GetReadyReadingSample()");
            return hr;
        }
    }
    return S_OK;
}

HRESULT CASFReader::_GetMediaTypes(WORD wStreamNum, MediaTypePtr* ppMediaType)
{
    DWORD cbType = 0;
    MediaTypePtr pType;
    HRESULT hr = m_pReader->GetMediaType(wStreamNum, nullptr, &cbType);
    if (hr == ASF_E_BUFFERTOOSMALL || hr == S_OK) {
        pType.reset(static_cast<WM_MEDIA_TYPE*>(std::malloc(cbType)));
        if (pType == nullptr) {
            hr = ReportError(ERROR_NOT_ENOUGH_MEMORY);
            Trace("from %s", "CASFReader::_GetMediaTypes()");
            return hr;
        }
        hr = m_pReader->GetMediaType(wStreamNum, pType.get(), &cbType);
    }
    if (hr != S_OK) {
        ReportError(hr, "미디어 타입을 알 수 없습니다");
        Trace("from %s", "IWMMediaProps::GetMediaType()");
        Trace("from %s", "CASFReader::_GetMediaTypes()");
        return hr;
    }
    DWORD cbMaxSample = 0;
    hr = m_pReader->GetMaxStreamSampleSize(wStreamNum, &cbMaxSample);
    if (hr != S_OK) {
        ReportCallError(hr, kReaderModule, __LINE__);
        Trace("from %s", "CASFReader::_GetMediaTypes()");
        return hr;
    }
    pType->lSampleSize = cbMaxSample;
    *ppMediaType = std::move(pType);
    return S_OK;
}

// The video buffers hold an uncompressed frame, so every compressed frame fits.
HRESULT CASFReader::_SetVideoFrameSize()
{
    if (m_pVideoMediaType->formattype != WMFORMAT_VideoInfo || m_pVideoMediaType->cbFormat < sizeof(VIDEOINFOHEADER)) {
        HRESULT hr = ReportError(NS_E_INVALID_INPUT_FORMAT, "The video stream has no video format");
        Trace("from %s", "CASFReader::_SetVideoFrameSize()");
        return hr;
    }
    auto& header = reinterpret_cast<VIDEOINFOHEADER*>(m_pVideoMediaType->pbFormat)->bmiHeader;
    if (!UncompressedFrameSize(header, &header.biSizeImage)) {
        HRESULT hr = ReportError(NS_E_INVALID_INPUT_FORMAT, "The video frame of %d x %d at %d bits is too large",
                                 header.biWidth, header.biHeight, header.biBitCount);
        Trace("from %s", "CASFReader::_SetVideoFrameSize()");
        return hr;
    }
    return S_OK;
}

HRESULT CASFReader::GetVideoSample(BYTE** ppbBuffer, DWORD* pcbLength, LONGLONG* pcnsSampleTime,
                                   LONGLONG* pcnsDuration)
{
    return _GetStreamSample("CASFReader::GetVideoSample()", &CASFReader::m_wVideoStreamNum,
                            &CASFReader::m_pVideoSample, ppbBuffer, pcbLength, pcnsSampleTime, pcnsDuration);
}

HRESULT CASFReader::GetAudioSample(BYTE** ppbBuffer, DWORD* pcbLength, LONGLONG* pcnsSampleTime,
                                   LONGLONG* pcnsDuration)
{
    return _GetStreamSample("CASFReader::GetAudioSample()", &CASFReader::m_wAudioStreamNum,
                            &CASFReader::m_pAudioSample, ppbBuffer, pcbLength, pcnsSampleTime, pcnsDuration);
}

HRESULT CASFReader::TakeVideoSample(SampleBuffer* ppSample, LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration)
{
    return _TakeStreamSample("CASFReader::TakeVideoSample()", &CASFReader::m_wVideoStreamNum, ppSample,
                             pcnsSampleTime, pcnsDuration);
}

HRESULT CASFReader::TakeAudioSample(SampleBuffer* ppSample, LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration)
{
    return _TakeStreamSample("CASFReader::TakeAudioSample()", &CASFReader::m_wAudioStreamNum, ppSample,
                             pcnsSampleTime, pcnsDuration);
}

HRESULT CASFReader::_GetStreamSample(const char* pszCaller, StreamNumber streamNum, CurrentSample current,
                                     BYTE** ppbBuffer, DWORD* pcbLength, LONGLONG* pcnsSampleTime,
                                     LONGLONG* pcnsDuration)
{
    if (ppbBuffer == nullptr || pcbLength == nullptr || pcnsSampleTime == nullptr || pcnsDuration == nullptr)
        return ArgumentFault(pszCaller, "pbBuffer = %llx, pdwLength = %llx, pqwStartTime = %llx, pqwDuration = %llx",
                             Hex(ppbBuffer), Hex(pcbLength), Hex(pcnsSampleTime), Hex(pcnsDuration));
    SampleBuffer& pCurrent = this->*current;
    HRESULT hr = _GetNextSample(streamNum, &pCurrent, pcnsSampleTime, pcnsDuration);
    if (hr == S_OK) {
        *ppbBuffer = pCurrent->data;
        *pcbLength = static_cast<DWORD>(pCurrent->size);
    } else if (hr != NS_E_NO_MORE_SAMPLES) {
        Trace("from %s", pszCaller);
    }
    return hr;
}

HRESULT CASFReader::_TakeStreamSample(const char* pszCaller, StreamNumber streamNum, SampleBuffer* ppSample,
                                      LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration)
{
    if (ppSample == nullptr || pcnsSampleTime == nullptr || pcnsDuration == nullptr)
        return ArgumentFault(pszCaller, "ppSample = %llx, pqwStartTime = %llx, pqwDuration = %llx", Hex(ppSample),
                             Hex(pcnsSampleTime), Hex(pcnsDuration));
    HRESULT hr = _GetNextSample(streamNum, ppSample, pcnsSampleTime, pcnsDuration);
    if (hr != S_OK && hr != NS_E_NO_MORE_SAMPLES)
        Trace("from %s", pszCaller);
    return hr;
}

HRESULT CASFReader::_GetNextSample(StreamNumber streamNum, SampleBuffer* ppSample, LONGLONG* pcnsSampleTime,
                                   LONGLONG* pcnsDuration)
{
    std::lock_guard lock(m_lock);
    ppSample->reset();
    DWORD dwFlags = 0;
    HRESULT hr = _ReopenIfReset();
    if (hr != S_OK)
        return hr;
    hr = m_pReader != nullptr
                     ? m_pReader->GetNextSample(this->*streamNum, ppSample, pcnsSampleTime, pcnsDuration, &dwFlags)
                     : NS_E_INVALID_REQUEST;
    if (hr != S_OK && hr != NS_E_NO_MORE_SAMPLES) {
        ReportError(hr, "IWMSyncReader 객체로부터 다음 샘플을 가져올 수 없습니다");
        Trace("from %s", "IWMSyncReader::GetNextSample()");
    }
    return hr;
}

HRESULT CASFReader::SetRange(LONGLONG cnsStartTime, LONGLONG cnsDuration)
{
    std::lock_guard lock(m_lock);
    HRESULT hr = _ReopenIfReset();
    if (hr != S_OK)
        return TraceFrom(hr, "CASFReader::SetRange()");
    hr = m_pReader != nullptr ? m_pReader->SetRange(cnsStartTime, cnsDuration) : NS_E_INVALID_REQUEST;
    if (hr != S_OK) {
        ReportError(hr, "스트림 범위를 설정할 수 없습니다");
        Trace("qwStartTime = %lld, llDuration = %lld", static_cast<long long>(cnsStartTime),
              static_cast<long long>(cnsDuration));
        Trace("from %s", "IWMSyncReader::SetRange()");
        Trace("from %s", "CASFReader::SetRange()");
    }
    return hr;
}

HRESULT CASFReader::Close()
{
    std::lock_guard lock(m_lock);
    if (m_pReader != nullptr)
        m_pReader->Close();
    return S_OK;
}

HRESULT CASFReader::Reset(CStream* pStream)
{
    if (pStream == nullptr)
        return ArgumentFault("CASFReader::Reset()", "pStream = %llx", Hex(pStream));
    std::lock_guard lock(m_lock);
    m_pResetStream = pStream;
    return S_OK;
}
