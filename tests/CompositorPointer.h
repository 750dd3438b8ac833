// The pointer of a test compositor, moved and pressed as a user's mouse
// would be, in the coordinates of the compositor's screen. mutter takes it
// through its remote-desktop interface on the session bus, as a remote
// desktop client drives a GNOME session; weston from the X server its
// output shows on (XTEST there), as from any mouse of its X11 output; kwin
// follows the pointer of its XWayland, moved there through XTEST.
#pragma once

#include "TestCompositor.h"

#include <QPoint>
#include <QString>
#include <QVariantList>

struct _XDisplay;

class CCompositorPointer {
public:
    explicit CCompositorPointer(const CTestCompositor& compositor);
    ~CCompositorPointer();
    CCompositorPointer(const CCompositorPointer&) = delete;
    CCompositorPointer& operator=(const CCompositorPointer&) = delete;

    // What failed when the pointer cannot be driven; empty when it can.
    const QString& Error() const { return m_error; }

    // Presses the left button at `from`, goes to `to` in short steps at a
    // hand's pace and lets the button go there.
    void Drag(const QPoint& from, const QPoint& to);

private:
    void _MoveTo(const QPoint& pt);
    void _Button(bool bDown);
    // Calls `method` of the remote-desktop session; false (and the error
    // kept) when it fails.
    bool _Call(const QString& method, const QVariantList& arguments = {});

    CTestCompositor::Kind m_kind;
    _XDisplay* m_pHost = nullptr;
    QString m_session;
    // Where the pointer is: a remote-desktop session without a screen cast
    // moves it only by steps.
    QPoint m_pt;
    QString m_error;
};
