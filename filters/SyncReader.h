// The synchronous sample reader for ASF files: libavformat's ASF demuxer,
// opened on a CStream, handing out the compressed samples of the streams
// selected, one stream at a time, with presentation times and durations in
// 100-nanosecond units. Samples of the other selected streams wait in a queue
// of their own until their stream is asked for.
//
// Not thread-safe: the caller makes one call at a time.
#pragma once

#include "StreamIOContext.h"
#include "WMMediaType.h"

#include <deque>
#include <memory>
#include <vector>

struct AVFormatContext;
struct AVPacket;
struct AVStream;

struct PacketDeleter {
    void operator()(AVPacket* pPacket) const;
};

// One compressed sample; its bytes are `data` and `size` of the packet.
using SampleBuffer = std::unique_ptr<AVPacket, PacketDeleter>;

enum WMT_ATTR_DATATYPE {
    WMT_TYPE_DWORD = 0,
    WMT_TYPE_STRING = 1,
    WMT_TYPE_BINARY = 2,
    WMT_TYPE_BOOL = 3,
    WMT_TYPE_QWORD = 4,
    WMT_TYPE_WORD = 5,
    WMT_TYPE_GUID = 6,
};

// The file's play time attribute (stream 0), a QWORD in 100-ns units.
constexpr const char* g_wszWMDuration = "Duration";

class CSyncReader {
public:
    // A selected stream that is not read holds at most this many bytes of
    // samples; beyond it its oldest samples are dropped.
    static constexpr size_t kDefaultMaxQueuedBytes = 64 * 1024 * 1024;

    explicit CSyncReader(size_t cbMaxQueued = kDefaultMaxQueuedBytes);
    ~CSyncReader();
    CSyncReader(const CSyncReader&) = delete;
    CSyncReader& operator=(const CSyncReader&) = delete;

    // Opens the stream as an ASF file from its start, holding a reference to
    // it until Close. No stream is selected at first.
    HRESULT OpenStream(CStream* pStream);

    // Closes the file and drops the stream; closing a closed reader succeeds.
    void Close();

    // The streams of the file: for each index, its major type
    // (WMMEDIATYPE_Video, WMMEDIATYPE_Audio, or GUID_NULL for any other
    // kind) and its stream number.
    HRESULT GetStreamCount(DWORD* pcStreams);
    HRESULT GetStream(DWORD dwStreamIndex, GUID* pType, WORD* pwStreamNum);

    // A header attribute: with a null value buffer (or one too small),
    // `*pcbLength` receives the size needed.
    HRESULT GetAttributeByName(WORD wStreamNum, const char* pszName, WMT_ATTR_DATATYPE* pType, BYTE* pValue,
                               WORD* pcbLength);

    // The media type of a stream as one block: the record, then its format
    // block. With a null record (or a size too small) `*pcbType` receives the
    // size needed and the result is ASF_E_BUFFERTOOSMALL.
    HRESULT GetMediaType(WORD wStreamNum, WM_MEDIA_TYPE* pType, DWORD* pcbType);

    // An upper bound on the size of the stream's samples.
    HRESULT GetMaxStreamSampleSize(WORD wStreamNum, DWORD* pcbMax);

    HRESULT SetStreamsSelected(WORD wStreamNum, bool fSelected);

    // The next sample of a selected stream; NS_E_NO_MORE_SAMPLES at the end
    // of the file or of the range.
    HRESULT GetNextSample(WORD wStreamNum, SampleBuffer* ppSample, LONGLONG* pcnsSampleTime, LONGLONG* pcnsDuration,
                          DWORD* pdwFlags);

    // Restarts every selected stream at the key frame at or before the start;
    // samples at or after start + duration are not delivered. A duration of 0
    // or less reads to the end of the file.
    HRESULT SetRange(LONGLONG cnsStartTime, LONGLONG cnsDuration);

private:
    struct StreamState {
        std::deque<SampleBuffer> queue;
        size_t cbQueued = 0;
        bool fSelected = false;
        bool fDiscontinuity = true;
        LONGLONG cnsLastDuration = 0;
        LONGLONG cnsNextTime = 0;
    };

    HRESULT _FindStream(WORD wStreamNum, int* pnIndex) const;
    HRESULT _FillQueue(int nIndex);
    HRESULT _ReadPacket();
    HRESULT _EndOfFile();
    HRESULT _ReadToLastKeyFrame(LONGLONG cnsStartTime);
    bool _VideoPassed(LONGLONG cnsTime) const;
    void _Enqueue(SampleBuffer pSample);
    SampleBuffer _PopSample(int nIndex, LONGLONG cnsTime, LONGLONG* pcnsDuration, DWORD* pdwFlags);
    void _ClearQueues();
    LONGLONG _PlayTime() const;
    bool _SampleTime(const AVPacket& packet, LONGLONG* pcnsTime) const;
    LONGLONG _SampleDuration(int nIndex, const AVPacket& packet, LONGLONG cnsTime) const;

    size_t m_cbMaxQueued;
    CStream* m_pStream = nullptr;
    CStreamIOContext m_io;
    AVFormatContext* m_pFormat = nullptr;
    std::vector<StreamState> m_streams;
    bool m_fEndOfFile = false;
    // The file's length when it was opened (-1 unknown): a file that ends
    // shorter than that was cut or replaced while it was read.
    LONGLONG m_llOpenedLength = -1;
    bool m_fHasRangeEnd = false;
    LONGLONG m_cnsRangeEnd = 0;
    // While a seek looks for its key frame: the start, otherwise -1.
    LONGLONG m_cnsKeyFrameTarget = -1;
};
