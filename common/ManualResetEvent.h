// An event that stays signalled once set, until it is reset: every waiter
// returns while it is set. Used to cut a worker's wait short.
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
};
