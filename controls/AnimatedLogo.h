// The picture shown in the screen area while a file without video plays.
// GIF data is decoded frame by frame: each frame is cut out into a stand-alone
// GIF and decoded by Qt's image reader. A worker thread draws the frames one
// after another into an off-screen image, with each frame's delay and
// disposal method, and the widget paints that image stretched over itself.
// Data of another picture format, and a GIF of one frame, is shown still.
//
// Threads:
// - The UI thread makes every call of the public interface and paints.
// - One worker thread per StartAnimation runs _Animate until StopAnimation
//   sets m_bStop and m_stopEvent, then waits for it (always: the worker uses
//   this object's pictures). It never touches the widget itself: it asks for
//   repaints with queued calls, which Qt drops once the widget is gone.
// - m_offscreenLock guards m_offscreen and m_savedArea, drawn by the worker
//   and painted by the UI thread. It is the only lock; nothing is called
//   while it is held but QPainter on those pictures.
// - m_frames, m_nCurrentFrame and the picture size are written by the UI
//   thread only while no worker runs (loading, unloading), and read or
//   advanced by the worker only while it runs.
// - m_bRunning and m_bStop are atomics: set by StartAnimation/StopAnimation,
//   read by both threads; the worker clears m_bRunning when it ends.
//
// Ownership: the widget's Qt parent owns the logo; the destructor stops and
// joins the worker before the pictures go.
#pragma once

#include "common/ComTypes.h"
#include "common/ManualResetEvent.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <atomic>
#include <future>
#include <mutex>
#include <optional>
#include <vector>

class CGifBlockWalker;

class CAnimatedLogo : public QWidget {
    Q_OBJECT

public:
    explicit CAnimatedLogo(QWidget* pParent = nullptr);
    ~CAnimatedLogo() override;

    // Loads the program's resource `nID` of type `pszType` ("GIF").
    bool LoadFromResource(unsigned nID, const char* pszType);
    // Decodes `nSize` bytes of picture data and prepares the off-screen image
    // at the picture's size; the widget takes that size. The data is copied.
    bool LoadFromMemory(const void* pData, DWORD nSize);
    void Unload();

    // Animated data: starts the worker thread (a running one is kept). A
    // still picture is drawn once. false before anything is loaded.
    bool StartAnimation();
    // Ends the worker thread; the next start resumes at the frame it showed.
    void StopAnimation();

    QSize GetPictureSize() const { return {m_nPictureWidth, m_nPictureHeight}; }
    bool IsAnimated() const { return m_bIsGIF && m_frames.size() > 1; }
    bool IsPlaying() const { return m_bRunning; }

    // How long a frame with `delay` (hundredths of a second) stays: 100 ms
    // below 5, otherwise delay x 10 ms in 32-bit arithmetic, so that a frame
    // without a graphic control extension stays until the animation stops.
    static uint32_t FrameWaitMilliseconds(uint32_t delay);

protected:
    void paintEvent(QPaintEvent* pEvent) override;

private:
    // One frame of the animation: its picture cut to its own rectangle of
    // the logical screen.
    struct Frame {
        QImage picture;
        QRect rect;
        uint32_t delay;
        int disposal;
    };

    bool _LoadGif(const uint8_t* pData, size_t cbData);
    bool _LoadStill(const uint8_t* pData, size_t cbData);
    bool _LoadFrames(CGifBlockWalker& walker);
    bool _PrepareOffscreen();
    bool _RenderStill();
    bool _StartWorker();

    // The worker thread and its steps.
    void _Animate();
    bool _ShowFrame(const Frame& frame);
    void _DisposeFrame(const Frame& frame);
    void _AdvanceFrame();
    void _Invalidate();

    int m_nPictureWidth = 0;
    int m_nPictureHeight = 0;
    QColor m_background = Qt::white;
    size_t m_nCurrentFrame = 0;
    bool m_bIsGIF = false;
    std::atomic<bool> m_bRunning = false;
    std::atomic<bool> m_bStop = false;
    bool m_bPrepared = false;
    // The worker draws into the off-screen image while the widget paints
    // from it; the lock keeps each frame whole.
    std::mutex m_offscreenLock;
    QImage m_offscreen;
    std::optional<QImage> m_savedArea;
    std::future<void> m_worker;
    CManualResetEvent m_stopEvent;
    QImage m_still;
    std::vector<Frame> m_frames;
};
