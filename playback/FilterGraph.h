// The media graph of one file: a GStreamer pipeline around the player's
// source element. It renders the source's outputs through decodebin into
// converter chains and sinks, prerolls before it plays, controls the state,
// seeks, changes the rate (pitch kept by scaletempo) and the volume, places
// the picture in the screen window through the video overlay and turns bus
// messages into the player's graph events and into signals.
//
// Threads:
// - The user-interface thread makes every public call, runs the preroll
//   wait and gets _OnPrerolled through a queued call.
// - GStreamer's streaming threads call _OnBusMessage (the bus's sync
//   handler: it only posts events, stores the first error and queues the
//   preroll notice and the handling of a lost sound output or clock),
//   _OnDecodedPad (decodebin's new pads) and _OnAudioData.
// - m_renderLock guards m_bHasAudio and m_bHasVideo, written by
//   _OnDecodedPad as each decoder's pads arrive and read by the UI thread,
//   m_fileName and m_bPictureExpected, written by the UI thread before the
//   graph prerolls and read by the sound sink's thread (_OnAudioData), and
//   m_bSoundTitled, written and read by that thread only, m_firstError,
//   written by the thread that reports the first failure and read by the
//   UI thread, and m_missingPlugins, written by the threads that report
//   missing plugins and read by the UI thread. Only the leaf locks of the
//   subtitle overlay and the sound streams (m_subtitles, m_audioTracks) are
//   taken while it is held. m_windowHandle, m_dGain,
//   m_bPrerolled, m_bSoundLost and m_hrError are atomics read by streaming
//   threads, m_bEnded an atomic written by the bus's sync handler and the UI
//   thread, m_nUserSeeks an atomic written by the UI thread; the event
//   queue has a lock of its own. m_scaleSize is an
//   atomic written by the UI thread and read when the video chain is made. Everything else,
//   the picture window included, is the UI thread's.
// Ownership: the graph owns its pipeline and with it every element in it,
// and the picture window an X image or Xv sink draws into; the destructor
// takes the pipeline to NULL first, so that no streaming thread reaches the
// graph and no sink draws afterwards, then removes the bus handler; the
// picture window goes last. A sound sink that lost its server is taken out
// of the pipeline and stopped by m_lostSound, on the sound's streaming
// thread or the UI thread.
//
// Signals: emitted on whichever thread the graph learnt of the change (a
// streaming thread, or the UI thread within a state change): receivers
// connect with Qt::QueuedConnection, and may get a signal after the graph
// is gone.
//
// The sound server may go away while a file plays: the sound sink's error
// is then no failure of the graph. The sink is replaced by a null sink, the
// graph takes the system clock in place of the server's, and the picture
// plays on; the next file's graph opens the server again.
//
// A sound output whose clock stops for good while the graph plays (a sound
// server's time that jumps far ahead does it: the sink's clock never runs
// back) would hold the whole file with it. A graph that has stood still
// while playing for kStallLimitMs gets a new sound sink, with a clock of its
// own, and goes on from where it stood.
#pragma once

#include "AudioTracks.h"
#include "GraphEventQueue.h"
#include "LostSoundOutput.h"
#include "MissingPlugin.h"
#include "PlaybackError.h"
#include "StallWatch.h"
#include "SubtitleOverlay.h"
#include "common/ComTypes.h"

#include <QObject>
#include <QSize>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <gst/gst.h>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class CPictureWindow;
class QEventLoop;

// The graph's own result codes, the numbers the player knows them by.
constexpr HRESULT VFW_E_CANNOT_RENDER = static_cast<HRESULT>(0x80040218u);
constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = static_cast<HRESULT>(0x8004022Fu);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x80040265u);

// The four sides of the picture's rectangle in the screen window.
enum class VideoEdge { Left, Top, Width, Height };

class CFilterGraph : public QObject {
    Q_OBJECT

public:
    // `windowHandle` is the native screen window the picture goes into, 0
    // when there is no display; the sound starts at attenuation `lVolume`.
    CFilterGraph(guintptr windowHandle, long lVolume);
    ~CFilterGraph() override;
    CFilterGraph(const CFilterGraph&) = delete;
    CFilterGraph& operator=(const CFilterGraph&) = delete;

