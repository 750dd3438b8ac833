#include "StreamCues.h"

#include <iterator>
#include <vector>

bool CStreamCues::Add(LONGLONG rtStart, LONGLONG rtEnd, std::string sMarkup)
{
    if (rtEnd <= rtStart || sMarkup.empty())
        return false;
    auto it = m_cues.find(rtStart);
    const bool bNew = it == m_cues.end() || it->second.rtEnd != rtEnd || it->second.sMarkup != sMarkup;
    if (it == m_cues.end() && m_cues.size() >= kMaxCues)
        return false;
    m_cues[rtStart] = Cue{rtEnd, std::move(sMarkup)};
    return bNew;
}

std::string CStreamCues::MarkupAt(LONGLONG rt) const
{
    std::vector<const std::string*> showing;
    auto it = m_cues.upper_bound(rt);
    for (int n = 0; n < kMaxOverlap && it != m_cues.begin(); ++n) {
        --it;
        if (it->second.rtEnd > rt)
            showing.push_back(&it->second.sMarkup);
    }
    std::string markup;
    for (auto shown = showing.rbegin(); shown != showing.rend(); ++shown)
        markup += (markup.empty() ? "" : "\n") + **shown;
    return markup;
}
