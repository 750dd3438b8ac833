// What the desktop can see of the player at one moment.
#pragma once

#include "common/ComTypes.h"
#include "playback/MediaGraph.h"

#include <string>

struct PlayerSample {
    int nState = State_Stopped;  // State_Stopped, State_Paused or State_Running
    std::string fileName;        // the current (or last) file, empty before the first
    LONGLONG llLength = 0;       // duration of the open file, 100-ns units; 0 when none is open
    int nVolume = 100;           // 0..100
    double dRate = 1.0;
    bool bOpen = false;          // a file is open (playing or paused)
    bool bHasVideo = false;      // the open file has a picture
    bool bCanPrevious = false;   // the previous button would change the file
    bool bCanNext = false;       // the next button would change the file
    bool bCanPlay = false;       // play would start or resume something
    bool bFullScreen = false;    // the player fills its monitor, in either full-screen mode

    bool VideoPlaying() const { return nState == State_Running && bHasVideo; }
    bool operator==(const PlayerSample&) const = default;
};