    // Adds the element (a new reference is taken) under `pszName`.
    HRESULT AddFilter(GstElement* pElement, const char* pszName);
    // The file's name, shown by the desktop's sound mixer; set before Render.
    void SetFileName(const std::string& fileName);
    // Links an output pad to a decoder whose decoded streams end in
    // renderer chains once data flows.
    HRESULT Render(GstPad* pPad);
    // Renders every output pad of `pSource` that is not linked yet, in
    // order, until one fails; the pads are walked again from the start when
    // the source's pads change meanwhile. Returns S_OK or the failure, and
    // whether any pad was rendered.
    HRESULT RenderOutputs(GstElement* pSource, bool* pbRendered);
    // Pauses the graph and waits, at most `msTimeout` and with the
    // user-interface thread's events still served, until every renderer
    // holds its first data. Fails when nothing could be rendered.
    HRESULT Preroll(int msTimeout);
    // Ends a preroll wait under way: Preroll fails with E_ABORT.
    void AbortPreroll();
    bool FindFilterByName(const char* pszName) const;
    // The first failure of the graph (hr S_OK while there is none).
    PlaybackError FirstError();
    // Names in `pError` the decoders the file needs that are not installed
    // (told by the graph before its failures, but maybe on other threads:
    // read once the failure has reached the user-interface thread).
    void AddMissingPlugins(PlaybackError* pError);

    // Control. Run before the preroll ended plays as soon as it ends.
    HRESULT Run();
    HRESULT Pause();
    // A failed stop is returned, but the graph reaches NULL all the same:
    // elements that refuse are taken down by hand, so that the graph can be
    // released.
    HRESULT Stop();
    // A graph that has failed answers at once, whatever the timeout.
    HRESULT GetState(long msTimeout, int* pState);

    // Seeking, in 100-nanosecond units. Each call is a seek of the user's:
    // SeekDone tells the number of them made so far when one ends.
    HRESULT SetPositions(LONGLONG llPosition);
    HRESULT GetCurrentPosition(LONGLONG* pllPosition);
    HRESULT GetDuration(LONGLONG* pllDuration);
    HRESULT SetRate(double dRate);
    double GetRate() const { return m_dRate; }

    CGraphEventQueue& Events() { return m_events; }

    // The picture in the screen window.
    HRESULT PutOwner(guintptr windowHandle);
    HRESULT PutVideoWindow(VideoEdge edge, long lValue);
    // The size the picture is shown at: its stored size with the pixel
    // aspect ratio applied (see DisplaySize).
    HRESULT GetVideoSize(long* plWidth, long* plHeight);

    // A picture of `nWidth` x `nHeight` stored pixels whose pixels are
    // `nParN`:`nParD` (width to height) is widened when its pixels are wide
    // and heightened when they are tall, never narrowed, so that every stored
    // pixel stays on screen; an unknown ratio (a zero term) counts as square.
    static void DisplaySize(int nWidth, int nHeight, int nParN, int nParD, long* plWidth, long* plHeight);

    // Attenuation in hundredths of a decibel, 0 full and -10000 silent.
    HRESULT PutVolume(long lVolume);

