#include "DebugCapture.h"
#include "PipelineRunner.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr gint64 kFiveSeconds = 5 * GST_SECOND;
// Encoders pad the end, and program streams start their clock at 0.5 s.
constexpr gint64 kDurationSlack = 6 * GST_SECOND / 10;

struct MediaCase {
    const char* name;
    TestMedia media;
    PullOrPush mode;
};

void PrintTo(const MediaCase& param, std::ostream* pOut)
{
    *pOut << param.name;
}

class AsyncSourcePlaybackTest : public ::testing::TestWithParam<MediaCase> {
protected:
    void SetUp() override { LoadBrelmSourcePlugin(); }
};

TEST_P(AsyncSourcePlaybackTest, PlaysTheWholeFileAsTheStockSourceDoes)
{
    std::string path = TestMediaPath(GetParam().media);
    ASSERT_FALSE(path.empty());
    CPipelineRunner runner(MakeFileSource(path), GetParam().mode);
    PlayOutcome outcome = runner.Play();
    EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
    EXPECT_FALSE(outcome.isTimedOut);
    EXPECT_NEAR(static_cast<double>(outcome.playedEndNs), static_cast<double>(kFiveSeconds),
                static_cast<double>(kDurationSlack));

    CPipelineRunner stock(MakeFileSource(path, "filesrc"), GetParam().mode);
    EXPECT_EQ(outcome.playedEndNs, stock.Play().playedEndNs);
}

INSTANTIATE_TEST_SUITE_P(
    Media, AsyncSourcePlaybackTest,
    ::testing::Values(MediaCase{"Mp3Pull", TestMedia::Mp3, PullOrPush::Pull},
                      MediaCase{"Mp3WithId3Pull", TestMedia::Mp3WithId3, PullOrPush::Pull},
                      MediaCase{"Mp3WithBigId3Pull", TestMedia::Mp3WithBigId3, PullOrPush::Pull},
                      MediaCase{"AviPull", TestMedia::Avi, PullOrPush::Pull},
                      MediaCase{"MpegProgramPull", TestMedia::MpegProgram, PullOrPush::Pull},
                      MediaCase{"Mp3Push", TestMedia::Mp3, PullOrPush::Push},
                      MediaCase{"Mp3WithBigId3Push", TestMedia::Mp3WithBigId3, PullOrPush::Push},
                      MediaCase{"AviPush", TestMedia::Avi, PullOrPush::Push},
                      MediaCase{"MpegProgramPush", TestMedia::MpegProgram, PullOrPush::Push}),
    [](const ::testing::TestParamInfo<MediaCase>& param) { return std::string(param.param.name); });

class AsyncSourceTest : public ::testing::Test {
protected:
    void SetUp() override { LoadBrelmSourcePlugin(); }

    // Plays `path` in pull mode and gives how it ended.
    static PlayOutcome PlayFile(const std::string& path)
    {
        CPipelineRunner runner(MakeFileSource(path), PullOrPush::Pull);
        return runner.Play();
    }

    CDebugCapture m_capture;
    CTempDir m_dir;
};

TEST_F(AsyncSourceTest, ASeekInTheMiddleLandsWhereAsked)
{
    CPipelineRunner runner(MakeFileSource(TestMediaPath(TestMedia::Avi)), PullOrPush::Pull);
    PlayOutcome outcome = runner.Play(2 * GST_SECOND);
    EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
    EXPECT_NEAR(static_cast<double>(outcome.seekedPositionNs), static_cast<double>(2 * GST_SECOND),
                static_cast<double>(GST_SECOND / 10));
}

