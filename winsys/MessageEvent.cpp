#include "MessageEvent.h"

#include <QCoreApplication>
#include <QWidget>

CMessageEvent::CMessageEvent(unsigned nMessage, uintptr_t wParam, intptr_t lParam)
    : QEvent(EventType()), m_nMessage(nMessage), m_wParam(wParam), m_lParam(lParam)
{
}

QEvent::Type CMessageEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool CMessageEvent::Send(QWidget* pTarget, unsigned nMessage, uintptr_t wParam, intptr_t lParam)
{
    if (pTarget == nullptr)
        return false;
    CMessageEvent event(nMessage, wParam, lParam);
    return QCoreApplication::sendEvent(pTarget, &event);
}
