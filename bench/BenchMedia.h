// Media the benchmarks play: made with the ffmpeg command line in a media
// folder on first use and reused afterwards. Nothing is downloaded.
#pragma once

#include <string>

// `dir`/`name`, made by ffmpeg from `arguments` (inputs, codecs and an
// explicit format) unless it is there already. The program ends when ffmpeg
// fails.
std::string MakeMedia(const std::string& dir, const std::string& name, const std::string& arguments);

// ffmpeg inputs of `seconds`: a moving test picture of `pszSize` at 25 frames
// a second with a tone, or the tone alone.
std::string PictureAndTone(const char* pszSize, int seconds);
std::string Tone(int seconds);

// A 1280x720 WMV2 + WMA2 file of `seconds` at 6 Mbit/s, made as `name`.
std::string MakeWmv720p(const std::string& dir, const std::string& name, int seconds);

// Reads the whole file once, so that timed runs find it in the page cache.
void WarmPageCache(const std::string& path);
