// The ASF source element in whole pipelines: each of its pads through a
// decoder of its own to a fake sink, on generated ASF files.
#include "PipelineRunner.h"
#include "TestMedia.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr gint64 kFiveSeconds = 5 * GST_SECOND;
// The 20-second file has a key frame every 25 frames at 25 frames a second.
constexpr gint64 kKeyFrameInterval = GST_SECOND;

// What the source's video pad pushed first after the latest flush, and the
// rate of the latest segment on the audio pad.
struct PadWatch {
    std::atomic<gint64> firstPtsNs{-1};
    std::atomic<double> audioRate{0.0};
};

GstPadProbeReturn OnVideoData(GstPad*, GstPadProbeInfo* pInfo, gpointer pWatch)
{
    auto& watch = *static_cast<PadWatch*>(pWatch);
    if ((pInfo->type & GST_PAD_PROBE_TYPE_EVENT_FLUSH) != 0 &&
        GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(pInfo)) == GST_EVENT_FLUSH_STOP) {
        watch.firstPtsNs = -1;
    } else if ((pInfo->type & GST_PAD_PROBE_TYPE_BUFFER) != 0 && watch.firstPtsNs < 0) {
        watch.firstPtsNs = static_cast<gint64>(GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(pInfo)));
    }
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn OnAudioEvent(GstPad*, GstPadProbeInfo* pInfo, gpointer pWatch)
{
    GstEvent* pEvent = GST_PAD_PROBE_INFO_EVENT(pInfo);
    if (GST_EVENT_TYPE(pEvent) == GST_EVENT_SEGMENT) {
        const GstSegment* pSegment = nullptr;
        gst_event_parse_segment(pEvent, &pSegment);
        static_cast<PadWatch*>(pWatch)->audioRate = pSegment->rate;
    }
    return GST_PAD_PROBE_OK;
}

class ASFSourcePipelineTest : public ::testing::Test {
protected:
    void SetUp() override { LoadBrelmSourcePlugin(); }

    // A runner around a new ASF source on `path`, with the pads watched.
    std::unique_ptr<CPipelineRunner> Runner(const std::string& path)
    {
        m_pSource = MakeFileSource(path, "brelmasfsrc");
        GstPad* pVideo = gst_element_get_static_pad(m_pSource, "video");
        gst_pad_add_probe(pVideo,
                          static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                          OnVideoData, &m_watch, nullptr);
        gst_object_unref(pVideo);
        GstPad* pAudio = gst_element_get_static_pad(m_pSource, "audio");
        gst_pad_add_probe(pAudio, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, OnAudioEvent, &m_watch, nullptr);
        gst_object_unref(pAudio);
        return std::make_unique<CPipelineRunner>(m_pSource, PullOrPush::EachPad);
    }

    static bool Seek(GstElement* pTarget, double dRate, gint64 startNs)
    {
        return gst_element_seek(pTarget, dRate, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET, startNs,
                                GST_SEEK_TYPE_NONE, -1) != FALSE;
    }

    GstElement* m_pSource = nullptr;
    PadWatch m_watch;
};

TEST_F(ASFSourcePipelineTest, PlaysEveryLayoutToTheEnd)
{
    for (TestMedia media : {TestMedia::Wmv, TestMedia::WmvTwoAudio, TestMedia::AsfMpeg4Mp3}) {
        SCOPED_TRACE(static_cast<int>(media));
        auto pRunner = Runner(TestMediaPath(media));
        PlayOutcome outcome = pRunner->Play();
        EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
        EXPECT_NEAR(static_cast<double>(outcome.durationNs), kFiveSeconds, GST_SECOND / 2);
        EXPECT_GE(outcome.playedEndNs, kFiveSeconds - GST_SECOND / 5);
    }
}

// A seek starts at the last key frame at or before the target; what lies
// between it and the target is decoded and not shown.
TEST_F(ASFSourcePipelineTest, ASeekStartsAtTheKeyFrameBeforeTheTarget)
{
    auto pRunner = Runner(TestMediaPath(TestMedia::Wmv20s));
    constexpr gint64 kTarget = 10 * GST_SECOND + GST_SECOND / 3;
    PlayOutcome outcome = pRunner->Play(kTarget);
    EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
    EXPECT_LE(m_watch.firstPtsNs.load(), kTarget);
    EXPECT_GE(m_watch.firstPtsNs.load(), kTarget - kKeyFrameInterval);
    EXPECT_GE(outcome.playedEndNs, 19 * GST_SECOND);
}

