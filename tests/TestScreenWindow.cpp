#include "TestScreenWindow.h"

#include "winsys/WindowSystem.h"
#include "winsys/MessageEvent.h"

#include <QCoreApplication>
#include <QThread>

CTestScreenWindow::CTestScreenWindow()
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(320, 240);
    show();
}

bool CTestScreenWindow::event(QEvent* pEvent)
{
    if (pEvent->type() == CMessageEvent::EventType() &&
        static_cast<CMessageEvent*>(pEvent)->m_nMessage == WM_PLAYER_GRAPHEVENT) {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            m_bAllOnUiThread = false;
        ++m_nGraphEvents;
        return true;
    }
    return QWidget::event(pEvent);
}
