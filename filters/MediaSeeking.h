// Seeking in media time for an output pin: it keeps the pin's start and stop
// positions and rate, answers the graph's seeking queries and calls the four
// hooks through which the pin acts on a change. Its IUnknown methods are the
// pin's.
#pragma once

#include "FilterTypes.h"

#include <atomic>
#include <mutex>

// The stop position before any is set: one less than the largest 64-bit value.
constexpr LONGLONG kUnsetStopPosition = 0x7FFFFFFFFFFFFFFE;

class CMediaSeeking {
public:
    // `pLock` guards the positions and the rate; it belongs to the pin.
    CMediaSeeking(std::recursive_mutex* pLock, DWORD dwCapabilities);
    virtual ~CMediaSeeking() = default;
    CMediaSeeking(const CMediaSeeking&) = delete;
    CMediaSeeking& operator=(const CMediaSeeking&) = delete;

    virtual HRESULT GetCapabilities(DWORD* pCapabilities);
    virtual HRESULT CheckCapabilities(DWORD* pCapabilities);
    virtual HRESULT IsFormatSupported(const GUID* pFormat);
    virtual HRESULT QueryPreferredFormat(GUID* pFormat);
    virtual HRESULT GetTimeFormat(GUID* pFormat);
    virtual HRESULT IsUsingTimeFormat(const GUID* pFormat);
    virtual HRESULT SetTimeFormat(const GUID* pFormat);
    virtual HRESULT GetDuration(LONGLONG* pDuration);
    virtual HRESULT GetStopPosition(LONGLONG* pStop);
    virtual HRESULT GetCurrentPosition(LONGLONG* pCurrent);
    virtual HRESULT ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                      const GUID* pSourceFormat);
    virtual HRESULT SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags);
    virtual HRESULT GetPositions(LONGLONG* pCurrent, LONGLONG* pStop);
    virtual HRESULT GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest);
    virtual HRESULT SetRate(double dRate);
    virtual HRESULT GetRate(double* pdRate);
    virtual HRESULT GetPreroll(LONGLONG* pllPreroll);

protected:
    // The pin's duration in media time.
    virtual LONGLONG GetMediaDuration() = 0;
    // Called after a new start or stop position is stored.
    virtual HRESULT ChangeStart() = 0;
    virtual HRESULT ChangeStop() = 0;
    // Called with the lock held after a new rate is stored.
    virtual HRESULT ChangeRate() = 0;

    LONGLONG StartPosition() const { return m_llStart.load(); }
    LONGLONG StopPosition() const { return m_llStop.load(); }
    double Rate() const { return m_dRate.load(); }

private:
    HRESULT _CheckStopFlags(LONGLONG* pStop, DWORD dwStopFlags);
    HRESULT _CheckCurrentFlags(LONGLONG* pCurrent, DWORD dwCurrentFlags);
    void _StorePositions(const LONGLONG* pCurrent, DWORD dwStartBits, const LONGLONG* pStop, DWORD dwStopBits);

    std::recursive_mutex* m_pLock;
    DWORD m_dwCapabilities;
    // Read without the lock by GetPositions and GetRate, hence atomic.
    std::atomic<LONGLONG> m_llStart{0};
    std::atomic<LONGLONG> m_llStop{kUnsetStopPosition};
    std::atomic<double> m_dRate{1.0};
};
