// A stand-in for the desktop's org.freedesktop.Notifications service on
// the test's own session bus, keeping the summary and body of every
// notification it is sent.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class CFakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    // Registers the service on `connection`; false when that failed.
    bool Register(QDBusConnection connection);
    // "summary: body" of each notification, in order.
    const QStringList& Shown() const { return m_shown; }

public slots:
    uint Notify(const QString& application, uint nReplaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int nTimeout);

private:
    QStringList m_shown;
};
