#include "TestCompositor.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
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

const char* const kNames[] = {"mutter", "weston", "kwin"};

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
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // kwin names its XWayland's display only in its debug output.
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kwin_xwl.info=true"));
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
    if (!_Start(screen) || !_WaitForDisplay()) {
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
    for (int i = 0; pszName != nullptr && i < 3; ++i) {
        if (std::strcmp(pszName, kNames[i]) == 0) {
            *pKind = static_cast<Kind>(i);
            return true;
        }
    }
    return false;
}

QString CTestCompositor::Name() const
{
    return QString::fromLatin1(kNames[static_cast<int>(m_kind)]);
}

// kwin_wayland carries a file capability (to raise its own limits); where
// the system may not grant it (a container without it in its bounding
// set), starting the program fails, and a copy without the capability,
// under the same name, runs the same compositor.
bool CTestCompositor::_Start(QSize screen)
{
    const QString program = m_kind == Kind::Mutter   ? QStringLiteral("mutter")
                            : m_kind == Kind::Weston ? QStringLiteral("weston")
                                                     : QStringLiteral("kwin_wayland");
    m_process.start(program, _Arguments(screen));
    if (m_process.waitForStarted(kStartMs) || m_kind != Kind::KWin)
        return m_process.state() == QProcess::Running;
    const QString copy = QDir(m_runtime.path()).filePath(program);
    if (!QFile::copy(QStandardPaths::findExecutable(program), copy))
        return false;
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    m_process.start(copy, _Arguments(screen));
    return m_process.waitForStarted(kStartMs);
}

QStringList CTestCompositor::_Arguments(QSize screen) const
{
    const QString size = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
    if (m_kind == Kind::Mutter)
        return {QStringLiteral("--headless"), QStringLiteral("--wayland"), QStringLiteral("--virtual-monitor"), size};
    if (m_kind == Kind::KWin)
        return {QStringLiteral("--virtual"),
                QStringLiteral("--xwayland"),
                QStringLiteral("--width"),
                QString::number(screen.width()),
                QStringLiteral("--height"),
                QString::number(screen.height()),
                QStringLiteral("--socket"),
                QStringLiteral("wayland-test")};
    return {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"), QStringLiteral("--xwayland"),
            QStringLiteral("--width=%1").arg(screen.width()), QStringLiteral("--height=%1").arg(screen.height()),
            QStringLiteral("--socket=wayland-test")};
}

// The compositors name their XWayland's display in their log: mutter as
// "public X11 display :N", weston as "xserver listening on display :N",
// kwin as "Xwayland server started on display ":N"".
bool CTestCompositor::_WaitForDisplay()
{
    static const QRegularExpression display(
        QStringLiteral("(?:public X11 display|listening on display|started on display) \"?(:\\d+)"));
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