TEST_F(AsyncSourceTest, TheGuessedContainerBecomesTheSourceCaps)
{
    struct Expected {
        TestMedia media;
        const char* caps;
    };
    for (Expected expected : {Expected{TestMedia::Avi, "video/x-msvideo"},
                              Expected{TestMedia::MpegProgram, "video/mpeg, systemstream=(boolean)true, mpegversion=(int)1"},
                              Expected{TestMedia::Mp3, "audio/mpeg, mpegversion=(int)1"},
                              Expected{TestMedia::Mp3WithId3, "application/x-id3"}}) {
        // The file is opened, and its container guessed, as the source starts.
        GstElement* pSource = MakeFileSource(TestMediaPath(expected.media));
        GstElement* pPipeline = gst_pipeline_new(nullptr);
        GstElement* pSink = gst_element_factory_make("fakesink", nullptr);
        gst_bin_add_many(GST_BIN(pPipeline), pSource, pSink, nullptr);
        ASSERT_TRUE(gst_element_link(pSource, pSink));
        gst_element_set_state(pPipeline, GST_STATE_PAUSED);
        ASSERT_EQ(gst_element_get_state(pPipeline, nullptr, nullptr, 30 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
        GstPad* pPad = gst_element_get_static_pad(pSource, "src");
        GstCaps* pCaps = gst_pad_query_caps(pPad, nullptr);
        gchar* pszCaps = gst_caps_to_string(pCaps);
        EXPECT_STREQ(pszCaps, expected.caps);
        g_free(pszCaps);
        gst_caps_unref(pCaps);
        gst_object_unref(pPad);
        gst_element_set_state(pPipeline, GST_STATE_NULL);
        gst_object_unref(pPipeline);
    }
}

TEST_F(AsyncSourceTest, AnswersFileUris)
{
    std::string path = TestMediaPath(TestMedia::Mp3);
    gchar* pszUri = gst_filename_to_uri(path.c_str(), nullptr);
    GError* pError = nullptr;
    GstElement* pSource = gst_element_make_from_uri(GST_URI_SRC, pszUri, nullptr, &pError);
    ASSERT_NE(pSource, nullptr) << pError->message;
    // A stock file source ranks above ours; ask ours for the URI directly.
    gst_object_unref(pSource);
    pSource = gst_element_factory_make("brelmasyncfilesrc", nullptr);
    ASSERT_TRUE(gst_uri_handler_set_uri(GST_URI_HANDLER(pSource), pszUri, &pError));
    gchar* pszLocation = nullptr;
    g_object_get(pSource, "location", &pszLocation, nullptr);
    EXPECT_EQ(pszLocation, path);
    gchar* pszBack = gst_uri_handler_get_uri(GST_URI_HANDLER(pSource));
    EXPECT_STREQ(pszBack, pszUri);
    EXPECT_FALSE(gst_uri_handler_set_uri(GST_URI_HANDLER(pSource), "file://elsewhere/x.mp3", &pError));
    g_clear_error(&pError);
    CPipelineRunner runner(pSource, PullOrPush::Pull);
    EXPECT_TRUE(runner.Play().isEndOfStream);
    g_free(pszBack);
    g_free(pszLocation);
    g_free(pszUri);
}

TEST_F(AsyncSourceTest, NoFileNameFailsTheStartWithAClearError)
{
    CPipelineRunner runner(gst_element_factory_make("brelmasyncfilesrc", nullptr), PullOrPush::Pull);
    PlayOutcome outcome = runner.Play();
    EXPECT_NE(outcome.error.find("No file name specified"), std::string::npos) << outcome.error;
}

TEST_F(AsyncSourceTest, AMissingFileFailsWithItsReport)
{
    PlayOutcome outcome = PlayFile(m_dir.Path() + "/missing.mp3");
    EXPECT_NE(outcome.error.find("Can not open"), std::string::npos) << outcome.error;
    EXPECT_FALSE(outcome.isTimedOut);
}

TEST_F(AsyncSourceTest, AnUnreadableFileFailsWithItsReport)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file modes do not bind the super-user";
    std::string path = m_dir.WriteFile("locked.mp3", "ID3");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    PlayOutcome outcome = PlayFile(path);
    EXPECT_NE(outcome.error.find("Access is denied"), std::string::npos) << outcome.error;
}

TEST_F(AsyncSourceTest, EmptyShortAndGarbageFilesEndInAnErrorNotAHang)
{
    std::string garbage(64 * 1024, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (const std::string& path :
         {m_dir.WriteFile("empty.mp3", ""), m_dir.WriteFile("short.avi", "RIFF\x10\0\0\0AVI LIST"),
          m_dir.WriteFile("garbage.avi", garbage)}) {
        PlayOutcome outcome = PlayFile(path);
        EXPECT_FALSE(outcome.isTimedOut) << path;
        EXPECT_FALSE(outcome.error.empty()) << path;
    }
}

TEST_F(AsyncSourceTest, TruncatedAndCorruptedFilesEndWithoutAHang)
{
    std::string avi = TestMediaPath(TestMedia::Avi);
    std::string mpeg = TestMediaPath(TestMedia::MpegProgram);
    for (const std::string& path : {TruncatedCopy(avi, std::filesystem::file_size(avi) / 2),
                                    TruncatedCopy(mpeg, 5000), CorruptedCopy(avi, 20000, 4000),
                                    CorruptedCopy(TestMediaPath(TestMedia::Mp3), 0, 16)}) {
        PlayOutcome outcome = PlayFile(path);
        EXPECT_FALSE(outcome.isTimedOut) << path;
        EXPECT_TRUE(outcome.isEndOfStream || !outcome.error.empty()) << path;
    }
}

TEST_F(AsyncSourceTest, AFileRemovedWhileOpenStillPlays)
{
    std::string path = m_dir.Path() + "/vanishing.avi";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Avi), path);
    CPipelineRunner runner(MakeFileSource(path), PullOrPush::Pull);
    // The source opens its file as it starts.
    gst_element_set_state(runner.Pipeline(), GST_STATE_PAUSED);
    ASSERT_EQ(gst_element_get_state(runner.Pipeline(), nullptr, nullptr, 30 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
    std::filesystem::remove(path);
    PlayOutcome outcome = runner.Play();
    EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
}

TEST_F(AsyncSourceTest, AFileCutShortWhilePlayingEnds)
{
    std::string path = m_dir.Path() + "/shrinking.avi";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Avi), path);
    GstElement* pSource = MakeFileSource(path);
    CPipelineRunner runner(pSource, PullOrPush::Push);
    std::filesystem::resize_file(path, 30000);
    PlayOutcome outcome = runner.Play();
    EXPECT_FALSE(outcome.isTimedOut);
    EXPECT_TRUE(outcome.isEndOfStream || !outcome.error.empty());
}

} // namespace
