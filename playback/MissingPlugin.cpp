#include "MissingPlugin.h"

#include <algorithm>
#include <cctype>
#include <gst/pbutils/missing-plugins.h>
#include <string_view>

namespace {

constexpr const char* kLibav = "gstreamer1.0-libav";
constexpr const char* kBase = "gstreamer1.0-plugins-base";
constexpr const char* kGood = "gstreamer1.0-plugins-good";
constexpr const char* kBad = "gstreamer1.0-plugins-bad";
constexpr const char* kUgly = "gstreamer1.0-plugins-ugly";

// Formats by media type, with the package whose decoder or demuxer Debian
// plays them through; the MPEG types depend on their version (below).
struct FormatPackage {
    const char* pszMediaType;
    const char* pszPackage;
};
constexpr FormatPackage kPackages[] = {
    {"video/x-h264", kLibav},        {"video/x-h265", kLibav},      {"video/x-wmv", kLibav},
    {"audio/x-wma", kLibav},         {"video/x-divx", kLibav},      {"video/x-xvid", kLibav},
    {"video/x-msmpeg", kLibav},      {"video/x-h263", kLibav},      {"audio/x-ac3", kLibav},
    {"audio/x-eac3", kLibav},        {"audio/x-dts", kLibav},       {"audio/x-alac", kLibav},
    {"video/x-av1", kBad},           {"video/mpegts", kBad},        {"video/x-vp8", kGood},
    {"video/x-vp9", kGood},          {"audio/x-flac", kGood},       {"audio/x-speex", kGood},
    {"audio/x-wavpack", kGood},      {"image/jpeg", kGood},         {"video/x-dv", kGood},
    {"video/x-msvideo", kGood},      {"video/quicktime", kGood},    {"video/x-matroska", kGood},
    {"video/webm", kGood},           {"video/x-flv", kGood},        {"audio/x-wav", kGood},
    {"application/x-id3", kGood},    {"audio/x-vorbis", kBase},     {"video/x-theora", kBase},
    {"audio/x-opus", kBase},         {"application/ogg", kBase},    {"video/x-ms-asf", kUgly},
    {"audio/x-amr-nb-sh", kUgly},
};

const char* MpegPackage(const GstStructure* pFormat)
{
    const std::string_view mediaType = gst_structure_get_name(pFormat);
    gboolean bSystemStream = FALSE;
    gst_structure_get_boolean(pFormat, "systemstream", &bSystemStream);
    int nVersion = 0;
    gst_structure_get_int(pFormat, "mpegversion", &nVersion);
    if (mediaType == "video/mpeg")
        return bSystemStream ? kBad : kLibav;
    // MPEG-1 audio (MP3 and its layers 1 and 2) is mpg123's; AAC libav's.
    return nVersion == 1 ? kGood : kLibav;
}

bool Contains(const std::string& text, std::string_view word)
{
    auto it = std::search(text.begin(), text.end(), word.begin(), word.end(),
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    return it != text.end();
}

} // namespace

bool CMissingPlugin::Read(GstMessage* pMessage, CMissingPlugin* pPlugin)
{
    if (!gst_is_missing_plugin_message(pMessage))
        return false;
    gchar* pszDescription = gst_missing_plugin_message_get_description(pMessage);
    const GstStructure* pDetails = gst_message_get_structure(pMessage);
    const GstCaps* pCaps = nullptr;
    const GValue* pDetail = gst_structure_get_value(pDetails, "detail");
    if (pDetail != nullptr && G_VALUE_HOLDS(pDetail, GST_TYPE_CAPS))
        pCaps = gst_value_get_caps(pDetail);
    pPlugin->m_description = DecoderName(pszDescription != nullptr ? pszDescription : "", pCaps);
    pPlugin->m_package = pCaps != nullptr ? PackageFor(pCaps) : std::string();
    g_free(pszDescription);
    return true;
}

std::string CMissingPlugin::PackageFor(const GstCaps* pCaps)
{
    if (gst_caps_is_empty(pCaps) || gst_caps_is_any(pCaps))
        return {};
    const GstStructure* pFormat = gst_caps_get_structure(pCaps, 0);
    const std::string_view mediaType = gst_structure_get_name(pFormat);
    if (mediaType == "video/mpeg" || mediaType == "audio/mpeg")
        return MpegPackage(pFormat);
    for (const FormatPackage& format : kPackages)
        if (mediaType == format.pszMediaType)
            return format.pszPackage;
    return {};
}

std::string CMissingPlugin::DecoderName(const std::string& description, const GstCaps* pCaps)
{
    constexpr std::string_view kDecoder = " decoder";
    if (pCaps == nullptr || gst_caps_is_empty(pCaps) || gst_caps_is_any(pCaps) || !description.ends_with(kDecoder))
        return description;
    const std::string_view mediaType = gst_structure_get_name(gst_caps_get_structure(pCaps, 0));
    const char* pszKind = mediaType.starts_with("video/") ? "video" : mediaType.starts_with("audio/") ? "audio" : nullptr;
    gboolean bSystemStream = FALSE;
    gst_structure_get_boolean(gst_caps_get_structure(pCaps, 0), "systemstream", &bSystemStream);
    if (pszKind == nullptr || bSystemStream || Contains(description, pszKind))
        return description;
    return description.substr(0, description.size() - kDecoder.size()) + " " + pszKind + std::string(kDecoder);
}
