// The MPRIS root interface (org.mpris.MediaPlayer2) of the player: who it
// is, what it opens, raising and leaving the player window, and its full
// screen, which the desktop may read and set; each change of it goes out as
// PropertiesChanged.
#pragma once

#include "PlayerStateWatch.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QStringList>

class CMprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
    Q_PROPERTY(bool Fullscreen READ Fullscreen WRITE SetFullscreen)
    Q_PROPERTY(bool CanSetFullscreen READ CanSetFullscreen)

public:
    // `pObject` is the object registered at /org/mpris/MediaPlayer2 on
    // `connection`.
    CMprisRootAdaptor(QObject* pObject, IDesktopPlayer& player, CPlayerStateWatch& watch,
                      const QDBusConnection& connection);

    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const;
    QString DesktopEntry() const;
    QStringList SupportedUriSchemes() const;
    QStringList SupportedMimeTypes() const;
    bool Fullscreen() const { return m_watch.Current().bFullScreen; }
    void SetFullscreen(bool bFullScreen);
    bool CanSetFullscreen() const { return true; }

public slots:
    void Raise();
    // Leaves the player as its Exit command does, once the reply is out.
    void Quit();

private:
    void _OnChanged(const PlayerSample& before, const PlayerSample& after);

    IDesktopPlayer& m_player;
    CPlayerStateWatch& m_watch;
    QDBusConnection m_connection;
};
