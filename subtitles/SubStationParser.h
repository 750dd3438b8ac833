// SubStation Alpha and Advanced SubStation (.ssa, .ass): the Dialogue lines
// of the [Events] section, their fields in the order of its Format line (the
// usual ten when there is none). Override blocks {\...} are dropped except
// bold, italic, underline, the primary colour and reset, which are mapped;
// \N is a line break, \h a hard space, and drawings (\p1) are not shown.
// Other styling (positions, fonts, effects) is not kept. One track.
#pragma once

#include "subtitles/SubtitleParser.h"

#include <string>

class CPangoMarkup;

class CSubStationParser : public CSubtitleParser {
public:
    void Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const override;

    // The Pango markup of one Dialogue text.
    static std::string Markup(std::string_view sText);

private:
    static void _ApplyOverrides(std::string_view sBlock, CPangoMarkup* pMarkup, bool* pbDrawing);
};