// The segment carries the rate, so GStreamer's running time of a buffer is
// its time from the start divided by the rate: the sinks play it faster.
TEST_F(ASFSourcePipelineTest, ARateChangeReachesTheSegments)
{
    auto pRunner = Runner(TestMediaPath(TestMedia::Wmv));
    GstElement* pPipeline = pRunner->Pipeline();
    gst_element_set_state(pPipeline, GST_STATE_PAUSED);
    ASSERT_NE(gst_element_get_state(pPipeline, nullptr, nullptr, 30 * GST_SECOND), GST_STATE_CHANGE_FAILURE);
    EXPECT_EQ(m_watch.audioRate.load(), 1.0);
    ASSERT_TRUE(Seek(pPipeline, 2.0, GST_SECOND));
    ASSERT_NE(gst_element_get_state(pPipeline, nullptr, nullptr, 30 * GST_SECOND), GST_STATE_CHANGE_FAILURE);
    EXPECT_EQ(m_watch.audioRate.load(), 2.0);
    EXPECT_FALSE(Seek(pPipeline, -1.0, 0)) << "a backward rate is refused";
    PlayOutcome outcome = pRunner->Play();
    EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
}

TEST_F(ASFSourcePipelineTest, DamagedFilesPlayWhatCanBeReadThenEnd)
{
    std::string path = TestMediaPath(TestMedia::Wmv);
    const auto cbFile = static_cast<size_t>(std::filesystem::file_size(path));
    for (const std::string& damaged : {TruncatedCopy(path, cbFile / 2), CorruptedCopy(path, cbFile / 3, 4096)}) {
        SCOPED_TRACE(damaged);
        auto pRunner = Runner(damaged);
        PlayOutcome outcome = pRunner->Play();
        EXPECT_FALSE(outcome.isTimedOut);
        EXPECT_TRUE(outcome.isEndOfStream || !outcome.error.empty());
    }
}

TEST_F(ASFSourcePipelineTest, ASeekWhileStoppedMovesTheStart)
{
    auto pRunner = Runner(TestMediaPath(TestMedia::Wmv20s));
    gst_element_set_state(pRunner->Pipeline(), GST_STATE_READY);
    ASSERT_TRUE(Seek(m_pSource, 1.0, 15 * GST_SECOND));
    PlayOutcome outcome = pRunner->Play();
    EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
    EXPECT_GE(m_watch.firstPtsNs.load(), 15 * GST_SECOND - kKeyFrameInterval);
}

TEST_F(ASFSourcePipelineTest, QuickSeeksAndASeekPastTheEndEndTheStream)
{
    auto pRunner = Runner(TestMediaPath(TestMedia::Wmv20s));
    GstElement* pPipeline = pRunner->Pipeline();
    gst_element_set_state(pPipeline, GST_STATE_PLAYING);
    ASSERT_NE(gst_element_get_state(pPipeline, nullptr, nullptr, 30 * GST_SECOND), GST_STATE_CHANGE_FAILURE);
    EXPECT_TRUE(Seek(pPipeline, 1.0, 5 * GST_SECOND));
    EXPECT_TRUE(Seek(pPipeline, 1.0, 12 * GST_SECOND));
    EXPECT_TRUE(Seek(pPipeline, 1.0, 60 * GST_SECOND));
    PlayOutcome outcome = pRunner->Play();
    EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
}

TEST_F(ASFSourcePipelineTest, StoppingDuringSeeksNeitherHangsNorCrashes)
{
    auto pRunner = Runner(TestMediaPath(TestMedia::Wmv20s));
    GstElement* pPipeline = pRunner->Pipeline();
    gst_element_set_state(pPipeline, GST_STATE_PLAYING);
    ASSERT_NE(gst_element_get_state(pPipeline, nullptr, nullptr, 30 * GST_SECOND), GST_STATE_CHANGE_FAILURE);
    std::atomic<bool> isDone{false};
    std::thread seeker([&] {
        for (int i = 0; !isDone; ++i)
            Seek(m_pSource, 1.0, (i % 19) * GST_SECOND);
    });
    for (int i = 0; i < 5; ++i) {
        gst_element_set_state(pPipeline, GST_STATE_READY);
        gst_element_set_state(pPipeline, GST_STATE_PLAYING);
    }
    gst_element_set_state(pPipeline, GST_STATE_NULL);
    isDone = true;
    seeker.join();
}

} // namespace
