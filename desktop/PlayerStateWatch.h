// Watches the player window's playback from the outside and tells what
// changed: the desktop's media controls and the screen-saver inhibition
// follow the player through it, whatever turned the player (keys, menu,
// skin buttons, the playlist, graph events, D-Bus calls). It samples the
// window a few times a second on the user-interface thread, and at once when
// asked (after a command of its own listeners), and compares the sample with
// the previous one; a jump of the position that playing does not explain is
// a seek.
#pragma once

#include "DesktopPlayer.h"

#include <QObject>
#include <QTimer>
#include <QElapsedTimer>

class CPlayerStateWatch : public QObject {
    Q_OBJECT

public:
    explicit CPlayerStateWatch(const IDesktopPlayer& player, QObject* pParent = nullptr);

    const PlayerSample& Current() const { return m_current; }
    // Samples now and signals what changed since the last sample.
    void Sample();
    // A seek of our own listeners: signalled as Seeked once the position
    // is read again, whether or not it jumped far.
    void NoteSeek();

signals:
    // Playback state, file, length, volume, rate or what can be done changed.
    void Changed(const PlayerSample& before, const PlayerSample& after);
    // The position jumped to llPosition (100-ns units).
    void Seeked(LONGLONG llPosition);

private:
    bool _Jumped(const PlayerSample& sample) const;

    const IDesktopPlayer& m_player;
    PlayerSample m_current;
    QTimer m_timer;
    // Wall time since m_current was taken, to tell playing from seeking.
    QElapsedTimer m_sinceSample;
    bool m_bSeekNoted = false;
};
