// What the desktop integration asks of the player: what the player shows
// now, and the player's own commands, carried out as its keys and buttons
// carry them out. The player window's side implements it; every call comes
// on the user-interface thread.
#pragma once

#include "PlayerSample.h"

#include <QStringList>
#include <functional>

class CPlaybackEvents;
class QWidget;

enum class PlayerCommand { PlayPause, Pause, Stop, Previous, Next, Exit };

class IDesktopPlayer {
public:
    virtual ~IDesktopPlayer() = default;

    virtual PlayerSample Read() const = 0;
    // The graph controller's signals: a change of what Read gives comes
    // with one of them, or through the OnChange handler.
    virtual CPlaybackEvents& Events() = 0;
    // `changed` is called on every change of what Read gives that the
    // graph controller does not signal (volume, file, playlist, full
    // screen).
    virtual void OnChange(std::function<void()> changed) = 0;
    // The position in the open file now (100-ns units); false when none is
    // open or it cannot be read.
    virtual bool ReadPosition(LONGLONG* pllPosition) const = 0;

    virtual void Command(PlayerCommand command) = 0;
    // Seeks the open file to llPosition (100-ns units).
    virtual void SeekTo(LONGLONG llPosition) = 0;
    virtual void SetRate(double dRate) = 0;
    // The player's volume, 0..100.
    virtual void SetVolume(int nVolume) = 0;
    // Plays the files as the Open command does.
    virtual void OpenFiles(const QStringList& files) = 0;
    // Adds the files to the playlist, as its Add button does.
    virtual void AddToPlaylist(const QStringList& files) = 0;
    // Enters full screen as the player's own full-screen key does, or
    // leaves whichever full-screen mode the player is in.
    virtual void SetFullScreen(bool bFullScreen) = 0;

    virtual QWidget& Window() = 0;
    // Null when the player has no playlist.
    virtual QWidget* PlaylistWindow() = 0;
};
