#include "PipelineRunner.h"

#include <gtest/gtest.h>

namespace {

constexpr GstClockTime kHangLimit = 60 * GST_SECOND;

} // namespace

void CPipelineRunner::_OnHandoff(GstElement*, GstBuffer* pBuffer, GstPad*, gpointer pRunner)
{
    if (!GST_BUFFER_PTS_IS_VALID(pBuffer))
        return;
    gint64 end = static_cast<gint64>(GST_BUFFER_PTS(pBuffer) +
                                     (GST_BUFFER_DURATION_IS_VALID(pBuffer) ? GST_BUFFER_DURATION(pBuffer) : 0));
    std::atomic<gint64>& playedEnd = static_cast<CPipelineRunner*>(pRunner)->m_playedEndNs;
    gint64 known = playedEnd.load();
    while (end > known && !playedEnd.compare_exchange_weak(known, end)) {
    }
}

void CPipelineRunner::_LinkToFakeSink(GstElement*, GstPad* pPad, gpointer pRunner)
{
    GstElement* pPipeline = static_cast<CPipelineRunner*>(pRunner)->m_pPipeline;
    GstElement* pSink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(pSink, "sync", FALSE, "signal-handoffs", TRUE, nullptr);
    g_signal_connect(pSink, "handoff", G_CALLBACK(_OnHandoff), pRunner);
    gst_bin_add(GST_BIN(pPipeline), pSink);
    gst_element_sync_state_with_parent(pSink);
    GstPad* pSinkPad = gst_element_get_static_pad(pSink, "sink");
    gst_pad_link(pPad, pSinkPad);
    gst_object_unref(pSinkPad);
}

void LoadBrelmSourcePlugin()
{
    static bool isLoaded = [] {
        gst_init(nullptr, nullptr);
        GError* pError = nullptr;
        GstPlugin* pPlugin = gst_plugin_load_file(BRELMSOURCE_PATH, &pError);
        if (pPlugin == nullptr) {
            ADD_FAILURE() << "cannot load the plugin: " << pError->message;
            g_error_free(pError);
            return false;
        }
        gst_object_unref(pPlugin);
        return true;
    }();
    ASSERT_TRUE(isLoaded);
}

GstElement* MakeFileSource(const std::string& path, const char* pszFactory)
{
    GstElement* pSource = gst_element_factory_make(pszFactory, nullptr);
    if (pSource != nullptr)
        g_object_set(pSource, "location", path.c_str(), nullptr);
    return pSource;
}

CPipelineRunner::CPipelineRunner(GstElement* pSource, PullOrPush mode) : m_pPipeline(gst_pipeline_new(nullptr))
{
    // The bin takes a floating reference for itself and adds one otherwise.
    const bool isFloating = g_object_is_floating(pSource);
    gst_bin_add(GST_BIN(m_pPipeline), pSource);
    if (!isFloating)
        gst_object_unref(pSource);
    GstIterator* pPads = gst_element_iterate_src_pads(pSource);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(pPads, &item) == GST_ITERATOR_OK) {
        _AddDecoder(GST_PAD(g_value_get_object(&item)), mode != PullOrPush::Pull);
        g_value_reset(&item);
        if (mode != PullOrPush::EachPad)
            break;
    }
    g_value_unset(&item);
    gst_iterator_free(pPads);
    // A source whose pads come with its file adds them as it starts.
    if (mode == PullOrPush::EachPad)
        g_signal_connect(pSource, "pad-added", G_CALLBACK(_OnSourcePad), this);
}

void CPipelineRunner::_OnSourcePad(GstElement*, GstPad* pPad, gpointer pRunner)
{
    static_cast<CPipelineRunner*>(pRunner)->_AddDecoder(pPad, true);
}

void CPipelineRunner::_AddDecoder(GstPad* pSourcePad, bool withQueue)
{
    GstElement* pDecoder = gst_element_factory_make("decodebin", nullptr);
    gst_bin_add(GST_BIN(m_pPipeline), pDecoder);
    GstElement* pFirst = pDecoder;
    if (withQueue) {
        pFirst = gst_element_factory_make("queue", nullptr);
        gst_bin_add(GST_BIN(m_pPipeline), pFirst);
        gst_element_link(pFirst, pDecoder);
    }
    GstPad* pSinkPad = gst_element_get_static_pad(pFirst, "sink");
    gst_pad_link(pSourcePad, pSinkPad);
    gst_object_unref(pSinkPad);
    g_signal_connect(pDecoder, "pad-added", G_CALLBACK(_LinkToFakeSink), this);
    gst_element_sync_state_with_parent(pDecoder);
    if (pFirst != pDecoder)
        gst_element_sync_state_with_parent(pFirst);
}

CPipelineRunner::~CPipelineRunner()
{
    gst_element_set_state(m_pPipeline, GST_STATE_NULL);
    gst_object_unref(m_pPipeline);
}

bool CPipelineRunner::_WaitFor(GstMessageType type, PlayOutcome* pOutcome)
{
    GstBus* pBus = gst_element_get_bus(m_pPipeline);
    GstMessage* pMessage = gst_bus_timed_pop_filtered(
        pBus, kHangLimit, static_cast<GstMessageType>(type | GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
    gst_object_unref(pBus);
    if (pMessage == nullptr) {
        pOutcome->isTimedOut = true;
        return false;
    }
    bool isWanted = GST_MESSAGE_TYPE(pMessage) == type;
    if (GST_MESSAGE_TYPE(pMessage) == GST_MESSAGE_ERROR) {
        GError* pError = nullptr;
        gchar* pszDebug = nullptr;
        gst_message_parse_error(pMessage, &pError, &pszDebug);
        pOutcome->error = std::string(pError->message) + " | " + (pszDebug != nullptr ? pszDebug : "");
        g_error_free(pError);
        g_free(pszDebug);
    } else if (GST_MESSAGE_TYPE(pMessage) == GST_MESSAGE_EOS) {
        pOutcome->isEndOfStream = true;
    }
    gst_message_unref(pMessage);
    return isWanted;
}

PlayOutcome CPipelineRunner::Play(gint64 seekNs)
{
    PlayOutcome outcome;
    gst_element_set_state(m_pPipeline, GST_STATE_PAUSED);
    if (!_WaitFor(GST_MESSAGE_ASYNC_DONE, &outcome))
        return outcome;
    gst_element_query_duration(m_pPipeline, GST_FORMAT_TIME, &outcome.durationNs);
    if (seekNs >= 0) {
        gst_element_seek_simple(m_pPipeline, GST_FORMAT_TIME,
                                static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), seekNs);
        if (!_WaitFor(GST_MESSAGE_ASYNC_DONE, &outcome))
            return outcome;
        gst_element_query_position(m_pPipeline, GST_FORMAT_TIME, &outcome.seekedPositionNs);
    }
    gst_element_set_state(m_pPipeline, GST_STATE_PLAYING);
    _WaitFor(GST_MESSAGE_EOS, &outcome);
    outcome.playedEndNs = m_playedEndNs;
    return outcome;
}
