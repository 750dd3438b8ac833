#include "StreamIOContext.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <cstdio>

namespace {

// Reads reach the stream in blocks of this size.
constexpr int kBufferSize = 64 * 1024;

} // namespace

CStreamIOContext::~CStreamIOContext()
{
    Free();
}

HRESULT CStreamIOContext::Create(CStream* pStream)
{
    Free();
    auto* pbBuffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (pbBuffer != nullptr)
        m_pContext = avio_alloc_context(pbBuffer, kBufferSize, 0, pStream, _Read, nullptr, _Seek);
    if (m_pContext == nullptr) {
        av_free(pbBuffer);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return S_OK;
}

void CStreamIOContext::Free()
{
    if (m_pContext == nullptr)
        return;
    av_freep(&m_pContext->buffer);
    avio_context_free(&m_pContext);
}

int CStreamIOContext::_Read(void* pOpaque, uint8_t* pbBuffer, int cbBuffer)
{
    ULONG cbRead = 0;
    if (cbBuffer <= 0)
        return AVERROR_EOF;
    if (static_cast<CStream*>(pOpaque)->Read(pbBuffer, static_cast<ULONG>(cbBuffer), &cbRead) != S_OK)
        return AVERROR(EIO);
    return cbRead == 0 ? AVERROR_EOF : static_cast<int>(cbRead);
}

int64_t CStreamIOContext::_Seek(void* pOpaque, int64_t llOffset, int nWhence)
{
    auto* pStream = static_cast<CStream*>(pOpaque);
    if (nWhence == AVSEEK_SIZE) {
        LONGLONG total = 0;
        LONGLONG available = 0;
        return pStream->GetLength(&total, &available) == S_OK ? total : AVERROR(EIO);
    }
    nWhence &= ~AVSEEK_FORCE;
    static_assert(SEEK_SET == STREAM_SEEK_SET && SEEK_CUR == STREAM_SEEK_CUR && SEEK_END == STREAM_SEEK_END);
    if (nWhence != SEEK_SET && nWhence != SEEK_CUR && nWhence != SEEK_END)
        return AVERROR(EINVAL);
    ULONGLONG position = 0;
    if (pStream->Seek(llOffset, static_cast<DWORD>(nWhence), &position) != S_OK)
        return AVERROR(EIO);
    return static_cast<int64_t>(position);
}
