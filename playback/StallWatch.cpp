#include "StallWatch.h"

bool CStallWatch::Observe(bool bPlaying, LONGLONG llPosition, Clock::time_point now)
{
    if (m_llPosition != llPosition) {
        m_llPosition = llPosition;
        m_since = now;
        m_bTold = false;
        return false;
    }
    // Time paused, changing state or ended does not count.
    if (!bPlaying) {
        m_since = now;
        return false;
    }
    if (m_bTold || now - m_since < m_limit)
        return false;
    m_bTold = true;
    return true;
}
