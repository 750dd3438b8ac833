// The name a menu gives one of a file's streams: its language (spelt out
// when GStreamer knows the code), its codec and, for a sound, its channels,
// read from the tags and caps the stream's decoded pad carries now.
// "Korean (Vorbis, 2 channels)", "Track 2 (SubRip)" without a language.
#pragma once

#include <gst/gst.h>
#include <string>

class CStreamLabel {
public:
    // `nNumber` counts from 1 among the streams of the same kind.
    static std::string Of(GstPad* pPad, int nNumber);
    // The language of a code ("ko", "kor", "eng", "ko-KR"), or the code itself when
    // GStreamer does not know it; "Track N" for an empty code.
    static std::string Language(const std::string& code, int nNumber);
    // What orders a file's streams as the file does: the part of the
    // stream's identifier its demultiplexer gave it ("002:..." of
    // "HASH/002:..."; the hash before it differs from stream to stream).
    static std::string OrderKey(GstPad* pPad);
    // "Korean (Vorbis, 2 channels)": the parts that are known.
    static std::string Compose(const std::string& language, const std::string& codec, int nChannels);

private:
    static std::string _TagString(const GstTagList* pTags, const char* pszTag);
};
