// The player's single gateway to playback. For each file it builds a fresh
// graph around one of the BrelmSource filters, chosen by the file's first 16
// bytes, renders every output of that filter, places the picture in the
// screen window and runs the graph; then it pauses, resumes, seeks, changes
// rate and volume and hands the graph's events to the player, until Stop
// releases the whole graph. Every operation returns 0 or a result code and reports
// its failures once, where they happen. What happens to the file (state,
// length, seeks, rate, volume, picture size, end, failures) is also told by
// the signals of Events(), on the user-interface thread.
#pragma once

#include "FilterLibrary.h"
#include "MediaGraph.h"
#include "PlaybackEvents.h"
#include "common/ComTypes.h"
#include "winsys/Rect.h"

#include <QSize>
#include <cstdint>
#include <memory>
#include <string>

class CAudioTracks;
class CFilterGraph;
class CSubtitleOverlay;
class IBaseFilter;
class QWidget;

// The longest file name the player takes, in bytes without the terminator:
// the longest path Linux opens, which is also what the shared record's file
// field holds.
constexpr size_t kMaxFileNameLength = 4095;

// 0, or ERROR_FILENAME_EXCED_RANGE reported when the name is longer than
// kMaxFileNameLength.
HRESULT CheckFileNameLength(const char* pszFileName);

// How long Play lets a file preroll, with the window still painted, before
// it gives up on rendering it.
constexpr int kRenderTimeoutMilliseconds = 10000;

class CDirectShow {
public:
    // The BrelmSource library is looked for relative to `filterLibraryDir`.
    explicit CDirectShow(std::string filterLibraryDir = ProgramDir());
    virtual ~CDirectShow();
    CDirectShow(const CDirectShow&) = delete;
    CDirectShow& operator=(const CDirectShow&) = delete;

    HRESULT Init(QWidget* pScreenWnd);
    // Fails with E_ABORT when Stop is called while the file is still being
    // opened (from an event served during the preroll wait).
    HRESULT Play(const char* pszFileName);
    HRESULT Pause();
    HRESULT Resume();
    // A failed stop is reported and returned, and the graph is released all
    // the same: the controller is idle afterwards either way.
    HRESULT Stop();
    HRESULT GetState(long msTimeout, int* pState);
    // The state the graph is in or changing to, without waiting and without
    // a report: for watching the player from outside.
    int TargetState();
    HRESULT GetEvent(long* plEvent, intptr_t* plParam1, intptr_t* plParam2, long msTimeout);
    HRESULT FreeEventParams(long lEvent, intptr_t lParam1, intptr_t lParam2);
    HRESULT SetPosition(LONGLONG llPosition);
    HRESULT GetPosition(LONGLONG* pllPosition);
    HRESULT GetTotalPlayLength(LONGLONG* pllTotal);
    HRESULT SetRate(double dRate);
    HRESULT GetRate(double* pdRate);
    HRESULT SetVolume(int nVolume);
    // `rect` is the picture's rectangle in the screen window, in logical
    // pixels; the picture is placed at it in the screen's own pixels.
    HRESULT SetScreenSize(RECT rect);
    HRESULT GetOriginalScreenSize(long* plWidth, long* plHeight);
    bool IsOpen() const { return m_bOpen; }
    // Whether the open file has a picture (false for sound-only files).
    bool HasVideo() const { return m_bOpen && m_bHasVideo; }

    // The attenuation in hundredths of a decibel for a volume of 0..100,
    // and the level before it was truncated.
    static long VolumeLevel(int nVolume, double* pdLevel);

    // The signals of this controller, for its whole life.
    CPlaybackEvents& Events() { return m_events; }
    // The most recent failure of Play or of the graph while playing, with
    // GStreamer's text where it came from GStreamer.
    const PlaybackError& LastError() const { return m_lastError; }

    // The open file's subtitle tracks and sound streams; null while no file
    // is open. Subtitle files beside the file are loaded as it opens.
    CSubtitleOverlay* Subtitles();
    CAudioTracks* AudioTracks();
    // Loads a subtitle file for the open file and shows its first track.
    HRESULT LoadSubtitleFile(const char* pszPath);
    // To call after a change of the subtitles or sound streams made through
    // the two above: a paused picture is made again and TracksChanged told.
    void TellTracksChosen();

    // The size GetOriginalScreenSize tells while there is no picture: that
    // of what the screen window shows in its place (the logo).
    void SetNoPictureSize(QSize size) { m_noPictureSize = size; }

private:
    HRESULT _Start(const char* pszFileName);
    HRESULT _ProbeHeader(const char* pszFileName, uint8_t (&header)[16]);
    HRESULT _CreateSourceFilter(const uint8_t (&header)[16]);
    HRESULT _LoadSourceFilter(const char* pszFileName);
    HRESULT _RenderOutputPins(IBaseFilter* pBaseFilter);
    HRESULT _AttachVideoWindow();
    void _LoadSubtitlesBeside(const char* pszFileName);
    void _ReleaseGraph();
    // Connects the new graph's signals to the controller's: a signal is
    // passed on while the file is open and its graph is still the one.
    void _Listen();
    void _TellOpened(const char* pszFileName);
    void _TellClosed();
    void _TellDuration();
    void _OnStateReached();
    void _OnSeekDone(int nUserSeeks);
    void _OnFailed(const PlaybackError& error);

    // Emits on behalf of the controller; the graphs' queued signals reach
    // the controller through it, so it outlives every graph.
    CPlaybackEvents m_events;
    PlaybackError m_lastError;
    // Counts the graphs made: a queued signal of an earlier graph is
    // dropped.
    unsigned m_nGraphSerial = 0;
    // The user's seeks of the current graph already told as ended.
    int m_nToldSeeks = 0;
    QWidget* m_pScreenWnd = nullptr;
    std::unique_ptr<CFilterGraph> m_pGraph;
    // Set once every output rendered: the graph can be driven.
    bool m_bOpen = false;
    // Play is under way (its preroll wait serves the window's events), and
    // a Stop came meanwhile.
    bool m_bStarting = false;
    bool m_bStopRequested = false;
    // The attenuation set last: the next file's sound starts at it, so that
    // a player turned down is not loud until it sets the volume again.
    long m_lVolume = kVolumeFull;
    bool m_bHasVideo = false;
    IBaseFilter* m_pSourceFilter = nullptr;
    QSize m_noPictureSize{0, 0};
    CFilterLibrary m_filterLibrary;
};
