#include "PeerPlayback.h"

#include "playback/MediaGraph.h"
#include "playback/SinkFactory.h"

#include <QWidget>
#include <cstdio>

CPeerPlayback::CPeerPlayback(QWidget* pScreenWnd) : m_pScreenWnd(pScreenWnd) {}

CPeerPlayback::~CPeerPlayback()
{
    Stop();
}

bool CPeerPlayback::Start(const std::string& path, bool hasVideo)
{
    Stop();
    GError* pError = nullptr;
    gchar* pszUri = gst_filename_to_uri(path.c_str(), &pError);
    if (pszUri == nullptr) {
        std::fprintf(stderr, "the peer cannot play %s: %s\n", path.c_str(), pError->message);
        g_error_free(pError);
        return false;
    }
    m_pPlaybin = gst_element_factory_make("playbin", nullptr);
    gst_object_ref_sink(m_pPlaybin);
    g_object_set(m_pPlaybin, "uri", pszUri, "audio-sink", CSinkFactory::MakeAudioSink(kAudioRendererName), nullptr);
    if (hasVideo) {
        const auto windowHandle = static_cast<guintptr>(m_pScreenWnd->winId());
        g_object_set(m_pPlaybin, "video-sink", CSinkFactory::MakeVideoSink(kVideoRendererName, windowHandle),
                     nullptr);
    }
    g_free(pszUri);
    return gst_element_set_state(m_pPlaybin, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

void CPeerPlayback::Stop()
{
    if (m_pPlaybin == nullptr)
        return;
    gst_element_set_state(m_pPlaybin, GST_STATE_NULL);
    gst_object_unref(m_pPlaybin);
    m_pPlaybin = nullptr;
}

// The peer's user learns of the end from the end-of-stream message on the bus.
CPlayback::Outcome CPeerPlayback::_WaitForEvent(int msTimeout)
{
    GstBus* pBus = gst_element_get_bus(m_pPlaybin);
    GstMessage* pMessage = gst_bus_timed_pop_filtered(pBus, static_cast<GstClockTime>(msTimeout) * GST_MSECOND,
                                                      static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_object_unref(pBus);
    if (pMessage == nullptr)
        return Outcome::Nothing;
    const bool isEnd = GST_MESSAGE_TYPE(pMessage) == GST_MESSAGE_EOS;
    if (!isEnd) {
        GError* pError = nullptr;
        gst_message_parse_error(pMessage, &pError, nullptr);
        std::fprintf(stderr, "the peer failed while playing: %s\n", pError->message);
        g_error_free(pError);
    }
    gst_message_unref(pMessage);
    return isEnd ? Outcome::End : Outcome::Failure;
}
