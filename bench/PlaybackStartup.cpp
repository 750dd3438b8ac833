// How fast our player starts and plays against GStreamer's playbin, side by
// side in one run: the time from Play to the first video frame (or, for an
// MP3, the first audio buffer) at the renderer and to the end of the stream
// for short clips of each format we play, and the process's CPU time for
// 30 s of 720p playback. Both players render into the same native window
// through the same kinds of sink, synchronised to the clock. Prints each
// time and the ratio ours / peer (lower is better).
//
//   DISPLAY=:N bench/playback_startup [MEDIA-DIR] [ROUNDS]
//
// The media are made in MEDIA-DIR (default /tmp/korvobench) on the first run
// and reused afterwards.

#include "BenchMedia.h"
#include "BenchWindow.h"
#include "OurPlayback.h"
#include "PeerPlayback.h"
#include "ProcessCpu.h"
#include "SinkProbe.h"

#include <QWidget>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gst/gst.h>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Clip {
    const char* pszName;
    const char* pszFile;
    std::string arguments;
    bool hasVideo;
};

// 5 s at 640x360, one per format, and the MP3 (sound only).
std::vector<Clip> ShortClips()
{
    const std::string picture = PictureAndTone("640x360", 5);
    return {{"avi mpeg4+mp3", "clip-360p.avi", picture + "-c:v mpeg4 -b:v 2M -c:a libmp3lame -f avi", true},
            {"mpeg-ps mpeg2+mp2", "clip-360p.mpg", picture + "-c:v mpeg2video -b:v 2M -c:a mp2 -f vob", true},
            {"wmv wmv2+wma2", "clip-360p.wmv", picture + "-c:v wmv2 -b:v 2M -c:a wmav2 -f asf", true},
            {"mp3", "clip.mp3", Tone(5) + "-c:a libmp3lame -b:a 128k -f mp3", false}};
}

constexpr int kShortWidth = 640;
constexpr int kShortHeight = 360;
constexpr int kLargeWidth = 1280;
constexpr int kLargeHeight = 720;
constexpr int kCpuWindowMilliseconds = 30000;
// A short clip that has not ended by then is broken.
constexpr int kClipLimitMilliseconds = 30000;

// The best (lowest) of each player's rounds, with the pictures that reached
// the renderer in that round where they are counted.
struct Best {
    double values[2] = {1e9, 1e9};
    long pictures[2] = {0, 0};

    void Add(int player, double value, long nPictures = 0)
    {
        if (value < values[player]) {
            values[player] = value;
            pictures[player] = nPictures;
        }
    }
};

// One line of times or CPU seconds; `pszTarget` is the ratio aimed at, if any.
void Print(const char* pszWhat, const char* pszClip, const Best& best, const char* pszTarget = "")
{
    const double ratio = best.values[0] / best.values[1];
    std::printf("%-14s %-20s ours %7.3f s  peer %7.3f s  ratio %.3f  %s\n", pszWhat, pszClip, best.values[0],
                best.values[1], ratio, pszTarget);
    std::fflush(stdout);
}

// The pictures of the CPU rounds kept, and the CPU each cost.
void PrintPictures(const Best& cpu)
{
    double msPerPicture[2];
    for (int player = 0; player < 2; ++player)
        msPerPicture[player] = cpu.values[player] * 1000.0 / static_cast<double>(std::max(cpu.pictures[player], 1L));
    std::printf("  %-33s ours %7ld    peer %7ld    CPU per picture ratio %.3f (%.2f / %.2f ms)\n",
                "pictures at the renderer", cpu.pictures[0], cpu.pictures[1], msPerPicture[0] / msPerPicture[1],
                msPerPicture[0], msPerPicture[1]);
    std::fflush(stdout);
}

// CPU seconds of a gst-play-1.0 process over its first 30 s, drawing through
// the kinds of sink our factory chose; a cross-check of the peer in our
// process, not compared with ours.
double ExternalPlayerCpu(const std::string& path)
{
    const std::string videoSink = std::string("--videosink=") + CSinkProbe::VideoSinkKind();
    std::string audioSink = std::string("--audiosink=") + CSinkProbe::AudioSinkKind();
    if (audioSink == "--audiosink=fakesink")
        audioSink += " sync=true";
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("gst-play-1.0", "gst-play-1.0", "-q", "--no-interactive", videoSink.c_str(), audioSink.c_str(),
               path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kCpuWindowMilliseconds));
    std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    // After the command name in parentheses: fields 3 onwards; user and
    // system time are fields 14 and 15, in clock ticks.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::vector<std::string> values{std::istream_iterator<std::string>(fields), {}};
    if (values.size() < 13) {
        std::fprintf(stderr, "gst-play-1.0 did not run\n");
        return -1;
    }
    return (std::stod(values[11]) + std::stod(values[12])) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Plays a short clip to its end; the first frame and the end, in seconds
