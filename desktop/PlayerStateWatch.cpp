#include "PlayerStateWatch.h"

#include <cstdlib>

namespace {

constexpr int kSamplePeriodMs = 250;
// How far the position may stray from what playing explains before it
// counts as a seek: more than a stalled or hurried sample ever makes.
constexpr LONGLONG kSeekTolerance = 10'000'000;

bool SameState(const PlayerSample& a, const PlayerSample& b)
{
    return a.nState == b.nState && a.fileName == b.fileName && a.llLength == b.llLength && a.nVolume == b.nVolume &&
           a.dRate == b.dRate && a.bOpen == b.bOpen && a.bHasVideo == b.bHasVideo &&
           a.bCanPrevious == b.bCanPrevious && a.bCanNext == b.bCanNext && a.bCanPlay == b.bCanPlay;
}

} // namespace

CPlayerStateWatch::CPlayerStateWatch(const IDesktopPlayer& player, QObject* pParent)
    : QObject(pParent), m_player(player)
{
    m_current = m_player.Read();
    m_sinceSample.start();
    connect(&m_timer, &QTimer::timeout, this, &CPlayerStateWatch::Sample);
    m_timer.start(kSamplePeriodMs);
}

void CPlayerStateWatch::NoteSeek()
{
    m_bSeekNoted = true;
}

void CPlayerStateWatch::Sample()
{
    PlayerSample sample = m_player.Read();
    const PlayerSample before = m_current;
    const bool bSameFile = before.bOpen && sample.bOpen && before.fileName == sample.fileName;
    const bool bSeeked = bSameFile && (m_bSeekNoted || _Jumped(sample));
    m_bSeekNoted = false;
    m_current = sample;
    m_sinceSample.restart();
    if (!SameState(before, sample))
        emit Changed(before, sample);
    if (bSeeked)
        emit Seeked(sample.llPosition);
}

// Where playing would have taken the position since the last sample.
bool CPlayerStateWatch::_Jumped(const PlayerSample& sample) const
{
    LONGLONG llExpected = m_current.llPosition;
    if (m_current.nState == State_Running)
        llExpected += static_cast<LONGLONG>(static_cast<double>(m_sinceSample.elapsed()) * 10'000.0 * m_current.dRate);
    return std::llabs(sample.llPosition - llExpected) > kSeekTolerance;
}
