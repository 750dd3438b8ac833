#include "WindowSystem.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QWidget>
#include <QWindow>
#include <memory>

void PlaceTopLevelWindow(QWidget* pWindow, const QRect& rc)
{
    QWindow* pNative = pWindow->windowHandle();
    if (pNative != nullptr && pNative->geometry() == rc && pWindow->geometry() != rc)
        pNative->setGeometry(pWindow->geometry());
    pWindow->setGeometry(rc);
}

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

bool LoadResourceData(unsigned nID, const char* pszType, QByteArray& data)
{
    QFile resource(QStringLiteral(":/%1/%2").arg(QLatin1StringView(pszType)).arg(nID));
    if (!resource.open(QIODevice::ReadOnly))
        return false;
    data = resource.readAll();
    return true;
}

QIcon LoadResourceIcon(unsigned nID)
{
    QByteArray data;
    QPixmap pixmap;
    if (!LoadResourceData(nID, "ICON", data) || !pixmap.loadFromData(data))
        return QIcon();
    // The window manager gets the sizes it shows; the 256-pixel picture
    // itself would make the window's icon property four times larger.
    QIcon icon;
    for (int nSize : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(pixmap.scaled(nSize, nSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return icon;
}
