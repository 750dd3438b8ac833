// Throughput of our sources against GStreamer's own, side by side in one run:
// brelmasyncfilesrc against filesrc on a 512 MB file straight into a fake
// sink (the source pushes) and on a large AVI through avidemux (the demuxer
// pulls), and brelmasfsrc against filesrc ! asfdemux on a 60 s 720p WMV.
// Prints each time and the ratio of throughputs (ours / peer).
//
//   bench/source_throughput [MEDIA-DIR] [ROUNDS]
//
// The media are made in MEDIA-DIR (default /tmp/korvobench) on the first run
// and reused afterwards.

#include "BenchMedia.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gst/gst.h>
#include <string>
#include <vector>

namespace {

constexpr uintmax_t kPlainSize = 512u * 1024 * 1024;

std::string MakePlainFile(const std::string& dir)
{
    std::string path = dir + "/plain-512M.bin";
    if (std::filesystem::exists(path) && std::filesystem::file_size(path) == kPlainSize)
        return path;
    std::ofstream out(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    uint32_t state = 12345;
    for (uintmax_t written = 0; written < kPlainSize; written += chunk.size()) {
        for (char& c : chunk) {
            state = state * 1664525u + 1013904223u;
            c = static_cast<char>(state >> 24);
        }
        out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    return path;
}

std::string MakeLargeAvi(const std::string& dir)
{
    // Uncompressed 320x240 pictures: 115 kB chunks, about 510 MB in all.
    return MakeMedia(dir, "large-raw.avi",
                     "-f lavfi -i testsrc=size=320x240:rate=25:duration=177 -c:v rawvideo -pix_fmt yuv420p -f avi");
}

// Seconds from PLAYING to the end of the stream.
double RunToEnd(const std::string& description)
{
    GError* pError = nullptr;
    GstElement* pPipeline = gst_parse_launch(description.c_str(), &pError);
    if (pPipeline == nullptr) {
        std::fprintf(stderr, "%s: %s\n", description.c_str(), pError->message);
        std::exit(1);
    }
    auto start = std::chrono::steady_clock::now();
    gst_element_set_state(pPipeline, GST_STATE_PLAYING);
    GstBus* pBus = gst_element_get_bus(pPipeline);
    GstMessage* pMessage = gst_bus_timed_pop_filtered(
        pBus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    auto stop = std::chrono::steady_clock::now();
    if (GST_MESSAGE_TYPE(pMessage) == GST_MESSAGE_ERROR) {
        std::fprintf(stderr, "%s failed\n", description.c_str());
        std::exit(1);
    }
    gst_message_unref(pMessage);
    gst_object_unref(pBus);
    gst_element_set_state(pPipeline, GST_STATE_NULL);
    gst_object_unref(pPipeline);
    return std::chrono::duration<double>(stop - start).count();
}

// Runs both pipelines in alternation and keeps the best time of each, so
// that a noisy moment on the machine does not decide the ratio.
void Compare(const char* pszName, const std::string& path, const std::string& ours, const std::string& peer,
             int rounds)
{
    const uintmax_t size = std::filesystem::file_size(path);
    double best[2] = {1e9, 1e9};
    const std::string descriptions[2] = {ours, peer};
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 2; ++i)
            best[i] = std::min(best[i], RunToEnd(descriptions[i]));
    }
    const double mb = static_cast<double>(size) / (1024.0 * 1024.0);
    std::printf("%-22s %8.0f MB  ours %7.3f s (%7.1f MB/s)  peer %7.3f s (%7.1f MB/s)  ratio %.3f\n", pszName, mb,
                best[0], mb / best[0], best[1], mb / best[1], best[1] / best[0]);
}

// The same file through our source and through filesrc, each followed by `tail`.
void CompareSources(const char* pszName, const std::string& path, const std::string& tail, int rounds)
{
    const std::string location = " location=\"" + path + "\" ! ";
    Compare(pszName, path, "brelmasyncfilesrc" + location + tail, "filesrc" + location + tail, rounds);
}

} // namespace

int main(int argc, char** argv)
{
    gst_init(&argc, &argv);
    GError* pError = nullptr;
    if (gst_plugin_load_file(BRELMSOURCE_PATH, &pError) == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", BRELMSOURCE_PATH, pError->message);
        return 1;
    }
    std::string dir = argc > 1 ? argv[1] : "/tmp/korvobench";
    int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::filesystem::create_directories(dir);
    std::string plain = MakePlainFile(dir);
    std::string avi = MakeLargeAvi(dir);
    std::string wmv = MakeLargeWmv(dir);
    // Read every file once so that every timed run finds it in the page cache.
    for (const std::string& path : {plain, avi, wmv})
        WarmPageCache(path);
    std::printf("throughput ratio = ours / peer (1.000 is equal, higher is faster), best of %d rounds\n", rounds);
    CompareSources("into fakesink (push)", plain, "fakesink sync=false", rounds);
    CompareSources("avidemux (pull)", avi, "avidemux ! fakesink sync=false", rounds);
    // Both demuxers push every stream of the file into a fake sink of its own;
    // the sinks do not wait for each other's preroll, because the stock
    // demuxer pushes both streams from one thread.
    const std::string wmvLocation = " location=\"" + wmv + "\"";
    const std::string sink = " ! fakesink sync=false async=false";
    Compare("asf demux (push)", wmv, "brelmasfsrc" + wmvLocation + " name=s s.video" + sink + " s.audio" + sink,
            "filesrc" + wmvLocation + " ! asfdemux name=d d." + sink + " d." + sink, rounds);
    return 0;
}
