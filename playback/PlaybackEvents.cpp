#include "PlaybackEvents.h"

void CPlaybackEvents::TellState(int nState)
{
    _Tell(&m_nState, nState, &CPlaybackEvents::StateChanged);
}

void CPlaybackEvents::TellDuration(LONGLONG llDuration)
{
    _Tell(&m_llDuration, llDuration, &CPlaybackEvents::DurationChanged);
}

void CPlaybackEvents::TellRate(double dRate)
{
    _Tell(&m_dRate, dRate, &CPlaybackEvents::RateChanged);
}

void CPlaybackEvents::TellVolume(long lVolume)
{
    _Tell(&m_lVolume, lVolume, &CPlaybackEvents::VolumeChanged);
}
