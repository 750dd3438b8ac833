// What the playback control asks of the window that shows playback: the
// skin's buttons, time and volume displays, the picture, the playlist's
// entries and the message box. Called on the user-interface thread.
#pragma once

#include "common/ComTypes.h"

#include <algorithm>
#include <cstdint>
#include <string>

// The whole seconds of a time in 100-ns units, held to 0..INT32_MAX.
inline int WholeSeconds(LONGLONG llTime)
{
    return static_cast<int>(std::clamp<LONGLONG>(llTime / 10'000'000, 0, INT32_MAX));
}

class IPlaybackView {
public:
    virtual ~IPlaybackView() = default;

    // The skin shows the player playing, paused or stopped.
    virtual void ShowPlaying() = 0;
    virtual void ShowPaused() = 0;
    // Also ends the picture of the file that stopped.
    virtual void ShowStopped() = 0;
    // The file opened: the screen window shows its picture (or the logo),
    // fitted to the window; `bSizeWindow` lets the picture size the window.
    virtual void ShowFileStarted(bool bSizeWindow) = 0;
    // The open file's picture changed its size.
    virtual void ShowPictureChanged() = 0;
    // The open file's duration in whole seconds.
    virtual void ShowDuration(int nTotal) = 0;
    // The position in whole seconds.
    virtual void ShowPosition(int nSecond) = 0;
    virtual void ShowVolume(int nVolume) = 0;
    // The last report, in a message box that does not hold up the window.
    virtual void ShowLastReport() = 0;

    // The playlist: whether there is one, its current entry (empty past the
    // end), and a step to the previous or next entry.
    virtual bool HasPlaylist() const = 0;
    virtual std::string CurrentEntry() const = 0;
    virtual void StepEntry(bool bForward) = 0;
};
