// The player's sound through a real PulseAudio server (a null sink): the
// stream's desktop properties as the server reports them, and files that
// play on when the server goes away under them.
#include "DebugCapture.h"
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "TestMedia.h"
#include "TestScreenWindow.h"
#include "TestSoundServer.h"
#include "playback/AudioTracks.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"

#include <QSignalSpy>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <gtest/gtest.h>
#include <gst/audio/audio.h>
#include <gst/gst.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

class SoundServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    void SetUp() override
    {
        ASSERT_TRUE(m_server.Start()) << "pulseaudio does not start";
        m_screen.resize(320, 240);
        ASSERT_EQ(m_graph.Init(&m_screen), S_OK);
    }

    void TearDown() override { m_graph.Stop(); }

    void Play(const std::string& path)
    {
        ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
        ASSERT_EQ(m_graph.SetScreenSize({0, 0, 320, 240}), S_OK);
    }

    // Collects the graph's events; true once the file has ended, well or not.
    bool Ended()
    {
        long lEvent = 0;
        intptr_t lParam1 = 0;
        intptr_t lParam2 = 0;
        while (m_graph.GetEvent(&lEvent, &lParam1, &lParam2, 0) == S_OK) {
            m_events.push_back(lEvent);
            m_graph.FreeEventParams(lEvent, lParam1, lParam2);
        }
        return !m_events.empty() && (m_events.back() == EC_COMPLETE || m_events.back() == EC_ERRORABORT);
    }

    bool SawEvent(long lEvent) const { return std::find(m_events.begin(), m_events.end(), lEvent) != m_events.end(); }

    LONGLONG Position()
    {
        LONGLONG llPosition = 0;
        m_graph.GetPosition(&llPosition);
        return llPosition;
    }

    // The position moves on by a second of the file from where it is now.
    bool KeepsPlaying()
    {
        const LONGLONG llFrom = Position();
        return WaitFor([&] { return Position() >= llFrom + kReferenceTimePerSecond; });
    }

    static bool Traced(const CDebugCapture& capture, const std::string& text)
    {
        for (const std::string& line : capture.Lines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    CTestSoundServer m_server;
    CTestScreenWindow m_screen;
    CDirectShow m_graph{std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()};
    std::vector<long> m_events;
};

TEST_F(SoundServerTest, TheStreamCarriesTheDesktopsProperties)
{
    for (const auto& [media, role] : {std::pair{TestMedia::Wmv, "video"}, std::pair{TestMedia::Avi, "video"},
                                      std::pair{TestMedia::Mp3, "music"}, std::pair{TestMedia::WmvAudioOnly, "music"}}) {
        const std::string path = TestMediaPath(media);
        SCOPED_TRACE(path);
        Play(path);
        std::string inputs;
        ASSERT_TRUE(WaitFor([&] { return (inputs = m_server.SinkInputs()).find("media.role") != std::string::npos; }))
            << inputs;
        EXPECT_NE(inputs.find("media.role = \"" + std::string(role) + "\""), std::string::npos) << inputs;
        const std::string name = std::filesystem::path(path).filename().string();
        EXPECT_NE(inputs.find("media.name = \"" + name + "\""), std::string::npos) << inputs;
        EXPECT_NE(inputs.find("application.icon_name = \"korvoplayer\""), std::string::npos) << inputs;
        EXPECT_NE(inputs.find("application.id = \"org.korvoplayer.korvoplayer\""), std::string::npos) << inputs;
        EXPECT_NE(inputs.find("application.name = \"korvoplayer\""), std::string::npos) << inputs;
        EXPECT_EQ(m_graph.Stop(), S_OK);
    }
}

// The picture and the position go on without the server, the file ends as
// usual, and no failure reaches the player (it would stop the file and show
// a message); the next file finds the server again.
TEST_F(SoundServerTest, AFilePlaysOnWhenTheServerGoesAway)
{
    CDebugCapture capture;
    Play(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitFor([&] { return m_server.SinkInputs().find("media.role") != std::string::npos; }));
    ASSERT_TRUE(KeepsPlaying());
    m_server.Stop();
    EXPECT_TRUE(WaitFor([&] { return Traced(capture, "the sound output was lost"); }));
    EXPECT_TRUE(KeepsPlaying());
    EXPECT_TRUE(WaitFor([&] { return Ended(); }));
    EXPECT_TRUE(SawEvent(EC_COMPLETE));
    EXPECT_FALSE(SawEvent(EC_ERRORABORT)) << LastReport();
    EXPECT_EQ(m_graph.Stop(), S_OK);

    ASSERT_TRUE(m_server.Start());
    m_events.clear();
    Play(TestMediaPath(TestMedia::Wmv));
    EXPECT_TRUE(WaitFor([&] { return m_server.SinkInputs().find("media.role") != std::string::npos; }));
    EXPECT_TRUE(WaitFor([&] { return Ended(); }));
    EXPECT_TRUE(SawEvent(EC_COMPLETE));
}

// The server's sink gave the graph its clock: the graph tells that it lost
// it, takes another and plays on, running all along and without a failure.
TEST_F(SoundServerTest, TheLostClockIsToldAndTheFilePlaysOnWithAnother)
{
    CPlaybackEvents& events = m_graph.Events();
    QSignalSpy clockLost(&events, &CPlaybackEvents::ClockLost);
    QSignalSpy state(&events, &CPlaybackEvents::StateChanged);
    QSignalSpy failed(&events, &CPlaybackEvents::Error);
    QSignalSpy ended(&events, &CPlaybackEvents::EndOfStream);
    Play(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitFor([&] { return m_server.SinkInputs().find("media.role") != std::string::npos; }));
    ASSERT_TRUE(KeepsPlaying());
    const qsizetype nStates = state.count();
    m_server.Stop();
    ASSERT_TRUE(WaitFor([&] { return clockLost.count() > 0; }));
    EXPECT_TRUE(KeepsPlaying());
    EXPECT_EQ(state.count(), nStates);
    EXPECT_EQ(events.ToldState(), State_Running);
    EXPECT_TRUE(WaitFor([&] { return ended.count() == 1; }));
    EXPECT_EQ(failed.count(), 0) << LastReport();
}

// Killed and started again three times in one file, paused and resumed
// in between: nothing crashes, hangs or fails.
TEST_F(SoundServerTest, TheServerRestartedThreeTimesDuringOneFile)
{
    Play(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitFor([&] { return m_server.SinkInputs().find("media.role") != std::string::npos; }));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        m_server.Stop();
        EXPECT_TRUE(KeepsPlaying());
        ASSERT_TRUE(m_server.Start());
        EXPECT_EQ(m_graph.Pause(), S_OK);
        EXPECT_EQ(m_graph.Resume(), S_OK);
        EXPECT_TRUE(KeepsPlaying());
    }
    EXPECT_TRUE(WaitFor([&] { return Ended(); }));
    EXPECT_FALSE(SawEvent(EC_ERRORABORT)) << LastReport();
}

