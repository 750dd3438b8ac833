#include "Monitor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

qint64 Overlap(const QRect& a, const QRect& b)
{
    const QRect both = a & b;
    return both.isEmpty() ? 0 : static_cast<qint64>(both.width()) * both.height();
}

} // namespace

QScreen* MonitorOf(const QRect& rcWindow)
{
    if (QScreen* pScreen = QGuiApplication::screenAt(rcWindow.center()))
        return pScreen;
    QScreen* pBest = QGuiApplication::primaryScreen();
    qint64 nBest = 0;
    for (QScreen* pScreen : QGuiApplication::screens()) {
        const qint64 nOverlap = Overlap(rcWindow, pScreen->geometry());
        if (nOverlap > nBest) {
            nBest = nOverlap;
            pBest = pScreen;
        }
    }
    return pBest;
}

QScreen* MonitorUnderPointer()
{
    QScreen* pScreen = QGuiApplication::screenAt(QCursor::pos());
    return pScreen != nullptr ? pScreen : QGuiApplication::primaryScreen();
}

QRect KeptInside(const QRect& rc, const QRect& area)
{
    QPoint shift(std::min(0, area.right() - rc.right()), std::min(0, area.bottom() - rc.bottom()));
    shift.rx() = std::max(shift.x(), area.left() - rc.left());
    shift.ry() = std::max(shift.y(), area.top() - rc.top());
    return rc.translated(shift);
}
