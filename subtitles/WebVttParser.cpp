#include "WebVttParser.h"

#include "CueBlockReader.h"

void CWebVttParser::Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const
{
    CSubtitleTrack track("", "", SubtitleFormat::WebVtt, SubtitleKind::External);
    CCueBlockReader::ReadInto(sText, &track);
    pTracks->push_back(std::move(track));
}
