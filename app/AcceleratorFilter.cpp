#include "AcceleratorFilter.h"

#include "Accelerators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <utility>

CAcceleratorFilter::CAcceleratorFilter(QWidget* pWindow, std::function<void(int)> onCommand)
    : QObject(pWindow), m_pWindow(pWindow), m_onCommand(std::move(onCommand))
{
    qApp->installEventFilter(this);
}

// A key reaches the window system's window first and then the focused
// widget; only the widget's delivery is looked at, so each key counts once.
bool CAcceleratorFilter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() != QEvent::KeyPress || !pWatched->isWidgetType())
        return false;
    if (static_cast<QWidget*>(pWatched)->window() != m_pWindow)
        return false;
    const int nCommand = AcceleratorCommand(*static_cast<QKeyEvent*>(pEvent));
    if (nCommand == 0)
        return false;
    m_onCommand(nCommand);
    return true;
}
