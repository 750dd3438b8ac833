// The swap of a sound sink that hangs after losing its server, on a bare
// pipeline: a sink that blocks in its first render (an app sink nobody
// reads) stands for the lost one. Whether the sound stream is still
// pushing or has already ended when the swap is asked for, the new sink
// must see the stream's end, or the pipeline's end of stream never comes.
#include "playback/LostSoundOutput.h"

#include <atomic>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <memory>
#include <string_view>

namespace {

constexpr const char* kQueue = "Sound Queue";
constexpr const char* kSink = "Sound Sink";

class LostSoundOutputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

    // A sound stream of `nBuffers` buffers into a queue with room for all
    // of them and a sink that takes one and then blocks.
    void Build(int nBuffers, bool bLive)
    {
        m_pPipeline = gst_pipeline_new(nullptr);
        GstElement* pSource = gst_element_factory_make("audiotestsrc", nullptr);
        g_object_set(pSource, "num-buffers", nBuffers, "is-live", bLive, nullptr);
        GstElement* pQueue = gst_element_factory_make("queue", kQueue);
        g_object_set(pQueue, "max-size-buffers", 0u, "max-size-bytes", 0u, "max-size-time", guint64{0}, nullptr);
        GstElement* pSink = gst_element_factory_make("appsink", kSink);
        g_object_set(pSink, "max-buffers", 1u, "drop", FALSE, "sync", FALSE, nullptr);
        gst_bin_add_many(GST_BIN(m_pPipeline), pSource, pQueue, pSink, nullptr);
        ASSERT_TRUE(gst_element_link_many(pSource, pQueue, pSink, nullptr));
        m_pLost = std::make_unique<CLostSoundOutput>(m_pPipeline, kQueue, kSink);
        gst_element_set_state(m_pPipeline, GST_STATE_PLAYING);
    }

    void TearDown() override
    {
        if (m_pPipeline != nullptr) {
            gst_element_set_state(m_pPipeline, GST_STATE_NULL);
            m_pLost.reset();
            gst_object_unref(m_pPipeline);
        }
    }

    // The pipeline's end of stream, or an error, within `msTimeout`.
    GstMessageType Outcome(int msTimeout)
    {
        GstBus* pBus = gst_element_get_bus(m_pPipeline);
        GstMessage* pMessage =
            gst_bus_timed_pop_filtered(pBus, static_cast<GstClockTime>(msTimeout) * GST_MSECOND,
                                       static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        gst_object_unref(pBus);
        const GstMessageType type = pMessage != nullptr ? GST_MESSAGE_TYPE(pMessage) : GST_MESSAGE_UNKNOWN;
        if (pMessage != nullptr)
            gst_message_unref(pMessage);
        return type;
    }

    // Whether the sound stream's end is already held in the queue.
    bool EndReachedQueue()
    {
        GstElement* pQueue = gst_bin_get_by_name(GST_BIN(m_pPipeline), kQueue);
        GstPad* pInput = gst_element_get_static_pad(pQueue, "sink");
        GstEvent* pEnd = gst_pad_get_sticky_event(pInput, GST_EVENT_EOS, 0);
        gst_object_unref(pInput);
        gst_object_unref(pQueue);
        if (pEnd != nullptr)
            gst_event_unref(pEnd);
        return pEnd != nullptr;
    }

    // The sink that took the lost one's place (a reference), or null.
    static GstElement* NewSink(GstBin* pBin)
    {
        GstElement* pFound = nullptr;
        GstIterator* pSinks = gst_bin_iterate_sinks(pBin);
        GValue item = G_VALUE_INIT;
        while (pFound == nullptr && gst_iterator_next(pSinks, &item) == GST_ITERATOR_OK) {
            auto* pSink = GST_ELEMENT(g_value_get_object(&item));
            if (std::string_view(GST_OBJECT_NAME(pSink)) != kSink)
                pFound = GST_ELEMENT(gst_object_ref(pSink));
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(pSinks);
        return pFound;
    }

    GstElement* m_pPipeline = nullptr;
    std::unique_ptr<CLostSoundOutput> m_pLost;
};

// The whole stream, its end included, sits in the queue behind the hung
// sink: no push will come, so the user-interface side makes the swap and
// hands the end to the new sink.
TEST_F(LostSoundOutputTest, AStreamThatEndedBeforeTheSwapStillEnds)
{
    Build(20, false);
    for (int i = 0; i < 200 && !EndReachedQueue(); ++i)
        g_usleep(10000);
    ASSERT_TRUE(EndReachedQueue());
    EXPECT_EQ(Outcome(200), GST_MESSAGE_UNKNOWN) << "the hung sink let the stream end";
    m_pLost->Begin();
    m_pLost->Finish();
    EXPECT_EQ(Outcome(5000), GST_MESSAGE_EOS);
}

// A stream still pushing: the swap happens at its next push, which goes
// to the new sink with everything after it, the end included.
TEST_F(LostSoundOutputTest, AStreamStillPushingEndsInTheNewSink)
{
    Build(40, true);
    g_usleep(100000);
    ASSERT_FALSE(EndReachedQueue());
    m_pLost->Begin();
    m_pLost->Finish();
    EXPECT_EQ(Outcome(10000), GST_MESSAGE_EOS);
    GstElement* pSink = NewSink(GST_BIN(m_pPipeline));
    ASSERT_NE(pSink, nullptr);
    EXPECT_STRNE(G_OBJECT_TYPE_NAME(pSink), "GstAppSink");
    gst_object_unref(pSink);
    pSink = gst_bin_get_by_name(GST_BIN(m_pPipeline), kSink);
    EXPECT_EQ(pSink, nullptr) << "the lost sink is still there";
    if (pSink != nullptr)
        gst_object_unref(pSink);
}

// The new sink is in the pipeline, playing, when the lost one leaves. The
// lost one may take the pipeline's clock with it, and the pause and play
// that choose another clock must find the new sink there: one that joined
// during them could keep the state from their middle, and stay paused.
TEST_F(LostSoundOutputTest, TheNewSinkPlaysBeforeTheLostOneLeaves)
{
    Build(40, true);
    g_usleep(100000);
    std::atomic<int> stateAtLeaving{GST_STATE_VOID_PENDING};
    auto onRemoved = +[](GstBin* pBin, GstElement* pElement, gpointer pState) {
        if (std::string_view(GST_OBJECT_NAME(pElement)) != kSink)
            return;
        GstElement* pNew = NewSink(pBin);
        *static_cast<std::atomic<int>*>(pState) = pNew != nullptr ? GST_STATE(pNew) : GST_STATE_VOID_PENDING;
        if (pNew != nullptr)
            gst_object_unref(pNew);
    };
    const gulong handler = g_signal_connect(m_pPipeline, "element-removed", G_CALLBACK(onRemoved), &stateAtLeaving);
    m_pLost->Begin();
    m_pLost->Finish();
    EXPECT_EQ(Outcome(10000), GST_MESSAGE_EOS);
    g_signal_handler_disconnect(m_pPipeline, handler);
    EXPECT_EQ(stateAtLeaving, GST_STATE_PLAYING);
}

} // namespace
