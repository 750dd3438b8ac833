// A stand-in for the desktop's org.freedesktop.ScreenSaver service on the
// test's own session bus, keeping a log of the calls it gets: "Inhibit" and
// "UnInhibit", with the cookies still held.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QStringList>

class CFakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    // Registers the service on `connection`; false when that failed.
    bool Register(QDBusConnection connection);

    const QStringList& Calls() const { return m_calls; }
    int Held() const { return static_cast<int>(m_held.size()); }

public slots:
    uint Inhibit(const QString& application, const QString& reason);
    void UnInhibit(uint cookie);

private:
    QStringList m_calls;
    QSet<uint> m_held;
    uint m_nNextCookie = 7;
};
