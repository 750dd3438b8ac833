#include "PlayerStateWatch.h"

#include "playback/PlaybackEvents.h"

#include <utility>

CPlayerStateWatch::CPlayerStateWatch(IDesktopPlayer& player, QObject* pParent)
    : QObject(pParent), m_player(player), m_current(player.Read())
{
    CPlaybackEvents& events = player.Events();
    for (auto signal : {&CPlaybackEvents::EndOfStream, &CPlaybackEvents::TracksChanged, &CPlaybackEvents::ClockLost})
        connect(&events, signal, this, &CPlayerStateWatch::Sample);
    connect(&events, &CPlaybackEvents::StateChanged, this, &CPlayerStateWatch::Sample);
    connect(&events, &CPlaybackEvents::FileOpened, this, &CPlayerStateWatch::Sample);
    connect(&events, &CPlaybackEvents::DurationChanged, this, &CPlayerStateWatch::Sample);
    connect(&events, &CPlaybackEvents::RateChanged, this, &CPlayerStateWatch::Sample);
    connect(&events, &CPlaybackEvents::VolumeChanged, this, &CPlayerStateWatch::Sample);
    connect(&events, &CPlaybackEvents::Error, this, &CPlayerStateWatch::Sample);
    connect(&events, &CPlaybackEvents::PositionJumped, this, &CPlayerStateWatch::Seeked);
    player.OnChange([this] { Sample(); });
}

void CPlayerStateWatch::Sample()
{
    PlayerSample sample = m_player.Read();
    if (sample == m_current)
        return;
    const PlayerSample before = std::exchange(m_current, std::move(sample));
    emit Changed(before, m_current);
}
