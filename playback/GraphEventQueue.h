// The graph's events: queued by the graph's own threads, taken by the
// player on its user-interface thread. Each event also notifies a window,
// on the user-interface thread, with the message the player chose.
#pragma once

#include "common/ComTypes.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

class CGraphEventQueue : public QObject {
    Q_OBJECT

public:
    CGraphEventQueue() = default;

    // From any thread.
    void Post(long lEvent, intptr_t lParam1, intptr_t lParam2);

    // Takes the oldest event, waiting at most `msTimeout` for one; E_ABORT
    // when none came.
    HRESULT Get(long* plEvent, intptr_t* plParam1, intptr_t* plParam2, long msTimeout);

    // The window that receives `nMessage` (parameters 0 and `lInstanceData`)
    // for every event; null for none.
    void SetNotifyWindow(QWidget* pWindow, unsigned nMessage, intptr_t lInstanceData);

private:
    struct Event {
        long lEvent;
        intptr_t lParam1;
        intptr_t lParam2;
    };

    void _Notify();

    std::mutex m_lock;
    std::condition_variable m_posted;
    std::deque<Event> m_events;
    QPointer<QWidget> m_pWindow;
    unsigned m_nMessage = 0;
    intptr_t m_lInstanceData = 0;
};
