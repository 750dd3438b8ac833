// Watches the player's playback from the outside and tells what changed:
// the desktop's media controls and the screen-saver inhibition follow the
// player through it, whatever turned the player (keys, menu, skin buttons,
// the playlist, graph events, D-Bus calls). It reads the player again on
// each of the graph controller's signals and on each change the player
// tells of its own (volume, file, playlist), compares that with what it read
// before and signals the difference; a seek is the controller's own signal.
// Lives on the user-interface thread; the player outlives it.
#pragma once

#include "DesktopPlayer.h"

#include <QObject>

class CPlayerStateWatch : public QObject {
    Q_OBJECT

public:
    explicit CPlayerStateWatch(IDesktopPlayer& player, QObject* pParent = nullptr);

    const PlayerSample& Current() const { return m_current; }
    // Reads the player now and signals what changed since the last reading.
    void Sample();

signals:
    // Playback state, file, length, volume, rate or what can be done changed.
    void Changed(const PlayerSample& before, const PlayerSample& after);
    // A seek ended at llPosition (100-ns units), whoever asked for it.
    void Seeked(LONGLONG llPosition);

private:
    const IDesktopPlayer& m_player;
    PlayerSample m_current;
};
