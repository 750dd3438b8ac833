#include "FakeScreenSaver.h"

bool CFakeScreenSaver::Register(QDBusConnection connection)
{
    return connection.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), this,
                                     QDBusConnection::ExportAllSlots) &&
           connection.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
}

uint CFakeScreenSaver::Inhibit(const QString& application, const QString& reason)
{
    m_calls << QStringLiteral("Inhibit");
    if (application.isEmpty() || reason.isEmpty())
        m_calls << QStringLiteral("(no application or reason)");
    m_held.insert(m_nNextCookie);
    return m_nNextCookie++;
}

void CFakeScreenSaver::UnInhibit(uint cookie)
{
    m_calls << (m_held.remove(cookie) ? QStringLiteral("UnInhibit") : QStringLiteral("UnInhibit of an unknown cookie"));
}
