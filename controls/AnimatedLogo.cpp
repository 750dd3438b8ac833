#include "AnimatedLogo.h"

#include "GifBlockWalker.h"
#include "winsys/WindowSystem.h"
#include "common/ErrorText.h"
#include "common/Report.h"

#include <QPainter>
#include <chrono>
#include <system_error>

namespace {

// The longest a stop waits for the worker thread to end.
constexpr uint32_t kStopTimeoutMilliseconds = 5000;

constexpr int kDisposeToBackground = 2;
constexpr int kDisposeToPrevious = 3;

// Decodes one picture with Qt's image reader: GIF data as GIF whatever its
// version text says, anything else by its own signature.
bool DecodePicture(const uint8_t* pData, size_t cbData, const char* pszFormat, QImage& picture)
{
    picture = QImage::fromData(QByteArrayView(pData, static_cast<qsizetype>(cbData)), pszFormat);
    if (picture.isNull())
        return false;
    picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    return true;
}

} // namespace

CAnimatedLogo::CAnimatedLogo(QWidget* pParent) : QWidget(pParent)
{
    // Every paint covers the whole widget.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CAnimatedLogo::~CAnimatedLogo()
{
    Unload();
}

bool CAnimatedLogo::LoadFromResource(unsigned nID, const char* pszType)
{
    if (pszType == nullptr) {
        ReportError(ERROR_INVALID_PARAMETER);
        Trace("nID = %d, pszType = %llx", static_cast<int>(nID), Hex(pszType));
        Trace("from %s", "CAnimatedLogo::LoadFromResource()");
        return false;
    }
    QByteArray resource;
    if (!LoadResourceData(nID, pszType, resource)) {
        ReportError(ERROR_NOT_FOUND, "Can not find resource %u of type %s", nID, pszType);
        Trace("from %s", "FindResource()");
        Trace("from %s", "CAnimatedLogo::LoadFromResource()");
        return false;
    }
    if (!LoadFromMemory(resource.constData(), static_cast<DWORD>(resource.size()))) {
        Trace("from %s", "CAnimatedLogo::LoadFromResource()");
        return false;
    }
    return true;
}

bool CAnimatedLogo::LoadFromMemory(const void* pData, DWORD nSize)
{
    Unload();
    if (pData == nullptr) {
        ReportError(ERROR_INVALID_PARAMETER);
        Trace("hData = %llx, nSize = %d", Hex(pData), static_cast<int>(nSize));
        Trace("from %s", "CAnimatedLogo::LoadFromMemory()");
        return false;
    }
    const auto* pBytes = static_cast<const uint8_t*>(pData);
    bool bLoaded = CGifBlockWalker::IsGif(pBytes, nSize) ? _LoadGif(pBytes, nSize) : _LoadStill(pBytes, nSize);
    if (!bLoaded || !_PrepareOffscreen()) {
        Unload();
        Trace("from %s", "CAnimatedLogo::LoadFromMemory()");
        return false;
    }
    return true;
}

void CAnimatedLogo::Unload()
{
    StopAnimation();
    m_still = QImage();
    m_frames.clear();
    m_savedArea.reset();
    {
        std::lock_guard lock(m_offscreenLock);
        m_offscreen = QImage();
    }
    m_nPictureWidth = 0;
    m_nPictureHeight = 0;
    m_background = Qt::white;
    m_nCurrentFrame = 0;
    m_bIsGIF = false;
    m_bPrepared = false;
}

bool CAnimatedLogo::StartAnimation()
{
    if (!m_bPrepared)
        return false;
    return m_frames.empty() ? _RenderStill() : _StartWorker();
}

void CAnimatedLogo::StopAnimation()
{
    m_bRunning = false;
    m_bStop = true;
    m_stopEvent.Set();
    if (m_worker.valid()) {
        // The worker uses this object's pictures, so it is always waited for;
        // it ends within one frame's drawing once the event is set.
        if (m_worker.wait_for(std::chrono::milliseconds(kStopTimeoutMilliseconds)) == std::future_status::timeout)
            Trace("CAnimatedLogo::StopAnimation() : the animation thread did not end within %u ms",
                  kStopTimeoutMilliseconds);
        m_worker.get();
    }
    m_stopEvent.Reset();
    m_bStop = false;
}

uint32_t CAnimatedLogo::FrameWaitMilliseconds(uint32_t delay)
{
    return delay < 5 ? 100 : delay * 10;
}

void CAnimatedLogo::paintEvent(QPaintEvent* /*pEvent*/)
{
    QPainter painter(this);
    std::lock_guard lock(m_offscreenLock);
    if (m_bPrepared) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), m_offscreen);
    } else {
        painter.fillRect(rect(), m_background);
    }
}

bool CAnimatedLogo::_LoadGif(const uint8_t* pData, size_t cbData)
{
    m_bIsGIF = true;
    CGifBlockWalker walker(pData, cbData);
    size_t nFrames = walker.ReadHeader() ? walker.CountFrames() : 0;
    m_nPictureWidth = walker.ScreenWidth();
    m_nPictureHeight = walker.ScreenHeight();
    bool bLoaded = false;
    if (nFrames == 0)
        ReportError(ERROR_BAD_FORMAT, "There is no frame in the GIF data of %zu bytes", cbData);
    else
        bLoaded = nFrames == 1 ? _LoadStill(pData, cbData) : _LoadFrames(walker);
    if (!bLoaded)
        Trace("from %s", "CAnimatedLogo::_LoadGif()");
    return bLoaded;
}

