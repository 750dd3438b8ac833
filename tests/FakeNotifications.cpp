#include "FakeNotifications.h"

bool CFakeNotifications::Register(QDBusConnection connection)
{
    return connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                     QDBusConnection::ExportAllSlots) &&
           connection.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

uint CFakeNotifications::Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                                const QStringList&, const QVariantMap&, int)
{
    m_shown << summary + QStringLiteral(": ") + body;
    return static_cast<uint>(m_shown.size());
}
