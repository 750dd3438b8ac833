#include "StreamCaps.h"

#include <cstring>

namespace {

// An MPEG system stream starts with a pack header, whose first bits after
// the start code tell MPEG-2 ('01') from MPEG-1 ('0010').
GstCaps* MpegSystemCaps(const BYTE* pbHeader)
{
    // A sequence header instead is a bare video stream, not a system stream.
    if (pbHeader[3] != 0xBA)
        return nullptr;
    int version = (pbHeader[4] & 0xC0) == 0x40 ? 2 : 1;
    return gst_caps_new_simple("video/mpeg", "systemstream", G_TYPE_BOOLEAN, TRUE, "mpegversion", G_TYPE_INT,
                               version, nullptr);
}

// MPEG audio behind an ID3v2 tag goes to the tag reader first, which hands
// on the audio without the tag.
GstCaps* MpegAudioCaps(const BYTE* pbHeader)
{
    if (std::memcmp(pbHeader, "ID3", 3) == 0)
        return gst_caps_new_empty_simple("application/x-id3");
    return gst_caps_new_simple("audio/mpeg", "mpegversion", G_TYPE_INT, 1, nullptr);
}

} // namespace

GstCaps* CapsForStream(const AM_MEDIA_TYPE& mt, const BYTE* pbHeader)
{
    if (!(mt.majortype == MEDIATYPE_Stream))
        return nullptr;
    if (mt.subtype == MEDIASUBTYPE_Avi)
        return gst_caps_new_empty_simple("video/x-msvideo");
    if (mt.subtype == MEDIASUBTYPE_MPEG1System)
        return MpegSystemCaps(pbHeader);
    if (mt.subtype == MEDIASUBTYPE_MPEG1Audio)
        return MpegAudioCaps(pbHeader);
    return nullptr;
}
