#include "IgnoredMoveWatch.h"

namespace {

// One or two steps may come before the window system answered the first
// request; three in a row are the manager's answer.
constexpr int kIgnoredStepsForSystemMove = 3;

} // namespace

void CIgnoredMoveWatch::Start(const QPoint& ptWindow)
{
    m_ptPressWindow = m_ptRequested = ptWindow;
    m_nIgnoredSteps = 0;
}

bool CIgnoredMoveWatch::Ignored(const QPoint& ptWindow)
{
    const bool bIgnored = m_ptRequested != m_ptPressWindow && ptWindow == m_ptPressWindow;
    m_nIgnoredSteps = bIgnored ? m_nIgnoredSteps + 1 : 0;
    return m_nIgnoredSteps >= kIgnoredStepsForSystemMove;
}
