// A window message between the player's own windows: a command from a
// skinned button, a notification, or a slider's position report. It carries
// the message number and its two parameters, and is delivered with
// QCoreApplication::sendEvent, so it is handled before the call returns.
#pragma once

#include <QEvent>
#include <cstdint>

class QWidget;

constexpr unsigned WM_NOTIFY = 0x004E;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned BN_CLICKED = 0;

class CMessageEvent : public QEvent {
public:
    CMessageEvent(unsigned nMessage, uintptr_t wParam, intptr_t lParam);

    static QEvent::Type EventType();
    // Sends the message to `pTarget` and returns whether it was handled.
    static bool Send(QWidget* pTarget, unsigned nMessage, uintptr_t wParam, intptr_t lParam);

    unsigned m_nMessage;
    uintptr_t m_wParam;
    intptr_t m_lParam;
};

// The command parameter of a control's notification: id low, code high.
constexpr uintptr_t MakeCommandParam(int nID, unsigned nCode)
{
    return (static_cast<uintptr_t>(nCode) << 16) | (static_cast<unsigned>(nID) & 0xFFFFu);
}
