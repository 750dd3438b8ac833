// Feeds arbitrary bytes to the ASF reader as a file: open, read both streams
// in turns, restart in the middle, reset and read again.
#include "common/FileStream.h"
#include "common/Report.h"
#include "filters/ASFReader.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Reads are bounded so that each input stays quick.
constexpr int kMaxSamplesPerPass = 500;

int g_fd = -1;
std::string g_path;

void ReadBothStreams(CASFReader& reader)
{
    bool videoEnded = false;
    bool audioEnded = false;
    for (int i = 0; i < kMaxSamplesPerPass && (!videoEnded || !audioEnded); ++i) {
        BYTE* pbBuffer = nullptr;
        DWORD cbLength = 0;
        LONGLONG cnsTime = 0;
        LONGLONG cnsDuration = 0;
        if (!videoEnded)
            videoEnded = reader.GetVideoSample(&pbBuffer, &cbLength, &cnsTime, &cnsDuration) != S_OK;
        if (!audioEnded)
            audioEnded = reader.GetAudioSample(&pbBuffer, &cbLength, &cnsTime, &cnsDuration) != S_OK;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET);
    SetDebugOutput([](const char*) {});
    // The input becomes a file in memory, opened by name like any other.
    g_fd = ::memfd_create("asf_reader", 0);
    if (g_fd < 0)
        std::abort();
    g_path = "/proc/self/fd/" + std::to_string(g_fd);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbData, size_t cbData)
{
    if (::ftruncate(g_fd, 0) != 0 || ::pwrite(g_fd, pbData, cbData, 0) != static_cast<ssize_t>(cbData))
        std::abort();
    CStream* pStream = new CFileStream();
    CASFReader reader;
    if (pStream->Init(g_path.c_str()) == S_OK && reader.Init(pStream) == S_OK) {
        ReadBothStreams(reader);
        LONGLONG cnsPlayTime = reader.GetPlayTime();
        if (reader.SetRange(cnsPlayTime / 2, cnsPlayTime - cnsPlayTime / 2) == S_OK)
            ReadBothStreams(reader);
        if (pStream->Seek(0, STREAM_SEEK_SET, nullptr) == S_OK && reader.Reset(pStream) == S_OK)
            ReadBothStreams(reader);
        reader.Close();
    }
    pStream->Release();
    return 0;
}
