// Reads the cue blocks of SubRip and WebVTT text: a timing line
// "start --> end [settings]" and the text lines after it, up to a blank line
// or the next timing line (a number just before that line is the next cue's
// number, not text). Lines before the first timing line and between blocks
// (numbers, WebVTT notes and styles) are passed over.
#pragma once

#include "common/ComTypes.h"
#include "subtitles/LineReader.h"

#include <string_view>

class CSubtitleTrack;

class CCueBlockReader {
public:
    explicit CCueBlockReader(std::string_view sText) : m_lines(sText) {}

    // The next cue: its times (rtStart -1 when the timing line is broken)
    // and its text, line ends included. False at the end.
    bool Next(LONGLONG* prtStart, LONGLONG* prtEnd, std::string_view* pText);

    // Adds every cue of sText to *pTrack, its text read as HTML-like lines,
    // and finishes the track.
    static void ReadInto(std::string_view sText, CSubtitleTrack* pTrack);

private:
    static bool _ParseTiming(std::string_view sLine, LONGLONG* prtStart, LONGLONG* prtEnd);
    bool _FindTiming(std::string_view* pLine);

    CLineReader m_lines;
    bool m_bHaveTiming = false;
    std::string_view m_sTiming;
};
