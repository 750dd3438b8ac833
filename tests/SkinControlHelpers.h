// Building blocks of the skinned-control tests: a top-level window that
// records the window messages it receives, images with known pixels, and a
// control wired to a record of its own.
#pragma once

#include "winsys/MessageEvent.h"
#include "skin/SkinItem.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <memory>
#include <vector>

// A window that keeps every CMessageEvent sent to it.
class CMessageWindow : public QWidget {
public:
    struct Message {
        unsigned nMessage;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::vector<Message> m_messages;

protected:
    bool event(QEvent* pEvent) override;
};

// An image whose pixel (x, y) is (x mod 256, y mod 256, `blue`).
QPixmap CoordinateImage(int w, int h, int blue = 0);
// An image of `nFrames` frames side by side, frame i filled with colours[i].
QPixmap FrameStrip(int nFrameWidth, int h, const std::vector<QColor>& colours);
// A canvas of w x h filled with `colour`.
QImage Canvas(int w, int h, QColor colour = Qt::white);

// A control of type T inside `pParent`, attached to a record it owns.
template <typename T> struct SkinnedControl {
    explicit SkinnedControl(QWidget* pParent) : pControl(new T(pParent)), item(std::make_unique<CSkinItem>())
    {
        CSkinItem::Attach(pControl, item.get());
    }
    T* pControl;
    std::unique_ptr<CSkinItem> item;
};
