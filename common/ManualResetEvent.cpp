#include "ManualResetEvent.h"

#include <chrono>

void CManualResetEvent::Set()
{
    {
        std::lock_guard lock(m_lock);
        m_bSignalled = true;
        ++m_setCount;
    }
    m_changed.notify_all();
}

void CManualResetEvent::Reset()
{
    std::lock_guard lock(m_lock);
    m_bSignalled = false;
}

bool CManualResetEvent::Wait(uint32_t dwMilliseconds)
{
    std::unique_lock lock(m_lock);
    const uint64_t setCountAtStart = m_setCount;
    return m_changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds),
                              [&] { return m_bSignalled || m_setCount != setCountAtStart; });
}
