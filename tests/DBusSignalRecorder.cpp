#include "DBusSignalRecorder.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QVariantMap>

namespace {

constexpr const char* kPath = "/org/mpris/MediaPlayer2";

} // namespace

bool CDBusSignalRecorder::Listen()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.connect(QString(), QLatin1StringView(kPath), QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), this, SLOT(_OnPropertiesChanged(QDBusMessage))) &&
           bus.connect(QString(), QLatin1StringView(kPath), QStringLiteral("org.mpris.MediaPlayer2.Player"),
                       QStringLiteral("Seeked"), this, SLOT(_OnSeeked(qlonglong)));
}

void CDBusSignalRecorder::Clear()
{
    m_changed.clear();
    m_rootChanged.clear();
    m_seeked.clear();
}

void CDBusSignalRecorder::_OnPropertiesChanged(const QDBusMessage& message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QVariantMap changed = qdbus_cast<QVariantMap>(arguments[1]);
    if (arguments[0].toString() == QStringLiteral("org.mpris.MediaPlayer2.Player"))
        m_changed << changed.keys();
    else if (arguments[0].toString() == QStringLiteral("org.mpris.MediaPlayer2"))
        m_rootChanged << changed.keys();
}

void CDBusSignalRecorder::_OnSeeked(qlonglong position)
{
    m_seeked << position;
}
