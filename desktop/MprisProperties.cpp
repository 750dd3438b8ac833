#include "MprisProperties.h"

#include "MprisPlayerAdaptor.h"

#include <QDBusMessage>
#include <QStringList>

void SendPropertiesChanged(const QDBusConnection& connection, const QString& interface, const QVariantMap& changed)
{
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1StringView(CMprisPlayerAdaptor::kObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    connection.send(signal);
}
