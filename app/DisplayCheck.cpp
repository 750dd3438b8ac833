#include "DisplayCheck.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <X11/Xlib.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// How long the notification service may take to take the message.
constexpr int kNotifyTimeoutMs = 2000;

bool RunsOnX11()
{
    const char* pszPlatform = std::getenv("QT_QPA_PLATFORM");
    return pszPlatform == nullptr || std::strncmp(pszPlatform, "xcb", 3) == 0;
}

void Call(const QDBusConnection& bus, const QString& text)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                       QStringLiteral("/org/freedesktop/Notifications"),
                                       QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("korvoplayer") << 0u << QStringLiteral("korvoplayer")
         << QStringLiteral("korvoplayer cannot start") << text << QStringList() << QVariantMap() << -1;
    bus.call(call, QDBus::Block, kNotifyTimeoutMs);
}

// Shows `text` through org.freedesktop.Notifications; nothing when there
// is no session bus or no such service. The connection is a private one,
// closed before the application object goes: with the shared session
// connection, its thread could still be handling the bus's greeting as the
// program ended and wrote Qt's complaints about unknown types after the
// message.
void Notify(const QString& text)
{
    const QString name = QStringLiteral("korvoplayer-notify");
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        if (bus.isConnected())
            Call(bus, text);
    }
    QDBusConnection::disconnectFromBus(name);
}

} // namespace

std::string MissingDisplayMessage()
{
    if (!RunsOnX11())
        return {};
    const char* pszDisplay = std::getenv("DISPLAY");
    if (pszDisplay == nullptr || *pszDisplay == '\0')
        return "korvoplayer: no X display (DISPLAY is not set); the player needs an X server, "
               "or XWayland on a Wayland desktop";
    xcb_connection_t* pConnection = xcb_connect(nullptr, nullptr);
    const bool bFailed = xcb_connection_has_error(pConnection) != 0;
    xcb_disconnect(pConnection);
    if (!bFailed)
        return {};
    return std::string("korvoplayer: cannot open the X display \"") + pszDisplay +
           "\"; the player needs an X server, or XWayland on a Wayland desktop";
}

int ReportMissingDisplay(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    int argc = 1;
    char szProgram[] = "korvoplayer";
    char* argv[] = {szProgram, nullptr};
    QCoreApplication application(argc, argv);
    Notify(QString::fromStdString(message));
    return 1;
}

namespace {

int OnDisplayLost(Display*)
{
    static constexpr char kLine[] = "korvoplayer: the connection to the X server was lost; the player ends\n";
    // Only what is safe from any thread, at any moment: no exit handlers,
    // no destructors of objects other threads still use.
    [[maybe_unused]] const ssize_t nWritten = ::write(STDERR_FILENO, kLine, sizeof kLine - 1);
    ::_exit(1);
}

} // namespace

void EndWhenTheDisplayGoes()
{
    XSetIOErrorHandler(OnDisplayLost);
}
