// A line of text shown for a moment over the picture, such as where a file
// resumed. The picture is drawn by the video sink into native windows of
// its own inside the screen window, which cover every plain child widget:
// the note is a native window too, raised above its siblings each time it
// shows or moves, so that it stays on top on every video path, in a window
// and full screen. It sits at the top-left corner of its area (the
// picture's rectangle), is cut to the area's width, and takes no clicks.
// User-interface thread only; a child of the window it shows over.
#pragma once

#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

class CPictureNote : public QWidget {
    Q_OBJECT

public:
    explicit CPictureNote(QWidget* pParent);

    // Shows `text` for msDuration milliseconds; a note already shown gives
    // way to it.
    void Show(const QString& text, int msDuration);
    // The rectangle of the parent (logical pixels) the note is shown in;
    // empty for the whole parent.
    void SetArea(const QRect& area);
    const QString& Text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    void _Place();
    void _Raise();

    QString m_text;
    QRect m_area;
    QTimer m_hideTimer;
};
