// WebVTT (.vtt): "WEBVTT" then cue blocks with optional identifiers; cue
// settings (position, alignment) are ignored, notes, styles and regions
// passed over, and the cue tags mapped like SubRip's (<c.yellow> colours,
// <v>, <lang>, <ruby> and time stamps dropped). One track.
#pragma once

#include "subtitles/SubtitleParser.h"

class CWebVttParser : public CSubtitleParser {
public:
    void Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const override;
};
