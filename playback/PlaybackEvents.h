// What the media graph controller did, as signals: the one way the player's
// window, its desktop integration and its displays learn of a change of
// state, length, position, rate, volume, picture or tracks, of the end of a
// file and of a failure while it plays.
//
// Owned by CDirectShow for its whole life (across files) and used on the
// user-interface thread only: every signal is emitted there, after the
// controller's own state is updated, so that a slot may call back into the
// controller (and stop or start a file). The Tell methods are the
// controller's: each emits its signal only when the value changed.
#pragma once

#include "PlaybackError.h"
#include "common/ComTypes.h"

#include <QObject>
#include <QString>

class CPlaybackEvents : public QObject {
    Q_OBJECT

public:
    CPlaybackEvents() = default;

    void TellState(int nState);
    void TellDuration(LONGLONG llDuration);
    void TellRate(double dRate);
    void TellVolume(long lVolume);

    int ToldState() const { return m_nState; }
    LONGLONG ToldDuration() const { return m_llDuration; }

signals:
    // State_Stopped, State_Paused or State_Running, on every change.
    void StateChanged(int nState);
    // A file was opened and plays (Play succeeded).
    void FileOpened(const QString& fileName, bool bHasVideo, bool bHasAudio);
    // The file's length in 100-ns units, when it is first known and on
    // every change; 0 when there is none (no file, or not known).
    void DurationChanged(LONGLONG llDuration);
    // A seek ended, whoever asked for it; the position it reached.
    void PositionJumped(LONGLONG llPosition);
    void RateChanged(double dRate);
    // The attenuation in hundredths of a decibel, as the graph takes it.
    void VolumeChanged(long lVolume);
    // The display size of the picture: when a file with a picture opens,
    // and when the picture changes its shape while playing.
    void VideoSizeChanged(int nWidth, int nHeight);
    // The set of the file's sound and subtitle streams or the choice among
    // them changed (a file was opened or closed, a stream was found, a
    // subtitle file loaded, a track chosen, the subtitle delay changed).
    void TracksChanged();
    void EndOfStream();
    // The graph failed while the file played; it plays no further.
    void Error(const PlaybackError& error);
    // The graph's clock went away (the sound server was lost); the graph
    // has chosen a new one and plays on.
    void ClockLost();

private:
    // The value is stored before it is told, so that a slot reads it back.
    template <typename Value>
    void _Tell(Value* pTold, Value value, void (CPlaybackEvents::*signal)(Value))
    {
        if (value == *pTold)
            return;
        *pTold = value;
        emit(this->*signal)(value);
    }

    int m_nState = 0;
    LONGLONG m_llDuration = 0;
    double m_dRate = 1.0;
    long m_lVolume = 0;
};
