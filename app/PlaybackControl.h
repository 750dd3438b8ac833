// Playback as the player's commands drive it: play, pause, stop, the
// previous and next entry, seeks, rate and volume, the position timer and
// the graph events. It holds the state that outlives one file (the volume,
// the file name, whether a file played yet) and shows what happens through
// its view. Keys, the menu, skin buttons, sliders and the desktop's media
// controls all come here. Lives on the user-interface thread; the graph and
// the view outlive it.
#pragma once

#include "PlaybackView.h"
#include "common/ComTypes.h"

#include <QObject>
#include <QTimer>
#include <string>

class CDirectShow;

class CPlaybackControl : public QObject {
    Q_OBJECT

public:
    CPlaybackControl(CDirectShow& graph, IPlaybackView& view);

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }
    int Volume() const { return m_nVolume; }

    // Plays, pauses or resumes, as the state of the graph asks.
    void Play();
    // Plays once the events being served now are done.
    void PostPlay();
    void Stop();
    void Pause();
    // The previous or next entry, only while a file runs.
    void PlayNeighbour(bool bForward);
    // Moves the position by llOffset (100-ns units); a failure is shown and
    // traced from pszHandler.
    void Seek(LONGLONG llOffset, const char* pszHandler);
    // Goes to llPosition (100-ns units) as the time slider does.
    void SeekTo(LONGLONG llPosition);
    // Normal speed, or 0.1 slower or faster.
    enum class RateStep { Normal, Slower, Faster };
    void ChangeRate(RateStep step);
    // The command handler a failed rate change is traced from.
    static const char* RateHandler(RateStep step);
    // Volume 5 down or up, or mute.
    enum class VolumeStep { Down, Up, Mute };
    void ChangeVolume(VolumeStep step);
    // The player's volume (held to 0..100), shown and applied to the graph.
    void SetVolume(int nVolume);
    // The graph's volume alone, as the volume slider sets it while dragged.
    void SetGraphVolume(int nVolume);
    // Takes every waiting graph event.
    intptr_t OnGraphEvents();

signals:
    // The volume or the file changed without the graph telling.
    void Changed();
    // The open file is about to be stopped; its graph still answers.
    void Stopping();

private:
    HRESULT _StartFile();
    HRESULT _SetPlayLength();
    HRESULT _MovePosition(LONGLONG llOffset);
    void _SetVolume(int nVolume, const char* pszHandler);
    void OnTimer();

    CDirectShow& m_graph;
    IPlaybackView& m_view;
    std::string m_fileName;
    int m_nVolume = 100;
    bool m_bPlayedOnce = false;
    // A file is being opened, and a play asked for meanwhile.
    bool m_bStarting = false;
    bool m_bPlayPending = false;
    // The last whole second shown.
    int m_nCurrentSecond = 0;
    // The position timer, running while a file plays or is paused.
    QTimer m_positionTimer;
};