// Catches the graph's sound sink as it joins its bin (every bin's
// "element-added" passes through the hook while the catcher lives).
class CSoundSinkCatcher {
public:
    CSoundSinkCatcher()
        : m_signal(g_signal_lookup("element-added", GST_TYPE_BIN)),
          m_hook(g_signal_add_emission_hook(m_signal, 0, &CSoundSinkCatcher::_OnAdded, this, nullptr))
    {
    }
    ~CSoundSinkCatcher()
    {
        g_signal_remove_emission_hook(m_signal, m_hook);
        if (m_pSink != nullptr)
            gst_object_unref(m_pSink);
    }
    // The last sound sink that joined (the catcher keeps a reference).
    GstElement* Sink()
    {
        std::lock_guard lock(m_lock);
        return m_pSink;
    }

private:
    static gboolean _OnAdded(GSignalInvocationHint*, guint, const GValue* pValues, gpointer pThis)
    {
        auto* pElement = GST_ELEMENT(g_value_get_object(&pValues[1]));
        if (std::string_view(GST_OBJECT_NAME(pElement)) == kAudioRendererName && GST_IS_AUDIO_BASE_SINK(pElement)) {
            auto* self = static_cast<CSoundSinkCatcher*>(pThis);
            std::lock_guard lock(self->m_lock);
            if (self->m_pSink != nullptr)
                gst_object_unref(self->m_pSink);
            self->m_pSink = GST_ELEMENT(gst_object_ref(pElement));
        }
        return TRUE;
    }

    guint m_signal;
    gulong m_hook;
    std::mutex m_lock;
    GstElement* m_pSink = nullptr;
};

// A sound server's time that jumps far ahead, as PulseAudio 16's did when a
// stream was resumed right after it was paused: from then on the sink's
// clock reads one time far in the future and never moves.
GstClockTime FarAhead(GstClock*, gpointer)
{
    return static_cast<GstClockTime>(4792983) * 3600 * GST_SECOND;
}

// The graph plays from that clock after a seek: every sink waits for a time
// that never comes. The graph finds itself standing still, opens the sound
// output again and plays on, with sound, and tells no failure.
TEST_F(SoundServerTest, AGraphHeldByItsSoundClockGetsANewSoundOutputAndPlaysOn)
{
    CDebugCapture capture;
    CSoundSinkCatcher catcher;
    Play(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitFor([&] { return m_server.SinkInputs().find("media.role") != std::string::npos; }));
    ASSERT_TRUE(KeepsPlaying());
    GstElement* pSink = catcher.Sink();
    ASSERT_NE(pSink, nullptr);
    ASSERT_EQ(m_graph.Pause(), S_OK);
    GST_AUDIO_CLOCK(GST_AUDIO_BASE_SINK(pSink)->provided_clock)->func = FarAhead;
    ASSERT_EQ(m_graph.SetPosition(Position()), S_OK);
    ASSERT_EQ(m_graph.Resume(), S_OK);
    EXPECT_TRUE(WaitFor([&] { return Traced(capture, "the sound output is opened again"); }, 10000));
    EXPECT_TRUE(KeepsPlaying());
    EXPECT_NE(catcher.Sink(), pSink) << "no new sound sink";
    EXPECT_TRUE(WaitFor([&] { return m_server.SinkInputs().find("media.role") != std::string::npos; }));
    EXPECT_TRUE(WaitFor([&] { return Ended(); }));
    EXPECT_TRUE(SawEvent(EC_COMPLETE));
    EXPECT_FALSE(SawEvent(EC_ERRORABORT)) << LastReport();
}

