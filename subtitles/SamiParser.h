// SAMI (.smi, .sami): <SYNC Start=ms> blocks, each holding one paragraph per
// language class (<P Class=KRCC>). Every class becomes a track of its own,
// named and tagged with the language its .CLASS rule in the <STYLE> block
// gives (Name:, lang:), in the order of those rules. A sync replaces the
// text of the classes it holds: the previous cue of the class ends at its
// start, and a blank one (&nbsp;) only ends it. Text without a <P> goes to
// the class of the paragraph before it. White space is HTML's, <br> breaks
// the line, styling tags are mapped as in SubRip, unclosed ones are closed
// at the end of the cue. The last cue of a class, which no sync ends, is
// shown for kLastCueDuration.
#pragma once

#include "subtitles/SubtitleParser.h"

#include <string>

class CSamiParser : public CSubtitleParser {
public:
    static constexpr size_t kMaxClasses = 16;
    static constexpr LONGLONG kLastCueDuration = 5 * kSubtitleUnitsPerSecond;

    void Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const override;

private:
    struct CLASSINFO {
        std::string sKey;
        std::string sName;
        std::string sLanguage;
    };

    static std::vector<CLASSINFO> _ReadStyles(std::string_view sText);
    static void _ReadRules(std::string_view sStyle, std::vector<CLASSINFO>* pClasses);
};
