#include "ASFSourceFilter.h"

#include "BrelmASFSrc.h"
#include "ElementReference.h"
#include "common/Report.h"

#include <new>

CASFSourceFilter::CASFSourceFilter(GstElement* pElement)
    : CFileSourceFilter(&m_lock), m_pElement(pElement), m_groupId(gst_util_group_id_next())
{
}

CASFSourceFilter::~CASFSourceFilter()
{
    _ReleasePinsAndStream();
}

void CASFSourceFilter::_ReleasePinsAndStream()
{
    for (auto& pPin : m_pPins) {
        if (pPin == nullptr)
            continue;
        pPin->Activate(false);
        // The element has let its pads go already when it is being disposed.
        if (GST_OBJECT_PARENT(pPin->Pad()) == GST_OBJECT(m_pElement))
            gst_element_remove_pad(m_pElement, pPin->Pad());
        pPin.reset();
    }
    m_cPins = 0;
    m_reader.Close();
    if (m_pStream != nullptr) {
        m_pStream->Close();
        m_pStream->Release();
        m_pStream = nullptr;
    }
    m_llLastStart = 0;
    m_pLastPin = nullptr;
}

HRESULT CASFSourceFilter::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IBaseFilter)
        *ppv = static_cast<IBaseFilter*>(this);
    else if (riid == IID_IFileSourceFilter)
        *ppv = static_cast<IFileSourceFilter*>(this);
    else if (riid == IID_IServiceProvider)
        *ppv = static_cast<IServiceProvider*>(this);
    else if (riid == IID_IWMHeaderInfo)
        *ppv = static_cast<IWMHeaderInfo*>(this);
    else if (riid == IID_IWMReaderAdvanced2)
        *ppv = static_cast<IWMReaderAdvanced2*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CASFSourceFilter::AddRef()
{
    return AddElementRef(m_pElement);
}

ULONG CASFSourceFilter::Release()
{
    return ReleaseElementRef(m_pElement);
}

int CASFSourceFilter::GetPinCount()
{
    std::lock_guard lock(m_lock);
    return m_cPins;
}

CASFSourceFilterOutputPin* CASFSourceFilter::GetPin(int n)
{
    std::lock_guard lock(m_lock);
    return n == 0 || n == 1 ? m_pPins[n].get() : nullptr;
}

HRESULT CASFSourceFilter::Load(const char* pszFileName, const AM_MEDIA_TYPE* pmt)
{
    HRESULT hr = CFileSourceFilter::Load(pszFileName, pmt);
    if (hr != S_OK)
        Trace("from %s", "CASFSourceFilter::Load()");
    return hr;
}

HRESULT CASFSourceFilter::CreateOutputPin()
{
    // A second Load replaces what the first one opened.
    _ReleasePinsAndStream();
    HRESULT hr = _OpenStreamAndReader();
    if (hr != S_OK) {
        _ReleasePinsAndStream();
        Trace("from %s", "CASFSourceFilter::CreateOutputPin()");
        return hr;
    }
    if ((hr = _CreatePins()) != S_OK) {
        _ReleasePinsAndStream();
        Trace("from %s", "CASFSourceFilter::CreateOutputPin()");
        return hr;
    }
    gst_element_no_more_pads(m_pElement);
    return S_OK;
}

// One pin for each stream the file has, the video pin first. A pin whose
// type the platform cannot use still exists; it streams nothing, and the
// element says why when it starts.
HRESULT CASFSourceFilter::_CreatePins()
{
    HRESULT hr = S_OK;
    if (m_reader.GetVideoStreamNumber() != 0)
        hr = _CreatePin(kASFVideoPin, "video");
    if (hr == S_OK && m_reader.GetAudioStreamNumber() != 0)
        hr = _CreatePin(kASFAudioPin, "audio");
    return hr;
}

HRESULT CASFSourceFilter::_OpenStreamAndReader()
{
    HRESULT hr = OpenFileStream(&m_pStream);
    return hr == S_OK ? m_reader.Init(m_pStream) : hr;
}

HRESULT CASFSourceFilter::_CreatePin(const ASFPinKind& kind, const char* pszPadName)
{
    HRESULT hr = S_OK;
    GstPad* pPad = NewASFSourcePad(m_pElement, pszPadName);
    std::unique_ptr<CASFSourceFilterOutputPin>& pPin = m_pPins[m_cPins];
    pPin.reset(new (std::nothrow) CASFSourceFilterOutputPin(this, &m_reader, kind, pPad, &hr));
    gst_object_unref(pPad);
    if (pPin == nullptr)
        return ReportError(ERROR_NOT_ENOUGH_MEMORY);
    ++m_cPins;
    gst_element_add_pad(m_pElement, pPin->Pad());
    return S_OK;
}

HRESULT CASFSourceFilter::GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt)
{
    if (iPosition < 0 || iPosition >= GetPinCount())
        return E_INVALIDARG;
    HRESULT hr = GetPin(iPosition)->GetMediaType(pmt);
    if (FAILED(hr))
        Trace("from %s", "CASFSourceFilter::GetMediaType()");
    return hr;
}

HRESULT CASFSourceFilter::Stop()
{
    std::lock_guard lock(m_lock);
    if (m_pStream == nullptr)
        return S_OK;
    for (int i = 0; i < m_cPins; ++i)
        m_pPins[i]->Activate(false);
    HRESULT hr = m_reader.Reset(m_pStream);
    if (hr != S_OK)
        Trace("from %s", "CASFSourceFilter::Stop()");
    return hr;
}

HRESULT CASFSourceFilter::Restart(LONGLONG llStart, CASFSourceFilterOutputPin* pPin)
{
    std::lock_guard lock(m_lock);
    if (llStart == m_llLastStart) {
        if (m_pLastPin != nullptr && m_pLastPin != pPin)
            return S_OK;
    }
    m_llLastStart = llStart;
    m_pLastPin = pPin;
    HRESULT hr = m_reader.SetRange(llStart, m_reader.GetPlayTime() - llStart);
    if (hr != S_OK)
        Trace("from %s", "CASFSourceFilter::Restart()");
    return hr;
}
