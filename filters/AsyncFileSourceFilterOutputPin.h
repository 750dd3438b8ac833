// The asynchronous file source's output pin: a pull reader over the filter's
// stream. Clients ask for byte ranges in their own samples (the sample times
// are byte positions times UNITS); each read is made at once on the caller's
// thread, straight into the sample's buffer, and completed requests wait in a
// ring of 256 entries until the client takes them.
//
// Threads: the pin has none of its own. Every method may be called from any
// of the parsers' streaming threads at once, and BeginFlush/EndFlush from the
// thread that seeks or stops the graph.
// - m_readerLock guards the stream's position and every seek-and-read on it
//   (the stream is shared), and m_llStreamPosition. m_llKnownLength is an
//   atomic; the length query behind it needs no lock (it reads the file's
//   size, not its position).
// - m_queueLock guards the ring (m_queue, m_putIndex, m_takeIndex, m_count),
//   m_isFlushing and every change of m_ready, so that the event agrees with
//   the count.
// - m_waiterLock lets one waiter at a time take an entry, and keeps flushes
//   out while it does.
// - Lock order: m_waiterLock before m_queueLock. m_readerLock is never held
//   together with either.
// - m_freeEntries is taken outside every lock: a request waits there while
//   the ring is full. m_filledEntries is taken under m_waiterLock, by the one
//   waiter that has just seen a completed request under m_queueLock; as the
//   count and the semaphore grow together under m_queueLock and only that
//   waiter takes from either, the semaphore is never empty then and the
//   taking never waits. Giving either back never waits.
// Ownership: the filter owns the pin and the stream and holds the pin's
// references (the pin's AddRef/Release are the filter's); the ring holds the
// clients' samples without references of its own.
#pragma once

#include "FilterTypes.h"
#include "MediaSample.h"
#include "MemAllocator.h"
#include "ServerCounters.h"
#include "common/ManualResetEvent.h"
#include "common/Stream.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <semaphore>

constexpr IID IID_IAsyncReader = {0x56A868AA, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

// The pull interface that parsers use on a reader pin.
class IAsyncReader : public IUnknown {
public:
    virtual HRESULT RequestAllocator(IMemAllocator* pPreferred, ALLOCATOR_PROPERTIES* pProps,
                                     IMemAllocator** ppActual) = 0;
    virtual HRESULT Request(IMediaSample* pSample, DWORD dwUser) = 0;
    virtual HRESULT WaitForNext(DWORD dwTimeout, IMediaSample** ppSample, DWORD* pdwUser) = 0;
    virtual HRESULT SyncReadAligned(IMediaSample* pSample) = 0;
    virtual HRESULT SyncRead(LONGLONG llPosition, long lLength, BYTE* pbBuffer) = 0;
    virtual HRESULT Length(LONGLONG* pTotal, LONGLONG* pAvailable) = 0;
    virtual HRESULT BeginFlush() = 0;
    virtual HRESULT EndFlush() = 0;
};

// Completed requests the ring holds at most.
constexpr size_t kRequestQueueSize = 256;
// Bytes read from the start of the file to choose the media type.
constexpr ULONG kTypeProbeSize = 8192;
// Leading bytes of the file that the pin keeps for its caps.
constexpr size_t kHeaderSize = 16;

// The code of a file too short to choose a media type from.

class CAsyncFileSourceFilterOutputPin : public IAsyncReader {
public:
    // `pFilter` holds the pin's references; `pStream` stays the filter's.
    // *phr is negative when the pin cannot work, positive when the file
    // gave no media type (the pin then connects to nothing).
    CAsyncFileSourceFilterOutputPin(IUnknown* pFilter, CStream* pStream, HRESULT* phr);
    ~CAsyncFileSourceFilterOutputPin() override;
    CAsyncFileSourceFilterOutputPin(const CAsyncFileSourceFilterOutputPin&) = delete;
    CAsyncFileSourceFilterOutputPin& operator=(const CAsyncFileSourceFilterOutputPin&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT RequestAllocator(IMemAllocator* pPreferred, ALLOCATOR_PROPERTIES* pProps,
                             IMemAllocator** ppActual) override;
    HRESULT Request(IMediaSample* pSample, DWORD dwUser) override;
    HRESULT WaitForNext(DWORD dwTimeout, IMediaSample** ppSample, DWORD* pdwUser) override;
    HRESULT SyncReadAligned(IMediaSample* pSample) override;
    HRESULT SyncRead(LONGLONG llPosition, long lLength, BYTE* pbBuffer) override;
    HRESULT Length(LONGLONG* pTotal, LONGLONG* pAvailable) override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    HRESULT GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE* pmt);

    // The first bytes of the file (zeros past its end or when unread).
    const BYTE* Header() const { return m_header; }

    static constexpr const char* kName = "Output";

private:
    struct QueueEntry {
        IMediaSample* pSample;
        DWORD dwUser;
    };

    HRESULT _GetMediaType();
    HRESULT _ProbeFileStart(BYTE* pbProbe, ULONG* pcbRead);
    HRESULT _ReadSample(IMediaSample* pSample);
    HRESULT _ClipToFileEnd(IMediaSample* pSample, LONGLONG* pllPosition, LONGLONG* pcbLength);
    HRESULT _TotalLength(LONGLONG llEnd, LONGLONG* pTotal);
    HRESULT _SeekAndRead(LONGLONG llPosition, ULONG cb, BYTE* pbBuffer, ULONG* pcbRead);
    HRESULT _CreateAllocator(IMemAllocator** ppAllocator);
    HRESULT _CheckActualAlignment(IMemAllocator* pAllocator, ALLOCATOR_PROPERTIES* pProps, bool isOwn);
    void _Enqueue(IMediaSample* pSample, DWORD dwUser);
    void _Dequeue(IMediaSample** ppSample, DWORD* pdwUser);
    static DWORD _RemainingWait(DWORD dwTimeout, std::chrono::steady_clock::time_point deadline);

    CLiveObject m_liveObject;
    IUnknown* m_pFilter;
    CStream* m_pStream;
    AM_MEDIA_TYPE m_mt{};
    BYTE m_header[kHeaderSize] = {};

    QueueEntry m_queue[kRequestQueueSize] = {};
    size_t m_putIndex = 0;
    size_t m_takeIndex = 0;
    size_t m_count = 0;
    // Between BeginFlush and EndFlush; a waiter woken then gives up.
    bool m_isFlushing = false;
    std::counting_semaphore<kRequestQueueSize> m_freeEntries{kRequestQueueSize};
    std::counting_semaphore<kRequestQueueSize> m_filledEntries{0};
    CManualResetEvent m_ready;
    std::mutex m_queueLock;
    std::mutex m_waiterLock;
    std::mutex m_readerLock;
    // Where the stream stands after the last read (-1: unknown); guarded by
    // the reader lock.
    LONGLONG m_llStreamPosition = -1;
    std::atomic<LONGLONG> m_llKnownLength{-1};
};
