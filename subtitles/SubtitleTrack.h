// One subtitle track: its names and the cues it holds. Cues are added while a
// parser reads a file, then Finish() drops the unusable ones, sorts the rest
// by start and cuts the time line into segments with a fixed set of cues on
// screen, so that what shows at any time is found by one binary search.
// Not thread-safe; a finished track is only read and may be shared.
#pragma once

#include "subtitles/SubtitleTypes.h"

#include <cstddef>
#include <string>
#include <vector>

class CSubtitleTrack {
public:
    CSubtitleTrack(std::string sName, std::string sLanguage, SubtitleFormat format, SubtitleKind kind);

    // Bounds: cues kept per track, the bytes of their markup together, and
    // cues on screen at once (later ones that would exceed it are dropped).
    static constexpr size_t kMaxCues = 250000;
    static constexpr size_t kMaxMarkupBytes = 16u << 20;
    static constexpr size_t kMaxActiveCues = 8;

    // Adds a cue; one with a negative start, an end not after its start, no
    // visible text or beyond kMaxCues or kMaxMarkupBytes is counted as
    // skipped instead.
    void AddCue(LONGLONG rtStart, LONGLONG rtEnd, std::string sMarkup);
    void Finish();
    // Names the track once its parser has learnt what it holds.
    void SetLabel(std::string sName, std::string sLanguage);

    const std::string& Name() const { return m_sName; }
    const std::string& Language() const { return m_sLanguage; }
    SubtitleFormat Format() const { return m_format; }
    SubtitleKind Kind() const { return m_kind; }
    size_t SkippedCues() const { return m_cSkipped; }

    // The cues, sorted by start (then end), once finished.
    const std::vector<SUBTITLECUE>& Cues() const { return m_cues; }
    const std::vector<SUBTITLESEGMENT>& Segments() const { return m_segments; }

    // The segment showing at rt, or null when nothing shows; O(log n).
    const SUBTITLESEGMENT* SegmentAt(LONGLONG rt) const;
    // Numbers of the cues on screen at rt, in the order of their starts.
    std::vector<size_t> ActiveCues(LONGLONG rt) const;
    // The markup of a segment: its cues' markup one below the other.
    std::string SegmentMarkup(const SUBTITLESEGMENT& segment) const;
    // The markup on screen at rt, empty when nothing shows.
    std::string MarkupAt(LONGLONG rt) const;

private:
    bool _BuildSegments(std::vector<bool>* pDropped);
    void _EmitSegment(LONGLONG rtStart, LONGLONG rtEnd, const std::vector<uint32_t>& active);

    std::string m_sName;
    std::string m_sLanguage;
    SubtitleFormat m_format;
    SubtitleKind m_kind;
    size_t m_cSkipped = 0;
    size_t m_cbMarkup = 0;
    std::vector<SUBTITLECUE> m_cues;
    std::vector<SUBTITLESEGMENT> m_segments;
    std::vector<uint32_t> m_activeIndices;
};
