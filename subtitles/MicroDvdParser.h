// MicroDVD (.sub, .txt): lines "{start}{end}text" in video frames, '|'
// between lines of a cue, {y:b}/{y:i}/{y:u} and {c:$BBGGRR} codes at the start of a
// line (upper case: for the whole cue) mapped to styles, other codes dropped.
// The frame rate is the file's own header "{1}{1}25" when it has one, else
// the one given (the video's), else kDefaultFrameRate. A cue with no end
// ("{100}{}") shows for kOpenEndDuration. One track.
#pragma once

#include "subtitles/PangoMarkup.h"
#include "subtitles/SubtitleParser.h"

#include <string>
#include <vector>

class CMicroDvdParser : public CSubtitleParser {
public:
    static constexpr double kDefaultFrameRate = 23.976;
    static constexpr LONGLONG kOpenEndDuration = 3 * kSubtitleUnitsPerSecond;

    // dFrameRate 0 (or out of 1..1000): the default.
    explicit CMicroDvdParser(double dFrameRate = 0);

    void Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const override;

private:
    static std::string _Markup(std::string_view sText);
    static std::string_view _TakeCodes(std::string_view sLine, CPangoMarkup* pMarkup, bool bCueWide,
                                       std::vector<CPangoMarkup::Style>* pOpened);

    double m_dFrameRate;
};
