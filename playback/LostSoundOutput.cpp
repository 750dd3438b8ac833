#include "LostSoundOutput.h"

#include "SinkFactory.h"

#include <string>

CLostSoundOutput::CLostSoundOutput(GstElement* pPipeline, const char* pszQueueName, const char* pszSinkName)
    : m_pPipeline(pPipeline), m_pszQueueName(pszQueueName), m_pszSinkName(pszSinkName)
{
}

CLostSoundOutput::~CLostSoundOutput()
{
    if (m_pFeed != nullptr)
        gst_object_unref(m_pFeed);
}

void CLostSoundOutput::Begin()
{
    GstElement* pQueue = gst_bin_get_by_name(GST_BIN(m_pPipeline), m_pszQueueName);
    if (pQueue == nullptr)
        return;
    std::lock_guard lock(m_lock);
    g_object_set(pQueue, "max-size-buffers", 0u, nullptr);
    if (GstPad* pInput = gst_element_get_static_pad(pQueue, "sink")) {
        m_pFeed = gst_pad_get_peer(pInput);
        gst_object_unref(pInput);
    }
    if (m_pFeed != nullptr)
        m_probe = gst_pad_add_probe(m_pFeed, GST_PAD_PROBE_TYPE_BLOCK_DOWNSTREAM, _OnFeedHeld, this, nullptr);
    gst_object_unref(pQueue);
}

// On the sound's streaming thread: nothing of it is in the old queue now.
GstPadProbeReturn CLostSoundOutput::_OnFeedHeld(GstPad*, GstPadProbeInfo*, gpointer pThis)
{
    auto* self = static_cast<CLostSoundOutput*>(pThis);
    std::lock_guard lock(self->m_lock);
    self->_Replace();
    self->m_probe = 0;
    return GST_PAD_PROBE_REMOVE;
}

void CLostSoundOutput::Finish()
{
    std::lock_guard lock(m_lock);
    if (m_bReplaced || m_pFeed == nullptr)
        return;
    GstEvent* pEnd = gst_pad_get_sticky_event(m_pFeed, GST_EVENT_EOS, 0);
    if (pEnd == nullptr)
        return;
    _Replace();
    gst_pad_remove_probe(m_pFeed, m_probe);
    m_probe = 0;
    // The end goes to the new sink's input directly: the sink's own event
    // handler would send it upstream.
    GstPad* pInput = gst_pad_get_peer(m_pFeed);
    if (pInput != nullptr) {
        gst_pad_send_event(pInput, pEnd);
        gst_object_unref(pInput);
    } else {
        gst_event_unref(pEnd);
    }
}

// Under m_lock, with no buffer on its way into the old queue. The null sink
// joins the pipeline, in the pipeline's state, before the lost sink leaves.
// The lost sink may have given the pipeline its clock, and its leaving makes
// the user-interface thread pause and play the pipeline again to take
// another; a sink that joined while that went on could take the state from
// before it and stay paused in a playing pipeline, holding the sound stream,
// and with it the whole file, for good. The two sinks' names differ since
// both are in the pipeline for a moment.
void CLostSoundOutput::_Replace()
{
    if (m_bReplaced)
        return;
    m_bReplaced = true;
    GstBin* pBin = GST_BIN(m_pPipeline);
    GstElement* pQueue = gst_bin_get_by_name(pBin, m_pszQueueName);
    GstElement* pLost = gst_bin_get_by_name(pBin, m_pszSinkName);
    GstPad* pQueueInput = pQueue != nullptr ? gst_element_get_static_pad(pQueue, "sink") : nullptr;
    if (pQueueInput != nullptr && pLost != nullptr) {
        GstElement* pNull = CSinkFactory::MakeNullSink((std::string(m_pszSinkName) + " (no sound)").c_str());
        g_object_set(pNull, "async", FALSE, nullptr);
        gst_bin_add(pBin, pNull);
        gst_element_sync_state_with_parent(pNull);
        GstPad* pNullInput = gst_element_get_static_pad(pNull, "sink");
        gst_pad_unlink(m_pFeed, pQueueInput);
        gst_pad_link(m_pFeed, pNullInput);
        gst_object_unref(pNullInput);
        gst_bin_remove_many(pBin, pQueue, pLost, nullptr);
        // The lost sink may hold the queue's thread; stopping it first
        // lets that thread end.
        gst_element_set_state(pLost, GST_STATE_NULL);
        gst_element_set_state(pQueue, GST_STATE_NULL);
    }
    for (GstObject* pObject : {GST_OBJECT(pQueueInput), GST_OBJECT(pLost), GST_OBJECT(pQueue)})
        if (pObject != nullptr)
            gst_object_unref(pObject);
}
