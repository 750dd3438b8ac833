// The command numbers of choosing tracks (33200-33299): keys and menu
// entries reach the track chooser as these.
#pragma once

constexpr int ID_SUBTITLE_TOGGLE = 33200;
constexpr int ID_SUBTITLE_NEXT = 33201;
constexpr int ID_AUDIO_NEXT = 33202;
constexpr int ID_SUBTITLE_EARLIER = 33203;
constexpr int ID_SUBTITLE_LATER = 33204;
constexpr int ID_SUBTITLE_OPEN = 33205;
