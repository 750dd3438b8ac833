// The source elements held to what GStreamer's stock `filesrc` does, with
// the stock element run beside them, so that a difference shows as one
// failing instance: seeking and pulling byte ranges up to and past the end
// of the file, a reverse seek made before the start, the URIs a location
// gives and takes, the URI query, and a location set while playing.
#include "PipelineRunner.h"
#include "TestMedia.h"

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>

namespace {

struct ParitySource {
    friend void PrintTo(const ParitySource& source, std::ostream* pStream) { *pStream << source.pszFactory; }

    const char* pszFactory;
    TestMedia media;
    // Whether its pad can be pulled from (it has one "src" pad then).
    bool isPullable;
};

std::string FactoryName(const ::testing::TestParamInfo<ParitySource>& source)
{
    return source.param.pszFactory;
}

// A sink pad linked to a source's "src" pad: drops the buffers and notes
// the end of the stream.
class CEndSinkPad {
public:
    explicit CEndSinkPad(GstElement* pSource)
    {
        static GstStaticPadTemplate s_template =
            GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
        m_pPad = gst_pad_new_from_static_template(&s_template, "sink");
        gst_pad_set_chain_function(m_pPad, OnChain);
        gst_pad_set_event_function(m_pPad, OnEvent);
        g_object_set_data(G_OBJECT(m_pPad), "end-sink", this);
        GstPad* pSourcePad = gst_element_get_static_pad(pSource, "src");
        EXPECT_EQ(gst_pad_link(pSourcePad, m_pPad), GST_PAD_LINK_OK);
        gst_object_unref(pSourcePad);
        gst_pad_set_active(m_pPad, TRUE);
    }
    ~CEndSinkPad()
    {
        gst_pad_set_active(m_pPad, FALSE);
        gst_object_unref(m_pPad);
    }
    CEndSinkPad(const CEndSinkPad&) = delete;
    CEndSinkPad& operator=(const CEndSinkPad&) = delete;

    bool WaitForEnd()
    {
        std::unique_lock lock(m_lock);
        return m_ended.wait_for(lock, std::chrono::minutes(1), [this] { return m_hasEnded; });
    }

private:
    static GstFlowReturn OnChain(GstPad*, GstObject*, GstBuffer* pBuffer)
    {
        gst_buffer_unref(pBuffer);
        return GST_FLOW_OK;
    }
    static gboolean OnEvent(GstPad* pPad, GstObject*, GstEvent* pEvent)
    {
        if (GST_EVENT_TYPE(pEvent) == GST_EVENT_EOS) {
            auto* pThis = static_cast<CEndSinkPad*>(g_object_get_data(G_OBJECT(pPad), "end-sink"));
            std::lock_guard lock(pThis->m_lock);
            pThis->m_hasEnded = true;
            pThis->m_ended.notify_all();
        }
        gst_event_unref(pEvent);
        return TRUE;
    }

