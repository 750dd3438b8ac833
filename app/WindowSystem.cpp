#include "WindowSystem.h"

#include <QGuiApplication>
#include <QWindow>
#include <memory>

void BringWindowToTop(WindowHandle hWnd)
{
    if (hWnd == 0)
        return;
    std::unique_ptr<QWindow> window(QWindow::fromWinId(static_cast<WId>(hWnd)));
    if (!window)
        return;
    window->raise();
    window->requestActivate();
    // Deliver the requests before this short-lived process goes away.
    QGuiApplication::sync();
}
