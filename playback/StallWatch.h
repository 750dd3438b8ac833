// Tells when a playing graph's position has stood still too long. A sound
// output that no longer takes its samples holds its clock, and with the
// clock every sink of the graph: the file then stands still for good, the
// player still saying it plays. Only the time spent playing counts (not
// paused, not changing state, not at the end), and once told the watch
// tells again only after the position has moved, so that a remedy that
// did not help is not tried over and over.
//
// Not thread-safe: one thread (the user-interface thread) makes every call.
#pragma once

#include "common/ComTypes.h"

#include <chrono>
#include <optional>

class CStallWatch {
public:
    using Clock = std::chrono::steady_clock;

    explicit CStallWatch(Clock::duration limit) : m_limit(limit) {}

    // One look at the graph: `bPlaying` whether it plays, settled, with its
    // file not ended; `llPosition` where it stands. True the first time the
    // position has stood at one place for the limit of playing time.
    bool Observe(bool bPlaying, LONGLONG llPosition, Clock::time_point now);

private:
    Clock::duration m_limit;
    // The position last seen, and since when it has stood there while playing.
    std::optional<LONGLONG> m_llPosition;
    Clock::time_point m_since;
    bool m_bTold = false;
};
