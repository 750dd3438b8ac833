// A Matroska clip with a DVD bitmap subtitle track, muxed with GStreamer from
// a subpicture packet built by hand (the ffmpeg command line cannot make one
// from text), so that tests can check that bitmap subtitles reach the picture.
#pragma once

#include <string>

// Writes `path`: 5 s of black 320x240 MPEG-4 video at 25 pictures a second
// and one subpicture/x-dvd track (language "eng", palette entry 1 yellow)
// whose one subpicture is an opaque rectangle of palette index 1 at x 40..279,
// y 180..219, shown from 1.0 s to 2.0 s. False, with a message on stderr, when
// it could not.
bool WriteDvdSubtitleClip(const std::string& path);
