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
