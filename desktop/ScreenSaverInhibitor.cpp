#include "ScreenSaverInhibitor.h"

#include "PlayerStateWatch.h"
#include "common/Report.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QGuiApplication>
#include <utility>
#include <xcb/xcb.h>

namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
// A screen saver that wakes sooner than this is unusual; resetting it at
// this rate keeps every usual one away.
constexpr int kResetPeriodMs = 30000;
// The service answers at once; a hung one must not hold up the player.
constexpr int kCallTimeoutMs = 2000;

QDBusMessage ScreenSaverCall(const char* pszMethod)
{
    return QDBusMessage::createMethodCall(QLatin1StringView(kService), QLatin1StringView(kPath),
                                          QLatin1StringView(kService), QLatin1StringView(pszMethod));
}

} // namespace

CScreenSaverInhibitor::CScreenSaverInhibitor(CPlayerStateWatch& watch, QObject* pParent)
    : QObject(pParent), m_connection(QDBusConnection::sessionBus())
{
    connect(&watch, &CPlayerStateWatch::Changed, this, &CScreenSaverInhibitor::_OnChanged);
    connect(&m_resetTimer, &QTimer::timeout, this, &CScreenSaverInhibitor::_ResetXScreenSaver);
    if (watch.Current().VideoPlaying())
        _Hold();
}

CScreenSaverInhibitor::~CScreenSaverInhibitor()
{
    _Release();
}

void CScreenSaverInhibitor::_OnChanged(const PlayerSample& before, const PlayerSample& after)
{
    if (after.VideoPlaying() && !before.VideoPlaying())
        _Hold();
    else if (!after.VideoPlaying() && before.VideoPlaying())
        _Release();
}

void CScreenSaverInhibitor::_Hold()
{
    if (m_bHolding)
        return;
    m_bHolding = true;
    if (m_connection.isConnected() && m_connection.interface()->isServiceRegistered(QLatin1StringView(kService))) {
        QDBusMessage call = ScreenSaverCall("Inhibit");
        call << QStringLiteral("korvoplayer") << QStringLiteral("Playing a video");
        QDBusReply<uint32_t> reply = m_connection.call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.isValid()) {
            m_cookie = reply.value();
            return;
        }
        Trace("%s.Inhibit failed: %s", kService, qPrintable(reply.error().message()));
    }
    _ResetXScreenSaver();
    m_resetTimer.start(kResetPeriodMs);
}

void CScreenSaverInhibitor::_Release()
{
    if (!m_bHolding)
        return;
    m_bHolding = false;
    m_resetTimer.stop();
    if (!m_cookie)
        return;
    QDBusMessage call = ScreenSaverCall("UnInhibit");
    call << *std::exchange(m_cookie, std::nullopt);
    QDBusMessage reply = m_connection.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        Trace("%s.UnInhibit failed: %s", kService, qPrintable(reply.errorMessage()));
}

// As if the user had touched a key: the screen saver's idle time starts over.
void CScreenSaverInhibitor::_ResetXScreenSaver()
{
    auto* pX11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (pX11 == nullptr || pX11->connection() == nullptr)
        return;
    xcb_force_screen_saver(pX11->connection(), XCB_SCREEN_SAVER_RESET);
    xcb_flush(pX11->connection());
}
