// The ASF source: it opens its file as a stream, reads it with one ASF reader
// and pushes the compressed samples of the file's video and audio streams on
// one output pin per stream the file has, "Video" first and then "Audio",
// each with a streaming task of its own. It lives inside its GStreamer
// element, whose references are the filter's; each pin brings its pad
// ("video", "audio") to the element with the file and takes it away again
// with the next file or the filter's end, so that a sound-only or a
// picture-only file offers only the stream it has.
#pragma once

#include "ASFReader.h"
#include "ASFSourceFilterOutputPin.h"
#include "FileSourceFilter.h"
#include "ServerCounters.h"
#include "WMStubInterfaces.h"
#include "common/FilterInterfaces.h"

#include <memory>
#include <mutex>

class CASFSourceFilter : public IBaseFilter, public CFileSourceFilter, public CWMStubInterfaces {
public:
    // `pElement` holds the filter; the pads come with the pins.
    explicit CASFSourceFilter(GstElement* pElement);
    // Deleted only by the element that holds it.
    ~CASFSourceFilter() override;
    CASFSourceFilter(const CASFSourceFilter&) = delete;
    CASFSourceFilter& operator=(const CASFSourceFilter&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    GstElement* GetElement() override { return m_pElement; }
    int GetPinCount() override;
    // The pins in order, video first, once a file is loaded: pin 0 and 1
    // for a file with both streams, pin 0 alone for a file with one.
    // Null beyond them.
    CASFSourceFilterOutputPin* GetPin(int n);

    HRESULT Load(const char* pszFileName, const AM_MEDIA_TYPE* pmt) override;

    // Ends the pins' streaming and has the reader start again from the
    // file's beginning on its next read. The file is not touched, so a stop
    // always succeeds. The pins keep their positions.
    HRESULT Stop();

    // Restarts the shared reader at `llStart` for the pin that reports it;
    // the other pin's report of the same position passes.
    HRESULT Restart(LONGLONG llStart, CASFSourceFilterOutputPin* pPin);

    LONGLONG GetPlayTime() const { return m_reader.GetPlayTime(); }
    // The stream group that both pins' streams belong to.
    guint GroupId() const { return m_groupId; }

    static constexpr const char* kName = "Brelm ASF Source Filter";

protected:
    HRESULT CreateOutputPin() override;
    HRESULT GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt) override;

private:
    HRESULT _OpenStreamAndReader();
    HRESULT _CreatePins();
    HRESULT _CreatePin(const ASFPinKind& kind, const char* pszPadName);
    void _ReleasePinsAndStream();

    CLiveObject m_liveObject;
    std::recursive_mutex m_lock;
    GstElement* m_pElement;
    CStream* m_pStream = nullptr;
    CASFReader m_reader;
    std::unique_ptr<CASFSourceFilterOutputPin> m_pPins[2];
    int m_cPins = 0;
    LONGLONG m_llLastStart = 0;
    CASFSourceFilterOutputPin* m_pLastPin = nullptr;
    guint m_groupId;
};
