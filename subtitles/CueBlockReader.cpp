#include "CueBlockReader.h"

#include "PangoMarkup.h"
#include "SubtitleTime.h"
#include "SubtitleTrack.h"
#include "TaggedText.h"

#include <algorithm>

namespace {

bool IsBlank(std::string_view sLine)
{
    return sLine.find_first_not_of(" \t\f\v") == std::string_view::npos;
}

bool IsNumber(std::string_view sLine)
{
    size_t first = sLine.find_first_not_of(" \t");
    size_t last = sLine.find_last_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    std::string_view s = sLine.substr(first, last - first + 1);
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool CCueBlockReader::_ParseTiming(std::string_view sLine, LONGLONG* prtStart, LONGLONG* prtEnd)
{
    size_t arrow = sLine.find("-->");
    if (arrow == std::string_view::npos)
        return false;
    size_t cbStart = CSubtitleTime::Parse(sLine.substr(0, arrow), prtStart);
    size_t cbEnd = CSubtitleTime::Parse(sLine.substr(arrow + 3), prtEnd);
    if (cbStart == 0 || cbEnd == 0 || !IsBlank(sLine.substr(cbStart, arrow - cbStart)))
        *prtStart = *prtEnd = -1;
    return true;
}

bool CCueBlockReader::_FindTiming(std::string_view* pLine)
{
    if (m_bHaveTiming) {
        m_bHaveTiming = false;
        *pLine = m_sTiming;
        return true;
    }
    std::string_view sLine;
    while (m_lines.Next(&sLine)) {
        if (sLine.find("-->") != std::string_view::npos) {
            *pLine = sLine;
            return true;
        }
    }
    return false;
}

bool CCueBlockReader::Next(LONGLONG* prtStart, LONGLONG* prtEnd, std::string_view* pText)
{
    std::string_view sTiming;
    if (!_FindTiming(&sTiming))
        return false;
    _ParseTiming(sTiming, prtStart, prtEnd);
    std::string_view sRest = m_lines.Rest();
    size_t cbText = 0;
    size_t cbBeforeNumber = 0;
    bool bLastWasNumber = false;
    std::string_view sLine;
    while (true) {
        size_t cbBefore = sRest.size() - m_lines.Rest().size();
        if (!m_lines.Next(&sLine) || IsBlank(sLine))
            break;
        if (sLine.find("-->") != std::string_view::npos) {
            // A cue without the blank line after it.
            m_bHaveTiming = true;
            m_sTiming = sLine;
            if (bLastWasNumber)
                cbText = cbBeforeNumber;
            break;
        }
        bLastWasNumber = IsNumber(sLine);
        cbBeforeNumber = cbBefore;
        cbText = sRest.size() - m_lines.Rest().size();
    }
    *pText = sRest.substr(0, cbText);
    return true;
}

void CCueBlockReader::ReadInto(std::string_view sText, CSubtitleTrack* pTrack)
{
    CCueBlockReader reader(sText);
    LONGLONG rtStart = 0;
    LONGLONG rtEnd = 0;
    std::string_view sCue;
    while (reader.Next(&rtStart, &rtEnd, &sCue)) {
        CPangoMarkup markup;
        CTaggedText::Append(sCue, CTaggedText::Space::Lines, &markup);
        pTrack->AddCue(rtStart, rtEnd, markup.Finish());
    }
    pTrack->Finish();
}
