#include "SubpictureClip.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The subpicture: an opaque box of value 1 at x 40..279, y 180..219.
constexpr int kLeft = 40, kTop = 180, kWidth = 240, kHeight = 40;

// A DVD subpicture is timed in ticks of 1024/90000 s: 87 ticks (0.990 s) is
// the last tick before 1 s, so the box is gone by the 2.0 s picture, as the
// block's 1 s duration says, and still on the 1.96 s one.
constexpr uint16_t kStopDelayTicks = 87;

// matroskamux stores the caps' codec_data as the S_VOBSUB CodecPrivate (it
// needs none: without it the track is written all the same), and
// matroskademux turns the "palette:" line of that text, which must list all
// 16 RGB entries, into the dvd-spu-clut-change event that dvdspu colours the
// subpicture with. Without a palette dvdspu guesses white, so entry 1 is
// yellow here: a yellow box (RGB about 255,195,0 after the demuxer's colour
// conversion) shows that the palette came through.
constexpr char kVobSubHeader[] =
    "size: 320x240\n"
    "palette: 000000, ffff00, 808080, ffffff, 000000, 000000, 000000, 000000, "
    "000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000\n";

// A run of `count` (1..255) pixels of the 2-bit `value`, or with count 0 the
// rest of the line, as 4-bit nibbles: the code (count << 2 | value) takes 1,
// 2, 3 or 4 nibbles by the size of count (1..3, 4..15, 16..63, 64..255), and
// the decoder tells which from the leading zero nibbles, so "rest of line" is
// 14 zero bits and the value.
void PutRun(std::vector<uint8_t>& nibbles, unsigned count, unsigned value)
{
    const unsigned code = (count << 2) | value;
    const int length = count == 0 ? 4 : count < 4 ? 1 : count < 16 ? 2 : count < 64 ? 3 : 4;
    for (int i = length - 1; i >= 0; --i)
        nibbles.push_back(uint8_t((code >> (4 * i)) & 0xF));
}

// One field (every other line from `firstLine`) of a `width` x `height`
// picture of 2-bit values, run-length coded line by line, the high nibble of
// a byte first; the last run of a line is written as "rest of line".
void PutField(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& pixels, int width,
              int height, int firstLine)
{
    for (int y = firstLine; y < height; y += 2) {
        const uint8_t* row = pixels.data() + y * width;
        std::vector<uint8_t> nibbles;
        for (int x = 0; x < width;) {
            int end = x + 1;
            while (end < width && row[end] == row[x] && end - x < 255)
                ++end;
            PutRun(nibbles, end == width ? 0 : unsigned(end - x), row[x]);
            x = end;
        }
        if (nibbles.size() % 2)
            nibbles.push_back(0);  // every line starts on a byte
        for (size_t i = 0; i < nibbles.size(); i += 2)
            bytes.push_back(uint8_t(nibbles[i] << 4 | nibbles[i + 1]));
    }
}

void PutU16(std::vector<uint8_t>& bytes, unsigned value)
{
    bytes.insert(bytes.end(), {uint8_t(value >> 8), uint8_t(value)});
}

void SetU16(std::vector<uint8_t>& bytes, size_t at, unsigned value)
{
    bytes[at] = uint8_t(value >> 8);
    bytes[at + 1] = uint8_t(value);
}

// The whole packet: its size and the offset of its first control sequence,
// the top field's lines, the bottom field's, then two control sequences (a
// delay, the next sequence's offset - the last one's own - and commands):
// one that places and shows the picture at once, one that hides it later.
std::vector<uint8_t> BuildSubpicturePacket()
{
    const std::vector<uint8_t> pixels(kWidth * kHeight, 1);
    std::vector<uint8_t> packet(4);
    const unsigned topField = unsigned(packet.size());
    PutField(packet, pixels, kWidth, kHeight, 0);
    const unsigned bottomField = unsigned(packet.size());
    PutField(packet, pixels, kWidth, kHeight, 1);

    const unsigned show = unsigned(packet.size());
    packet.insert(packet.end(), {0, 0, 0, 0});  // no delay; the next offset, known below
    const unsigned x1 = kLeft, x2 = kLeft + kWidth - 1, y1 = kTop, y2 = kTop + kHeight - 1;
    packet.insert(packet.end(), {
        0x03, 0x32, 0x10,  // palette entries for values 3, 2, 1, 0: value k uses entry k
        0x04, 0xFF, 0xF0,  // contrast for values 3, 2, 1, 0: 0 transparent, others opaque
        0x05, uint8_t(x1 >> 4), uint8_t(x1 << 4 | x2 >> 8), uint8_t(x2),  // 12-bit x1, x2
              uint8_t(y1 >> 4), uint8_t(y1 << 4 | y2 >> 8), uint8_t(y2),  // 12-bit y1, y2
        0x06, uint8_t(topField >> 8), uint8_t(topField),  // where each field's lines start
              uint8_t(bottomField >> 8), uint8_t(bottomField),
        0x01,  // start display
        0xFF,  // end of sequence
    });

    const unsigned hide = unsigned(packet.size());
    PutU16(packet, kStopDelayTicks);
    PutU16(packet, hide);
    packet.insert(packet.end(), {0x02, 0xFF});  // stop display, end of sequence

    SetU16(packet, 0, unsigned(packet.size()));
    SetU16(packet, 2, show);
    SetU16(packet, show + 2, hide);
    return packet;
}

