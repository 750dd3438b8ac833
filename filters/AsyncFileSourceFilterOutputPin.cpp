#include "AsyncFileSourceFilterOutputPin.h"

#include "common/Report.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr const char* kPinModule = "CAsyncFileSourceFilterOutputPin";

// An MPEG audio frame header: a sync byte, then three more sync bits, a
// layer other than "reserved" and a version other than "reserved".
bool IsMpegAudioFrameStart(const BYTE* pb, size_t cb)
{
    const BYTE* pEnd = pb + cb - 1;
    const BYTE* pFirst = std::find_if(pb, pEnd, [](BYTE b) { return b != 0; });
    if (pFirst == pEnd || *pFirst != 0xFF)
        return false;
    BYTE b = pFirst[1];
    return (b & 0xE0) == 0xE0 && ((b >> 1) & 3) != 0 && ((b >> 3) & 3) != 1;
}

// The container the first bytes of a file announce; GUID_NULL lets any
// parser try the file.
GUID GuessSubtype(const BYTE* pb, size_t cb)
{
    if (std::memcmp(pb, "RIFF", 4) == 0 && std::memcmp(pb + 8, "AVI LIST", 8) == 0)
        return MEDIASUBTYPE_Avi;
    if (pb[0] == 0 && pb[1] == 0 && pb[2] == 1 && (pb[3] == 0xBA || pb[3] == 0xB3))
        return MEDIASUBTYPE_MPEG1System;
    if (std::memcmp(pb, "ID3", 3) == 0 || IsMpegAudioFrameStart(pb, cb))
        return MEDIASUBTYPE_MPEG1Audio;
    return GUID_NULL;
}

} // namespace

CAsyncFileSourceFilterOutputPin::CAsyncFileSourceFilterOutputPin(IUnknown* pFilter, CStream* pStream, HRESULT* phr)
    : m_pFilter(pFilter), m_pStream(pStream)
{
    // A fresh pin offers an empty type of fixed-size one-byte samples.
    m_mt.bFixedSizeSamples = 1;
    m_mt.lSampleSize = 1;
    *phr = _GetMediaType();
}

CAsyncFileSourceFilterOutputPin::~CAsyncFileSourceFilterOutputPin()
{
    // Completed requests nobody took still carry their clients' references.
    for (; m_count > 0; --m_count)
        m_queue[m_takeIndex++ % kRequestQueueSize].pSample->Release();
}

HRESULT CAsyncFileSourceFilterOutputPin::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IAsyncReader) {
        AddRef();
        *ppv = static_cast<IAsyncReader*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CAsyncFileSourceFilterOutputPin::AddRef()
{
    return m_pFilter->AddRef();
}

ULONG CAsyncFileSourceFilterOutputPin::Release()
{
    return m_pFilter->Release();
}

HRESULT CAsyncFileSourceFilterOutputPin::_GetMediaType()
{
    BYTE probe[kTypeProbeSize] = {};
    ULONG cbRead = 0;
    HRESULT hr = _ProbeFileStart(probe, &cbRead);
    if (hr == S_OK && cbRead < kTypeProbeSize)
        hr = ReportError(ERROR_READ_FAULT, "스트림으로부터 %d 바이트를 읽을 수 없습니다", static_cast<int>(kTypeProbeSize));
    std::memcpy(m_header, probe, sizeof m_header);
    if (hr != S_OK) {
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::_GetMediaType()");
        return hr;
    }
    m_mt.majortype = MEDIATYPE_Stream;
    m_mt.subtype = GuessSubtype(probe, sizeof probe);
    m_mt.bTemporalCompression = 1;
    return S_OK;
}

HRESULT CAsyncFileSourceFilterOutputPin::_ProbeFileStart(BYTE* pbProbe, ULONG* pcbRead)
{
    std::lock_guard lock(m_readerLock);
    ULONGLONG position = 0;
    HRESULT hr = m_pStream->Seek(0, STREAM_SEEK_CUR, &position);
    if (hr == S_OK)
        hr = m_pStream->Seek(0, STREAM_SEEK_SET, nullptr);
    if (hr != S_OK)
        return hr;
    hr = m_pStream->Read(pbProbe, kTypeProbeSize, pcbRead);
    HRESULT hrBack = m_pStream->Seek(static_cast<LONGLONG>(position), STREAM_SEEK_SET, nullptr);
    m_llStreamPosition = hrBack == S_OK ? static_cast<LONGLONG>(position) : -1;
    return hr != S_OK ? hr : hrBack;
}

HRESULT CAsyncFileSourceFilterOutputPin::GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt)
{
    HRESULT hr = S_OK;
    if (pmt == nullptr)
        hr = ReportError(E_INVALIDARG);
    else if (iPosition < 0)
        hr = ReportError(ERROR_INVALID_PARAMETER);
    else if (iPosition > 0)
        return VFW_S_NO_MORE_ITEMS;
    if (hr != S_OK) {
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::GetMediaType()");
        return hr;
    }
    *pmt = m_mt;
    return S_OK;
}

