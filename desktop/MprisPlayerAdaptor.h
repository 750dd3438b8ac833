// The MPRIS player interface (org.mpris.MediaPlayer2.Player): the desktop's
// media controls and media keys. Every method is one of the player's own
// commands (play/pause, stop, previous and next entry, exit) or its seek,
// rate and volume as the window applies them, so the desktop
// sees exactly the player's behaviour; the properties come from the state
// watch, and each change it reports goes out as PropertiesChanged, each seek
// as Seeked. Bad calls are ignored or clamped as MPRIS asks, or answered
// with a D-Bus error saying why.
#pragma once

#include "PlayerStateWatch.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

class CMprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)

public:
    // `pObject` is the object registered at kObjectPath on `connection`.
    CMprisPlayerAdaptor(QObject* pObject, IDesktopPlayer& player, CPlayerStateWatch& watch,
                        const QDBusConnection& connection);

    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    QString PlaybackStatus() const;
    double Rate() const { return m_watch.Current().dRate; }
    void SetRate(double dRate);
    QVariantMap Metadata() const;
    double Volume() const { return m_watch.Current().nVolume / 100.0; }
    void SetVolume(double dVolume);
    qlonglong Position() const;
    double MinimumRate() const { return 0.1; }
    double MaximumRate() const { return 8.0; }
    bool CanGoNext() const { return m_watch.Current().bCanNext; }
    bool CanGoPrevious() const { return m_watch.Current().bCanPrevious; }
    bool CanPlay() const { return m_watch.Current().bCanPlay; }
    bool CanPause() const { return m_watch.Current().bOpen; }
    bool CanSeek() const { return m_watch.Current().bOpen && m_watch.Current().llLength > 0; }
    bool CanControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong llOffset);
    void SetPosition(const QDBusObjectPath& trackId, qlonglong llPosition);
    // `call` is the D-Bus message of the call, for its error reply.
    void OpenUri(const QString& uri, const QDBusMessage& call);

signals:
    void Seeked(qlonglong Position);

private:
    void _Command(PlayerCommand command);
    void _SeekTo(LONGLONG llMicroseconds);
    QDBusObjectPath _TrackId() const;
    void _OnChanged(const PlayerSample& before, const PlayerSample& after);

    IDesktopPlayer& m_player;
    CPlayerStateWatch& m_watch;
    QDBusConnection m_connection;
    // Counts the files the player went through: the track id of each.
    int m_nTrack = 0;
};
