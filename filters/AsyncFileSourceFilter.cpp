#include "AsyncFileSourceFilter.h"

#include "ElementReference.h"
#include "common/Report.h"

#include <gst/gst.h>
#include <new>

CAsyncFileSourceFilter::CAsyncFileSourceFilter(GstElement* pElement)
    : CFileSourceFilter(&m_lock), m_pElement(pElement)
{
}

CAsyncFileSourceFilter::~CAsyncFileSourceFilter()
{
    _ReleasePinAndStream();
}

void CAsyncFileSourceFilter::_ReleasePinAndStream()
{
    delete m_pPin;
    m_pPin = nullptr;
    if (m_pStream != nullptr) {
        m_pStream->Close();
        m_pStream->Release();
        m_pStream = nullptr;
    }
}

HRESULT CAsyncFileSourceFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IBaseFilter)
        *ppv = static_cast<IBaseFilter*>(this);
    else if (riid == IID_IFileSourceFilter)
        *ppv = static_cast<IFileSourceFilter*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CAsyncFileSourceFilter::AddRef()
{
    if (m_pElement != nullptr)
        return AddElementRef(m_pElement);
    return ++m_refCount;
}

ULONG CAsyncFileSourceFilter::Release()
{
    if (m_pElement != nullptr)
        return ReleaseElementRef(m_pElement);
    ULONG count = --m_refCount;
    if (count == 0)
        delete this;
    return count;
}

int CAsyncFileSourceFilter::GetPinCount()
{
    std::lock_guard lock(m_lock);
    return m_pPin != nullptr ? 1 : 0;
}

CAsyncFileSourceFilterOutputPin* CAsyncFileSourceFilter::GetPin(int n)
{
    std::lock_guard lock(m_lock);
    return n == 0 ? m_pPin : nullptr;
}

HRESULT CAsyncFileSourceFilter::Load(const char* pszFileName, const AM_MEDIA_TYPE* pmt)
{
    HRESULT hr = CFileSourceFilter::Load(pszFileName, pmt);
    if (hr != S_OK)
        Trace("from %s", "CAsyncFileSourceFilter::Load()");
    return hr;
}

HRESULT CAsyncFileSourceFilter::CreateOutputPin()
{
    // A second Load replaces what the first one opened.
    _ReleasePinAndStream();
    HRESULT hr = OpenFileStream(&m_pStream);
    if (hr != S_OK) {
        Trace("from %s", "CAsyncFileSourceFilter::CreateOutputPin()");
        return hr;
    }
    m_pPin = new (std::nothrow) CAsyncFileSourceFilterOutputPin(static_cast<IBaseFilter*>(this), m_pStream, &hr);
    if (m_pPin == nullptr)
        hr = ReportError(ERROR_NOT_ENOUGH_MEMORY);
    else if (FAILED(hr))
        Trace("Can not create CAsyncFileSourceFilterOutputPin()");
    if (FAILED(hr) || m_pPin == nullptr) {
        Trace("from %s", "CAsyncFileSourceFilter::CreateOutputPin()");
        return hr;
    }
    // A file that gave no media type still loads; its pin connects to nothing.
    return S_OK;
}

HRESULT CAsyncFileSourceFilter::GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt)
{
    CAsyncFileSourceFilterOutputPin* pPin = GetPin(0);
    HRESULT hr = pPin != nullptr ? pPin->GetMediaType(iPosition, pmt) : ReportError(E_UNEXPECTED);
    if (FAILED(hr))
        Trace("from %s", "CAsyncFileSourceFilter::GetMediaType()");
    return hr;
}
