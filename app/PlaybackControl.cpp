#include "PlaybackControl.h"

#include "common/Report.h"
#include "common/Stream.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr long kStateTimeoutMs = 10000;
constexpr int kPositionPeriodMs = 100;

// Whether the file can be opened for reading through the stream factory.
HRESULT CheckFileOpens(const std::string& fileName)
{
    CStream* pStream = nullptr;
    HRESULT hr = CStream::CreateInstance(fileName.c_str(), &pStream);
    if (hr != S_OK || pStream == nullptr)
        return hr != S_OK ? hr : E_FAIL;
    hr = pStream->Init(fileName.c_str());
    pStream->Close();
    pStream->Release();
    return hr;
}

} // namespace

CPlaybackControl::CPlaybackControl(CDirectShow& graph, IPlaybackView& view) : m_graph(graph), m_view(view)
{
    connect(&m_positionTimer, &QTimer::timeout, this, &CPlaybackControl::OnTimer);
}

void CPlaybackControl::Play()
{
    // A graph that cannot tell its state cannot be driven either: the player
    // says so and stops, so that the next play starts afresh.
    int nState = State_Stopped;
    if (HRESULT hr = m_graph.GetState(kStateTimeoutMs, &nState); hr != S_OK && hr != VFW_S_STATE_INTERMEDIATE) {
        m_view.ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnPlay()");
        Stop();
        return;
    }
    if (nState == State_Paused) {
        if (m_graph.Resume() == S_OK)
            m_view.ShowPlaying();
        return;
    }
    if (nState == State_Running) {
        Pause();
        return;
    }
    // A file is being opened (this comes from an event served while it
    // prerolls): play again once that start has ended.
    if (m_bStarting) {
        m_bPlayPending = true;
        return;
    }
    if (!m_view.HasPlaylist())
        return;
    m_fileName = m_view.CurrentEntry();
    if (m_fileName.empty())
        return;
    m_bStarting = true;
    HRESULT hr = _StartFile();
    m_bStarting = false;
    if (hr == S_OK) {
        m_bPlayedOnce = true;
    } else if (hr != E_ABORT) {
        m_view.ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnPlay()");
        Stop();
    }
    emit Changed();
    if (std::exchange(m_bPlayPending, false))
        PostPlay();
}

void CPlaybackControl::PostPlay()
{
    QMetaObject::invokeMethod(this, &CPlaybackControl::Play, Qt::QueuedConnection);
}

// The first file sizes the window to its picture; later files are fitted
// into the window as it is.
HRESULT CPlaybackControl::_StartFile()
{
    HRESULT hr = CheckFileOpens(m_fileName);
    if (hr != S_OK)
        return hr;
    m_view.ShowPlaying();
    hr = m_graph.Play(m_fileName.c_str());
    if (hr != S_OK)
        return hr;
    m_view.ShowFileStarted(!m_bPlayedOnce);
    m_graph.SetVolume(m_nVolume);
    _SetPlayLength();
    m_positionTimer.start(kPositionPeriodMs);
    return S_OK;
}

// Takes the duration of the file; the time slider spans it in seconds.
HRESULT CPlaybackControl::_SetPlayLength()
{
    LONGLONG llTotal = 0;
    if (HRESULT hr = m_graph.GetTotalPlayLength(&llTotal); hr != S_OK) {
        Trace("from %s", "CKorvoPlayerDlg::_SetPlayLength()");
        return hr;
    }
    m_nCurrentSecond = 0;
    m_view.ShowDuration(WholeSeconds(llTotal));
    return S_OK;
}

