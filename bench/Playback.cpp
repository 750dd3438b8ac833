#include "Playback.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// How long one wait for the end lasts before the window's events are served
// again; the wait itself ends as soon as the end comes.
constexpr int kEventWaitMilliseconds = 5;

} // namespace

bool CPlayback::WaitForEnd(int msLimit)
{
    QDeadlineTimer deadline(msLimit);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents();
        switch (_WaitForEvent(kEventWaitMilliseconds)) {
        case Outcome::End:
            return true;
        case Outcome::Failure:
            std::exit(1);
        case Outcome::Nothing:
            break;
        }
    }
    return false;
}
