#include "ManualResetEvent.h"

#include <chrono>

void CManualResetEvent::Set()
{
    {
        std::lock_guard lock(m_lock);
        m_bSignalled = true;
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
    return m_changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), [this] { return m_bSignalled; });
}
