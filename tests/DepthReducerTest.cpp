// The element that brings 10- and 12-bit pictures to 8 bits: the rounding
// of each sample, the formats it agrees on, pictures compared with
// GStreamer's own converter, and buffers that do not hold their picture.
#include "playback/DepthReducer.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

unsigned Rounded(unsigned nValue, unsigned nShift)
{
    const unsigned nDivisor = 1U << nShift;
    return std::min(255U, (2 * nValue + nDivisor) / (2 * nDivisor));
}

TEST(DepthReducerTest, EverySampleIsRoundedAndHeldToEightBits)
{
    struct Case {
        uint16_t value;
        unsigned nShift;
        uint8_t expected;
    };
    const Case cases[] = {
        {0, 2, 0},        {1, 2, 0},       {2, 2, 1},       {511, 2, 128},   {1019, 2, 255},
        {1023, 2, 255},   {4095, 4, 255},  {2048, 4, 128},  {0x8000, 8, 128}, {0xFFC0, 8, 255},
        {65535, 2, 255},  {65535, 8, 255}, {0x7F7F, 8, 127},
    };
    for (const Case& c : cases) {
        uint8_t result = 0;
        CDepthReducer::ReduceRow(&c.value, &result, 1, c.nShift);
        EXPECT_EQ(result, c.expected) << c.value << " >> " << c.nShift;
    }
    // Rows of every length up to past two blocks of sixteen, so that whole
    // blocks and the samples after them are both met, with every value.
    for (unsigned nShift : {2U, 4U, 8U}) {
        for (std::size_t nSamples = 0; nSamples <= 40; ++nSamples) {
            std::vector<uint16_t> row(nSamples);
            for (std::size_t i = 0; i < nSamples; ++i)
                row[i] = static_cast<uint16_t>((i * 2654435761U + nSamples * 40503U) & 0xFFFF);
            std::vector<uint8_t> reduced(nSamples + 1, 0xA5);
            CDepthReducer::ReduceRow(row.data(), reduced.data(), nSamples, nShift);
            for (std::size_t i = 0; i < nSamples; ++i)
                ASSERT_EQ(reduced[i], Rounded(row[i], nShift)) << "sample " << i << " of " << nSamples;
            EXPECT_EQ(reduced[nSamples], 0xA5) << "written past the row of " << nSamples;
        }
    }
}

class DepthReducerPipelineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

    void TearDown() override
    {
        if (m_pPipeline != nullptr) {
            gst_element_set_state(m_pPipeline, GST_STATE_NULL);
            gst_object_unref(m_pPipeline);
            m_pPipeline = nullptr;
        }
    }

    // source ! middle ! appsink, prerolled; the sample the sink got, or
    // nullptr (the bus then holds the error).
    GstSample* Preroll(GstElement* pSource, GstElement* pMiddle)
    {
        m_pPipeline = gst_pipeline_new(nullptr);
        m_pSink = gst_element_factory_make("appsink", nullptr);
        gst_bin_add_many(GST_BIN(m_pPipeline), pSource, pMiddle, m_pSink, nullptr);
        EXPECT_TRUE(gst_element_link_many(pSource, pMiddle, m_pSink, nullptr));
        gst_element_set_state(m_pPipeline, GST_STATE_PAUSED);
        return gst_app_sink_try_pull_preroll(GST_APP_SINK(m_pSink), 10 * GST_SECOND);
    }

    // A test picture of `format` and `size`, random samples of the format's range.
    static GstElement* TestSource(const std::string& format, int nWidth, int nHeight)
    {
        const std::string description = "videotestsrc pattern=snow num-buffers=1 ! capsfilter caps=video/x-raw,format=" +
                                        format + ",width=" + std::to_string(nWidth) +
                                        ",height=" + std::to_string(nHeight);
        return gst_parse_bin_from_description(description.c_str(), TRUE, nullptr);
    }

    GstElement* m_pPipeline = nullptr;
    GstElement* m_pSink = nullptr;
};

