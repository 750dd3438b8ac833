// An event that stays signalled once set, until it is reset: every waiter
// returns while it is set, and a Set wakes every thread waiting at that
// moment even if one of them resets the event at once. Used to cut a
// worker's wait short and to wake the waiters of a reader's queue.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class CManualResetEvent {
public:
    CManualResetEvent() = default;
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();

    // Waits until the event is set or `dwMilliseconds` have passed; true when
    // the event is set.
    bool Wait(uint32_t dwMilliseconds);

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_bSignalled = false;
    // Counts the Set calls, so that a waiter sees a Set it slept through.
    uint64_t m_setCount = 0;
};
