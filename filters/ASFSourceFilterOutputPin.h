// An output pin of the ASF source: it pushes the compressed samples of one
// stream of the shared ASF reader on a GStreamer source pad, from a streaming
// task of its own. Each sample goes downstream in the reader's own memory
// (no copy), and a pin's samples downstream hold at most the bytes of three
// of its buffers at a time (its gate). Each sample is stamped relative to the
// pin's start position and rate; the pad's segment carries the same start
// and rate, so GStreamer's running time of a buffer equals the stamped time.
// A new start position flushes the pad and restarts the shared reader
// through the filter.
//
// Threads:
// - Each pin's streaming task (a GstTask of its pad) runs _Loop: taking a
//   sample (as FillBuffer does) and the pushes downstream. Only it touches
//   m_needStartEvents, m_needSegment and m_isDiscont while it runs.
// - The application's threads activate and deactivate the pads (Activate),
//   seek the element (SuspendForSeek, SetPositions, ResumeAfterSeek, under the
//   element's seek lock) and stop the filter (CASFSourceFilter::Stop).
// Locks, in the order they are taken:
//   the element's seek lock (one seek at a time)
//   -> m_lock, the pin lock: a whole FillBuffer or sample taken, and the seeking
//      positions
//   -> the filter's lock (CASFSourceFilter::Restart and Stop)
//   -> m_taskLock: starting, pausing and stopping the task, m_pGate,
//      m_isActive, m_isStreaming, m_seqnum
//   -> the reader's lock, innermost (every call on the ASF reader).
//   The gate's own lock is innermost too: nothing is taken while it is held.
//   A seek pauses both tasks before it takes a pin lock, so a task is never
//   waited for while its pin lock is wanted.
// Ownership: the filter owns its pins and the reader they share; the pin
// holds a pointer to its pad, whose element owns the filter. A gate is made
// for each activation and shared with the buffers in flight: a buffer freed
// after a deactivation gives its room back to the old gate.
#pragma once

#include "ASFReader.h"
#include "MediaSample.h"
#include "MediaSeeking.h"
#include "SampleGate.h"

#include <atomic>
#include <cstddef>
#include <gst/gst.h>
#include <memory>
#include <mutex>
#include <vector>

class CASFSourceFilter;

// What tells the video pin from the audio pin.
struct ASFPinKind {
    const char* pszName;
    const char* pszObjectName;
    // The class name used in traces.
    const char* pszClassName;
    const GUID* pFormatType;
    const WM_MEDIA_TYPE* (CASFReader::*pfnMediaType)() const;
    HRESULT (CASFReader::*pfnTakeSample)(SampleBuffer*, LONGLONG*, LONGLONG*);
};

extern const ASFPinKind kASFVideoPin;
extern const ASFPinKind kASFAudioPin;

// The seeking capabilities of both pins: absolute, forwards and backwards
// seeks, the stop position and the duration.
constexpr DWORD kASFPinSeekingCapabilities = 0x37;

class CASFSourceFilterOutputPin : public CMediaSeeking {
public:
    // Takes the pin's media type from the reader; `*phr` tells whether the
    // reader's type has the pin's format. The pin keeps a reference to its
    // pad for its whole life.
    CASFSourceFilterOutputPin(CASFSourceFilter* pFilter, CASFReader* pReader, const ASFPinKind& kind, GstPad* pPad,
                              HRESULT* phr);
    ~CASFSourceFilterOutputPin() override;

    const char* Name() const { return m_kind.pszName; }
    const char* ObjectName() const { return m_kind.pszObjectName; }
    GstPad* Pad() const { return m_pPad; }

    // The pin's one media type: the reader's type of its stream.
    HRESULT GetMediaType(AM_MEDIA_TYPE* pmt);
    // S_OK when the major type and the subtype are the pin's, else S_FALSE.
    HRESULT CheckMediaType(const AM_MEDIA_TYPE* pmt);
    // The pad's caps for the media type, or null when GStreamer has none.
    GstCaps* GetCaps() const;

    // Copies the stream's next sample into the buffer and stamps it; S_FALSE
    // at the end of the stream. A sample larger than the buffer is refused.
    // Streaming takes the same samples without the copy.
    HRESULT FillBuffer(IMediaSample* pSample);

    // Starts streaming when the pad is activated (if it is linked) and ends
    // it when the pad is deactivated.
    HRESULT Activate(bool fActive);
    // A pad that the element added while starting is activated at once and
    // linked only after that: it starts streaming when it is linked.
    void OnLinked();

    // A seek of the whole filter: stops streaming with a flush (true when the
    // pin was streaming), then, after the positions changed, streams again.
    bool SuspendForSeek(guint32 seqnum);
    void ResumeAfterSeek(guint32 seqnum);

    // The time of the latest sample pushed, or the start position before any.
    LONGLONG Position() const { return m_llPosition.load(); }

protected:
    LONGLONG GetMediaDuration() override;
    HRESULT ChangeStart() override;
    HRESULT ChangeStop() override;
    HRESULT ChangeRate() override;

private:
    HRESULT _FillBuffer(IMediaSample* pSample);
    // Under the pin lock: the stream's next sample from the reader, with its
    // length and stamps set on pSample (whose size bounds it).
    HRESULT _TakeSample(IMediaSample* pSample, SampleBuffer* ppPacket);
    HRESULT _StampSample(IMediaSample* pSample, LONGLONG llSampleTime, LONGLONG llDuration);
    // The largest sample the pin passes: an uncompressed frame for video, the
    // largest sample of the stream for audio.
    DWORD _BufferSize() const;

    static void _Loop(gpointer pPin);
    void _PushStartEvents();
    GstFlowReturn _PushSample();
    GstFlowReturn _FlowOfFailedSample(HRESULT hr);
    GstBuffer* _WrapSample(SampleBuffer pPacket, std::size_t cbTaken);
    void _EndStreaming(GstFlowReturn flow);
    void _PostNoSampleError();
    HRESULT _StartStreamingIfLinked();
    void _StartTask();
    void _StopTask();

    CASFSourceFilter* m_pFilter;
    CASFReader* m_pReader;
    const ASFPinKind& m_kind;
    GstPad* m_pPad;
    // The pin lock: held for a whole FillBuffer or sample taken and by the
    // seeking positions.
    std::recursive_mutex m_lock;
    WM_MEDIA_TYPE m_mediaType{};
    std::vector<BYTE> m_format;
    bool m_hasMediaType = false;

    // Serialises starting and stopping the streaming task.
    std::mutex m_taskLock;
    std::shared_ptr<CSampleGate> m_pGate;
    bool m_isActive = false;
    bool m_isStreaming = false;
    guint32 m_seqnum = GST_SEQNUM_INVALID;
    // Read and written by the streaming task only while it runs.
    bool m_needStartEvents = true;
    bool m_needSegment = true;
    bool m_isDiscont = true;
    // Whether a sample was pushed since the pad was activated.
    bool m_hasDelivered = false;
    std::atomic<LONGLONG> m_llPosition{0};
};