std::string FormatOf(GstSample* pSample)
{
    const char* pszFormat = gst_structure_get_string(gst_caps_get_structure(gst_sample_get_caps(pSample), 0), "format");
    return pszFormat != nullptr ? pszFormat : "";
}

// The largest difference between the two pictures' samples, over every
// plane; -1 when their formats or sizes differ.
int LargestDifference(GstSample* pOne, GstSample* pOther)
{
    GstVideoInfo one;
    GstVideoInfo other;
    if (!gst_video_info_from_caps(&one, gst_sample_get_caps(pOne)) ||
        !gst_video_info_from_caps(&other, gst_sample_get_caps(pOther)) ||
        GST_VIDEO_INFO_FORMAT(&one) != GST_VIDEO_INFO_FORMAT(&other) ||
        GST_VIDEO_INFO_WIDTH(&one) != GST_VIDEO_INFO_WIDTH(&other) ||
        GST_VIDEO_INFO_HEIGHT(&one) != GST_VIDEO_INFO_HEIGHT(&other))
        return -1;
    GstVideoFrame oneFrame;
    GstVideoFrame otherFrame;
    gst_video_frame_map(&oneFrame, &one, gst_sample_get_buffer(pOne), GST_MAP_READ);
    gst_video_frame_map(&otherFrame, &other, gst_sample_get_buffer(pOther), GST_MAP_READ);
    int nLargest = 0;
    for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(&oneFrame); ++plane) {
        const auto nBytes = GST_VIDEO_FRAME_COMP_WIDTH(&oneFrame, plane) * GST_VIDEO_FRAME_COMP_PSTRIDE(&oneFrame, plane);
        for (int row = 0; row < GST_VIDEO_FRAME_COMP_HEIGHT(&oneFrame, plane); ++row) {
            const auto* pA = static_cast<const guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&oneFrame, plane)) +
                             row * GST_VIDEO_FRAME_PLANE_STRIDE(&oneFrame, plane);
            const auto* pB = static_cast<const guint8*>(GST_VIDEO_FRAME_PLANE_DATA(&otherFrame, plane)) +
                             row * GST_VIDEO_FRAME_PLANE_STRIDE(&otherFrame, plane);
            for (int i = 0; i < nBytes; ++i)
                nLargest = std::max(nLargest, std::abs(pA[i] - pB[i]));
        }
    }
    gst_video_frame_unmap(&oneFrame);
    gst_video_frame_unmap(&otherFrame);
    return nLargest;
}

// Every deep format the decoders hand over comes out as the 8-bit format of
// its planes, at an odd size (chroma rows and columns rounded up, rows
// padded), within one step of what GStreamer's converter makes of it
// without dithering or chroma filtering (it truncates where this rounds).
TEST_F(DepthReducerPipelineTest, ADeepPictureComesOutInItsEightBitFormatAsTheConverterMakesIt)
{
    const std::pair<std::string, std::string> formats[] = {
        {"I420_10LE", "I420"}, {"I420_12LE", "I420"}, {"I422_10LE", "Y42B"},
        {"Y444_12LE", "Y444"}, {"P010_10LE", "NV12"},
    };
    for (const auto& [deep, shallow] : formats) {
        SCOPED_TRACE(deep);
        GstSample* pReduced = Preroll(TestSource(deep, 35, 19), CDepthReducer::Make());
        ASSERT_NE(pReduced, nullptr);
        EXPECT_EQ(FormatOf(pReduced), shallow);
        TearDown();
        GstElement* pConverter = gst_parse_bin_from_description(
            ("videoconvert dither=none chroma-mode=none ! capsfilter caps=video/x-raw,format=" + shallow).c_str(), TRUE, nullptr);
        GstSample* pConverted = Preroll(TestSource(deep, 35, 19), pConverter);
        ASSERT_NE(pConverted, nullptr);
        const int nDifference = LargestDifference(pReduced, pConverted);
        EXPECT_GE(nDifference, 0);
        EXPECT_LE(nDifference, 1);
        gst_sample_unref(pReduced);
        gst_sample_unref(pConverted);
        TearDown();
    }
}

