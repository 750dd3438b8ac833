// A subtitle file as loaded: where from, in what encoding and format, and its
// tracks (a SAMI file has one per language class, the others one).
#pragma once

#include "subtitles/SubtitleTrack.h"

#include <string>
#include <vector>

struct SUBTITLEFILE {
    std::string sPath;
    std::string sEncoding;
    SubtitleFormat format = SubtitleFormat::Unknown;
    std::vector<CSubtitleTrack> tracks;
};
