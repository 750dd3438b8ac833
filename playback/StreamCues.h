// The cues of a subtitle stream of the media file, gathered as its
// decoder delivers them (ahead of the pictures they belong to). A cue
// delivered again after a seek replaces the one with the same start.
// Not thread-safe: the subtitle overlay guards it.
#pragma once

#include "common/ComTypes.h"

#include <map>
#include <string>

class CStreamCues {
public:
    // Cues kept at most; later ones are dropped.
    static constexpr size_t kMaxCues = 250000;
    // Cues looked at before a time when finding what shows then: more than
    // this many overlapping cues are not shown together.
    static constexpr int kMaxOverlap = 8;

    // A cue without text, or not ending after its start, is dropped.
    // True for a cue not known before (not one delivered again).
    bool Add(LONGLONG rtStart, LONGLONG rtEnd, std::string sMarkup);
    // The markup of the cues showing at rt, one below the other in the
    // order of their starts; empty when none shows.
    std::string MarkupAt(LONGLONG rt) const;
    size_t Count() const { return m_cues.size(); }

private:
    struct Cue {
        LONGLONG rtEnd;
        std::string sMarkup;
    };
    std::map<LONGLONG, Cue> m_cues;
};
