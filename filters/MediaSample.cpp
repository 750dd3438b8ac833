#include "MediaSample.h"

CMediaSample::CMediaSample(BYTE* pBuffer, LONGLONG cbBuffer) : m_pBuffer(pBuffer), m_cbBuffer(cbBuffer) {}

HRESULT CMediaSample::GetPointer(BYTE** ppBuffer)
{
    if (ppBuffer == nullptr)
        return E_POINTER;
    *ppBuffer = m_pBuffer;
    return S_OK;
}

LONGLONG CMediaSample::GetSize()
{
    return m_cbBuffer;
}

HRESULT CMediaSample::GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pStop)
{
    if (pStart == nullptr || pStop == nullptr)
        return E_POINTER;
    if (!m_hasTime)
        return VFW_E_SAMPLE_TIME_NOT_SET;
    *pStart = m_start;
    *pStop = m_stop;
    return S_OK;
}

HRESULT CMediaSample::SetTime(const REFERENCE_TIME* pStart, const REFERENCE_TIME* pStop)
{
    m_hasTime = pStart != nullptr;
    if (m_hasTime) {
        m_start = *pStart;
        m_stop = pStop != nullptr ? *pStop : *pStart + 1;
    }
    return S_OK;
}

HRESULT CMediaSample::GetMediaTime(LONGLONG* pStart, LONGLONG* pEnd)
{
    if (pStart == nullptr || pEnd == nullptr)
        return E_POINTER;
    if (!m_hasMediaTime)
        return VFW_E_MEDIA_TIME_NOT_SET;
    *pStart = m_mediaStart;
    *pEnd = m_mediaEnd;
    return S_OK;
}

HRESULT CMediaSample::SetMediaTime(const LONGLONG* pStart, const LONGLONG* pEnd)
{
    if ((pStart == nullptr) != (pEnd == nullptr))
        return E_POINTER;
    m_hasMediaTime = pStart != nullptr;
    if (m_hasMediaTime) {
        m_mediaStart = *pStart;
        m_mediaEnd = *pEnd;
    }
    return S_OK;
}

LONGLONG CMediaSample::GetActualDataLength()
{
    return m_cbData;
}

HRESULT CMediaSample::SetActualDataLength(LONGLONG cbData)
{
    if (cbData < 0 || cbData > m_cbBuffer)
        return VFW_E_BUFFER_OVERFLOW;
    m_cbData = cbData;
    return S_OK;
}

HRESULT CMediaSample::IsSyncPoint()
{
    return m_isSyncPoint ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetSyncPoint(BOOL fIsSyncPoint)
{
    m_isSyncPoint = fIsSyncPoint != 0;
    return S_OK;
}

HRESULT CMediaSample::IsPreroll()
{
    return m_isPreroll ? S_OK : S_FALSE;
}

HRESULT CMediaSample::SetPreroll(BOOL fIsPreroll)
{
    m_isPreroll = fIsPreroll != 0;
    return S_OK;
}
