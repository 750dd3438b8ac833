#include "MediaSeeking.h"

#include "common/Report.h"

namespace {

// Pointers the seeking methods write through are required: a null one is
// reported as an invalid parameter with the caller's name.
HRESULT NullPointer(const char* pszFunction)
{
    HRESULT hr = ReportError(ERROR_INVALID_PARAMETER);
    Trace("from %s", pszFunction);
    return hr;
}

bool IsMediaTime(const GUID* pFormat)
{
    return *pFormat == TIME_FORMAT_MEDIA_TIME;
}

} // namespace

CMediaSeeking::CMediaSeeking(std::recursive_mutex* pLock, DWORD dwCapabilities)
    : m_pLock(pLock), m_dwCapabilities(dwCapabilities)
{
}

HRESULT CMediaSeeking::GetCapabilities(DWORD* pCapabilities)
{
    if (pCapabilities == nullptr)
        return NullPointer("CMediaSeeking::GetCapabilities()");
    *pCapabilities = m_dwCapabilities;
    return S_OK;
}

HRESULT CMediaSeeking::CheckCapabilities(DWORD* pCapabilities)
{
    if (pCapabilities == nullptr)
        return NullPointer("CMediaSeeking::CheckCapabilities()");
    return (m_dwCapabilities & *pCapabilities) != 0 ? S_OK : S_FALSE;
}

HRESULT CMediaSeeking::IsFormatSupported(const GUID* pFormat)
{
    if (pFormat == nullptr)
        return NullPointer("CMediaSeeking::IsFormatSupported()");
    return IsMediaTime(pFormat) ? S_OK : S_FALSE;
}

HRESULT CMediaSeeking::QueryPreferredFormat(GUID* pFormat)
{
    if (pFormat == nullptr)
        return NullPointer("CMediaSeeking::QueryPreferredFormat()");
    *pFormat = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT CMediaSeeking::GetTimeFormat(GUID* pFormat)
{
    if (pFormat == nullptr)
        return NullPointer("CMediaSeeking::GetTimeFormat()");
    *pFormat = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT CMediaSeeking::IsUsingTimeFormat(const GUID* pFormat)
{
    if (pFormat == nullptr)
        return NullPointer("CMediaSeeking::IsUsingTimeFormat()");
    return IsMediaTime(pFormat) ? S_OK : S_FALSE;
}

HRESULT CMediaSeeking::SetTimeFormat(const GUID* pFormat)
{
    if (pFormat == nullptr)
        return NullPointer("CMediaSeeking::SetTimeFormat()");
    return IsMediaTime(pFormat) ? S_OK : S_FALSE;
}

HRESULT CMediaSeeking::GetDuration(LONGLONG* pDuration)
{
    if (pDuration == nullptr)
        return NullPointer("CMediaSeeking::GetDuration()");
    *pDuration = GetMediaDuration();
    return S_OK;
}

HRESULT CMediaSeeking::GetStopPosition(LONGLONG* pStop)
{
    if (pStop == nullptr)
        return NullPointer("CMediaSeeking::GetStopPosition()");
    std::lock_guard lock(*m_pLock);
    *pStop = m_llStop;
    return S_OK;
}

HRESULT CMediaSeeking::GetCurrentPosition(LONGLONG*)
{
    return E_NOTIMPL;
}

HRESULT CMediaSeeking::ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                         const GUID* pSourceFormat)
{
    if (pTarget == nullptr)
        return ArgumentFault("CMediaSeeking::ConvertTimeFormat()", "pllTarget = %llx", Hex(pTarget));
    if ((pTargetFormat != nullptr && !IsMediaTime(pTargetFormat)) ||
        (pSourceFormat != nullptr && !IsMediaTime(pSourceFormat))) {
        Trace("from %s", "CMediaSeeking::ConvertTimeFormat()");
        return E_INVALIDARG;
    }
    *pTarget = Source;
    return S_OK;
}

HRESULT CMediaSeeking::SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags)
{
    HRESULT hr = _CheckStopFlags(pStop, dwStopFlags);
    if (hr == S_OK)
        hr = _CheckCurrentFlags(pCurrent, dwCurrentFlags);
    if (hr != S_OK) {
        Trace("from %s", "CMediaSeeking::SetPositions()");
        return hr;
    }
    DWORD dwStartBits = dwCurrentFlags & AM_SEEKING_PositioningBitsMask;
    DWORD dwStopBits = dwStopFlags & AM_SEEKING_PositioningBitsMask;
    _StorePositions(pCurrent, dwStartBits, pStop, dwStopBits);
    if (dwStopBits != AM_SEEKING_NoPositioning)
        hr = ChangeStop();
    if (dwStartBits != AM_SEEKING_NoPositioning) {
        HRESULT hrStart = ChangeStart();
        if (hr == S_OK)
            hr = hrStart;
    }
    if (hr != S_OK)
        Trace("from %s", "CMediaSeeking::SetPositions()");
    return hr;
}

