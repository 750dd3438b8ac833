// The ASF source element in whole pipelines: each of its pads through a
// decoder of its own to a fake sink, on generated ASF files.
#include "PipelineRunner.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "UnusableAsfFiles.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr gint64 kFiveSeconds = 5 * GST_SECOND;
// The 20-second file has a key frame every 25 frames at 25 frames a second.
constexpr gint64 kKeyFrameInterval = GST_SECOND;

// What the source's video pad pushed first after the latest flush, how many
// flushes it pushed, and the rate of the latest segment on the audio pad.
struct PadWatch {
    std::atomic<gint64> firstPtsNs{-1};
    std::atomic<int> videoFlushes{0};
    std::atomic<double> audioRate{0.0};
};

GstPadProbeReturn OnVideoData(GstPad*, GstPadProbeInfo* pInfo, gpointer pWatch)
{
    auto& watch = *static_cast<PadWatch*>(pWatch);
    if ((pInfo->type & GST_PAD_PROBE_TYPE_EVENT_FLUSH) != 0 &&
        GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(pInfo)) == GST_EVENT_FLUSH_START) {
        ++watch.videoFlushes;
    } else if ((pInfo->type & GST_PAD_PROBE_TYPE_EVENT_FLUSH) != 0 &&
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

    // A runner around a new ASF source on `path`, with the pads watched as
    // they come (when the source starts).
    std::unique_ptr<CPipelineRunner> Runner(const std::string& path)
    {
        m_pSource = MakeFileSource(path, "brelmasfsrc");
        g_signal_connect(m_pSource, "pad-added", G_CALLBACK(WatchPad), &m_watch);
        return std::make_unique<CPipelineRunner>(m_pSource, PullOrPush::EachPad);
    }

    static void WatchPad(GstElement*, GstPad* pPad, gpointer pWatch)
    {
        if (g_str_equal(GST_PAD_NAME(pPad), "video"))
            gst_pad_add_probe(pPad,
                              static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                              OnVideoData, pWatch, nullptr);
        else
            gst_pad_add_probe(pPad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, OnAudioEvent, pWatch, nullptr);
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
    // The streams start there: no flush reaches the decoders while they are
    // being set up (a flush then fails their start now and then).
    EXPECT_EQ(m_watch.videoFlushes.load(), 0);
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

TEST_F(ASFSourcePipelineTest, AFileWithoutUsableDataIsAnError)
{
    CTempDir dir;
    for (const std::string& path : FilesWithoutUsableData(dir)) {
        SCOPED_TRACE(path);
        PlayOutcome outcome = Runner(path)->Play();
        EXPECT_FALSE(outcome.isTimedOut);
        EXPECT_FALSE(outcome.isEndOfStream);
        EXPECT_FALSE(outcome.error.empty());
    }
}

// Files with one stream play it through the one pad they have.
TEST_F(ASFSourcePipelineTest, SingleStreamFilesPlayThroughTheirOnePad)
{
    for (TestMedia media : {TestMedia::WmvAudioOnly, TestMedia::WmvVideoOnly}) {
        SCOPED_TRACE(static_cast<int>(media));
        auto pRunner = Runner(TestMediaPath(media));
        PlayOutcome outcome = pRunner->Play();
        EXPECT_TRUE(outcome.isEndOfStream) << outcome.error;
        EXPECT_GE(outcome.playedEndNs, kFiveSeconds - GST_SECOND / 5);
        EXPECT_EQ(m_pSource->numsrcpads, 1);
    }
}

// Counts GLib and GStreamer criticals while in scope.
class CCriticalCount {
public:
    CCriticalCount()
    {
        for (const char* pszDomain : kDomains)
            m_handlers.push_back(g_log_set_handler(pszDomain, G_LOG_LEVEL_CRITICAL, OnCritical, &m_count));
    }
    ~CCriticalCount()
    {
        for (size_t i = 0; i < m_handlers.size(); ++i)
            g_log_remove_handler(kDomains[i], m_handlers[i]);
    }
    CCriticalCount(const CCriticalCount&) = delete;
    CCriticalCount& operator=(const CCriticalCount&) = delete;

    int Count() const { return m_count.load(); }

private:
    static void OnCritical(const gchar*, GLogLevelFlags, const gchar* pszMessage, gpointer pCount)
    {
        ADD_FAILURE() << pszMessage;
        ++*static_cast<std::atomic<int>*>(pCount);
    }

    static constexpr const char* kDomains[] = {"GStreamer", "GLib-GObject", "GLib"};
    std::vector<guint> m_handlers;
    std::atomic<int> m_count{0};
};

// What replaces a file that plays: other bytes written into the same file,
// or another file renamed over its name.
enum class Replacement { Mp3Bytes, RandomBytes, RenamedMp3 };

void Replace(const std::string& path, Replacement how)
{
    std::string mp3 = ReadFile(TestMediaPath(TestMedia::Mp3));
    if (how == Replacement::RenamedMp3) {
        std::ofstream(path + ".new", std::ios::binary) << mp3;
        std::filesystem::rename(path + ".new", path);
        return;
    }
    std::string bytes = how == Replacement::Mp3Bytes ? mp3 : std::string(mp3.size(), '\0');
    uint32_t state = 0x9E3779B9;
    for (char& c : how == Replacement::RandomBytes ? bytes : std::string()) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Stopping never needs the file again: whatever became of it, the pipeline
// goes down cleanly, and the next start tells what it finds.
TEST_F(ASFSourcePipelineTest, AFileReplacedWhilePlayingStillStopsCleanly)
{
    for (Replacement how : {Replacement::Mp3Bytes, Replacement::RandomBytes, Replacement::RenamedMp3}) {
        SCOPED_TRACE(static_cast<int>(how));
        CTempDir dir;
        std::string path = dir.Path() + "/playing.wmv";
        std::filesystem::copy_file(TestMediaPath(TestMedia::Wmv20s), path);
        CCriticalCount criticals;
        auto pRunner = Runner(path);
        GstElement* pPipeline = pRunner->Pipeline();
        gst_element_set_state(pPipeline, GST_STATE_PLAYING);
        ASSERT_EQ(gst_element_get_state(pPipeline, nullptr, nullptr, 30 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
        Replace(path, how);
        EXPECT_EQ(gst_element_set_state(pPipeline, GST_STATE_READY), GST_STATE_CHANGE_SUCCESS);
        EXPECT_EQ(gst_element_set_state(pPipeline, GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
        pRunner.reset();
        EXPECT_EQ(criticals.Count(), 0);
    }
}

// Keeps a reference to every buffer the video pad pushes, until let go.
struct HeldBuffers {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<GstBuffer*> buffers;
    int cPushed = 0;

    GstBuffer* WaitForPush(int cPushedBefore)
    {
        std::unique_lock guard(lock);
        changed.wait_for(guard, std::chrono::seconds(30), [&] { return cPushed > cPushedBefore; });
        return cPushed > cPushedBefore ? buffers.back() : nullptr;
    }
    size_t Count()
    {
        std::lock_guard guard(lock);
        return buffers.size();
    }
    size_t Bytes()
    {
        std::lock_guard guard(lock);
        size_t cb = 0;
        for (GstBuffer* pBuffer : buffers)
            cb += gst_buffer_get_size(pBuffer);
        return cb;
    }
    // The pushes once the pad has pushed nothing for 300 ms.
    int PushedWhenStill()
    {
        std::unique_lock guard(lock);
        for (int cBefore = -1; cBefore != cPushed;) {
            cBefore = cPushed;
            changed.wait_for(guard, std::chrono::milliseconds(300), [&] { return cPushed != cBefore; });
        }
        return cPushed;
    }
    void LetGoOf(size_t index)
    {
        std::lock_guard guard(lock);
        gst_buffer_unref(buffers[index]);
        buffers.erase(buffers.begin() + static_cast<std::ptrdiff_t>(index));
    }
};

GstPadProbeReturn HoldBuffer(GstPad*, GstPadProbeInfo* pInfo, gpointer pHeld)
{
    auto& held = *static_cast<HeldBuffers*>(pHeld);
    {
        std::lock_guard guard(held.lock);
        held.buffers.push_back(gst_buffer_ref(GST_PAD_PROBE_INFO_BUFFER(pInfo)));
        ++held.cPushed;
    }
    held.changed.notify_all();
    return GST_PAD_PROBE_OK;
}

// Each pad of the source into a fake sink of its own; the video pad's
// buffers are held.
void LinkToHeldSink(GstElement* pSource, GstPad* pPad, gpointer pHeld)
{
    GstElement* pSink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(pSink, "sync", FALSE, "async", FALSE, nullptr);
    gst_bin_add(GST_BIN(GST_ELEMENT_PARENT(pSource)), pSink);
    GstPad* pSinkPad = gst_element_get_static_pad(pSink, "sink");
    gst_pad_link(pPad, pSinkPad);
    gst_object_unref(pSinkPad);
    gst_element_sync_state_with_parent(pSink);
    if (g_str_equal(GST_PAD_NAME(pPad), "video"))
        gst_pad_add_probe(pPad, GST_PAD_PROBE_TYPE_BUFFER, HoldBuffer, pHeld, nullptr);
}

// The samples go downstream in the reader's memory, read-only, and a pad's
// samples out at a time hold no more bytes than three of its buffers (an
// uncompressed picture each, here 320x240 of at most 4 bytes a pixel): the
// pad waits until some are freed. Compressed pictures are smaller (noise,
// at the finest quantizer, about a third), so several go before it waits.
// Stopping does not wait for them, and one freed after the element is gone
// still finds its way back.
TEST(ASFSourceSampleTest, APadsSamplesDownstreamHoldAtMostThreePicturesOfBytes)
{
    LoadBrelmSourcePlugin();
    HeldBuffers held;
    GstElement* pPipeline = gst_pipeline_new(nullptr);
    const std::string path = MadeMedia("noise-320x240.wmv", "-f lavfi -i nullsrc=size=320x240:rate=25:duration=2 "
                                                            "-vf 'geq=random(1)*255:128:128' -c:v wmv2 -q:v 1 -f asf");
    GstElement* pSource = MakeFileSource(path, "brelmasfsrc");
    ASSERT_NE(pSource, nullptr);
    gst_bin_add(GST_BIN(pPipeline), pSource);
    GstIterator* pPads = gst_element_iterate_src_pads(pSource);
    gst_iterator_foreach(
        pPads, [](const GValue* pItem, gpointer pHeld) {
            GstPad* pPad = GST_PAD(g_value_get_object(pItem));
            LinkToHeldSink(GST_ELEMENT(GST_OBJECT_PARENT(pPad)), pPad, pHeld);
        },
        &held);
    gst_iterator_free(pPads);
    g_signal_connect(pSource, "pad-added", G_CALLBACK(LinkToHeldSink), &held);
    gst_element_set_state(pPipeline, GST_STATE_PLAYING);
    GstBuffer* pFirst = held.WaitForPush(0);
    ASSERT_NE(pFirst, nullptr);
    EXPECT_TRUE(GST_MEMORY_IS_READONLY(gst_buffer_peek_memory(pFirst, 0)));
    const int cPushed = held.PushedWhenStill();
    EXPECT_GT(cPushed, 3) << "smaller samples go out together";
    EXPECT_LT(cPushed, 50) << "the pad waits before the whole file is out";
    EXPECT_LE(held.Bytes(), 3u * 320 * 240 * 4) << cPushed << " samples out";
    for (size_t cHalf = held.Count() / 2; cHalf > 0; --cHalf)
        held.LetGoOf(0);
    EXPECT_NE(held.WaitForPush(cPushed), nullptr) << "freed samples let the next ones go";
    EXPECT_EQ(gst_element_set_state(pPipeline, GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
    gst_object_unref(pPipeline);
    while (held.Count() > 0)
        held.LetGoOf(0);
}

// With its rank raised above the stock file source, playbin picks the ASF
// source for a WMV and plays both of its streams through it.
TEST(ASFSourcePlaybinTest, PlaybinPlaysBothStreamsThroughTheSource)
{
    LoadBrelmSourcePlugin();
    GstPluginFeature* pFactory = GST_PLUGIN_FEATURE(gst_element_factory_find("brelmasfsrc"));
    ASSERT_NE(pFactory, nullptr);
    const guint rank = gst_plugin_feature_get_rank(pFactory);
    gst_plugin_feature_set_rank(pFactory, G_MAXINT);
    GstElement* pPlaybin = gst_element_factory_make("playbin", nullptr);
    std::atomic<int> cVideo{0};
    std::atomic<int> cAudio{0};
    auto onHandoff = +[](GstElement*, GstBuffer*, GstPad*, gpointer pCount) { ++*static_cast<std::atomic<int>*>(pCount); };
    for (auto [pszProperty, pCount] : {std::pair{"video-sink", &cVideo}, std::pair{"audio-sink", &cAudio}}) {
        GstElement* pSink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(pSink, "sync", FALSE, "signal-handoffs", TRUE, nullptr);
        g_signal_connect(pSink, "handoff", G_CALLBACK(onHandoff), pCount);
        g_object_set(pPlaybin, pszProperty, pSink, nullptr);
    }
    gchar* pszUri = gst_filename_to_uri(TestMediaPath(TestMedia::Wmv).c_str(), nullptr);
    g_object_set(pPlaybin, "uri", pszUri, nullptr);
    g_free(pszUri);
    gst_element_set_state(pPlaybin, GST_STATE_PLAYING);
    GstBus* pBus = gst_element_get_bus(pPlaybin);
    GstMessage* pMessage = gst_bus_timed_pop_filtered(
        pBus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    ASSERT_NE(pMessage, nullptr);
    EXPECT_EQ(GST_MESSAGE_TYPE(pMessage), GST_MESSAGE_EOS);
    GstElement* pSource = nullptr;
    g_object_get(pPlaybin, "source", &pSource, nullptr);
    ASSERT_NE(pSource, nullptr);
    EXPECT_STREQ(G_OBJECT_TYPE_NAME(pSource), "BrelmASFSrc");
    EXPECT_GT(cVideo.load(), 100);
    EXPECT_GT(cAudio.load(), 100);
    gst_object_unref(pSource);
    gst_message_unref(pMessage);
    gst_object_unref(pBus);
    gst_element_set_state(pPlaybin, GST_STATE_NULL);
    gst_object_unref(pPlaybin);
    gst_plugin_feature_set_rank(pFactory, rank);
    gst_object_unref(pFactory);
}

} // namespace
