#include "SampleGate.h"

bool CSampleGate::Acquire()
{
    std::unique_lock lock(m_lock);
    m_freed.wait(lock, [this] { return m_isFlushing || m_cOut < m_cMax; });
    if (m_isFlushing)
        return false;
    ++m_cOut;
    return true;
}

void CSampleGate::Release()
{
    {
        std::lock_guard lock(m_lock);
        --m_cOut;
    }
    m_freed.notify_one();
}

void CSampleGate::SetFlushing(bool fFlushing)
{
    {
        std::lock_guard lock(m_lock);
        m_isFlushing = fFlushing;
    }
    m_freed.notify_all();
}