HRESULT CMediaSeeking::_CheckStopFlags(LONGLONG* pStop, DWORD dwStopFlags)
{
    if (dwStopFlags == 0)
        return S_OK;
    if (pStop == nullptr)
        return ReportError(ERROR_INVALID_PARAMETER);
    if ((dwStopFlags & ~AM_SEEKING_PositioningBitsMask) != 0) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER, "%d 정지 클래그는 지원하지 않습니다",
                                 static_cast<int>(dwStopFlags));
        Trace("dwStopFlags = %d, dwStopPosBits = %d", static_cast<int>(dwStopFlags),
              static_cast<int>(dwStopFlags & AM_SEEKING_PositioningBitsMask));
        return hr;
    }
    return S_OK;
}

HRESULT CMediaSeeking::_CheckCurrentFlags(LONGLONG* pCurrent, DWORD dwCurrentFlags)
{
    if (dwCurrentFlags == 0)
        return S_OK;
    if (pCurrent == nullptr)
        return ReportError(ERROR_INVALID_PARAMETER);
    DWORD dwStartBits = dwCurrentFlags & AM_SEEKING_PositioningBitsMask;
    if (dwStartBits != AM_SEEKING_AbsolutePositioning && dwStartBits != AM_SEEKING_RelativePositioning) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER, " %d 시작 플래그는 지원하지 않습니다",
                                 static_cast<int>(dwStartBits));
        Trace("dwStartPosBits = %d", static_cast<int>(dwStartBits));
        return hr;
    }
    return S_OK;
}

void CMediaSeeking::_StorePositions(const LONGLONG* pCurrent, DWORD dwStartBits, const LONGLONG* pStop,
                                    DWORD dwStopBits)
{
    std::lock_guard lock(*m_pLock);
    if (dwStartBits == AM_SEEKING_AbsolutePositioning)
        m_llStart = *pCurrent;
    else if (dwStartBits == AM_SEEKING_RelativePositioning)
        m_llStart += *pCurrent;
    if (dwStopBits == AM_SEEKING_AbsolutePositioning)
        m_llStop = *pStop;
    else if (dwStopBits == AM_SEEKING_RelativePositioning)
        m_llStop += *pStop;
    else if (dwStopBits == AM_SEEKING_IncrementalPositioning)
        m_llStop = m_llStart + *pStop;
}

HRESULT CMediaSeeking::GetPositions(LONGLONG* pCurrent, LONGLONG* pStop)
{
    if (pCurrent != nullptr)
        *pCurrent = m_llStart;
    if (pStop != nullptr)
        *pStop = m_llStop;
    return S_OK;
}

HRESULT CMediaSeeking::GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest)
{
    if (pEarliest != nullptr)
        *pEarliest = 0;
    if (pLatest != nullptr)
        *pLatest = GetMediaDuration();
    return S_OK;
}

HRESULT CMediaSeeking::SetRate(double dRate)
{
    std::lock_guard lock(*m_pLock);
    m_dRate = dRate;
    HRESULT hr = ChangeRate();
    if (hr != S_OK)
        Trace("from %s", "CMediaSeeking::SetRate()");
    return hr;
}

HRESULT CMediaSeeking::GetRate(double* pdRate)
{
    if (pdRate == nullptr)
        return ArgumentFault("CMediaSeeking::GetRate()", "pdRate = %llx", Hex(pdRate));
    *pdRate = m_dRate;
    return S_OK;
}

HRESULT CMediaSeeking::GetPreroll(LONGLONG* pllPreroll)
{
    if (pllPreroll == nullptr)
        return ArgumentFault("CMediaSeeking::GetPreroll()", "pllPreroll = %llx", Hex(pllPreroll));
    *pllPreroll = 0;
    return S_OK;
}
