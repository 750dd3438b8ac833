// Throughput of our sources against GStreamer's own, side by side in one run:
// brelmasyncfilesrc against filesrc on a 512 MB file straight into a fake
// sink (the source pushes) and on a large AVI through avidemux (the demuxer
// pulls), and brelmasfsrc against filesrc ! asfdemux on a 300 s 720p WMV.
// Prints the median time and CPU of each and the ratios ours / peer.
//
//   bench/source_throughput [MEDIA-DIR] [ROUNDS] [CASES]
//
// The media are made in MEDIA-DIR (default /tmp/korvobench) on the first run
// and reused afterwards. CASES picks the comparisons, a comma-separated list
// of push, pull and asf (default all three).

#include "BenchMedia.h"
#include "ProcessCpu.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gst/gst.h>
#include <sstream>
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

// The cost of one run: seconds from PLAYING to the end of the stream, and
// the CPU seconds of the whole process (every thread) over the same span.
struct RunCost {
    double seconds;
    double cpuSeconds;
};

GstMessage* WaitFor(GstBus* pBus, GstMessageType type, const std::string& description)
{
    GstMessage* pMessage = gst_bus_timed_pop_filtered(pBus, GST_CLOCK_TIME_NONE,
                                                      static_cast<GstMessageType>(type | GST_MESSAGE_ERROR));
    if (GST_MESSAGE_TYPE(pMessage) == GST_MESSAGE_ERROR) {
        std::fprintf(stderr, "%s failed\n", description.c_str());
        std::exit(1);
    }
    return pMessage;
}

// Prerolls the pipeline first, so that what is timed is the streaming alone,
// not the opening of the file or the making of the pads.
RunCost RunToEnd(const std::string& description)
{
    GError* pError = nullptr;
    GstElement* pPipeline = gst_parse_launch(description.c_str(), &pError);
    if (pPipeline == nullptr) {
        std::fprintf(stderr, "%s: %s\n", description.c_str(), pError->message);
        std::exit(1);
    }
    GstBus* pBus = gst_element_get_bus(pPipeline);
    gst_element_set_state(pPipeline, GST_STATE_PAUSED);
    gst_message_unref(WaitFor(pBus, GST_MESSAGE_ASYNC_DONE, description));
    auto start = std::chrono::steady_clock::now();
    double cpuStart = ProcessCpuSeconds();
    gst_element_set_state(pPipeline, GST_STATE_PLAYING);
    gst_message_unref(WaitFor(pBus, GST_MESSAGE_EOS, description));
    RunCost cost = {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                    ProcessCpuSeconds() - cpuStart};
    gst_object_unref(pBus);
    gst_element_set_state(pPipeline, GST_STATE_NULL);
    gst_object_unref(pPipeline);
    return cost;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs both pipelines in alternation and prints the medians, so that a noisy
// moment on the machine does not decide the ratio.
void Compare(const char* pszName, const std::string& path, const std::string& ours, const std::string& peer,
             int rounds)
{
    const std::string descriptions[2] = {ours, peer};
    std::vector<double> seconds[2];
    std::vector<double> cpu[2];
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 2; ++i) {
            RunCost cost = RunToEnd(descriptions[i]);
            seconds[i].push_back(cost.seconds);
            cpu[i].push_back(cost.cpuSeconds);
        }
    }
    const double mb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    const double time[2] = {Median(seconds[0]), Median(seconds[1])};
    const double used[2] = {Median(cpu[0]), Median(cpu[1])};
    std::printf("%-22s %5.0f MB  ours %6.3f s %6.3f cpu (%6.1f MB/s)  peer %6.3f s %6.3f cpu (%6.1f MB/s)  "
                "ratio %.3f, cpu ratio %.3f\n",
                pszName, mb, time[0], used[0], mb / time[0], time[1], used[1], mb / time[1], time[1] / time[0],
                used[0] / used[1]);
}

// The same file through our source and through filesrc, each followed by `tail`.
void CompareSources(const char* pszName, const std::string& path, const std::string& tail, int rounds)
{
    const std::string location = " location=\"" + path + "\" ! ";
    Compare(pszName, path, "brelmasyncfilesrc" + location + tail, "filesrc" + location + tail, rounds);
}

// The cases named on the command line, or all of them.
std::vector<std::string> ChosenCases(int argc, char** argv)
{
    std::vector<std::string> cases;
    std::istringstream list(argc > 3 ? argv[3] : "push,pull,asf");
    for (std::string name; std::getline(list, name, ',');)
        cases.push_back(name);
    return cases;
}

bool Chosen(const std::vector<std::string>& cases, const char* pszName)
{
    return std::find(cases.begin(), cases.end(), pszName) != cases.end();
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
    int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const std::vector<std::string> cases = ChosenCases(argc, argv);
    std::filesystem::create_directories(dir);
    std::printf("ratio = throughput ours / peer (higher is faster); cpu ratio = ours / peer (lower is cheaper); "
                "medians of %d rounds\n",
                rounds);
    // Each file is read once before it is timed, so that every timed run
    // finds it in the page cache.
    if (Chosen(cases, "push")) {
        std::string plain = MakePlainFile(dir);
        WarmPageCache(plain);
        CompareSources("into fakesink (push)", plain, "fakesink sync=false", rounds);
    }
    if (Chosen(cases, "pull")) {
        std::string avi = MakeLargeAvi(dir);
        WarmPageCache(avi);
        CompareSources("avidemux (pull)", avi, "avidemux ! fakesink sync=false", rounds);
    }
    if (!Chosen(cases, "asf"))
        return 0;
    std::string wmv = MakeWmv720p(dir, "long-720p.wmv", 300);
    WarmPageCache(wmv);
    // Each stream of the file goes through a queue of its own into a fake
    // sink, so that both demuxers stream both kinds on two threads (the stock
    // demuxer pushes every stream from one thread, ours from one per pin).
    const std::string wmvLocation = " location=\"" + wmv + "\"";
    const std::string sink = " ! queue ! fakesink sync=false";
    Compare("asf demux (push)", wmv, "brelmasfsrc" + wmvLocation + " name=s s.video" + sink + " s.audio" + sink,
            "filesrc" + wmvLocation + " ! asfdemux name=d d." + sink + " d." + sink, rounds);
    return 0;
}