// Shows each new whole second; when the tick came early it waits for the
// next whole second instead of ticking every 100 ms through it.
void CPlaybackControl::OnTimer()
{
    LONGLONG llPosition = 0;
    if (m_graph.GetPosition(&llPosition) != S_OK) {
        Trace("from %s", "CKorvoPlayerDlg::OnTimer()");
        return;
    }
    const int nSecond = WholeSeconds(llPosition);
    const int nMillisecond = static_cast<int>(llPosition / 10'000 % 1000);
    if (nSecond == m_nCurrentSecond) {
        m_positionTimer.start(1000 - nMillisecond);
        return;
    }
    m_nCurrentSecond = nSecond;
    m_view.ShowPosition(nSecond);
}

// The graph is released even when it refuses to stop; the failure is shown.
void CPlaybackControl::Stop()
{
    if (m_graph.IsOpen())
        emit Stopping();
    m_positionTimer.stop();
    m_view.ShowStopped();
    if (m_graph.Stop() != S_OK) {
        m_view.ShowLastReport();
        Trace("from %s", "CKorvoPlayerDlg::OnStop()");
    }
}

// Only a file playing or paused pauses; the skin shows it paused.
void CPlaybackControl::Pause()
{
    if (m_graph.IsOpen() && m_graph.Pause() == S_OK)
        m_view.ShowPaused();
}

void CPlaybackControl::PlayNeighbour(bool bForward)
{
    int nState = State_Stopped;
    if (m_graph.GetState(0, &nState) != S_OK || nState != State_Running)
        return;
    Stop();
    m_view.StepEntry(bForward);
    Play();
}

HRESULT CPlaybackControl::_MovePosition(LONGLONG llOffset)
{
    if (!m_graph.IsOpen())
        return S_OK;
    LONGLONG llPosition = 0;
    HRESULT hr = m_graph.GetPosition(&llPosition);
    if (hr == S_OK)
        hr = m_graph.SetPosition(std::max<LONGLONG>(llPosition + llOffset, 0));
    if (hr != S_OK && hr != S_FALSE) {
        Trace("from %s", "CKorvoPlayerDlg::_MovePosition()");
        return hr;
    }
    return S_OK;
}

void CPlaybackControl::Seek(LONGLONG llOffset, const char* pszHandler)
{
    if (_MovePosition(llOffset) != S_OK) {
        m_view.ShowLastReport();
        Trace("from %s", pszHandler);
    }
}

void CPlaybackControl::SeekTo(LONGLONG llPosition)
{
    if (m_graph.IsOpen())
        m_graph.SetPosition(llPosition);
}

// Normal speed, 0.1 slower (never below 0.1) or 0.1 faster. A rate the
// renderers cannot play leaves the rate as it was, without a message.
void CPlaybackControl::ChangeRate(RateStep step)
{
    if (!m_graph.IsOpen())
        return;
    double dRate = 1.0;
    HRESULT hr = S_OK;
    if (step != RateStep::Normal && (hr = m_graph.GetRate(&dRate)) == S_OK)
        dRate = step == RateStep::Faster ? dRate + 0.1 : std::max(dRate - 0.1, 0.1);
    if (hr == S_OK)
        hr = m_graph.SetRate(dRate);
    bool bRefused = step != RateStep::Normal && (hr == VFW_E_UNSUPPORTED_AUDIO || hr == VFW_E_UNSUPPORTED_VIDEO);
    if (hr != S_OK && !bRefused) {
        m_view.ShowLastReport();
        Trace("from %s", RateHandler(step));
    }
}

// Each rate command has a handler of its own.
const char* CPlaybackControl::RateHandler(RateStep step)
{
    switch (step) {
    case RateStep::Slower:
        return "CKorvoPlayerDlg::OnPlaySlower()";
    case RateStep::Faster:
        return "CKorvoPlayerDlg::OnPlayFaster()";
    default:
        return "CKorvoPlayerDlg::OnPlayNormalspeed()";
    }
}

void CPlaybackControl::ChangeVolume(VolumeStep step)
{
    switch (step) {
    case VolumeStep::Down:
        return _SetVolume(std::max(m_nVolume - 5, 0), "CKorvoPlayerDlg::OnVolumnDown()");
    case VolumeStep::Up:
        return _SetVolume(std::min(m_nVolume + 5, 100), "CKorvoPlayerDlg::OnVolumnUp()");
    case VolumeStep::Mute:
        return _SetVolume(0, "CKorvoPlayerDlg::OnVolumnNone()");
    }
}

void CPlaybackControl::SetVolume(int nVolume)
{
    _SetVolume(std::clamp(nVolume, 0, 100), "CKorvoPlayerDlg::SetVolume()");
}

void CPlaybackControl::_SetVolume(int nVolume, const char* pszHandler)
{
    m_nVolume = nVolume;
    m_view.ShowVolume(m_nVolume);
    if (m_graph.IsOpen() && m_graph.SetVolume(m_nVolume) != S_OK)
        Trace("from %s", pszHandler);
    emit Changed();
}

void CPlaybackControl::SetGraphVolume(int nVolume)
{
    if (m_graph.IsOpen())
        m_graph.SetVolume(nVolume);
}

// Takes every waiting graph event. The end of the file stops the player and
// plays the playlist's next entry; a failure while playing is shown and
// stops the player.
intptr_t CPlaybackControl::OnGraphEvents()
{
    for (;;) {
        long lEvent = 0;
        intptr_t lParam1 = 0;
        intptr_t lParam2 = 0;
        HRESULT hr = m_graph.GetEvent(&lEvent, &lParam1, &lParam2, 0);
        if (hr == E_ABORT)
            return 0;
        if (hr != S_OK) {
            Trace("from %s", "CKorvoPlayerDlg::onKorvoPlayerFilterGraph()");
            return hr;
        }
        m_graph.FreeEventParams(lEvent, lParam1, lParam2);
        if (lEvent == EC_VIDEO_SIZE_CHANGED)
            m_view.ShowPictureChanged();
        if (lEvent == EC_ERRORABORT) {
            ReportError(static_cast<HRESULT>(lParam1));
            m_view.ShowLastReport();
            Stop();
            return 0;
        }
        if (lEvent == EC_COMPLETE) {
            Stop();
            m_view.StepEntry(true);
            Play();
            return 0;
        }
    }
}
