#include "bench/SinkProbe.h"
#include "playback/MediaGraph.h"

#include <gtest/gtest.h>

namespace {

class SinkProbeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        gst_init(nullptr, nullptr);
        static bool isInstalled = (CSinkProbe::Install(), true);
        ASSERT_TRUE(isInstalled);
    }

    // Plays `nBuffers` of a test source into a fake sink named `pszSinkName`,
    // made the way the sink factory makes its sinks, to the end.
    static void RunIntoSink(const char* pszSource, const char* pszSinkName, int nBuffers)
    {
        GstElement* pPipeline = gst_pipeline_new(nullptr);
        GstElement* pSource = gst_element_factory_make(pszSource, nullptr);
        GstElement* pSink = gst_element_factory_make("fakesink", pszSinkName);
        g_object_set(pSource, "num-buffers", nBuffers, nullptr);
        gst_bin_add_many(GST_BIN(pPipeline), pSource, pSink, nullptr);
        EXPECT_TRUE(gst_element_link(pSource, pSink));
        gst_element_set_state(pPipeline, GST_STATE_PLAYING);
        GstBus* pBus = gst_element_get_bus(pPipeline);
        GstMessage* pMessage = gst_bus_timed_pop_filtered(
            pBus, 30 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        EXPECT_TRUE(pMessage != nullptr && GST_MESSAGE_TYPE(pMessage) == GST_MESSAGE_EOS);
        if (pMessage != nullptr)
            gst_message_unref(pMessage);
        gst_object_unref(pBus);
        gst_element_set_state(pPipeline, GST_STATE_NULL);
        gst_object_unref(pPipeline);
    }
};

TEST_F(SinkProbeTest, NotesTheFirstBuffersAndCountsThePicturesAtTheRenderers)
{
    CSinkProbe::Arm();
    RunIntoSink("videotestsrc", kVideoRendererName, 5);
    RunIntoSink("audiotestsrc", kAudioRendererName, 3);
    EXPECT_GE(CSinkProbe::FirstVideo(), 0.0);
    EXPECT_GE(CSinkProbe::FirstAudio(), CSinkProbe::FirstVideo());
    EXPECT_LE(CSinkProbe::FirstAudio(), CSinkProbe::Elapsed());
    EXPECT_EQ(CSinkProbe::VideoBuffers(), 5);
    EXPECT_STREQ(CSinkProbe::VideoSinkKind(), "fakesink");
    EXPECT_STREQ(CSinkProbe::AudioSinkKind(), "fakesink");
}

TEST_F(SinkProbeTest, ArmForgetsEarlierBuffersAndOtherSinksAreNotWatched)
{
    CSinkProbe::Arm();
    RunIntoSink("videotestsrc", kVideoRendererName, 2);
    CSinkProbe::Arm();
    EXPECT_LT(CSinkProbe::FirstVideo(), 0.0);
    EXPECT_EQ(CSinkProbe::VideoBuffers(), 0);
    RunIntoSink("videotestsrc", "Picture Sink", 4);
    EXPECT_LT(CSinkProbe::FirstVideo(), 0.0);
    EXPECT_EQ(CSinkProbe::VideoBuffers(), 0);
}

} // namespace
