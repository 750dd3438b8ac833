// A media sample: a buffer with the times that say what it holds. For the
// reader pin the times are byte positions times UNITS.
#pragma once

#include "FilterTypes.h"
#include "SingleInterfaceObject.h"

constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = static_cast<HRESULT>(0x80040249u);
inline constexpr IID IID_IMediaSample = {0x56A8689A, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

class IMediaSample : public IUnknown {
public:
    virtual HRESULT GetPointer(BYTE** ppBuffer) = 0;
    virtual LONGLONG GetSize() = 0;
    virtual HRESULT GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pStop) = 0;
    virtual HRESULT SetTime(const REFERENCE_TIME* pStart, const REFERENCE_TIME* pStop) = 0;
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

protected:
    ~CMediaSample() override = default;

private:
    BYTE* m_pBuffer;
    LONGLONG m_cbBuffer;
    bool m_hasTime = false;
    REFERENCE_TIME m_start = 0;
    REFERENCE_TIME m_stop = 0;
};

