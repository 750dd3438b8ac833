#include "SampleGate.h"

bool CSampleGate::Acquire(std::size_t cb)
{
    std::unique_lock lock(m_lock);
    m_freed.wait(lock, [this, cb] { return m_isFlushing || _HasRoom(cb); });
    if (m_isFlushing)
        return false;
    m_cbOut += cb;
    return true;
}

void CSampleGate::Release(std::size_t cb)
{
    {
        std::lock_guard lock(m_lock);
        m_cbOut -= cb;
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
