#include "MprisService.h"

#include "MprisPlayerAdaptor.h"
#include "MprisRootAdaptor.h"
#include "common/Report.h"

#include <QCoreApplication>
#include <QDBusError>

namespace {

constexpr const char* kBusName = "org.mpris.MediaPlayer2.korvoplayer";

} // namespace

CMprisService::CMprisService(IDesktopPlayer& player, CPlayerStateWatch& watch)
    : m_connection(QDBusConnection::sessionBus())
{
    if (!m_connection.isConnected()) {
        Trace("No session bus (%s): the desktop's media controls do not reach the player",
              qPrintable(m_connection.lastError().message()));
        return;
    }
    new CMprisRootAdaptor(this, player, watch, m_connection);
    new CMprisPlayerAdaptor(this, player, watch, m_connection);
    if (!m_connection.registerObject(QLatin1StringView(CMprisPlayerAdaptor::kObjectPath), this)) {
        Trace("Can not register %s on the session bus", CMprisPlayerAdaptor::kObjectPath);
        return;
    }
    const QString instanceName =
        QStringLiteral("%1.instance%2").arg(QLatin1StringView(kBusName)).arg(QCoreApplication::applicationPid());
    for (const QString& name : {QString::fromLatin1(kBusName), instanceName}) {
        if (m_connection.registerService(name)) {
            m_busName = name;
            return;
        }
    }
    Trace("Can not take the bus name %s: %s", kBusName, qPrintable(m_connection.lastError().message()));
}

CMprisService::~CMprisService()
{
    if (!m_busName.isEmpty())
        m_connection.unregisterService(m_busName);
    if (m_connection.isConnected())
        m_connection.unregisterObject(QLatin1StringView(CMprisPlayerAdaptor::kObjectPath));
}
