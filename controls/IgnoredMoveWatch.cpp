#include "IgnoredMoveWatch.h"

#include <QMouseEvent>
#include <QWidget>

namespace {

// One or two steps may come before the window system answered the first
// request; three in a row, over this long, are the manager's answer.
constexpr int kIgnoredStepsForSystemMove = 3;
constexpr quint64 kIgnoredForMs = 120;

} // namespace

void CIgnoredMoveWatch::Start(const QPoint& ptWindow)
{
    m_ptPressWindow = m_ptRequested = ptWindow;
    m_nIgnoredSteps = 0;
}

bool CIgnoredMoveWatch::Ignored(const QPoint& ptWindow, quint64 msTime)
{
    if (m_ptRequested == m_ptPressWindow || ptWindow != m_ptPressWindow) {
        m_nIgnoredSteps = 0;
        return false;
    }
    if (m_nIgnoredSteps++ == 0)
        m_msFirstIgnored = msTime;
    return m_nIgnoredSteps >= kIgnoredStepsForSystemMove && msTime - m_msFirstIgnored >= kIgnoredForMs;
}

QPoint CIgnoredMoveWatch::WindowAt(const QMouseEvent& event, const QWidget& receiver)
{
    const QPointF inWindow = event.position() + receiver.mapTo(receiver.window(), QPointF(0, 0));
    return (event.globalPosition() - inWindow).toPoint();
}