// Without a server at all the file plays to a null sink at its own pace.
TEST_F(SoundServerTest, AFileStartedWithoutAServerPlaysSilently)
{
    m_server.Stop();
    Play(TestMediaPath(TestMedia::Avi));
    EXPECT_TRUE(KeepsPlaying());
    EXPECT_TRUE(WaitFor([&] { return Ended(); }));
    EXPECT_TRUE(SawEvent(EC_COMPLETE));
}

// A file with two sound streams, a low tone in English and a high one in
// Korean: the first is heard, the menu's labels name both languages, and
// choosing the second changes the tone while the position runs on.
// Counts the seek events GStreamer makes while it lives.
class CSeekCounter {
public:
    CSeekCounter()
    {
        gst_debug_set_threshold_for_name("GST_EVENT", GST_LEVEL_INFO);
        gst_debug_add_log_function(&CSeekCounter::_Log, this, nullptr);
    }
    ~CSeekCounter()
    {
        gst_debug_remove_log_function_by_data(this);
        gst_debug_set_threshold_for_name("GST_EVENT", GST_LEVEL_NONE);
    }
    int Count() const { return m_nSeeks.load(); }

private:
    static void _Log(GstDebugCategory* pCategory, GstDebugLevel, const gchar*, const gchar*, gint, GObject*,
                     GstDebugMessage* pMessage, gpointer pData)
    {
        const gchar* pszText = gst_debug_message_get(pMessage);
        if (std::string_view(gst_debug_category_get_name(pCategory)) == "GST_EVENT" && pszText != nullptr &&
            std::string_view(pszText).starts_with("creating seek"))
            ++static_cast<CSeekCounter*>(pData)->m_nSeeks;
    }

    std::atomic<int> m_nSeeks{0};
};

// The picture placed for the first time while the file plays (the window
// took its size after the file had started): the next pictures come at
// that size, and the sound runs on, with no seek to make the pictures again
// (on a heavy file it stopped the sound while they were made).
TEST_F(SoundServerTest, PlacingThePictureWhilePlayingLeavesTheSoundWhole)
{
    const std::string path = MadeMedia("tone.mkv", "-f lavfi -i color=c=white:s=320x240:r=25:d=20 -f lavfi "
                                                   "-i sine=frequency=440:d=20 -c:v mpeg4 -c:a libvorbis");
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return m_server.HeardFrequency(200) > 300; }, 20000)) << "the tone plays";
    CSeekCounter seeks;
    ASSERT_EQ(m_graph.SetScreenSize({0, 0, 160, 120}), S_OK);
    const std::vector<int16_t> heard = m_server.Heard(2000);
    ASSERT_GT(heard.size(), 8000u);
    EXPECT_LT(CTestSoundServer::LongestGapMs(heard), 20);
    EXPECT_EQ(seeks.Count(), 0);
    EXPECT_FALSE(Ended()) << "the file ended or failed";
}

TEST_F(SoundServerTest, ChoosingTheSecondSoundStreamChangesTheToneWithoutASeek)
{
    const std::string path =
        MadeMedia("two.mkv", "-f lavfi -i color=c=black:s=320x240:r=25:d=20 -f lavfi -i sine=frequency=400:d=20 "
                             "-f lavfi -i sine=frequency=1200:d=20 -map 0 -map 1 -map 2 -c:v mpeg4 -c:a libvorbis "
                             "-metadata:s:a:0 language=eng -metadata:s:a:1 language=kor");
    ASSERT_FALSE(path.empty());
    Play(path);
    CAudioTracks* pAudio = m_graph.AudioTracks();
    ASSERT_NE(pAudio, nullptr);
    ASSERT_TRUE(WaitFor([&] { return pAudio->Labels().size() == 2; }));
    const std::vector<std::string> labels = pAudio->Labels();
    EXPECT_NE(labels[0].find("English"), std::string::npos) << labels[0];
    EXPECT_NE(labels[1].find("Korean"), std::string::npos) << labels[1];
    EXPECT_EQ(pAudio->Chosen(), 0);
    EXPECT_TRUE(WaitFor([&] { return std::abs(m_server.HeardFrequency(500) - 400) < 40; }, 20000));

    const LONGLONG llBefore = Position();
    ASSERT_TRUE(pAudio->Choose(1));
    EXPECT_TRUE(WaitFor([&] { return std::abs(m_server.HeardFrequency(500) - 1200) < 100; }, 20000));
    EXPECT_EQ(pAudio->Chosen(), 1);
    // The sound sink may take a moment to follow the new stream; the
    // position never goes back and runs on.
    EXPECT_GE(Position(), llBefore);
    EXPECT_TRUE(WaitFor([&] { return Position() > llBefore + kReferenceTimePerSecond; }, 10000));
    EXPECT_FALSE(Ended()) << "the file ended or failed";
}

} // namespace
