#include "GraphEventQueue.h"

#include "winsys/MessageEvent.h"

#include <chrono>

void CGraphEventQueue::Post(long lEvent, intptr_t lParam1, intptr_t lParam2)
{
    {
        std::lock_guard lock(m_lock);
        m_events.push_back({lEvent, lParam1, lParam2});
    }
    m_posted.notify_all();
    // The window is told on its own thread; the owner of the queue stops
    // every thread that posts before it destroys the queue.
    QMetaObject::invokeMethod(this, &CGraphEventQueue::_Notify, Qt::QueuedConnection);
}

HRESULT CGraphEventQueue::Get(long* plEvent, intptr_t* plParam1, intptr_t* plParam2, long msTimeout)
{
    std::unique_lock lock(m_lock);
    if (!m_posted.wait_for(lock, std::chrono::milliseconds(msTimeout < 0 ? 0 : msTimeout),
                           [this] { return !m_events.empty(); }))
        return E_ABORT;
    *plEvent = m_events.front().lEvent;
    *plParam1 = m_events.front().lParam1;
    *plParam2 = m_events.front().lParam2;
    m_events.pop_front();
    return S_OK;
}

void CGraphEventQueue::SetNotifyWindow(QWidget* pWindow, unsigned nMessage, intptr_t lInstanceData)
{
    m_pWindow = pWindow;
    m_nMessage = nMessage;
    m_lInstanceData = lInstanceData;
    // Events that came before the window was known are told about now.
    std::lock_guard lock(m_lock);
    if (!m_events.empty())
        QMetaObject::invokeMethod(this, &CGraphEventQueue::_Notify, Qt::QueuedConnection);
}

void CGraphEventQueue::_Notify()
{
    if (m_pWindow != nullptr)
        CMessageEvent::Send(m_pWindow, m_nMessage, 0, m_lInstanceData);
}
