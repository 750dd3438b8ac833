#include "SkinControlHelpers.h"

#include <QPainter>

bool CMessageWindow::event(QEvent* pEvent)
{
    if (pEvent->type() == CMessageEvent::EventType()) {
        auto* pMessage = static_cast<CMessageEvent*>(pEvent);
        m_messages.push_back({pMessage->m_nMessage, pMessage->m_wParam, pMessage->m_lParam});
        return true;
    }
    return QWidget::event(pEvent);
}

QPixmap CoordinateImage(int w, int h, int blue)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, blue));
    }
    return QPixmap::fromImage(image);
}

QPixmap FrameStrip(int nFrameWidth, int h, const std::vector<QColor>& colours)
{
    QImage image(nFrameWidth * static_cast<int>(colours.size()), h, QImage::Format_RGB32);
    QPainter painter(&image);
    for (size_t i = 0; i < colours.size(); ++i)
        painter.fillRect(static_cast<int>(i) * nFrameWidth, 0, nFrameWidth, h, colours[i]);
    painter.end();
    return QPixmap::fromImage(image);
}

QImage Canvas(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}
