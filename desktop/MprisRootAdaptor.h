// The MPRIS root interface (org.mpris.MediaPlayer2) of the player: who it
// is, what it opens, and raising and leaving the player window.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

class IDesktopPlayer;

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

public:
    // `pObject` is the object registered at /org/mpris/MediaPlayer2.
    CMprisRootAdaptor(QObject* pObject, IDesktopPlayer& player);

    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const;
    QString DesktopEntry() const;
    QStringList SupportedUriSchemes() const;
    QStringList SupportedMimeTypes() const;

public slots:
    void Raise();
    // Leaves the player as its Exit command does, once the reply is out.
    void Quit();

private:
    IDesktopPlayer& m_player;
};
