// The asynchronous file source: it opens its file as a stream, and its one
// output pin serves the file's bytes to the parsers that pull them. It has no
// thread of its own. When it lives inside a GStreamer element, the element's
// references are the filter's.
#pragma once

#include "AsyncFileSourceFilterOutputPin.h"
#include "FileSourceFilter.h"
#include "ServerCounters.h"
#include "common/FilterInterfaces.h"

#include <atomic>
#include <mutex>

class CAsyncFileSourceFilter : public IBaseFilter, public CFileSourceFilter {
public:
    // `pElement` is the element that holds the filter, or null for a filter
    // that counts its own references (and starts with one).
    explicit CAsyncFileSourceFilter(GstElement* pElement);
    // Deleted directly only by the element that holds it.
    ~CAsyncFileSourceFilter() override;
    CAsyncFileSourceFilter(const CAsyncFileSourceFilter&) = delete;
    CAsyncFileSourceFilter& operator=(const CAsyncFileSourceFilter&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    GstElement* GetElement() override { return m_pElement; }
    int GetPinCount() override;
    // The output pin (index 0) once a file is loaded, otherwise null.
    CAsyncFileSourceFilterOutputPin* GetPin(int n);

    HRESULT Load(const char* pszFileName, const AM_MEDIA_TYPE* pmt) override;

    static constexpr const char* kName = "Brelm Async File Source Filter";

protected:
    HRESULT CreateOutputPin() override;
    HRESULT GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt) override;

private:
    void _ReleasePinAndStream();

    CLiveObject m_liveObject;
    std::recursive_mutex m_lock;
    GstElement* m_pElement;
    std::atomic<ULONG> m_refCount{1};
    CStream* m_pStream = nullptr;
    CAsyncFileSourceFilterOutputPin* m_pPin = nullptr;
};
