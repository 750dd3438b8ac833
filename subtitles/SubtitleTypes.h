// The vocabulary of the subtitle layer: formats, track kinds, a cue and a
// stretch of time with one fixed set of cues on screen. Times are in the
// system's reference time, 100-ns units.
#pragma once

#include "common/ComTypes.h"

#include <cstdint>
#include <string>

constexpr LONGLONG kSubtitleUnitsPerMs = 10000;
constexpr LONGLONG kSubtitleUnitsPerSecond = 10000000;

enum class SubtitleFormat { Unknown, SubRip, Sami, SubStation, WebVtt, MicroDvd };

// Where a track comes from: a text file beside the video (or opened for it),
// or a stream of the media file itself.
enum class SubtitleKind { External, Embedded };

inline const char* SubtitleFormatName(SubtitleFormat format)
{
    switch (format) {
    case SubtitleFormat::SubRip: return "SubRip";
    case SubtitleFormat::Sami: return "SAMI";
    case SubtitleFormat::SubStation: return "SubStation Alpha";
    case SubtitleFormat::WebVtt: return "WebVTT";
    case SubtitleFormat::MicroDvd: return "MicroDVD";
    case SubtitleFormat::Unknown: break;
    }
    return "unknown";
}

// One cue: shown from rtStart up to (not including) rtEnd. sMarkup is Pango
// markup: escaped text, "\n" between lines, <b>, <i>, <u> and
// <span foreground="#rrggbb">, always balanced.
struct SUBTITLECUE {
    LONGLONG rtStart = 0;
    LONGLONG rtEnd = 0;
    std::string sMarkup;
};

// A stretch [rtStart, rtEnd) during which the same cues are on screen: cActive
// cue numbers from iFirst on in the track's list of active cues, in the order
// of the cues' starts.
struct SUBTITLESEGMENT {
    LONGLONG rtStart = 0;
    LONGLONG rtEnd = 0;
    uint32_t iFirst = 0;
    uint32_t cActive = 0;
};
