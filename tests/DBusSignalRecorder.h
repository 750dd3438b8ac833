// Records the MPRIS signals of the players on the session bus: the names of
// the properties each PropertiesChanged carried (of the root and the player
// interface), and each Seeked position.
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVector>

class CDBusSignalRecorder : public QObject {
    Q_OBJECT

public:
    // Listens on the session bus; false when it cannot.
    bool Listen();

    // Every property named in a PropertiesChanged of the player interface.
    const QStringList& ChangedProperties() const { return m_changed; }
    // The same for the root interface.
    const QStringList& ChangedRootProperties() const { return m_rootChanged; }
    const QVector<qlonglong>& SeekedPositions() const { return m_seeked; }
    void Clear();

private slots:
    void _OnPropertiesChanged(const QDBusMessage& message);
    void _OnSeeked(qlonglong position);

private:
    QStringList m_changed;
    QStringList m_rootChanged;
    QVector<qlonglong> m_seeked;
};