bool Fail(const char* what, const char* detail = nullptr)
{
    std::fprintf(stderr, "WriteDvdSubtitleClip: %s%s%s\n", what, detail ? ": " : "",
                 detail ? detail : "");
    return false;
}

// avenc_mpeg4 (gst-libav 1.22.0 on libavcodec 59) stamps every picture it
// puts out with the same bogus time, 2^63 ns, which matroskamux writes as it
// is. It puts out one picture per picture in, in order (no B pictures), so
// picture n is stamped n/25 s here, in a segment from 0 to match.
GstPadProbeReturn RestampPictures(GstPad*, GstPadProbeInfo* info, gpointer count)
{
    auto* pictures = static_cast<guint64*>(count);
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
        GST_BUFFER_PTS(buffer) = GST_BUFFER_DTS(buffer) =
            gst_util_uint64_scale(*pictures, GST_SECOND, 25);
        GST_BUFFER_DURATION(buffer) = GST_SECOND / 25;
        ++*pictures;
        GST_PAD_PROBE_INFO_DATA(info) = buffer;
    } else if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_SEGMENT) {
        GstSegment segment;
        gst_segment_init(&segment, GST_FORMAT_TIME);
        gst_event_unref(GST_PAD_PROBE_INFO_EVENT(info));
        GST_PAD_PROBE_INFO_DATA(info) = gst_event_new_segment(&segment);
    }
    return GST_PAD_PROBE_OK;
}

// Runs `pipeline` until end of stream, an error (one that stops it starting
// too), or 30 s without either.
bool RunToEnd(GstElement* pipeline)
{
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 30 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    if (!message)
        return Fail("no end of stream within 30 s");
    const bool ok = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (!ok) {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        Fail("muxing failed", error->message);
        g_error_free(error);
    }
    gst_message_unref(message);
    return ok;
}

}  // namespace

bool WriteDvdSubtitleClip(const std::string& path)
{
    gst_init(nullptr, nullptr);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(
        "videotestsrc pattern=black num-buffers=125 "
        "! video/x-raw,width=320,height=240,framerate=25/1 ! avenc_mpeg4 name=enc max-bframes=0 "
        "! matroskamux name=mux ! filesink name=sink "
        "appsrc name=spu format=time ! mux.subtitle_%u",
        &error);
    if (error) {
        Fail("cannot make the muxing pipeline", error->message);
        g_error_free(error);
        if (pipeline)
            gst_object_unref(pipeline);
        return false;
    }

    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_object_set(sink, "location", path.c_str(), nullptr);
    gst_object_unref(sink);

    guint64 pictures = 0;
    GstElement* encoder = gst_bin_get_by_name(GST_BIN(pipeline), "enc");
    GstPad* encoded = gst_element_get_static_pad(encoder, "src");
    gst_pad_add_probe(encoded,
                      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      RestampPictures, &pictures, nullptr);
    gst_object_unref(encoded);
    gst_object_unref(encoder);

    GstElement* spu = gst_bin_get_by_name(GST_BIN(pipeline), "spu");
    GstBuffer* header = gst_buffer_new_memdup(kVobSubHeader, sizeof kVobSubHeader - 1);
    GstCaps* caps =
        gst_caps_new_simple("subpicture/x-dvd", "codec_data", GST_TYPE_BUFFER, header, nullptr);
    gst_buffer_unref(header);
    gst_app_src_set_caps(GST_APP_SRC(spu), caps);
    gst_caps_unref(caps);

    // appsrc queues serialized events in order with its buffers; matroskamux
    // writes the language code of a stream tag as the track's language.
    gst_element_send_event(
        spu, gst_event_new_tag(gst_tag_list_new(GST_TAG_LANGUAGE_CODE, "eng", nullptr)));
    const std::vector<uint8_t> packet = BuildSubpicturePacket();
    GstBuffer* buffer = gst_buffer_new_memdup(packet.data(), packet.size());
    GST_BUFFER_PTS(buffer) = GST_SECOND;
    GST_BUFFER_DURATION(buffer) = GST_SECOND;
    gst_app_src_push_buffer(GST_APP_SRC(spu), buffer);
    gst_app_src_end_of_stream(GST_APP_SRC(spu));
    gst_object_unref(spu);

    const bool ok = RunToEnd(pipeline);
    gst_object_unref(pipeline);
    return ok;
}
