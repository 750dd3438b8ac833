// SubRip (.srt): numbered cues "00:00:01,000 --> 00:00:04,000" with HTML-like
// styling (<b>, <i>, <u>, <font color>) and, in some files, SubStation
// override blocks, which are dropped. One track.
#pragma once

#include "subtitles/SubtitleParser.h"

class CSubRipParser : public CSubtitleParser {
public:
    void Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const override;
};
