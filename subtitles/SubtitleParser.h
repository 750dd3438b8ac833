// What every subtitle format's parser does: read decoded text and add the
// tracks it holds, finished, to a list. A parser skips what it cannot read
// (a cue with a broken time, a reversed one) and goes on; it never fails.
#pragma once

#include "subtitles/SubtitleTrack.h"

#include <string_view>
#include <vector>

class CSubtitleParser {
public:
    virtual ~CSubtitleParser() = default;

    virtual void Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const = 0;
};