// An 8-bit picture, and a deep one the element has no 8-bit counterpart
// for, pass through as the very buffer that came in.
TEST_F(DepthReducerPipelineTest, AnyOtherFormatPassesThroughUntouched)
{
    for (const char* pszFormat : {"I420", "BGRx", "GRAY16_LE"}) {
        SCOPED_TRACE(pszFormat);
        GstElement* pReducer = CDepthReducer::Make();
        GstBuffer* pEntered = nullptr;
        GstPad* pInput = gst_element_get_static_pad(pReducer, "sink");
        gst_pad_add_probe(
            pInput, GST_PAD_PROBE_TYPE_BUFFER,
            [](GstPad*, GstPadProbeInfo* pInfo, gpointer pEnteredBuffer) {
                *static_cast<GstBuffer**>(pEnteredBuffer) = GST_PAD_PROBE_INFO_BUFFER(pInfo);
                return GST_PAD_PROBE_OK;
            },
            &pEntered, nullptr);
        gst_object_unref(pInput);
        GstSample* pSample = Preroll(TestSource(pszFormat, 64, 36), pReducer);
        ASSERT_NE(pSample, nullptr);
        EXPECT_EQ(FormatOf(pSample), pszFormat);
        EXPECT_EQ(gst_sample_get_buffer(pSample), pEntered);
        gst_sample_unref(pSample);
        TearDown();
    }
}

// A buffer shorter than its picture (a broken decoder, a cut file) is
// warned of on the bus, as GStreamer's converter does, and never read past
// its end (the sanitizer build would stop on that).
TEST_F(DepthReducerPipelineTest, ABufferShorterThanItsPictureIsWarnedOfNotReadPast)
{
    GstElement* pSource = gst_element_factory_make("appsrc", nullptr);
    GstCaps* pCaps = gst_caps_from_string("video/x-raw,format=I420_10LE,width=64,height=32,framerate=30/1");
    g_object_set(pSource, "caps", pCaps, "format", GST_FORMAT_TIME, nullptr);
    gst_caps_unref(pCaps);
    m_pPipeline = gst_pipeline_new(nullptr);
    m_pSink = gst_element_factory_make("appsink", nullptr);
    GstElement* pReducer = CDepthReducer::Make();
    gst_bin_add_many(GST_BIN(m_pPipeline), pSource, pReducer, m_pSink, nullptr);
    ASSERT_TRUE(gst_element_link_many(pSource, pReducer, m_pSink, nullptr));
    gst_element_set_state(m_pPipeline, GST_STATE_PLAYING);
    GstBuffer* pShort = gst_buffer_new_allocate(nullptr, 100, nullptr);
    gst_buffer_memset(pShort, 0, 0xFF, 100);
    GST_BUFFER_PTS(pShort) = 0;
    gst_app_src_push_buffer(GST_APP_SRC(pSource), pShort);
    GstBus* pBus = gst_element_get_bus(m_pPipeline);
    GstMessage* pMessage = gst_bus_timed_pop_filtered(pBus, 10 * GST_SECOND,
                                                      static_cast<GstMessageType>(GST_MESSAGE_WARNING | GST_MESSAGE_ERROR));
    ASSERT_NE(pMessage, nullptr);
    EXPECT_EQ(GST_MESSAGE_TYPE(pMessage), GST_MESSAGE_WARNING);
    EXPECT_EQ(GST_MESSAGE_SRC(pMessage), GST_OBJECT(pReducer));
    gst_message_unref(pMessage);
    gst_object_unref(pBus);
}

} // namespace
