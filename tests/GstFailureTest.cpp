// GStreamer's failures in the player's terms: the code by what failed,
// the texts the player adds, and the graph telling its failure.
#include "EventLoopWait.h"
#include "playback/FilterGraph.h"
#include "playback/GstFailure.h"
#include "common/ErrorText.h"
#include "playback/MediaGraph.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

HRESULT CodeOf(GQuark domain, int nCode)
{
    GError* pError = g_error_new_literal(domain, nCode, "failed");
    const HRESULT hr = CGstFailure::Code(pError);
    g_error_free(pError);
    return hr;
}

TEST(GstFailureTest, TheCodeSaysWhatFailed)
{
    struct Case {
        GQuark domain;
        int nCode;
        HRESULT hr;
    };
    const Case cases[] = {
        // The file.
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_AUTHORIZED, ERROR_ACCESS_DENIED},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, ERROR_READ_FAULT},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_READ, ERROR_READ_FAULT},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_SEEK, ERROR_READ_FAULT},
        // The device written to.
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_OPEN_WRITE, ERROR_IO_DEVICE},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_WRITE, ERROR_IO_DEVICE},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_BUSY, ERROR_IO_DEVICE},
        {GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_SETTINGS, ERROR_IO_DEVICE},
        // The decoder.
        {GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND, VFW_E_UNSUPPORTED_STREAM},
        {GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN, VFW_E_UNSUPPORTED_STREAM},
        // The format.
        {GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE, VFW_E_INVALID_FILE_FORMAT},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_DEMUX, VFW_E_INVALID_FILE_FORMAT},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND, VFW_E_INVALID_FILE_FORMAT},
        {GST_STREAM_ERROR, GST_STREAM_ERROR_WRONG_TYPE, VFW_E_INVALID_FILE_FORMAT},
        // Nothing could render what was decoded.
        {GST_CORE_ERROR, GST_CORE_ERROR_NEGOTIATION, VFW_E_CANNOT_RENDER},
        // The rest says nothing more than that it failed.
        {GST_STREAM_ERROR, GST_STREAM_ERROR_FAILED, E_FAIL},
        {GST_LIBRARY_ERROR, GST_LIBRARY_ERROR_INIT, E_FAIL},
        {GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE, E_FAIL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CodeOf(c.domain, c.nCode), c.hr) << g_quark_to_string(c.domain) << " " << c.nCode;
}

TEST(PlaybackErrorTest, DetailsNameTheMissingDecoderThenGStreamersText)
{
    PlaybackError error;
    EXPECT_EQ(error.Details(), "");
    error.gstMessage = "decoder: Your GStreamer installation is missing a plug-in.";
    error.gstDebug = "gstdecodebin2.c(4719)";
    EXPECT_EQ(error.Details(), "decoder: Your GStreamer installation is missing a plug-in.\ngstdecodebin2.c(4719)");
    error.missingPlugin = "H.265 video decoder";
    error.package = "gstreamer1.0-libav";
    EXPECT_EQ(error.Details(), "This file needs an H.265 video decoder (gstreamer1.0-libav)\n"
                               "decoder: Your GStreamer installation is missing a plug-in.\ngstdecodebin2.c(4719)");
    error.gstDebug.clear();
    error.package.clear();
    EXPECT_EQ(error.Details(), "This file needs an H.265 video decoder\n"
                               "decoder: Your GStreamer installation is missing a plug-in.");
}

TEST(PlaybackErrorTest, TheArticleFollowsHowTheNameIsSaid)
{
    const std::pair<const char*, const char*> cases[] = {
        {"H.265 video decoder", "an H.265"},     {"MPEG-4 AAC audio decoder", "an MPEG-4"},
        {"Windows Media Video 9 decoder", "a Windows"}, {"AC-3 audio decoder", "an AC-3"},
        {"Vorbis audio decoder", "a Vorbis"},    {"Opus audio decoder", "an Opus"},
        {"WMA audio decoder", "a WMA"},          {"x", "a x"},
    };
    for (const auto& [pszName, pszStart] : cases) {
        PlaybackError error;
        error.missingPlugin = pszName;
        EXPECT_EQ(error.MissingPluginText().rfind(std::string("This file needs ") + pszStart, 0), 0u)
            << error.MissingPluginText();
    }
}

// Real elements failing in a graph: the failure is told once with the
// failing element's name and GStreamer's texts, and it is the graph's first.
TEST(GstFailureGraphTest, AFailingElementIsToldWithItsNameAndTexts)
{
    InitMediaGraph();
    struct Case {
        const char* pszFactory;
        const char* pszLocation;
        HRESULT hr;
    };
    for (const Case& c : {Case{"filesrc", "/nonexistent/korvo.avi", ERROR_FILE_NOT_FOUND},
                          Case{"filesink", "/nonexistent/korvo.out", ERROR_IO_DEVICE}}) {
        CFilterGraph graph(0, kVolumeFull);
        QSignalSpy failed(&graph, &CFilterGraph::Failed);
        GstElement* pElement = gst_element_factory_make(c.pszFactory, nullptr);
        ASSERT_NE(pElement, nullptr);
        g_object_set(pElement, "location", c.pszLocation, nullptr);
        ASSERT_EQ(graph.AddFilter(pElement, "failing"), S_OK);
        EXPECT_NE(graph.Pause(), S_OK);
        ASSERT_TRUE(WaitFor([&] { return failed.count() > 0; }));
        const auto error = failed.at(0).at(0).value<PlaybackError>();
        EXPECT_EQ(error.hr, c.hr) << c.pszFactory;
        EXPECT_EQ(error.text, ErrorText(c.hr));
        EXPECT_EQ(error.gstMessage.rfind("failing: ", 0), 0u) << error.gstMessage;
        EXPECT_NE((error.gstMessage + error.gstDebug).find(c.pszLocation), std::string::npos) << error.Details();
        EXPECT_FALSE(error.gstDebug.empty());
        EXPECT_EQ(graph.FirstError().gstMessage, error.gstMessage);
        graph.Stop();
    }
}

} // namespace
