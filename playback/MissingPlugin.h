// A decoder or demuxer that a file needs and that is not installed, as
// decodebin tells it (a missing-plugin message): its name for the user and
// the Debian package that brings it.
#pragma once

#include <gst/gst.h>
#include <string>

class CMissingPlugin {
public:
    // False for a message that is not a missing-plugin message.
    static bool Read(GstMessage* pMessage, CMissingPlugin* pPlugin);
    // The package that brings a decoder or demuxer for `pCaps`; empty when
    // the table does not know the format.
    static std::string PackageFor(const GstCaps* pCaps);
    // GStreamer's description of a decoder with the kind of stream it
    // decodes, when the description does not say it already: "H.265 (Main
    // Profile) decoder" for video becomes "H.265 (Main Profile) video
    // decoder".
    static std::string DecoderName(const std::string& description, const GstCaps* pCaps);

    std::string m_description;
    std::string m_package;
};
