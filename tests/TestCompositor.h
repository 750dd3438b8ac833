// A Wayland compositor of the test's own, with its XWayland: the X server
// the player meets on a Wayland desktop. GNOME's mutter, headless (on the
// session bus the test already runs); KDE's kwin_wayland, on its virtual
// output; or weston, on its X11 output inside an X server of the test's
// own: weston's headless output takes no input, and the X11 one takes the
// pointer of the server it shows on, while the window manager and XWayland
// are the same. Each gets a runtime folder of its own. Display() is the X
// display of its XWayland, and the process's DISPLAY and XAUTHORITY are set
// to reach it; empty when the compositor did not come up.
#pragma once

#include "TestDisplay.h"

#include <QProcess>
#include <QSize>
#include <QTemporaryDir>
#include <memory>
#include <string>

class CTestCompositor {
public:
    enum class Kind { Mutter, Weston, KWin };

    CTestCompositor(Kind kind, QSize screen);
    ~CTestCompositor();
    CTestCompositor(const CTestCompositor&) = delete;
    CTestCompositor& operator=(const CTestCompositor&) = delete;

    const std::string& Display() const { return m_display; }
    Kind GetKind() const { return m_kind; }
    // "mutter", "weston" or "kwin".
    QString Name() const;
    // The X server weston's output shows on (its input comes from there);
    // empty for mutter.
    std::string HostDisplay() const { return m_pHost != nullptr ? m_pHost->Name() : std::string(); }
    // What the compositor wrote, for a failure's message.
    QString Log() const { return m_log; }

    // The compositor KORVO_TEST_COMPOSITOR names; false when it names none.
    static bool FromEnvironment(Kind* pKind);

private:
    QStringList _Arguments(QSize screen) const;
    bool _Start(QSize screen);
    bool _WaitForDisplay();
    bool _XServerAnswers() const;

    Kind m_kind;
    std::unique_ptr<CTestDisplay> m_pHost;
    QTemporaryDir m_runtime;
    QProcess m_process;
    QString m_log;
    std::string m_display;
};
