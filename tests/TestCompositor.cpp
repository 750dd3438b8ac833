#include "TestCompositor.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <X11/Xlib.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/prctl.h>

namespace {

constexpr int kStartMs = 30000;
// weston's output lies in the top-left corner of its X server, which is
// this much larger: the pointer comes into the output from outside it, as
// weston's X11 output takes a pointer only once it has entered.
constexpr int kHostMargin = 16;

} // namespace

CTestCompositor::CTestCompositor(Kind kind, QSize screen) : m_kind(kind)
{
    if (!m_runtime.isValid())
        return;
    QFile::setPermissions(m_runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (kind == Kind::Weston) {
        const QSize host = screen + QSize(kHostMargin, kHostMargin);
        m_pHost = std::make_unique<CTestDisplay>(
            QStringLiteral("%1x%2x24").arg(host.width()).arg(host.height()).toStdString(), false);
        if (m_pHost->Name().empty())
            return;
        environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(m_pHost->Name()));
    }
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // The compositor ends with the test even when the test dies first.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(kind == Kind::Mutter ? QStringLiteral("mutter") : QStringLiteral("weston"), _Arguments(screen));
    if (!m_process.waitForStarted(kStartMs) || !_WaitForDisplay()) {
        m_display.clear();
        return;
    }
    ::setenv("DISPLAY", m_display.c_str(), 1);
    // mutter's XWayland asks for the key it wrote in the runtime folder.
    const QStringList keys = QDir(m_runtime.path()).entryList({QStringLiteral(".mutter-Xwaylandauth.*")},
                                                              QDir::Files | QDir::Hidden);
    if (!keys.isEmpty())
        ::setenv("XAUTHORITY", QDir(m_runtime.path()).filePath(keys.first()).toLocal8Bit().constData(), 1);
    QDeadlineTimer deadline(kStartMs);
    while (!_XServerAnswers() && !deadline.hasExpired())
        m_process.waitForReadyRead(100);
    if (!_XServerAnswers())
        m_display.clear();
}

CTestCompositor::~CTestCompositor()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

bool CTestCompositor::FromEnvironment(Kind* pKind)
{
    const char* pszName = std::getenv("KORVO_TEST_COMPOSITOR");
    if (pszName == nullptr)
        return false;
    if (std::strcmp(pszName, "mutter") == 0)
        *pKind = Kind::Mutter;
    else if (std::strcmp(pszName, "weston") == 0)
        *pKind = Kind::Weston;
    else
        return false;
    return true;
}

QStringList CTestCompositor::_Arguments(QSize screen) const
{
    const QString size = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
    if (m_kind == Kind::Mutter)
        return {QStringLiteral("--headless"), QStringLiteral("--wayland"), QStringLiteral("--virtual-monitor"), size};
    return {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"), QStringLiteral("--xwayland"),
            QStringLiteral("--width=%1").arg(screen.width()), QStringLiteral("--height=%1").arg(screen.height()),
            QStringLiteral("--socket=wayland-test")};
}

// Both compositors name their XWayland's display in their log: mutter as
// "public X11 display :N", weston as "xserver listening on display :N".
bool CTestCompositor::_WaitForDisplay()
{
    static const QRegularExpression display(QStringLiteral("(?:public X11 display|listening on display) (:\\d+)"));
    QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(100);
        m_log += QString::fromLocal8Bit(m_process.readAll());
        const QRegularExpressionMatch match = display.match(m_log);
        if (match.hasMatch()) {
            m_display = match.captured(1).toStdString();
            return true;
        }
    }
    return false;
}

bool CTestCompositor::_XServerAnswers() const
{
    ::Display* pDisplay = XOpenDisplay(m_display.c_str());
    if (pDisplay == nullptr)
        return false;
    XCloseDisplay(pDisplay);
    return true;
}
