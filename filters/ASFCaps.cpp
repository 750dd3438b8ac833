#include "ASFCaps.h"

#include <algorithm>
#include <cstring>
#include <gst/riff/riff-media.h>
#include <gst/riff/riff-read.h>
#include <mutex>

namespace {

// The codec's private data, `cbFormat - cbHeader` bytes after the header, or
// null when there is none.
GstBuffer* CodecData(const WM_MEDIA_TYPE& mt, size_t cbHeader, size_t cbMax)
{
    size_t cbData = std::min(mt.cbFormat - cbHeader, cbMax);
    return cbData > 0 ? gst_buffer_new_memdup(mt.pbFormat + cbHeader, cbData) : nullptr;
}

GstCaps* VideoCaps(const WM_MEDIA_TYPE& mt)
{
    const BITMAPINFOHEADER& header = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    static_assert(sizeof(gst_riff_strf_vids) == sizeof(BITMAPINFOHEADER));
    gst_riff_strf_vids strf{};
    std::memcpy(&strf, &header, sizeof strf);
    GstBuffer* pCodecData = CodecData(mt, sizeof(VIDEOINFOHEADER), mt.cbFormat);
    GstCaps* pCaps = gst_riff_create_video_caps(header.biCompression, nullptr, &strf, pCodecData, nullptr, nullptr);
    if (pCodecData != nullptr)
        gst_buffer_unref(pCodecData);
    // The frame rate is not known ahead: every sample carries its own time.
    if (pCaps != nullptr && !gst_structure_has_field(gst_caps_get_structure(pCaps, 0), "framerate"))
        gst_caps_set_simple(pCaps, "framerate", GST_TYPE_FRACTION, 0, 1, nullptr);
    // Pixel densities across and down give the pixels' shape, width to height.
    if (pCaps != nullptr && header.biXPelsPerMeter > 0 && header.biYPelsPerMeter > 0)
        gst_caps_set_simple(pCaps, "pixel-aspect-ratio", GST_TYPE_FRACTION, static_cast<gint>(header.biYPelsPerMeter),
                            static_cast<gint>(header.biXPelsPerMeter), nullptr);
    return pCaps;
}

GstCaps* AudioCaps(const WM_MEDIA_TYPE& mt)
{
    const auto& wave = *reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
    gst_riff_strf_auds strf{};
    strf.format = wave.wFormatTag;
    strf.channels = wave.nChannels;
    strf.rate = wave.nSamplesPerSec;
    strf.av_bps = wave.nAvgBytesPerSec;
    strf.blockalign = wave.nBlockAlign;
    strf.bits_per_sample = wave.wBitsPerSample;
    GstBuffer* pCodecData = CodecData(mt, sizeof(WAVEFORMATEX), wave.cbSize);
    GstCaps* pCaps =
        gst_riff_create_audio_caps(wave.wFormatTag, nullptr, &strf, pCodecData, nullptr, nullptr, nullptr);
    if (pCodecData != nullptr)
        gst_buffer_unref(pCodecData);
    return pCaps;
}

} // namespace

GstCaps* CapsForASFType(const WM_MEDIA_TYPE& mt)
{
    static std::once_flag s_riffReady;
    std::call_once(s_riffReady, gst_riff_init);
    if (mt.pbFormat == nullptr)
        return nullptr;
    if (mt.formattype == WMFORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER))
        return VideoCaps(mt);
    if (mt.formattype == WMFORMAT_WaveFormatEx && mt.cbFormat >= sizeof(WAVEFORMATEX))
        return AudioCaps(mt);
    return nullptr;
}
