#include "PictureNote.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWindow>
#include <algorithm>

namespace {

constexpr int kMargin = 8;
constexpr int kPadding = 8;
constexpr int kFontPixels = 13;
const QColor kBackground(24, 24, 24);
const QColor kNoteBorder(96, 96, 96);
const QColor kText(240, 240, 240);

} // namespace

CPictureNote::CPictureNote(QWidget* pParent) : QWidget(pParent)
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont font = this->font();
    font.setPixelSize(kFontPixels);
    font.setBold(true);
    setFont(font);
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void CPictureNote::Show(const QString& text, int msDuration)
{
    m_text = text;
    _Place();
    show();
    // Named, so that the note can be found from outside (accessibility,
    // tests); Qt names only top-level windows itself.
    windowHandle()->setTitle(QStringLiteral("Picture note"));
    _Raise();
    update();
    m_hideTimer.start(msDuration);
}

void CPictureNote::SetArea(const QRect& area)
{
    m_area = area;
    _Place();
    if (isVisible())
        _Raise();
}

// Sized to the text, within the area.
void CPictureNote::_Place()
{
    const QRect area = m_area.isEmpty() ? parentWidget()->rect() : m_area;
    const QFontMetrics metrics(font());
    // A pixel to spare: the advance is rounded, and text a fraction too wide
    // would be cut.
    const int nWidth = std::min(metrics.horizontalAdvance(m_text) + 2 * kPadding + 1, area.width() - 2 * kMargin);
    setGeometry(area.left() + kMargin, area.top() + kMargin, std::max(nWidth, 1), metrics.height() + 2 * kPadding);
}

// Natively: a sink's window made after this one lies above it, and Qt's own
// raise does nothing for the widget it already counts as the topmost.
void CPictureNote::_Raise()
{
    if (windowHandle() != nullptr)
        windowHandle()->raise();
}

void CPictureNote::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.setPen(kNoteBorder);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(kText);
    const QRect textRect = rect().adjusted(kPadding, 0, -kPadding, 0);
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetrics(font()).elidedText(m_text, Qt::ElideRight, textRect.width()));
}