    GstPad* m_pPad;
    std::mutex m_lock;
    std::condition_variable m_ended;
    bool m_hasEnded = false;
};

class ParityTest : public ::testing::TestWithParam<ParitySource> {
protected:
    void SetUp() override
    {
        LoadBrelmSourcePlugin();
        m_pSource = gst_element_factory_make(GetParam().pszFactory, nullptr);
        ASSERT_NE(m_pSource, nullptr);
    }
    void TearDown() override
    {
        if (m_pSource == nullptr)
            return;
        EXPECT_EQ(gst_element_set_state(m_pSource, GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
        gst_object_unref(m_pSource);
    }

    std::string MediaPath() const { return TestMediaPath(GetParam().media); }

    // The source on its medium, in PLAYING with its pad pulled from when
    // it can be.
    void Play()
    {
        g_object_set(m_pSource, "location", MediaPath().c_str(), nullptr);
        if (GetParam().isPullable) {
            ASSERT_EQ(gst_element_set_state(m_pSource, GST_STATE_READY), GST_STATE_CHANGE_SUCCESS);
            GstPad* pPad = gst_element_get_static_pad(m_pSource, "src");
            EXPECT_TRUE(gst_pad_activate_mode(pPad, GST_PAD_MODE_PULL, TRUE));
            gst_object_unref(pPad);
        }
        ASSERT_EQ(gst_element_set_state(m_pSource, GST_STATE_PLAYING), GST_STATE_CHANGE_SUCCESS);
    }

    std::string Location() const
    {
        gchar* pszLocation = nullptr;
        g_object_get(m_pSource, "location", &pszLocation, nullptr);
        std::string location = pszLocation != nullptr ? pszLocation : "(none)";
        g_free(pszLocation);
        return location;
    }

    std::string Uri() const
    {
        gchar* pszUri = gst_uri_handler_get_uri(GST_URI_HANDLER(m_pSource));
        std::string uri = pszUri != nullptr ? pszUri : "(none)";
        g_free(pszUri);
        return uri;
    }

    // What the URI query of the element answers ("(no answer)" when it
    // does not).
    std::string QueriedUri() const
    {
        GstQuery* pQuery = gst_query_new_uri();
        gchar* pszUri = nullptr;
        if (gst_element_query(m_pSource, pQuery))
            gst_query_parse_uri(pQuery, &pszUri);
        gst_query_unref(pQuery);
        std::string uri = pszUri != nullptr ? pszUri : "(no answer)";
        g_free(pszUri);
        return uri;
    }

    GstElement* m_pSource = nullptr;
};

// The sources that read bytes: the stock one and our asynchronous one.
class ByteSourceParityTest : public ParityTest {};

TEST_P(ByteSourceParityTest, IsSeekableInBytesOncePausedAndPlaysAReverseSeekMadeInReady)
{
    CEndSinkPad sink(m_pSource);
    g_object_set(m_pSource, "location", MediaPath().c_str(), nullptr);
    ASSERT_EQ(gst_element_set_state(m_pSource, GST_STATE_READY), GST_STATE_CHANGE_SUCCESS);
    EXPECT_TRUE(gst_element_seek(m_pSource, -1.0, GST_FORMAT_BYTES, GST_SEEK_FLAG_NONE, GST_SEEK_TYPE_SET, 100,
                                 GST_SEEK_TYPE_SET, -1));
    ASSERT_EQ(gst_element_set_state(m_pSource, GST_STATE_PAUSED), GST_STATE_CHANGE_SUCCESS);
    GstQuery* pQuery = gst_query_new_seeking(GST_FORMAT_BYTES);
    ASSERT_TRUE(gst_element_query(m_pSource, pQuery));
    gboolean isSeekable = FALSE;
    gst_query_parse_seeking(pQuery, nullptr, &isSeekable, nullptr, nullptr);
    gst_query_unref(pQuery);
    EXPECT_TRUE(isSeekable);
    EXPECT_TRUE(sink.WaitForEnd());
}

TEST_P(ByteSourceParityTest, PulledRangesHoldTheFileAndStopAtItsEnd)
{
    ASSERT_NO_FATAL_FAILURE(Play());
    GstQuery* pQuery = gst_query_new_seeking(GST_FORMAT_BYTES);
    ASSERT_TRUE(gst_element_query(m_pSource, pQuery));
    gboolean isSeekable = FALSE;
    gint64 start = -1;
    gint64 end = -1;
    gst_query_parse_seeking(pQuery, nullptr, &isSeekable, &start, &end);
    gst_query_unref(pQuery);
    std::ifstream file(MediaPath(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(isSeekable);
    EXPECT_EQ(start, 0);
    ASSERT_EQ(end, static_cast<gint64>(bytes.size()));

    GstPad* pPad = gst_element_get_static_pad(m_pSource, "src");
    struct Pull {
        gint64 offset;
        guint length;
        GstFlowReturn result;
        gint64 cbExpected;
    };
    const Pull pulls[] = {
        {0, 100, GST_FLOW_OK, 100},      {0, 50, GST_FLOW_OK, 50},        {50, 50, GST_FLOW_OK, 50},
        {end - 10, 10, GST_FLOW_OK, 10}, {end - 10, 20, GST_FLOW_OK, 10}, {end - 1, 0, GST_FLOW_OK, 0},
        {end - 1, 10, GST_FLOW_OK, 1},   {end, 0, GST_FLOW_EOS, 0},       {end, 10, GST_FLOW_EOS, 0},
        {end + 10, 0, GST_FLOW_EOS, 0},  {end + 10, 10, GST_FLOW_EOS, 0},
    };
    for (const Pull& pull : pulls) {
        const std::string at = std::to_string(pull.length) + " at " + std::to_string(pull.offset);
        GstBuffer* pBuffer = nullptr;
        ASSERT_EQ(gst_pad_get_range(pPad, static_cast<guint64>(pull.offset), pull.length, &pBuffer), pull.result) << at;
        if (pull.result != GST_FLOW_OK)
            continue;
        ASSERT_NE(pBuffer, nullptr) << at;
        GstMapInfo map;
        ASSERT_TRUE(gst_buffer_map(pBuffer, &map, GST_MAP_READ)) << at;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(map.data), map.size),
                  bytes.substr(static_cast<size_t>(pull.offset), static_cast<size_t>(pull.cbExpected)))
            << at;
        gst_buffer_unmap(pBuffer, &map);
        gst_buffer_unref(pBuffer);
    }
    gst_object_unref(pPad);
}

INSTANTIATE_TEST_SUITE_P(StockAndOurs, ByteSourceParityTest,
                         ::testing::Values(ParitySource{"filesrc", TestMedia::Avi, true},
                                           ParitySource{"brelmasyncfilesrc", TestMedia::Avi, true}),
                         FactoryName);

// Every file source: the stock one and both of ours.
class UriParityTest : public ParityTest {};

TEST_P(UriParityTest, AMissingFileFailsAfterAStateChangeWithNotFoundAndNoLocationReadsBackAsNone)
{
    GstBus* pBus = gst_bus_new();
    gst_element_set_bus(m_pSource, pBus);
    g_object_set(m_pSource, "location", "/i/do/not/exist", nullptr);
    EXPECT_EQ(gst_element_set_state(m_pSource, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
    GstMessage* pMessage = gst_bus_pop(pBus);
    ASSERT_NE(pMessage, nullptr);
    EXPECT_EQ(GST_MESSAGE_TYPE(pMessage), GST_MESSAGE_STATE_CHANGED);
    gst_message_unref(pMessage);
    pMessage = gst_bus_pop(pBus);
    ASSERT_NE(pMessage, nullptr);
    ASSERT_EQ(GST_MESSAGE_TYPE(pMessage), GST_MESSAGE_ERROR);
    GError* pError = nullptr;
    gst_message_parse_error(pMessage, &pError, nullptr);
    EXPECT_TRUE(g_error_matches(pError, GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_FOUND)) << pError->message;
    g_error_free(pError);
    gst_message_unref(pMessage);
    gst_element_set_state(m_pSource, GST_STATE_NULL);
    gst_element_set_bus(m_pSource, nullptr);
    gst_object_unref(pBus);

    g_object_set(m_pSource, "location", nullptr, nullptr);
    EXPECT_EQ(Location(), "(none)");
    EXPECT_EQ(Uri(), "(none)");
}

TEST_P(UriParityTest, UrisComeEscapedAndCanonicalWhileTheLocationStaysAsGiven)
{
    g_object_set(m_pSource, "location", "/i/do/not/exist", nullptr);
    EXPECT_EQ(Uri(), "file:///i/do/not/exist");
    for (const char* pszUri : {"file:///foo/bar", "file://localhost/foo/bar"}) {
        EXPECT_TRUE(gst_uri_handler_set_uri(GST_URI_HANDLER(m_pSource), pszUri, nullptr)) << pszUri;
        EXPECT_EQ(Uri(), "file:///foo/bar") << pszUri;
        EXPECT_EQ(Location(), "/foo/bar") << pszUri;
    }
    g_object_set(m_pSource, "location", "/foo/b?r", nullptr);
    EXPECT_EQ(Location(), "/foo/b?r");
    EXPECT_EQ(Uri(), "file:///foo/b%3Fr");
    EXPECT_FALSE(gst_uri_handler_set_uri(GST_URI_HANDLER(m_pSource), "file://hostname/foo/foo", nullptr));

    // The bare scheme, which programs use to ask whether a file source
    // exists, clears the location.
    EXPECT_TRUE(gst_uri_handler_set_uri(GST_URI_HANDLER(m_pSource), "file://", nullptr));
    EXPECT_EQ(Location(), "(none)");
}

TEST_P(UriParityTest, TheUriQueryAnswersTheCanonicalAbsoluteUri)
{
    if (std::string(GetParam().pszFactory) == "brelmasfsrc")
        GTEST_SKIP() << "the ASF source answers no URI query yet";
    const std::pair<const char*, const char*> canonical[] = {
        {"/i/do/not/exist", "file:///i/do/not/exist"},
        {"/i/do/not/../exist", "file:///i/do/exist"},
        {"/i/do/not/.././exist", "file:///i/do/exist"},
        {"/i/./do/./././././exist", "file:///i/do/exist"},
        {"/i/do/not/../../exist", "file:///i/exist"},
        {"/i/../not/../exist", "file:///exist"},
        {"/i/./d\303\266/not/../exist", "file:///i/d%C3%B6/exist"},
    };
    for (const auto& [pszLocation, pszUri] : canonical) {
        g_object_set(m_pSource, "location", pszLocation, nullptr);
        EXPECT_EQ(QueriedUri(), pszUri) << pszLocation;
    }
    for (const char* pszRelative : {"foo", "foo/../bar", "./foo", "../foo", "foo/./bar"}) {
        g_object_set(m_pSource, "location", pszRelative, nullptr);
        const std::string uri = QueriedUri();
        ASSERT_TRUE(gst_uri_is_valid(uri.c_str())) << pszRelative << ": " << uri;
        gchar* pszFile = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
        ASSERT_NE(pszFile, nullptr) << pszRelative << ": " << uri;
        EXPECT_TRUE(g_path_is_absolute(pszFile)) << pszRelative << ": " << uri;
        g_free(pszFile);
    }
    // A URI whose Latin-1 bytes were never escaped comes back escaped.
    gst_uri_handler_set_uri(GST_URI_HANDLER(m_pSource), "file:///M\366t\366r", nullptr);
    EXPECT_EQ(QueriedUri(), "file:///M%F6t%F6r");
}

// Counts the warnings that GLib logs while it is installed.
class CWarningCount {
public:
    CWarningCount() { m_previous = g_log_set_default_handler(OnLog, &m_count); }
    ~CWarningCount() { g_log_set_default_handler(m_previous, nullptr); }
    CWarningCount(const CWarningCount&) = delete;
    CWarningCount& operator=(const CWarningCount&) = delete;

    int Count() const { return m_count; }

private:
    static void OnLog(const gchar*, GLogLevelFlags level, const gchar*, gpointer pCount)
    {
        if ((level & G_LOG_LEVEL_WARNING) != 0)
            ++*static_cast<int*>(pCount);
    }

    GLogFunc m_previous;
    int m_count = 0;
};

TEST_P(UriParityTest, ALocationSetWhilePlayingWarnsAndKeepsTheOldOne)
{
    ASSERT_NO_FATAL_FAILURE(Play());
    CWarningCount warnings;
    g_object_set(m_pSource, "location", "/wrong", nullptr);
    EXPECT_EQ(warnings.Count(), 1);
    EXPECT_EQ(Location(), MediaPath());
}

INSTANTIATE_TEST_SUITE_P(StockAndOurs, UriParityTest,
                         ::testing::Values(ParitySource{"filesrc", TestMedia::Avi, true},
                                           ParitySource{"brelmasyncfilesrc", TestMedia::Avi, true},
                                           ParitySource{"brelmasfsrc", TestMedia::Wmv, false}),
                         FactoryName);

} // namespace
