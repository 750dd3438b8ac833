#include "DisplayCheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <X11/Xlib.h>
// GLib's headers name a structure member `signals`, which Qt's headers (in
// the precompiled set) define as a keyword; this file uses no Qt signals.
#undef signals
#include <gio/gio.h>
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

// Shows `text` through org.freedesktop.Notifications; nothing when there
// is no session bus or no such service. This goes through GLib's D-Bus
// client, synchronously on this thread: Qt's would start its connection
// thread, which could still be handling the bus's replies as the program
// ended and then wrote Qt's complaints about unknown types after the
// message.
void Notify(const std::string& text)
{
    GError* pError = nullptr;
    GDBusConnection* pBus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &pError);
    if (pBus == nullptr) {
        g_clear_error(&pError);
        return;
    }
    GVariant* pReply = g_dbus_connection_call_sync(
        pBus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.Notifications",
        "Notify",
        g_variant_new("(susssasa{sv}i)", "korvoplayer", 0u, "korvoplayer", "korvoplayer cannot start", text.c_str(),
                      nullptr, nullptr, -1),
        nullptr, G_DBUS_CALL_FLAGS_NONE, kNotifyTimeoutMs, nullptr, &pError);
    if (pReply != nullptr)
        g_variant_unref(pReply);
    g_clear_error(&pError);
    g_object_unref(pBus);
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
    Notify(message);
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
