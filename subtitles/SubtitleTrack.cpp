#include "SubtitleTrack.h"

#include <algorithm>
#include <numeric>
#include <utility>

CSubtitleTrack::CSubtitleTrack(std::string sName, std::string sLanguage, SubtitleFormat format, SubtitleKind kind)
    : m_sName(std::move(sName)), m_sLanguage(std::move(sLanguage)), m_format(format), m_kind(kind)
{
}

void CSubtitleTrack::SetLabel(std::string sName, std::string sLanguage)
{
    m_sName = std::move(sName);
    m_sLanguage = std::move(sLanguage);
}

void CSubtitleTrack::AddCue(LONGLONG rtStart, LONGLONG rtEnd, std::string sMarkup)
{
    if (rtStart < 0 || rtEnd <= rtStart || sMarkup.empty() || m_cues.size() >= kMaxCues ||
        m_cbMarkup + sMarkup.size() > kMaxMarkupBytes) {
        ++m_cSkipped;
        return;
    }
    m_cbMarkup += sMarkup.size();
    m_cues.push_back({rtStart, rtEnd, std::move(sMarkup)});
}

void CSubtitleTrack::Finish()
{
    std::stable_sort(m_cues.begin(), m_cues.end(), [](const SUBTITLECUE& a, const SUBTITLECUE& b) {
        return a.rtStart != b.rtStart ? a.rtStart < b.rtStart : a.rtEnd < b.rtEnd;
    });
    std::vector<bool> dropped(m_cues.size(), false);
    if (_BuildSegments(&dropped))
        return;
    // Cues beyond the on-screen bound go; without them no time has more
    // cues than the bound, so the second pass drops nothing.
    size_t iKept = 0;
    for (size_t i = 0; i < m_cues.size(); ++i) {
        if (dropped[i])
            continue;
        if (iKept != i)
            m_cues[iKept] = std::move(m_cues[i]);
        ++iKept;
    }
    m_cSkipped += m_cues.size() - iKept;
    m_cues.resize(iKept);
    dropped.assign(m_cues.size(), false);
    _BuildSegments(&dropped);
}

// Sweeps the starts and ends in time order. Returns false when a cue had to
// be dropped (marked in *pDropped); the segments are then incomplete.
bool CSubtitleTrack::_BuildSegments(std::vector<bool>* pDropped)
{
    m_segments.clear();
    m_activeIndices.clear();
    const size_t n = m_cues.size();
    std::vector<uint32_t> byEnd(n);
    std::iota(byEnd.begin(), byEnd.end(), 0u);
    std::sort(byEnd.begin(), byEnd.end(),
              [this](uint32_t a, uint32_t b) { return m_cues[a].rtEnd < m_cues[b].rtEnd; });
    std::vector<uint32_t> active;
    bool bComplete = true;
    size_t iStart = 0;
    size_t iEnd = 0;
    LONGLONG rtSegment = 0;
    while (iEnd < n) {
        LONGLONG rtNext = m_cues[byEnd[iEnd]].rtEnd;
        if (iStart < n)
            rtNext = std::min(rtNext, m_cues[iStart].rtStart);
        if (!active.empty() && rtNext > rtSegment)
            _EmitSegment(rtSegment, rtNext, active);
        for (; iEnd < n && m_cues[byEnd[iEnd]].rtEnd == rtNext; ++iEnd)
            std::erase(active, byEnd[iEnd]);
        for (; iStart < n && m_cues[iStart].rtStart == rtNext; ++iStart) {
            if (active.size() < kMaxActiveCues) {
                active.insert(std::upper_bound(active.begin(), active.end(), static_cast<uint32_t>(iStart)),
                              static_cast<uint32_t>(iStart));
            } else {
                (*pDropped)[iStart] = true;
                bComplete = false;
            }
        }
        rtSegment = rtNext;
    }
    return bComplete;
}

void CSubtitleTrack::_EmitSegment(LONGLONG rtStart, LONGLONG rtEnd, const std::vector<uint32_t>& active)
{
    SUBTITLESEGMENT segment;
    segment.rtStart = rtStart;
    segment.rtEnd = rtEnd;
    segment.iFirst = static_cast<uint32_t>(m_activeIndices.size());
    segment.cActive = static_cast<uint32_t>(active.size());
    m_activeIndices.insert(m_activeIndices.end(), active.begin(), active.end());
    m_segments.push_back(segment);
}

const SUBTITLESEGMENT* CSubtitleTrack::SegmentAt(LONGLONG rt) const
{
    auto it = std::upper_bound(m_segments.begin(), m_segments.end(), rt,
                               [](LONGLONG value, const SUBTITLESEGMENT& segment) { return value < segment.rtStart; });
    if (it == m_segments.begin())
        return nullptr;
    --it;
    return rt < it->rtEnd ? &*it : nullptr;
}

std::vector<size_t> CSubtitleTrack::ActiveCues(LONGLONG rt) const
{
    std::vector<size_t> cues;
    if (const SUBTITLESEGMENT* pSegment = SegmentAt(rt)) {
        for (uint32_t i = 0; i < pSegment->cActive; ++i)
            cues.push_back(m_activeIndices[pSegment->iFirst + i]);
    }
    return cues;
}

std::string CSubtitleTrack::SegmentMarkup(const SUBTITLESEGMENT& segment) const
{
    std::string sMarkup;
    for (uint32_t i = 0; i < segment.cActive; ++i) {
        if (i > 0)
            sMarkup += '\n';
        sMarkup += m_cues[m_activeIndices[segment.iFirst + i]].sMarkup;
    }
    return sMarkup;
}

std::string CSubtitleTrack::MarkupAt(LONGLONG rt) const
{
    const SUBTITLESEGMENT* pSegment = SegmentAt(rt);
    return pSegment != nullptr ? SegmentMarkup(*pSegment) : std::string();
}
