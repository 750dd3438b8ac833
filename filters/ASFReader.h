// Reads an ASF file's compressed video and audio samples for the ASF source
// filter: the stream numbers, the play time, the two media types, and one
// sample at a time per stream with its presentation time and duration in
// 100-nanosecond units. The filter's two pin threads and its application
// thread call it at the same time; every call on the sample reader is made
// under the reader lock.
#pragma once

#include "SyncReader.h"

#include <cstdlib>
#include <memory>
#include <mutex>

class CASFReader {
public:
    CASFReader() = default;
    ~CASFReader();
    CASFReader(const CASFReader&) = delete;
    CASFReader& operator=(const CASFReader&) = delete;

    // Opens the file on the stream (from its start) and reads its streams,
    // play time and media types. A file with a video stream, an audio
    // stream or both is read; one with neither fails.
    HRESULT Init(CStream* pStream);

    // The next compressed sample of the stream: its bytes stay valid until
    // the next call for the same stream or destruction. NS_E_NO_MORE_SAMPLES
    // at the end of the stream or of the range.
    HRESULT GetVideoSample(BYTE** ppbBuffer, DWORD* pcbLength, LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration);
    HRESULT GetAudioSample(BYTE** ppbBuffer, DWORD* pcbLength, LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration);
    // The same, handing the sample itself over: its bytes live as long as
    // the caller keeps it, and the reader's current sample is left alone.
    HRESULT TakeVideoSample(SampleBuffer* ppSample, LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration);
    HRESULT TakeAudioSample(SampleBuffer* ppSample, LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration);

    // Restarts both streams at the start time (at the key frame before it).
    HRESULT SetRange(LONGLONG cnsStartTime, LONGLONG cnsDuration);

    HRESULT Close();

    // Makes the next sample or range call open the stream again and read
    // from its start. Nothing is read now, so that stopping never needs the
    // file: a file replaced or damaged meanwhile fails that next call.
    HRESULT Reset(CStream* pStream);

    // Valid from a successful Init until the next Init, a call that carries
    // out a Reset, or destruction. A stream the file lacks has no type.
    const WM_MEDIA_TYPE* GetVideoMediaType() const { return m_pVideoMediaType.get(); }
    const WM_MEDIA_TYPE* GetAudioMediaType() const { return m_pAudioMediaType.get(); }
    LONGLONG GetPlayTime() const { return m_cnsPlayTime; }
    WORD GetVideoStreamNumber() const { return m_wVideoStreamNum; }
    WORD GetAudioStreamNumber() const { return m_wAudioStreamNum; }

private:
    struct FreeDeleter {
        void operator()(WM_MEDIA_TYPE* pType) const { std::free(pType); }
    };
    using MediaTypePtr = std::unique_ptr<WM_MEDIA_TYPE, FreeDeleter>;

    HRESULT _Init(CStream* pStream);
    HRESULT _ReopenIfReset();
    void _Release();
    HRESULT _GetStreamNumber();
    HRESULT _GetPlayTime();
    HRESULT _GetReadyReadingSample();
    HRESULT _GetMediaTypes(WORD wStreamNum, MediaTypePtr* ppMediaType);
    HRESULT _SetVideoFrameSize();
    // One stream's number and its current sample, read under the lock.
    using StreamNumber = WORD CASFReader::*;
    using CurrentSample = SampleBuffer CASFReader::*;
    HRESULT _GetStreamSample(const char* pszCaller, StreamNumber streamNum, CurrentSample current, BYTE** ppbBuffer,
                             DWORD* pcbLength, LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration);
    HRESULT _TakeStreamSample(const char* pszCaller, StreamNumber streamNum, SampleBuffer* ppSample,
                              LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration);
    // Under the reader lock: replaces *ppSample with the stream's next sample.
    HRESULT _GetNextSample(StreamNumber streamNum, SampleBuffer* ppSample, LONGLONG* pcnsSampleTime,
                           LONGLONG* pcnsDuration);

    std::mutex m_lock;
    std::unique_ptr<CSyncReader> m_pReader;
    WORD m_wVideoStreamNum = 0;
    WORD m_wAudioStreamNum = 0;
    SampleBuffer m_pVideoSample;
    SampleBuffer m_pAudioSample;
    MediaTypePtr m_pVideoMediaType;
    MediaTypePtr m_pAudioMediaType;
    LONGLONG m_cnsPlayTime = 0;
    // The stream to open again before the next read, after a Reset.
    CStream* m_pResetStream = nullptr;
};