HRESULT CAsyncFileSourceFilterOutputPin::CheckMediaType(const AM_MEDIA_TYPE* pmt)
{
    if (pmt == nullptr) {
        ReportError(E_INVALIDARG);
        Trace("pmt = %llx", Hex(pmt));
        return S_FALSE;
    }
    if (pmt->majortype == m_mt.majortype && (m_mt.subtype == GUID_NULL || pmt->subtype == m_mt.subtype))
        return S_OK;
    return S_FALSE;
}

HRESULT CAsyncFileSourceFilterOutputPin::RequestAllocator(IMemAllocator* pPreferred, ALLOCATOR_PROPERTIES* pProps,
                                                          IMemAllocator** ppActual)
{
    if (pProps == nullptr || ppActual == nullptr)
        return ArgumentFault("CAsyncFileSourceFilterOutputPin::RequestAllocator()", "pProps = %llx, ppActual = %llx",
                             Hex(pProps), Hex(ppActual));
    const LONGLONG alignment = m_pStream->GetAlignment();
    if (pProps->cbAlign == 0 || pProps->cbAlign % alignment != 0)
        pProps->cbAlign = static_cast<long>(alignment);
    if (pPreferred != nullptr && _CheckActualAlignment(pPreferred, pProps, false) == S_OK) {
        pPreferred->AddRef();
        *ppActual = pPreferred;
        return S_OK;
    }
    IMemAllocator* pAllocator = nullptr;
    HRESULT hr = _CreateAllocator(&pAllocator);
    if (hr == S_OK)
        hr = _CheckActualAlignment(pAllocator, pProps, true);
    if (hr != S_OK) {
        if (pAllocator != nullptr)
            pAllocator->Release();
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::RequestAllocator()");
        return hr;
    }
    *ppActual = pAllocator;
    return S_OK;
}

// Sets the properties on an allocator and checks the alignment it gives;
// only the pin's own allocator reports what goes wrong.
HRESULT CAsyncFileSourceFilterOutputPin::_CheckActualAlignment(IMemAllocator* pAllocator,
                                                               ALLOCATOR_PROPERTIES* pProps, bool isOwn)
{
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = pAllocator->SetProperties(pProps, &actual);
    if (hr != S_OK) {
        if (isOwn) {
            ReportError(hr, "IMemAllocator::SetProperties() 함수가 실패했습니다");
            Trace("from %s", "IMemAllocator::SetProperties()");
        }
        return hr;
    }
    if (actual.cbAlign <= 0 || actual.cbAlign % m_pStream->GetAlignment() != 0)
        return isOwn ? ReportError(VFW_E_BADALIGN, "Alignment 가 맞지 않습니다") : VFW_E_BADALIGN;
    return S_OK;
}

HRESULT CAsyncFileSourceFilterOutputPin::_CreateAllocator(IMemAllocator** ppAllocator)
{
    HRESULT hr = S_OK;
    CMemAllocator* pMemAllocator = new (std::nothrow) CMemAllocator("Brelm DRM Allocator", &hr);
    if (pMemAllocator == nullptr) {
        hr = ReportError(ERROR_NOT_ENOUGH_MEMORY, "CMemAllocator 객체를 생성할 수 없습니다");
    } else if (FAILED(hr)) {
        ReportError(hr, "CMemAllocator 객체를 생성 중 에러가 발생했습니다");
    } else {
        hr = pMemAllocator->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(ppAllocator));
        if (hr != S_OK)
            ReportCallError(hr, kPinModule, __LINE__);
    }
    if (pMemAllocator != nullptr)
        pMemAllocator->Release();
    if (hr != S_OK)
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::_CreateAllocator()");
    return hr;
}

HRESULT CAsyncFileSourceFilterOutputPin::Request(IMediaSample* pSample, DWORD dwUser)
{
    if (pSample == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER);
        Trace("pSample = %llx", Hex(pSample));
        return hr;
    }
    HRESULT hr = _ReadSample(pSample);
    if (hr != S_OK) {
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::Request()");
        return hr;
    }
    _Enqueue(pSample, dwUser);
    return S_OK;
}

void CAsyncFileSourceFilterOutputPin::_Enqueue(IMediaSample* pSample, DWORD dwUser)
{
    m_freeEntries.acquire();
    // The ready event changes only under the queue lock, so that it always
    // agrees with the count (a flush aside).
    std::lock_guard lock(m_queueLock);
    m_queue[m_putIndex++ % kRequestQueueSize] = {pSample, dwUser};
    ++m_count;
    m_filledEntries.release();
    m_ready.Set();
}

