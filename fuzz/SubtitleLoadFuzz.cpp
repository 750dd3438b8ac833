// Feeds arbitrary bytes through the whole subtitle load path (encoding,
// format, parser, track) and checks what comes out: cues sorted and
// well-formed, segments in order without overlap, every markup UTF-8. The
// first byte picks the locale, the extension and the MicroDVD frame rate.
#include "common/Report.h"
#include "subtitles/SubtitleLoader.h"
#include "subtitles/Utf8Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// Stops the run at a broken promise, naming the line of the check.
void Check(bool bHolds, int nLine = __builtin_LINE())
{
    if (!bHolds) {
        std::fprintf(stderr, "SubtitleLoadFuzz.cpp:%d: check failed\n", nLine);
        std::abort();
    }
}

void CheckTrack(const CSubtitleTrack& track)
{
    const auto& cues = track.Cues();
    for (size_t i = 0; i < cues.size(); ++i) {
        Check(cues[i].rtStart >= 0 && cues[i].rtEnd > cues[i].rtStart && !cues[i].sMarkup.empty());
        Check(i == 0 || cues[i - 1].rtStart <= cues[i].rtStart);
        Check(CUtf8Text::IsValid(cues[i].sMarkup));
    }
    const auto& segments = track.Segments();
    for (size_t i = 0; i < segments.size(); ++i) {
        Check(segments[i].rtStart < segments[i].rtEnd);
        Check(segments[i].cActive > 0 && segments[i].cActive <= CSubtitleTrack::kMaxActiveCues);
        Check(i == 0 || segments[i - 1].rtEnd <= segments[i].rtStart);
        Check(track.SegmentAt(segments[i].rtStart) == &segments[i]);
        Check(CUtf8Text::IsValid(track.SegmentMarkup(segments[i])));
    }
    for (const SUBTITLECUE& cue : cues)
        Check(!track.ActiveCues(cue.rtStart).empty());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetDebugOutput([](const char*) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const kLocales[] = {"ko_KR.UTF-8", "en_US.UTF-8", "C", "ru_RU.UTF-8"};
    static const char* const kExtensions[] = {"srt", "smi", "ass", "vtt", "sub", "", "txt", "SMI"};
    static const double kRates[] = {0, 25, 29.97, 1};
    const uint8_t selector = data[0];
    CSubtitleLoader loader(kLocales[selector & 3], kRates[selector >> 6]);
    SUBTITLEFILE file;
    std::string_view sBytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (loader.LoadBytes(sBytes, kExtensions[(selector >> 2) & 7], &file) == S_OK) {
        for (const CSubtitleTrack& track : file.tracks)
            CheckTrack(track);
    }
    return 0;
}
