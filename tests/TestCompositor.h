// A Wayland compositor of the test's own, headless, with its XWayland: the
// X server the player meets on a Wayland desktop. GNOME's mutter (on the
// session bus the test already runs) or weston; each gets a runtime folder
// of its own. Display() is the X display of its XWayland, and the process's
// DISPLAY and XAUTHORITY are set to reach it; empty when the compositor did
// not come up.
#pragma once

#include <QProcess>
#include <QSize>
#include <QTemporaryDir>
#include <string>

class CTestCompositor {
public:
    enum class Kind { Mutter, Weston };

    CTestCompositor(Kind kind, QSize screen);
    ~CTestCompositor();
    CTestCompositor(const CTestCompositor&) = delete;
    CTestCompositor& operator=(const CTestCompositor&) = delete;

    const std::string& Display() const { return m_display; }
    // What the compositor wrote, for a failure's message.
    QString Log() const { return m_log; }

    // "mutter" or "weston" from KORVO_TEST_COMPOSITOR; false when neither.
    static bool FromEnvironment(Kind* pKind);

private:
    QStringList _Arguments(QSize screen) const;
    bool _WaitForDisplay();
    bool _XServerAnswers() const;

    Kind m_kind;
    QTemporaryDir m_runtime;
    QProcess m_process;
    QString m_log;
    std::string m_display;
};
