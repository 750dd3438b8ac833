#include "EventLoopWait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

// How long the thread serves events between two looks at the condition.
// Many conditions grab and scan the screen; looking more often than this
// only takes processor time from the code under test.
constexpr int kLookEveryMs = 10;

} // namespace

bool WaitFor(const std::function<bool()>& condition, int msLimit)
{
    QDeadlineTimer deadline(msLimit);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(kLookEveryMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}
