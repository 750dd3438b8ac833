// Watches the player window's playback from the outside and tells what
// changed: the desktop's media controls and the screen-saver inhibition
// follow the player through it, whatever turned the player (keys, menu,
// skin buttons, the playlist, graph events, D-Bus calls). It samples the
// window a few times a second on the user-interface thread, and at once when
// asked (after a command of its own listeners), and compares the sample with
// the previous one; a jump of the position that playing does not explain is
// a seek.
#pragma once

#include "common/ComTypes.h"
#include "playback/MediaGraph.h"

#include <QObject>
#include <QTimer>
#include <QElapsedTimer>
#include <string>

class CKorvoPlayerDlg;

// What the desktop can see of the player at one moment.
struct PlayerSample {
    int nState = State_Stopped;  // State_Stopped, State_Paused or State_Running
    std::string fileName;        // the current (or last) file, empty before the first
    LONGLONG llLength = 0;       // duration of the open file, 100-ns units; 0 when none is open
    LONGLONG llPosition = 0;     // position in the open file, 100-ns units
    int nVolume = 100;           // 0..100
    double dRate = 1.0;
    bool bOpen = false;          // a file is open (playing or paused)
    bool bHasVideo = false;      // the open file has a picture
    bool bCanPrevious = false;   // the previous button would change the file
    bool bCanNext = false;       // the next button would change the file
    bool bCanPlay = false;       // play would start or resume something

    bool VideoPlaying() const { return nState == State_Running && bHasVideo; }
};

class CPlayerStateWatch : public QObject {
    Q_OBJECT

public:
    explicit CPlayerStateWatch(CKorvoPlayerDlg& dlg, QObject* pParent = nullptr);

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
    PlayerSample _Read() const;
    bool _Jumped(const PlayerSample& sample) const;

    CKorvoPlayerDlg& m_dlg;
    PlayerSample m_current;
    QTimer m_timer;
    // Wall time since m_current was taken, to tell playing from seeking.
    QElapsedTimer m_sinceSample;
    bool m_bSeekNoted = false;
};
