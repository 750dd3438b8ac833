// The player on the session bus as an MPRIS 2 media player: the object
// /org/mpris/MediaPlayer2 with the root and the player interface, under the
// bus name org.mpris.MediaPlayer2.korvoplayer (with ".instance<pid>" added
// when another player of this user holds that name). Without a session bus
// the player runs as before; the failure is traced once.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class IDesktopPlayer;
class CPlayerStateWatch;

class CMprisService : public QObject {
    Q_OBJECT

public:
    CMprisService(IDesktopPlayer& player, CPlayerStateWatch& watch);
    ~CMprisService() override;

    // The bus name taken, empty when the player is not on the bus.
    const QString& BusName() const { return m_busName; }

private:
    QDBusConnection m_connection;
    QString m_busName;
};
