// Both source elements as any GStreamer program meets them, measured against
// what the stock file source does: a location or URI is only stored until
// the element starts, a missing file and an unreadable one fail with the
// resource errors a program expects, the location cannot change while the
// element runs, and the library's reports stay off the program's standard
// error unless its debug category is asked for.
#include "PipelineRunner.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct SourceKind {
    const char* pszFactory;
    TestMedia media;
    PullOrPush mode;
};

class SourceElementTest : public ::testing::TestWithParam<SourceKind> {
protected:
    void SetUp() override { LoadBrelmSourcePlugin(); }

    GstElement* NewSource() const { return gst_element_factory_make(GetParam().pszFactory, nullptr); }

    // Starts a pipeline around a source on `path` and returns the resource
    // error it fails with (0 when it starts).
    static int StartError(GstElement* pSource)
    {
        GstElement* pPipeline = gst_pipeline_new(nullptr);
        gst_bin_add(GST_BIN(pPipeline), pSource);
        int code = 0;
        if (gst_element_set_state(pPipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
            GstBus* pBus = gst_element_get_bus(pPipeline);
            GstMessage* pMessage = gst_bus_pop_filtered(pBus, GST_MESSAGE_ERROR);
            GError* pError = nullptr;
            if (pMessage != nullptr) {
                gst_message_parse_error(pMessage, &pError, nullptr);
                EXPECT_EQ(pError->domain, GST_RESOURCE_ERROR) << pError->message;
                code = pError->code;
                g_error_free(pError);
                gst_message_unref(pMessage);
            }
            gst_object_unref(pBus);
        }
        gst_element_set_state(pPipeline, GST_STATE_NULL);
        gst_object_unref(pPipeline);
        return code;
    }

    static std::string Location(GstElement* pSource)
    {
        gchar* pszLocation = nullptr;
        g_object_get(pSource, "location", &pszLocation, nullptr);
        std::string location = pszLocation != nullptr ? pszLocation : "";
        g_free(pszLocation);
        return location;
    }

    CTempDir m_dir;
};

TEST_P(SourceElementTest, AMissingFileIsNotFoundAndAnUnreadableOneCannotBeOpened)
{
    GstElement* pSource = NewSource();
    g_object_set(pSource, "location", (m_dir.Path() + "/missing").c_str(), nullptr);
    EXPECT_EQ(StartError(pSource), GST_RESOURCE_ERROR_NOT_FOUND);

    pSource = NewSource();
    g_object_set(pSource, "location", m_dir.Path().c_str(), nullptr);
    EXPECT_EQ(StartError(pSource), GST_RESOURCE_ERROR_OPEN_READ) << "a directory";

    pSource = NewSource();
    EXPECT_EQ(StartError(pSource), GST_RESOURCE_ERROR_NOT_FOUND) << "no file at all";

    // Permissions do not stop the superuser.
    if (::geteuid() == 0)
        return;
    std::string locked = m_dir.WriteFile("locked", "content");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    pSource = NewSource();
    g_object_set(pSource, "location", locked.c_str(), nullptr);
    EXPECT_EQ(StartError(pSource), GST_RESOURCE_ERROR_OPEN_READ);
}

// Setting the location opens nothing: a file made after it, before the
// start, is the one that plays.
TEST_P(SourceElementTest, TheLocationIsOnlyStoredUntilTheSourceStarts)
{
    std::string path = m_dir.Path() + "/later";
    GstElement* pSource = NewSource();
    g_object_set(pSource, "location", path.c_str(), nullptr);
    EXPECT_EQ(Location(pSource), path);
    std::filesystem::copy_file(TestMediaPath(GetParam().media), path);
    CPipelineRunner runner(pSource, GetParam().mode);
    PlayOutcome outcome = runner.Play();
    EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
}

TEST_P(SourceElementTest, UrisOfFilesNotYetThereAreTakenAndRefusedOnesChangeNothing)
{
    GstElement* pSource = NewSource();
    std::string path = m_dir.Path() + "/not yet.wmv";
    gchar* pszUri = gst_filename_to_uri(path.c_str(), nullptr);
    GError* pError = nullptr;
    EXPECT_TRUE(gst_uri_handler_set_uri(GST_URI_HANDLER(pSource), pszUri, &pError));
    EXPECT_EQ(Location(pSource), path);
    for (const char* pszRefused : {"http://example.invalid/x.wmv", "file://elsewhere/x.wmv"}) {
        EXPECT_FALSE(gst_uri_handler_set_uri(GST_URI_HANDLER(pSource), pszRefused, &pError)) << pszRefused;
        g_clear_error(&pError);
        EXPECT_EQ(Location(pSource), path) << pszRefused;
    }
    gst_object_unref(pSource);

    // Picked by its rank, the element is made for a file that is not there.
    GstPluginFeature* pFactory = GST_PLUGIN_FEATURE(gst_element_factory_find(GetParam().pszFactory));
    const guint rank = gst_plugin_feature_get_rank(pFactory);
    gst_plugin_feature_set_rank(pFactory, G_MAXINT);
    pSource = gst_element_make_from_uri(GST_URI_SRC, pszUri, nullptr, &pError);
    gst_plugin_feature_set_rank(pFactory, rank);
    gst_object_unref(pFactory);
    ASSERT_NE(pSource, nullptr) << pError->message;
    EXPECT_EQ(GST_ELEMENT_FACTORY(gst_element_get_factory(pSource)), gst_element_factory_find(GetParam().pszFactory));
    gst_object_unref(gst_element_get_factory(pSource));
    gst_object_unref(pSource);
    g_free(pszUri);
}

TEST_P(SourceElementTest, TheLocationChangesOnlyWhileTheSourceIsStopped)
{
    std::string path = TestMediaPath(GetParam().media);
    GstElement* pSource = NewSource();
    g_object_set(pSource, "location", "/elsewhere", nullptr);
    gst_element_set_state(pSource, GST_STATE_READY);
    g_object_set(pSource, "location", path.c_str(), nullptr);
    EXPECT_EQ(Location(pSource), path) << "in READY";
    CPipelineRunner runner(pSource, GetParam().mode);
    gst_element_set_state(runner.Pipeline(), GST_STATE_PAUSED);
    ASSERT_EQ(gst_element_get_state(runner.Pipeline(), nullptr, nullptr, 30 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
    gchar* pszUri = gst_filename_to_uri("/elsewhere", nullptr);
    GError* pError = nullptr;
    EXPECT_FALSE(gst_uri_handler_set_uri(GST_URI_HANDLER(pSource), pszUri, &pError));
    g_clear_error(&pError);
    g_free(pszUri);
    EXPECT_EQ(Location(pSource), path) << "in PAUSED";
    EXPECT_TRUE(runner.Play().isEndOfStream);
}

// While it lives, GStreamer's messages are kept from the standard error, so
// that a failure's own lines are not buried under the debug log.
class CQuietStandardError {
public:
    CQuietStandardError() : m_removed(gst_debug_remove_log_function(gst_debug_log_default) > 0) {}
    ~CQuietStandardError()
    {
        if (m_removed)
            gst_debug_add_log_function(gst_debug_log_default, nullptr, nullptr);
    }
    CQuietStandardError(const CQuietStandardError&) = delete;
    CQuietStandardError& operator=(const CQuietStandardError&) = delete;

private:
    bool m_removed;
};

// Messages of the element's own debug category, at debug level, while
// installed.
class CCategoryLog {
public:
    explicit CCategoryLog(const char* pszCategory) : m_name(pszCategory)
    {
        gst_debug_set_threshold_for_name(pszCategory, GST_LEVEL_DEBUG);
        gst_debug_add_log_function(OnLog, this, nullptr);
    }
    ~CCategoryLog()
    {
        gst_debug_remove_log_function_by_data(this);
        gst_debug_set_threshold_for_name(m_name.c_str(), GST_LEVEL_NONE);
    }
    CCategoryLog(const CCategoryLog&) = delete;
    CCategoryLog& operator=(const CCategoryLog&) = delete;

    bool Has(const std::string& text) const
    {
        std::lock_guard lock(m_lock);
        for (const std::string& message : m_messages) {
            if (message.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    // Every message, a line each.
    std::string Text() const
    {
        std::lock_guard lock(m_lock);
        std::string text;
        for (const std::string& message : m_messages)
            text += message + '\n';
        return text;
    }

private:
    static void OnLog(GstDebugCategory* pCategory, GstDebugLevel, const gchar*, const gchar*, gint, GObject*,
                      GstDebugMessage* pMessage, gpointer pLog)
    {
        auto* pThis = static_cast<CCategoryLog*>(pLog);
        if (pThis->m_name != gst_debug_category_get_name(pCategory))
            return;
        std::lock_guard lock(pThis->m_lock);
        pThis->m_messages.emplace_back(gst_debug_message_get(pMessage));
    }

    std::string m_name;
    mutable std::mutex m_lock;
    std::vector<std::string> m_messages;
};

// The element says in its debug category where it starts, seeks and stops;
// the library's reports go to its own category.
TEST_P(SourceElementTest, StartSeekAndStopShowInTheDebugCategory)
{
    CQuietStandardError quiet;
    CCategoryLog elementLog(GetParam().pszFactory);
    CCategoryLog libraryLog("brelmsource");
    {
        CPipelineRunner runner(MakeFileSource(TestMediaPath(GetParam().media), GetParam().pszFactory),
                               GetParam().mode);
        PlayOutcome outcome = runner.Play(GST_SECOND);
        EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
    }
    for (const char* pszWord : {"start", "seek", "stop"})
        EXPECT_TRUE(elementLog.Has(pszWord)) << pszWord << " is not in:\n" << elementLog.Text();
    GstElement* pSource = NewSource();
    g_object_set(pSource, "location", (m_dir.Path() + "/missing").c_str(), nullptr);
    StartError(pSource);
    EXPECT_TRUE(libraryLog.Has("from CFileStream::Init()")) << libraryLog.Text();
}

INSTANTIATE_TEST_SUITE_P(BothSources, SourceElementTest,
                         ::testing::Values(SourceKind{"brelmasyncfilesrc", TestMedia::Avi, PullOrPush::Pull},
                                           SourceKind{"brelmasfsrc", TestMedia::Wmv, PullOrPush::EachPad}),
                         [](const ::testing::TestParamInfo<SourceKind>& kind) {
                             return std::string(kind.param.pszFactory);
                         });

// What a GStreamer program prints on its standard error for a file that
// cannot be opened, with the debug category of the library off and on.
std::string LaunchStandardError(const std::string& debug)
{
    CTempDir dir;
    std::string command = "GST_REGISTRY='" + dir.Path() + "/registry.bin' GST_DEBUG_NO_COLOR=1 GST_DEBUG='" + debug +
                          "' gst-launch-1.0 --gst-plugin-load='" BRELMSOURCE_PATH "' brelmasfsrc location='" +
                          dir.Path() + "/missing.wmv' ! fakesink 2>&1 >/dev/null";
    FILE* pOutput = ::popen(command.c_str(), "r");
    std::string text;
    char chunk[4096];
    while (size_t cb = std::fread(chunk, 1, sizeof chunk, pOutput))
        text.append(chunk, cb);
    ::pclose(pOutput);
    return text;
}

TEST(SourceReportTest, ReportsReachStandardErrorOnlyThroughTheDebugCategory)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "an instrumented library loads only into instrumented programs";
#endif
    std::string quiet = LaunchStandardError("");
    EXPECT_EQ(quiet.find("from CFileStream::Init()"), std::string::npos) << quiet;
    std::string verbose = LaunchStandardError("brelm*:5");
    EXPECT_NE(verbose.find("from CFileStream::Init()"), std::string::npos) << verbose;
}

} // namespace