    // The file's subtitle tracks and sound streams, and the choice of them.
    CSubtitleOverlay& Subtitles() { return m_subtitles; }
    CAudioTracks& AudioTracks() { return m_audioTracks; }
    // A paused graph makes its picture again (a seek to where it stands),
    // so that a change of the subtitles shows at once.
    void RedrawPaused();

signals:
    // The pipeline settled in a state (no change pending).
    void StateReached();
    // The pipeline's length may have changed.
    void DurationChanged();
    // A seek ended; `nUserSeeks` is the number of SetPositions calls
    // made by then.
    void SeekDone(int nUserSeeks);
    void Ended();
    // A failure of the graph (not the loss of the sound output).
    void Failed(const PlaybackError& error);
    // The clock was lost and a new one chosen.
    void ClockLost();
    // The picture changed its display size while playing.
    void PictureResized(int nWidth, int nHeight);
    // A sound or subtitle stream of the file was found.
    void TracksFound();

private:
    static GstBusSyncReply _OnBusMessage(GstBus* pBus, GstMessage* pMessage, gpointer pGraph);
    static gboolean _OnDecoding(GstElement* pDecoder, GstPad* pPad, GstCaps* pCaps, gpointer);
    static void _OnDecodedPad(GstElement* pDecoder, GstPad* pPad, gpointer pGraph);
    static void _OnVideoCaps(GstPad* pPad, GParamSpec*, gpointer pGraph);
    void _OnError(GstMessage* pMessage);
    void _OnMissingPlugin(GstMessage* pMessage);
    bool _IsSoundOutputLost(GstMessage* pMessage);
    void _OnSoundLost();
    void _OnClockLost();
    void _WatchForStall();
    void _ReopenSoundOutput();
    std::pair<GstElement*, GstElement*> _MakeSoundOutput();
    static GstPadProbeReturn _OnAudioData(GstPad* pPad, GstPadProbeInfo* pInfo, gpointer pGraph);
    void _OnPrerolled();
    GstPad* _RendererInput(GstPad* pDecodedPad, const std::string& mediaType, bool* pbTrack);
    GstElement* _MakeRendererChain(const char* pszMediaType);
    GstElement* _MakeVideoChain();
    GstElement* _AddVideoChainAfterDrawn(GstElement* pConverter, GstElement* pOverlay, GstElement* pSink, bool bScaled);
    GstElement* _VideoOverlay() const;
    void _ApplyRenderRectangle();
    // The window the video sink draws into for the owner `windowHandle`.
    guintptr _UsePictureWindow(guintptr windowHandle);
    void _OnPictureExposed();
    void _OnPictureResized(QSize size);
    void _RefreshPicture();
    HRESULT _ApplyState(GstState state);
    bool _Seek(double dRate, LONGLONG llPosition);
    bool _QueryPosition();

    GstElement* m_pPipeline;
    // The window the video sink draws into (the picture window when there
    // is one); read on a streaming thread when the video renderer is made.
    std::atomic<guintptr> m_windowHandle;
    // Without OpenGL, the sink draws into a window of the picture's own.
    std::unique_ptr<CPictureWindow> m_pPictureWindow;
    CLostSoundOutput m_lostSound;
    // The size X images are scaled to, width in the low 32 bits and height
    // in the high; 0 for their own size.
    std::atomic<uint64_t> m_scaleSize = 0;
    bool m_bRefreshQueued = false;
    CGraphEventQueue m_events;
    // Decoded pads arrive on streaming threads, one decoder's at a time.
    std::mutex m_renderLock;
    bool m_bHasAudio = false;
    bool m_bHasVideo = false;
    // A source output carries a picture, before any of it is decoded.
    bool m_bPictureExpected = false;
    std::string m_fileName;
    // The file's sound came with a title of its own.
    bool m_bSoundTitled = false;
    std::atomic<bool> m_bSoundLost = false;
    // The file has ended (until the next seek).
    std::atomic<bool> m_bEnded = false;
    std::atomic<bool> m_bPrerolled = false;
    std::atomic<HRESULT> m_hrError = S_OK;
    PlaybackError m_firstError;
    // The decoders the file needs that are not installed, each once.
    std::vector<CMissingPlugin> m_missingPlugins;
    std::atomic<int> m_nUserSeeks = 0;
    bool m_bRunPending = false;
    QEventLoop* m_pPrerollWait = nullptr;
    double m_dRate = 1.0;
    // Read on a streaming thread when the sound chain is made.
    std::atomic<double> m_dGain;
    LONGLONG m_llLastPosition = 0;
    // Looks every kStallLookMs at whether a playing graph stands still.
    QTimer m_stallTimer;
    CStallWatch m_stallWatch;
    // The display size of the video chain's input caps, width in the low 32
    // bits and height in the high; 0 until the first caps. Touched only by
    // the thread that sets the renderer's caps (a streaming thread).
    std::atomic<uint64_t> m_displaySize = 0;
    long m_rect[4] = {0, 0, 0, 0};
    // The destructor stops the pipeline before they go.
    CSubtitleOverlay m_subtitles;
    CAudioTracks m_audioTracks;
};
