#include "SubRipParser.h"

#include "CueBlockReader.h"

void CSubRipParser::Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const
{
    CSubtitleTrack track("", "", SubtitleFormat::SubRip, SubtitleKind::External);
    CCueBlockReader::ReadInto(sText, &track);
    pTracks->push_back(std::move(track));
}
