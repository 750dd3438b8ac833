// A bare X window inside the screen window that an X image or Xv sink draws
// the picture into, placed at the picture's rectangle: the sink fills it, and
// the screen window clips it when the rectangle reaches past its edges. It
// sits on a black backdrop that always covers the whole screen window, so
// that the area around the picture is black whatever the screen window
// paints. Neither selects input, so clicks and motion go on to the screen
// window. Until it is first placed the picture follows the screen window's
// size. When the server
// asks for a part of it to be drawn again, Exposed() is emitted. It is
// made hidden (a file may turn out to have no picture) and shown once the
// picture is attached.
//
// It has its own connection to the X server, used on the user-interface
// thread only; the sink draws through a connection of its own. The window
// must outlive the sink's use of it: the graph stops its pipeline before it
// destroys the window.
#pragma once

#include <QObject>
#include <QSize>
#include <cstdint>

class QSocketNotifier;
struct _XDisplay;

class CPictureWindow : public QObject {
    Q_OBJECT

public:
    // A child of the native window `ownerHandle`; Handle() is 0 when the X
    // server cannot be reached.
    explicit CPictureWindow(uintptr_t ownerHandle);
    ~CPictureWindow() override;
    CPictureWindow(const CPictureWindow&) = delete;
    CPictureWindow& operator=(const CPictureWindow&) = delete;

    uintptr_t Handle() const { return m_window; }
    uintptr_t Owner() const { return m_owner; }
    QSize Size() const { return m_size; }
    void Show();
    // Moves and sizes the window in its owner's coordinates.
    void Place(int nLeft, int nTop, int nWidth, int nHeight);

signals:
    void Exposed();
    // The window's size changed (placed, or following its owner).
    void Resized(QSize size);

private:
    void _OnEvents();

    _XDisplay* m_pDisplay = nullptr;
    uintptr_t m_owner;
    uintptr_t m_backdrop = 0;
    uintptr_t m_window = 0;
    QSocketNotifier* m_pNotifier = nullptr;
    QSize m_size;
    bool m_bPlaced = false;
};
