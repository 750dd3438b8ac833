// Plays a 2 s WMV through our graph controller again and again, the way the
// player plays and stops files, and prints the process's memory and open
// descriptors every 50 cycles: resident memory that keeps growing after the
// first cycles, or descriptors that pile up, are leaks.
//
//   DISPLAY=:N bench/playback_soak [CYCLES] [PLAY-MS] [MEDIA-DIR] [options]
//
// CYCLES defaults to 300. PLAY-MS is how long each cycle plays before it
// stops; 0 (the default) plays every cycle to the end of the stream. Options:
//   --video-sink=K   K = auto (the path the player picks), gl or x (the
//                    path forced as KORVOPLAYER_VIDEO_SINK forces it), or
//                    fake (every window sink taken out of GStreamer's
//                    registry first)
//   --mappings=N     at the end, the N mappings whose resident memory grew
//                    most over the first 50 cycles and after them

#include "BenchMedia.h"
#include "BenchWindow.h"
#include "MemorySnapshot.h"
#include "OurPlayback.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <gst/gst.h>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

constexpr int kReportEvery = 50;
constexpr int kWidth = 640;
constexpr int kHeight = 360;
// A 2 s clip that has not ended by then is broken.
constexpr int kClipLimitMilliseconds = 30000;

struct Options {
    int cycles = 300;
    int playMilliseconds = 0;
    std::string mediaDir = "/tmp/korvobench";
    std::string videoSink = "auto";
    size_t nMappings = 0;
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--video-sink=", 0) == 0)
            options.videoSink = argument.substr(std::strlen("--video-sink="));
        else if (argument.rfind("--mappings=", 0) == 0)
            options.nMappings = std::stoul(argument.substr(std::strlen("--mappings=")));
        else
            positional.push_back(argument);
    }
    if (positional.size() > 0)
        options.cycles = std::max(1, std::stoi(positional[0]));
    if (positional.size() > 1)
        options.playMilliseconds = std::max(0, std::stoi(positional[1]));
    if (positional.size() > 2)
        options.mediaDir = positional[2];
    return options;
}

// Forces the player's video path (gl, x), or takes every video sink that
// draws into a window out of the registry (fake), so that the sink factory
// falls through to a null sink.
void ForceVideoSink(const std::string& kind)
{
    if (kind == "gl" || kind == "x") {
        ::setenv("KORVOPLAYER_VIDEO_SINK", kind.c_str(), 1);
        return;
    }
    if (kind != "auto" && kind != "fake") {
        std::fprintf(stderr, "unknown video sink %s: auto, gl, x or fake\n", kind.c_str());
        std::exit(1);
    }
    if (kind == "auto")
        return;
    GstRegistry* pRegistry = gst_registry_get();
    for (const char* pszSink : {"xvimagesink", "glimagesink", "ximagesink"})
        if (GstPluginFeature* pFeature = gst_registry_lookup_feature(pRegistry, pszSink)) {
            gst_registry_remove_feature(pRegistry, pFeature);
            gst_object_unref(pFeature);
        }
}

void PrintCheckpoint(const char* pszWhat, int cycle, const CMemorySnapshot& snapshot)
{
    std::printf("%-8s %4d  %s\n", pszWhat, cycle, snapshot.Line().c_str());
    std::fflush(stdout);
}

// One cycle: play, let it run for the given time or to its end, stop.
void PlayCycle(COurPlayback& player, const std::string& path, const Options& options)
{
    if (!player.Start(path, true))
        std::exit(1);
    const bool toTheEnd = options.playMilliseconds == 0;
    if (player.WaitForEnd(toTheEnd ? kClipLimitMilliseconds : options.playMilliseconds) != toTheEnd) {
        std::fprintf(stderr, toTheEnd ? "%s did not end\n" : "%s ended early\n", path.c_str());
        std::exit(1);
    }
    player.Stop();
}

} // namespace

int main(int argc, char** argv)
{
    auto pApplication = StartWindowSystem(argc, argv, "playback_soak");
    const Options options = ParseOptions(argc, argv);
    ForceVideoSink(options.videoSink);
    std::filesystem::create_directories(options.mediaDir);
    const std::string path =
        MakeMedia(options.mediaDir, "soak-2s.wmv", PictureAndTone("640x360", 2) + "-c:v wmv2 -b:v 1M -c:a wmav2 -f asf");

    QWidget screen;
    screen.resize(kWidth, kHeight);
    ShowNativeScreen(screen);
    COurPlayback ours(&screen, std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());

    std::printf("%d play/stop cycles of %s, %s each, video sink %s\n", options.cycles, path.c_str(),
                options.playMilliseconds == 0 ? "to the end" : (std::to_string(options.playMilliseconds) + " ms").c_str(),
                options.videoSink.c_str());
    const CMemorySnapshot start = CMemorySnapshot::Take();
    CMemorySnapshot warm = start;
    PrintCheckpoint("cycles", 0, start);
    for (int cycle = 1; cycle <= options.cycles; ++cycle) {
        PlayCycle(ours, path, options);
        if (cycle % kReportEvery != 0 && cycle != options.cycles)
            continue;
        const CMemorySnapshot now = CMemorySnapshot::Take();
        PrintCheckpoint("cycles", cycle, now);
        if (cycle <= kReportEvery)
            warm = now;
    }
    const CMemorySnapshot last = CMemorySnapshot::Take();
    // The graph controller trims after every stop: what one more trim gives
    // back was left by something else.
    malloc_trim(0);
    PrintCheckpoint("trimmed", options.cycles, CMemorySnapshot::Take());
    if (options.nMappings > 0)
        std::printf("grown in the first %d cycles:\n%safter them:\n%s", kReportEvery,
                    warm.Growth(start, options.nMappings).c_str(), last.Growth(warm, options.nMappings).c_str());
    return 0;
}