HRESULT CAsyncFileSourceFilterOutputPin::WaitForNext(DWORD dwTimeout, IMediaSample** ppSample, DWORD* pdwUser)
{
    if (ppSample == nullptr || pdwUser == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER);
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::WaitForNext()");
        return hr;
    }
    *ppSample = nullptr;
    *pdwUser = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwTimeout);
    for (;;) {
        if (!m_ready.Wait(_RemainingWait(dwTimeout, deadline)))
            return VFW_E_TIMEOUT;
        std::lock_guard waiter(m_waiterLock);
        {
            std::lock_guard lock(m_queueLock);
            if (m_count == 0 && m_isFlushing) {
                m_ready.Reset();
                return VFW_E_WRONG_STATE;
            }
            // Another waiter took the entry that woke this one: wait again.
            if (m_count == 0)
                continue;
        }
        _Dequeue(ppSample, pdwUser);
        return S_OK;
    }
}

DWORD CAsyncFileSourceFilterOutputPin::_RemainingWait(DWORD dwTimeout,
                                                      std::chrono::steady_clock::time_point deadline)
{
    if (dwTimeout == INFINITE)
        return INFINITE;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

void CAsyncFileSourceFilterOutputPin::_Dequeue(IMediaSample** ppSample, DWORD* pdwUser)
{
    m_filledEntries.acquire();
    QueueEntry entry{};
    {
        std::lock_guard lock(m_queueLock);
        entry = m_queue[m_takeIndex++ % kRequestQueueSize];
        if (--m_count == 0)
            m_ready.Reset();
    }
    m_freeEntries.release();
    *ppSample = entry.pSample;
    *pdwUser = entry.dwUser;
}

HRESULT CAsyncFileSourceFilterOutputPin::SyncReadAligned(IMediaSample* pSample)
{
    if (pSample == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER);
        Trace("pSample = %llx", Hex(pSample));
        return hr;
    }
    HRESULT hr = _ReadSample(pSample);
    if (hr != S_OK)
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::SyncReadAligned()");
    return hr;
}

// Reads the byte range that the sample's times ask for into its buffer, cut
// at the end of the file; afterwards the times say which bytes it holds.
HRESULT CAsyncFileSourceFilterOutputPin::_ReadSample(IMediaSample* pSample)
{
    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    HRESULT hr = pSample->GetTime(&tStart, &tStop);
    if (hr != S_OK)
        return ReportCallError(hr, kPinModule, __LINE__);
    if (tStart < 0 || tStop < tStart) {
        return ReportError(ERROR_INVALID_PARAMETER, "The sample times %lld to %lld are not a byte range",
                           static_cast<long long>(tStart), static_cast<long long>(tStop));
    }
    LONGLONG llPosition = tStart / UNITS;
    LONGLONG cbLength = (tStop - tStart) / UNITS;
    hr = _ClipToFileEnd(pSample, &llPosition, &cbLength);
    if (hr != S_OK)
        return hr;
    BYTE* pbBuffer = nullptr;
    hr = pSample->GetPointer(&pbBuffer);
    if (hr != S_OK)
        return ReportCallError(hr, kPinModule, __LINE__);
    // A range larger than the buffer would be read past its end.
    if (cbLength > pSample->GetSize() || cbLength > 0x7FFFFFFF) {
        return ReportError(ERROR_INVALID_PARAMETER, "%lld bytes do not fit a sample of %lld bytes",
                           static_cast<long long>(cbLength), static_cast<long long>(pSample->GetSize()));
    }
    const auto cb = static_cast<ULONG>(cbLength);
    if (!m_pStream->IsAligned(llPosition) || !m_pStream->IsAligned(cb) ||
        !m_pStream->IsAligned(static_cast<LONGLONG>(reinterpret_cast<uintptr_t>(pbBuffer))))
        return ReportError(VFW_E_BADALIGN);
    ULONG cbRead = 0;
    hr = _SeekAndRead(llPosition, cb, pbBuffer, &cbRead);
    if (hr == S_OK && cbRead < cb) {
        // The file ended early (it shrank since it was opened): the times
        // must not claim bytes the buffer does not hold.
        REFERENCE_TIME tEnd = (llPosition + cbRead) * UNITS;
        pSample->SetTime(&tStart, &tEnd);
    }
    return hr;
}

