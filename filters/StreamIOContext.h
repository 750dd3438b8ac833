// libavformat input on one of our streams: every read and seek goes to the
// CStream, so a file is never opened a second time by name.
#pragma once

#include "common/Stream.h"

struct AVIOContext;

class CStreamIOContext {
public:
    CStreamIOContext() = default;
    ~CStreamIOContext();
    CStreamIOContext(const CStreamIOContext&) = delete;
    CStreamIOContext& operator=(const CStreamIOContext&) = delete;

    // Builds the context on `pStream`, which must outlive it. Returns 0, or
    // ERROR_NOT_ENOUGH_MEMORY.
    HRESULT Create(CStream* pStream);

    // Frees the context (and the buffer libavformat may have replaced).
    void Free();

    AVIOContext* Get() const { return m_pContext; }

private:
    static int _Read(void* pOpaque, uint8_t* pbBuffer, int cbBuffer);
    static int64_t _Seek(void* pOpaque, int64_t llOffset, int nWhence);

    AVIOContext* m_pContext = nullptr;
};