// from the start.
void PlayClip(CPlayback& player, const std::string& path, bool hasVideo, double* pFirst, double* pEnd)
{
    CSinkProbe::Arm();
    if (!player.Start(path, hasVideo))
        std::exit(1);
    if (!player.WaitForEnd(kClipLimitMilliseconds)) {
        std::fprintf(stderr, "%s did not end\n", path.c_str());
        std::exit(1);
    }
    *pEnd = CSinkProbe::Elapsed();
    player.Stop();
    *pFirst = hasVideo ? CSinkProbe::FirstVideo() : CSinkProbe::FirstAudio();
    if (*pFirst < 0) {
        std::fprintf(stderr, "no buffer reached the renderer playing %s\n", path.c_str());
        std::exit(1);
    }
}

// CPU seconds of the whole process over the first 30 s of wall time from
// the start, and the pictures that reached the renderer meanwhile.
double PlayForCpu(CPlayback& player, const std::string& path, long* pnFrames)
{
    const double cpuBefore = ProcessCpuSeconds();
    CSinkProbe::Arm();
    if (!player.Start(path, true))
        std::exit(1);
    const int msLeft = kCpuWindowMilliseconds - static_cast<int>(CSinkProbe::Elapsed() * 1000);
    if (player.WaitForEnd(std::max(msLeft, 0))) {
        std::fprintf(stderr, "%s ended within %d ms\n", path.c_str(), kCpuWindowMilliseconds);
        std::exit(1);
    }
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    *pnFrames = CSinkProbe::VideoBuffers();
    player.Stop();
    return cpu;
}

void CompareShortClips(CPlayback* players[2], QWidget& screen, const std::string& dir, int rounds)
{
    screen.resize(kShortWidth, kShortHeight);
    for (const Clip& clip : ShortClips()) {
        std::string path = MakeMedia(dir, clip.pszFile, clip.arguments);
        WarmPageCache(path);
        Best first;
        Best end;
        // Round 0 is not counted: it loads the plugins and libraries that
        // the clip's format needs, which both players share.
        for (int round = 0; round <= rounds; ++round)
            for (int player = 0; player < 2; ++player) {
                double dFirst = 0;
                double dEnd = 0;
                PlayClip(*players[player], path, clip.hasVideo, &dFirst, &dEnd);
                if (round > 0) {
                    first.Add(player, dFirst);
                    end.Add(player, dEnd);
                }
            }
        Print(clip.hasVideo ? "first frame" : "first audio", clip.pszName, first, "(target 1.2)");
        Print("end of stream", clip.pszName, end);
    }
    std::printf("sinks (video / audio): %s / %s\n", CSinkProbe::VideoSinkKind(), CSinkProbe::AudioSinkKind());
}

void CompareCpu(CPlayback* players[2], QWidget& screen, const std::string& dir, int rounds)
{
    screen.resize(kLargeWidth, kLargeHeight);
    const std::pair<const char*, std::string> clips[] = {
        {"avi 720p mpeg4+mp3",
         MakeMedia(dir, "large-720p.avi", PictureAndTone("1280x720", 60) + "-c:v mpeg4 -b:v 6M -c:a libmp3lame -f avi")},
        {"wmv 720p wmv2+wma2", MakeWmv720p(dir, "large-720p.wmv", 60)}};
    for (const auto& [pszName, path] : clips) {
        WarmPageCache(path);
        Best cpu;
        for (int round = 0; round < rounds; ++round)
            for (int player = 0; player < 2; ++player) {
                long nPictures = 0;
                const double cpuSeconds = PlayForCpu(*players[player], path, &nPictures);
                cpu.Add(player, cpuSeconds, nPictures);
            }
        Print("cpu for 30 s", pszName, cpu, "(target 1.1)");
        PrintPictures(cpu);
        std::printf("  cross-check: gst-play-1.0 alone, one run: %.3f s CPU\n", ExternalPlayerCpu(path));
    }
}

} // namespace

int main(int argc, char** argv)
{
    auto pApplication = StartWindowSystem(argc, argv, "playback_startup");
    CSinkProbe::Install();
    const std::string dir = argc > 1 ? argv[1] : "/tmp/korvobench";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::filesystem::create_directories(dir);

    // One native window for both players, as the player's screen window is.
    QWidget screen;
    ShowNativeScreen(screen);
    COurPlayback ours(&screen, std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
    CPeerPlayback peer(&screen);
    CPlayback* players[2] = {&ours, &peer};

    std::printf("time and CPU ratio = ours / peer (1.000 is equal, lower is better), best of %d rounds\n", rounds);
    CompareShortClips(players, screen, dir, rounds);
    CompareCpu(players, screen, dir, rounds);
    return 0;
}
