#include "SinkFactory.h"

#include "common/Report.h"

#include <gst/video/videooverlay.h>
#include <string_view>

namespace {

// Sound outputs in the order a desktop prefers them.
const char* const kAudioSinks[] = {"pulsesink", "pipewiresink", "alsasink", "oss4sink", "osssink", nullptr};

} // namespace

GstElement* CSinkFactory::MakeAudioSink(const char* pszName)
{
    if (GstElement* pSink = _OpenFirst(kAudioSinks, pszName, 0))
        return pSink;
    Trace("CSinkFactory::MakeAudioSink() : no sound device can be opened; the sound is played to a null sink");
    return MakeNullSink(pszName);
}

GstElement* CSinkFactory::MakeVideoSink(const char* pszName, guintptr windowHandle, VideoPath path)
{
    for (bool bMore = windowHandle != 0; bMore; bMore = CVideoPath::Below(path, &path)) {
        const char* const factories[] = {CVideoPath::SinkFactoryName(path), nullptr};
        if (GstElement* pSink = _OpenFirst(factories, pszName, windowHandle))
            return pSink;
        Trace("CSinkFactory::MakeVideoSink() : %s can not start here", factories[0]);
    }
    Trace("CSinkFactory::MakeVideoSink() : no display can show the picture; the video is played to a null sink");
    return MakeNullSink(pszName);
}

bool CSinkFactory::NeedsScaledPictures(GstElement* pSink)
{
    GstElementFactory* pFactory = gst_element_get_factory(pSink);
    return pFactory != nullptr &&
           std::string_view(GST_OBJECT_NAME(pFactory)) == CVideoPath::SinkFactoryName(VideoPath::X);
}

GstElement* CSinkFactory::MakeNullSink(const char* pszName)
{
    GstElement* pSink = gst_element_factory_make("fakesink", pszName);
    g_object_set(pSink, "sync", TRUE, nullptr);
    return pSink;
}

// A sink is usable once it reaches READY: that is where devices, sound
// servers and displays are opened. It joins the graph in that state.
GstElement* CSinkFactory::_OpenFirst(const char* const* ppszFactories, const char* pszName, guintptr windowHandle)
{
    for (; *ppszFactories != nullptr; ++ppszFactories) {
        GstElement* pSink = gst_element_factory_make(*ppszFactories, pszName);
        if (pSink == nullptr)
            continue;
        gst_object_ref_sink(pSink);
        bool isUsable = windowHandle == 0 || GST_IS_VIDEO_OVERLAY(pSink);
        if (isUsable && windowHandle != 0) {
            gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(pSink), windowHandle);
            // Mouse and keyboard input stays with the screen window.
            gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(pSink), FALSE);
            // The player shapes the picture's rectangle to the display size
            // itself (pixel aspect ratio applied): the sink fills it.
            if (g_object_class_find_property(G_OBJECT_GET_CLASS(pSink), "force-aspect-ratio") != nullptr)
                g_object_set(pSink, "force-aspect-ratio", FALSE, nullptr);
        }
        if (isUsable && gst_element_set_state(pSink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS) {
            // Handed back open and floating, as a new element is: closing
            // and opening a GL sink's display again leaks in the driver.
            g_object_force_floating(G_OBJECT(pSink));
            return pSink;
        }
        gst_element_set_state(pSink, GST_STATE_NULL);
        gst_object_unref(pSink);
    }
    return nullptr;
}