// A one-frame GIF keeps its logical screen size; other pictures take their own.
bool CAnimatedLogo::_LoadStill(const uint8_t* pData, size_t cbData)
{
    if (!DecodePicture(pData, cbData, m_bIsGIF ? "GIF" : nullptr, m_still)) {
        ReportError(ERROR_BAD_FORMAT, "Can not decode the picture of %zu bytes", cbData);
        Trace("from %s", "QImage::fromData()");
        Trace("from %s", "CAnimatedLogo::_LoadStill()");
        return false;
    }
    if (!m_bIsGIF) {
        m_nPictureWidth = m_still.width();
        m_nPictureHeight = m_still.height();
    }
    return true;
}

// Decodes every frame on its own; a frame the decoder rejects is left out.
bool CAnimatedLogo::_LoadFrames(CGifBlockWalker& walker)
{
    const QSize screen(m_nPictureWidth, m_nPictureHeight);
    walker.Rewind();
    GifFrameInfo info;
    for (int nFrame = 0; walker.NextFrame(info); ++nFrame) {
        std::vector<uint8_t> gif = walker.StandaloneGif(info);
        QImage picture;
        if (!DecodePicture(gif.data(), gif.size(), "GIF", picture)) {
            Trace("CAnimatedLogo::_LoadFrames() : frame %d can not be decoded and is left out", nFrame);
            continue;
        }
        // The decoder places the frame on the whole logical screen; only the
        // frame's own rectangle is drawn.
        QRect rect(info.left, info.top, info.width, info.height);
        m_frames.push_back({picture.size() == screen ? picture.copy(rect) : picture, rect, info.delay, info.disposal});
    }
    if (m_frames.empty()) {
        ReportError(ERROR_BAD_FORMAT, "No frame of the GIF data can be decoded");
        Trace("from %s", "CAnimatedLogo::_LoadFrames()");
        return false;
    }
    return true;
}

bool CAnimatedLogo::_PrepareOffscreen()
{
    QImage offscreen;
    if (m_nPictureWidth > 0 && m_nPictureHeight > 0)
        offscreen = QImage(m_nPictureWidth, m_nPictureHeight, QImage::Format_RGB32);
    if (offscreen.isNull()) {
        ReportError(ERROR_NOT_ENOUGH_MEMORY, "Can not create an off-screen picture of %d x %d", m_nPictureWidth,
                    m_nPictureHeight);
        Trace("from %s", "CAnimatedLogo::_PrepareOffscreen()");
        return false;
    }
    resize(m_nPictureWidth, m_nPictureHeight);
    offscreen.fill(palette().color(QPalette::Window));
    std::lock_guard lock(m_offscreenLock);
    m_offscreen = std::move(offscreen);
    m_background = palette().color(QPalette::Button);
    m_bPrepared = true;
    return true;
}

bool CAnimatedLogo::_RenderStill()
{
    if (m_still.isNull())
        return false;
    {
        std::lock_guard lock(m_offscreenLock);
        QPainter painter(&m_offscreen);
        painter.drawImage(QRect(0, 0, m_nPictureWidth, m_nPictureHeight), m_still);
    }
    update();
    return true;
}

bool CAnimatedLogo::_StartWorker()
{
    if (m_worker.valid())
        return true;
    // Playing from the start on, so that a stop right after the start
    // (which asks IsPlaying) still ends the worker.
    m_bRunning = true;
    try {
        m_worker = std::async(std::launch::async, [this] { _Animate(); });
    } catch (const std::system_error& error) {
        m_bRunning = false;
        ReportError(Win32ErrorFromErrno(error.code().value()), "Can not start the logo animation");
        Trace("from %s", "CreateThread()");
        Trace("from %s", "CAnimatedLogo::_StartWorker()");
        return false;
    }
    return true;
}

// The worker thread: first undoes what the frame it stopped on left, then
// shows frame after frame until the stop flag is set.
void CAnimatedLogo::_Animate()
{
    _DisposeFrame(m_frames[m_nCurrentFrame]);
    while (!m_bStop && _ShowFrame(m_frames[m_nCurrentFrame])) {
        _DisposeFrame(m_frames[m_nCurrentFrame]);
        _AdvanceFrame();
    }
    m_bRunning = false;
}

// Draws the frame and waits its delay; false when the stop flag ended it.
bool CAnimatedLogo::_ShowFrame(const Frame& frame)
{
    {
        std::lock_guard lock(m_offscreenLock);
        if (frame.disposal == kDisposeToPrevious)
            m_savedArea = m_offscreen.copy(frame.rect);
        QPainter painter(&m_offscreen);
        painter.drawImage(frame.rect, frame.picture);
    }
    _Invalidate();
    if (m_bStop)
        return false;
    m_stopEvent.Wait(FrameWaitMilliseconds(frame.delay));
    return !m_bStop;
}

void CAnimatedLogo::_DisposeFrame(const Frame& frame)
{
    std::lock_guard lock(m_offscreenLock);
    if (frame.disposal == kDisposeToBackground) {
        QPainter(&m_offscreen).fillRect(frame.rect, m_background);
    } else if (frame.disposal == kDisposeToPrevious && m_savedArea) {
        QPainter painter(&m_offscreen);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(frame.rect.topLeft(), *m_savedArea);
        m_savedArea.reset();
    }
}

// After the last frame the animation starts again on a cleared picture.
void CAnimatedLogo::_AdvanceFrame()
{
    if (++m_nCurrentFrame < m_frames.size())
        return;
    m_nCurrentFrame = 0;
    std::lock_guard lock(m_offscreenLock);
    m_offscreen.fill(m_background);
}

// Asks the widget's own thread to repaint; widgets are not touched from here.
void CAnimatedLogo::_Invalidate()
{
    QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}
