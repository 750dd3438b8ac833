// A media sample: a buffer with the times that say what it holds. For the
// reader pin the times are byte positions times UNITS.
#pragma once

#include "FilterTypes.h"
#include "SingleInterfaceObject.h"

constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = static_cast<HRESULT>(0x80040249u);
constexpr HRESULT VFW_E_MEDIA_TIME_NOT_SET = static_cast<HRESULT>(0x80040251u);
constexpr HRESULT VFW_E_BUFFER_OVERFLOW = static_cast<HRESULT>(0x8004020Du);
inline constexpr IID IID_IMediaSample = {0x56A8689A, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

class IMediaSample : public IUnknown {
public:
    virtual HRESULT GetPointer(BYTE** ppBuffer) = 0;
    virtual LONGLONG GetSize() = 0;
    virtual HRESULT GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pStop) = 0;
    virtual HRESULT SetTime(const REFERENCE_TIME* pStart, const REFERENCE_TIME* pStop) = 0;
    // The times of the data in the stream itself, before any seek or rate.
    virtual HRESULT GetMediaTime(LONGLONG* pStart, LONGLONG* pEnd) = 0;
    virtual HRESULT SetMediaTime(const LONGLONG* pStart, const LONGLONG* pEnd) = 0;
    // How many bytes of the buffer hold data.
    virtual LONGLONG GetActualDataLength() = 0;
    virtual HRESULT SetActualDataLength(LONGLONG cbData) = 0;
    // A sample that decodes on its own; a sample to decode but not to show.
    virtual HRESULT IsSyncPoint() = 0;
    virtual HRESULT SetSyncPoint(BOOL fIsSyncPoint) = 0;
    virtual HRESULT IsPreroll() = 0;
    virtual HRESULT SetPreroll(BOOL fIsPreroll) = 0;
};

// A sample over memory that someone else owns (an allocator's block or a
// GStreamer buffer's mapping), which must outlive the sample.
class CMediaSample : public CSingleInterfaceObject<IMediaSample, IID_IMediaSample> {
public:
    CMediaSample(BYTE* pBuffer, LONGLONG cbBuffer);

    HRESULT GetPointer(BYTE** ppBuffer) override;
    LONGLONG GetSize() override;
    HRESULT GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pStop) override;
    HRESULT SetTime(const REFERENCE_TIME* pStart, const REFERENCE_TIME* pStop) override;
    HRESULT GetMediaTime(LONGLONG* pStart, LONGLONG* pEnd) override;
    HRESULT SetMediaTime(const LONGLONG* pStart, const LONGLONG* pEnd) override;
    LONGLONG GetActualDataLength() override;
    HRESULT SetActualDataLength(LONGLONG cbData) override;
    HRESULT IsSyncPoint() override;
    HRESULT SetSyncPoint(BOOL fIsSyncPoint) override;
    HRESULT IsPreroll() override;
    HRESULT SetPreroll(BOOL fIsPreroll) override;

protected:
    ~CMediaSample() override = default;

private:
    BYTE* m_pBuffer;
    LONGLONG m_cbBuffer;
    bool m_hasTime = false;
    REFERENCE_TIME m_start = 0;
    REFERENCE_TIME m_stop = 0;
    bool m_hasMediaTime = false;
    LONGLONG m_mediaStart = 0;
    LONGLONG m_mediaEnd = 0;
    LONGLONG m_cbData = 0;
    bool m_isSyncPoint = false;
    bool m_isPreroll = false;
};

// A sample over a mapped buffer for the length of one call, made on the
// stack: its owner ends it, not a last Release.
class CBufferSample : public CMediaSample {
public:
    using CMediaSample::CMediaSample;
    ~CBufferSample() override = default;
};
