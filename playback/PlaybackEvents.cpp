#include "PlaybackEvents.h"

void CPlaybackEvents::TellState(int nState)
{
    if (nState == m_nState)
        return;
    m_nState = nState;
    emit StateChanged(nState);
}

void CPlaybackEvents::TellDuration(LONGLONG llDuration)
{
    if (llDuration == m_llDuration)
        return;
    m_llDuration = llDuration;
    emit DurationChanged(llDuration);
}

void CPlaybackEvents::TellRate(double dRate)
{
    if (dRate == m_dRate)
        return;
    m_dRate = dRate;
    emit RateChanged(dRate);
}

void CPlaybackEvents::TellVolume(long lVolume)
{
    if (lVolume == m_lVolume)
        return;
    m_lVolume = lVolume;
    emit VolumeChanged(lVolume);
}
