// Media files for tests, made at run time with the ffmpeg command line from
// synthetic sources (a test picture and a sine tone), once per process, in a
// directory removed at exit, or once for all the tests of a run in the
// folder KORVO_TEST_MEDIA_DIR names. Nothing is downloaded.
#pragma once

#include <string>

enum class TestMedia {
    Mp3,            // 5 s MPEG audio layer 3 without an ID3 tag
    Mp3WithId3,     // the same behind a small ID3v2 tag
    Mp3WithBigId3,  // the same behind an ID3v2 tag larger than 8192 bytes
    Avi,            // 5 s 320x240 MPEG-4 video with MP3 audio in AVI
    MpegProgram,    // 5 s 320x240 MPEG-1 video with MPEG audio in a program stream
    Wmv,            // 5 s 320x240 WMV2 video with WMA2 audio in ASF
    WmvVideoOnly,   // the same without audio
    WmvAudioOnly,   // the same without video (WMA2 only)
    WmvTwoAudio,    // video and two audio streams
    Wmv20s,         // 20 s, for seeking
    AsfMpeg4Mp3,    // 5 s 320x240 MS-MPEG-4 v3 video (no codec data) with MP3 audio in ASF
};

// The file `name` (with the extension that tells ffmpeg its format when the
// arguments do not), made by ffmpeg from `arguments` (its inputs and options
// before the output) on first use; fails the calling test when ffmpeg cannot
// make it.
std::string MadeMedia(const std::string& name, const std::string& arguments);

// The path of the file, made on first use; fails the calling test when
// ffmpeg cannot make it.
std::string TestMediaPath(TestMedia media);

// A 2 s clip of a black disc on white (with a tone), stored as `width` x
// `height` pixels of pixel aspect ratio `parN`:`parD`, so that the disc is
// round only when the picture is shown at its display shape. `container` is
// Avi (MPEG-4), MpegProgram (MPEG-2, which carries the ratio as a display
// aspect ratio: pick sizes whose display shape is 4:3 or 16:9) or Wmv (WMV2,
// the ratio in the ASF header).
std::string DiscClipPath(TestMedia container, int width, int height, int parN, int parD);

// An MPEG-2 program stream whose second half has another picture shape: a
// square-pixel 320x240 disc clip followed by a 352x288 one of pixels 16:11.
std::string ShapeChangingClipPath();

// A copy of `path` cut to its first `cb` bytes, in the same directory.
std::string TruncatedCopy(const std::string& path, size_t cb);

// A copy of `path` with `cb` bytes from `offset` overwritten by a fixed
// pseudo-random pattern, in the same directory.
std::string CorruptedCopy(const std::string& path, size_t offset, size_t cb);
