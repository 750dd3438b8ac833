// Fuzzes the asynchronous file source on arbitrary file content: the load
// with its container guess and caps, then reads whose ranges come from the
// input itself (requests, synchronous reads, flushes).

#include "common/FileStream.h"
#include "common/Report.h"
#include "filters/AsyncFileSourceFilter.h"
#include "filters/StreamCaps.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// One read operation taken from the input: kind, start and length.
struct Operation {
    uint8_t kind;
    int64_t first;
    int32_t length;
};

Operation TakeOperation(const uint8_t*& p, const uint8_t* pEnd)
{
    Operation op{};
    if (pEnd - p >= static_cast<ptrdiff_t>(sizeof op)) {
        std::memcpy(&op, p, sizeof op);
        p += sizeof op;
    } else {
        p = pEnd;
    }
    op.first %= 1 << 20;
    op.length %= 1 << 16;
    return op;
}

void Exercise(CAsyncFileSourceFilterOutputPin* pPin, const uint8_t* p, const uint8_t* pEnd)
{
    std::vector<BYTE> buffer(1 << 16);
    while (p < pEnd) {
        Operation op = TakeOperation(p, pEnd);
        auto* pSample = new CMediaSample(buffer.data(), static_cast<LONGLONG>(buffer.size()));
        REFERENCE_TIME tStart = op.first * UNITS;
        REFERENCE_TIME tStop = (op.first + op.length) * UNITS;
        pSample->SetTime(&tStart, &tStop);
        IMediaSample* pDone = nullptr;
        DWORD dwUser = 0;
        switch (op.kind % 4) {
        case 0:
            if (pPin->Request(pSample, 0) == S_OK && pPin->WaitForNext(0, &pDone, &dwUser) == S_OK)
                pDone->Release();
            else
                pSample->Release();
            continue;
        case 1:
            pPin->SyncReadAligned(pSample);
            break;
        case 2:
            pPin->SyncRead(op.first, op.length, buffer.data());
            break;
        default:
            pPin->BeginFlush();
            pPin->EndFlush();
        }
        pSample->Release();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cb)
{
    static bool isReady = [] {
        gst_init(nullptr, nullptr);
        RegisterStreamKind(new CFileStream());
        SetDebugOutput([](const char*) {});
        return true;
    }();
    (void)isReady;
    // The first half is the file, the second half the reads made on it.
    size_t cbFile = cb / 2;
    int fd = ::memfd_create("fuzz", 0);
    if (fd < 0 || ::write(fd, pData, cbFile) != static_cast<ssize_t>(cbFile))
        return 0;
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    auto* pFilter = new CAsyncFileSourceFilter(nullptr);
    if (pFilter->Load(path.c_str(), nullptr) == S_OK) {
        CAsyncFileSourceFilterOutputPin* pPin = pFilter->GetPin(0);
        AM_MEDIA_TYPE mt{};
        pPin->GetMediaType(0, &mt);
        if (GstCaps* pCaps = CapsForStream(mt, pPin->Header()))
            gst_caps_unref(pCaps);
        Exercise(pPin, pData + cbFile, pData + cb);
    }
    pFilter->Release();
    ::close(fd);
    return 0;
}
