#include "FileSourceFilter.h"

#include "common/Report.h"
#include "common/Utf8.h"

#include <cstring>

CFileSourceFilter::CFileSourceFilter(std::recursive_mutex* pLock) : m_pLock(pLock) {}

HRESULT CFileSourceFilter::Load(const char* pszFileName, const AM_MEDIA_TYPE*)
{
    std::lock_guard lock(*m_pLock);
    if (pszFileName == nullptr) {
        HRESULT hr = ReportError(E_INVALIDARG);
        Trace("lpwszFileName = %llx", Hex(pszFileName));
        Trace("from %s", "CFileSourceFilter::Load()");
        return hr;
    }
    CopyTextToField(pszFileName, m_szFileName, sizeof m_szFileName);
    HRESULT hr = CreateOutputPin();
    if (hr != S_OK)
        Trace("from %s", "CFileSourceFilter::Load()");
    return hr;
}

HRESULT CFileSourceFilter::GetCurFile(char** ppszFileName, AM_MEDIA_TYPE* pmt)
{
    if (ppszFileName == nullptr) {
        HRESULT hr = ReportError(E_INVALIDARG);
        Trace("from %s", "CFileSourceFilter::GetCurFile()");
        return hr;
    }
    std::lock_guard lock(*m_pLock);
    *ppszFileName = nullptr;
    HRESULT hr = _CopyFileName(ppszFileName);
    if (hr == S_OK && pmt != nullptr) {
        hr = GetMediaType(0, pmt);
        if (SUCCEEDED(hr))
            hr = S_OK;
    }
    if (FAILED(hr)) {
        // The caller frees nothing when the call fails.
        CoTaskMemFree(*ppszFileName);
        *ppszFileName = nullptr;
        Trace("from %s", "CFileSourceFilter::GetCurFile()");
    }
    return hr;
}

HRESULT CFileSourceFilter::_CopyFileName(char** ppszFileName) const
{
    if (m_szFileName[0] == '\0')
        return S_OK;
    size_t cb = std::strlen(m_szFileName) + 1;
    auto* pszCopy = static_cast<char*>(CoTaskMemAlloc(cb));
    if (pszCopy == nullptr) {
        HRESULT hr = ReportError(ERROR_NOT_ENOUGH_MEMORY, "Can not alloc memory, size = %d", static_cast<int>(cb));
        Trace("from %s", "CFileSourceFilter::_CopyFileName()");
        return hr;
    }
    std::memcpy(pszCopy, m_szFileName, cb);
    *ppszFileName = pszCopy;
    return S_OK;
}

HRESULT CFileSourceFilter::OpenFileStream(CStream** ppStream) const
{
    CStream* pStream = nullptr;
    HRESULT hr = CStream::CreateInstance(FileName(), &pStream);
    if (hr == S_OK && pStream == nullptr)
        hr = ReportError(ERROR_NOT_SUPPORTED, "No stream kind opens %s", FileName());
    if (hr == S_OK)
        hr = pStream->Init(FileName());
    if (hr != S_OK) {
        if (pStream != nullptr)
            pStream->Release();
        return hr;
    }
    *ppStream = pStream;
    return S_OK;
}