// Cuts the range at the end of the file (raised to the stream's alignment),
// and moves the sample's stop time with it.
HRESULT CAsyncFileSourceFilterOutputPin::_ClipToFileEnd(IMediaSample* pSample, LONGLONG* pllPosition,
                                                        LONGLONG* pcbLength)
{
    LONGLONG total = 0;
    HRESULT hr = _TotalLength(*pllPosition + *pcbLength, &total);
    if (hr != S_OK || *pllPosition + *pcbLength <= total)
        return hr;
    const LONGLONG alignment = m_pStream->GetAlignment();
    const LONGLONG alignedTotal = (total + alignment - 1) / alignment * alignment;
    if (*pllPosition + *pcbLength <= alignedTotal)
        return S_OK;
    *pcbLength = std::max<LONGLONG>(0, alignedTotal - *pllPosition);
    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    pSample->GetTime(&tStart, &tStop);
    // A range that starts past the end holds nothing: it stops where it starts.
    tStop = *pllPosition < alignedTotal ? alignedTotal * UNITS : tStart;
    pSample->SetTime(&tStart, &tStop);
    return S_OK;
}

// The file's length as last seen, asked afresh only for a range that goes
// beyond it (the file may have grown). A file that shrinks is caught by the
// read itself, which then delivers fewer bytes.
HRESULT CAsyncFileSourceFilterOutputPin::_TotalLength(LONGLONG llEnd, LONGLONG* pTotal)
{
    *pTotal = m_llKnownLength;
    if (llEnd <= *pTotal)
        return S_OK;
    LONGLONG available = 0;
    HRESULT hr = m_pStream->GetLength(pTotal, &available);
    if (hr == S_OK)
        m_llKnownLength = *pTotal;
    return hr;
}

HRESULT CAsyncFileSourceFilterOutputPin::_SeekAndRead(LONGLONG llPosition, ULONG cb, BYTE* pbBuffer, ULONG* pcbRead)
{
    *pcbRead = 0;
    std::lock_guard lock(m_readerLock);
    // Reads in a row need no seek: the stream is already where the next one starts.
    HRESULT hr = llPosition == m_llStreamPosition ? S_OK : m_pStream->Seek(llPosition, STREAM_SEEK_SET, nullptr);
    // Nothing to read is not a read: the stream refuses a zero-byte read.
    if (hr == S_OK && cb > 0)
        hr = m_pStream->Read(pbBuffer, cb, pcbRead);
    m_llStreamPosition = hr == S_OK ? llPosition + *pcbRead : -1;
    return hr;
}

HRESULT CAsyncFileSourceFilterOutputPin::SyncRead(LONGLONG llPosition, long lLength, BYTE* pbBuffer)
{
    HRESULT hr = S_OK;
    LONGLONG total = 0;
    if (pbBuffer == nullptr || lLength < 0) {
        hr = ReportError(pbBuffer == nullptr ? E_INVALIDARG : ERROR_INVALID_PARAMETER);
        Trace("llPosition = %lld, lLength = %d, pbBuffer = %llx", static_cast<long long>(llPosition),
              static_cast<int>(lLength), Hex(pbBuffer));
    } else if (!m_pStream->IsAligned(llPosition) || !m_pStream->IsAligned(static_cast<ULONG>(lLength)) ||
               !m_pStream->IsAligned(static_cast<LONGLONG>(reinterpret_cast<uintptr_t>(pbBuffer)))) {
        hr = VFW_E_BADALIGN;
    } else if ((hr = _TotalLength(llPosition, &total)) == S_OK && (llPosition < 0 || llPosition > total)) {
        hr = S_FALSE;
    }
    ULONG cbRead = 0;
    if (hr == S_OK)
        hr = _SeekAndRead(llPosition, static_cast<ULONG>(lLength), pbBuffer, &cbRead);
    if (hr != S_OK || cbRead != static_cast<ULONG>(lLength)) {
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::SyncRead()");
        return S_FALSE;
    }
    return S_OK;
}

HRESULT CAsyncFileSourceFilterOutputPin::Length(LONGLONG* pTotal, LONGLONG* pAvailable)
{
    HRESULT hr = E_INVALIDARG;
    if (pTotal == nullptr || pAvailable == nullptr) {
        ReportError(hr);
    } else {
        std::lock_guard lock(m_readerLock);
        hr = m_pStream->GetLength(pTotal, pAvailable);
    }
    if (hr != S_OK)
        Trace("from %s", "CAsyncFileSourceFilterOutputPin::Length()");
    return hr;
}

HRESULT CAsyncFileSourceFilterOutputPin::BeginFlush()
{
    std::lock_guard waiter(m_waiterLock);
    std::lock_guard lock(m_queueLock);
    m_isFlushing = true;
    m_ready.Set();
    return S_OK;
}

HRESULT CAsyncFileSourceFilterOutputPin::EndFlush()
{
    std::lock_guard waiter(m_waiterLock);
    // Completed requests survive a flush; they must stay within reach.
    std::lock_guard lock(m_queueLock);
    m_isFlushing = false;
    if (m_count == 0)
        m_ready.Reset();
    return S_OK;
}
