// The controller's signals over real pipelines: what a file's start, its
// commands, its end and its release tell, in order, on the user-interface
// thread, and that a slot may call back into the controller.
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "TestMedia.h"
#include "TestScreenWindow.h"
#include "playback/DirectShow.h"
#include "common/Report.h"
#include "playback/MediaGraph.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>
#include <filesystem>
#include <gtest/gtest.h>

namespace {


class PlaybackEventsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    void SetUp() override
    {
        ASSERT_EQ(m_graph.Init(&m_screen), S_OK);
        // Every signal notes whether it came on the user-interface thread.
        Watch(&CPlaybackEvents::StateChanged);
        Watch(&CPlaybackEvents::FileOpened);
        Watch(&CPlaybackEvents::DurationChanged);
        Watch(&CPlaybackEvents::PositionJumped);
        Watch(&CPlaybackEvents::RateChanged);
        Watch(&CPlaybackEvents::VolumeChanged);
        Watch(&CPlaybackEvents::VideoSizeChanged);
        Watch(&CPlaybackEvents::TracksChanged);
        Watch(&CPlaybackEvents::EndOfStream);
        Watch(&CPlaybackEvents::Error);
        Watch(&CPlaybackEvents::ClockLost);
    }

    void TearDown() override
    {
        m_graph.Stop();
        EXPECT_FALSE(m_bOffThread);
    }

    template <typename Signal>
    void Watch(Signal signal)
    {
        QObject::connect(&m_events, signal, [this] {
            if (QThread::currentThread() != QCoreApplication::instance()->thread())
                m_bOffThread = true;
        });
    }

    // The states told so far, in order.
    static std::vector<int> States(const QSignalSpy& spy)
    {
        std::vector<int> states;
        for (const QList<QVariant>& arguments : spy)
            states.push_back(arguments.at(0).toInt());
        return states;
    }

    LONGLONG Position()
    {
        LONGLONG llPosition = -1;
        EXPECT_EQ(m_graph.GetPosition(&llPosition), S_OK);
        return llPosition;
    }

    bool m_bOffThread = false;
    CTestScreenWindow m_screen;
    CDirectShow m_graph{std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()};
    CPlaybackEvents& m_events = m_graph.Events();
};

TEST_F(PlaybackEventsTest, AStartTellsTheFileItsLengthPictureAndState)
{
    QSignalSpy opened(&m_events, &CPlaybackEvents::FileOpened);
    QSignalSpy duration(&m_events, &CPlaybackEvents::DurationChanged);
    QSignalSpy size(&m_events, &CPlaybackEvents::VideoSizeChanged);
    QSignalSpy tracks(&m_events, &CPlaybackEvents::TracksChanged);
    QSignalSpy state(&m_events, &CPlaybackEvents::StateChanged);
    QSignalSpy rate(&m_events, &CPlaybackEvents::RateChanged);
    // A slot that reads the controller finds the file open already.
    bool bOpenInSlot = false;
    QObject::connect(&m_events, &CPlaybackEvents::FileOpened, [&] { bOpenInSlot = m_graph.IsOpen(); });

    const std::string path = TestMediaPath(TestMedia::Avi);
    ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.at(0).at(0).toString().toStdString(), path);
    EXPECT_TRUE(opened.at(0).at(1).toBool());
    EXPECT_TRUE(opened.at(0).at(2).toBool());
    EXPECT_TRUE(bOpenInSlot);
    EXPECT_EQ(tracks.count(), 1);
    ASSERT_EQ(duration.count(), 1);
    EXPECT_NEAR(duration.at(0).at(0).toDouble(), 5.0 * kReferenceTimePerSecond, 0.7 * kReferenceTimePerSecond);
    ASSERT_EQ(size.count(), 1);
    EXPECT_EQ(size.at(0), (QList<QVariant>{320, 240}));
    // The rate starts at normal speed, which is no change.
    EXPECT_EQ(rate.count(), 0);
    ASSERT_TRUE(WaitFor([&] { return !state.isEmpty() && state.last().at(0).toInt() == State_Running; }));
    // The start passes through pausing (the preroll) without telling it.
    EXPECT_EQ(States(state), std::vector<int>{State_Running});
}

TEST_F(PlaybackEventsTest, ASoundFileHasNoPictureAndNoPictureSize)
{
    QSignalSpy opened(&m_events, &CPlaybackEvents::FileOpened);
    QSignalSpy size(&m_events, &CPlaybackEvents::VideoSizeChanged);
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Mp3).c_str()), S_OK) << LastReport();
    ASSERT_EQ(opened.count(), 1);
    EXPECT_FALSE(opened.at(0).at(1).toBool());
    EXPECT_TRUE(opened.at(0).at(2).toBool());
    EXPECT_EQ(size.count(), 0);
}

TEST_F(PlaybackEventsTest, PauseResumeAndStopEachTellTheirStateOnce)
{
    QSignalSpy state(&m_events, &CPlaybackEvents::StateChanged);
    QSignalSpy duration(&m_events, &CPlaybackEvents::DurationChanged);
    QSignalSpy tracks(&m_events, &CPlaybackEvents::TracksChanged);
    // What a slot reads back is what it was told.
    std::vector<int> readInSlot;
    QObject::connect(&m_events, &CPlaybackEvents::StateChanged, [&] {
        int nState = -1;
        m_graph.GetState(0, &nState);
        readInSlot.push_back(nState);
    });
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Wmv20s).c_str()), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return States(state) == std::vector<int>{State_Running}; }));
    ASSERT_EQ(m_graph.Pause(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return state.count() == 2; }));
    ASSERT_EQ(m_graph.Resume(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return state.count() == 3; }));
    // Asked twice, told once.
    ASSERT_EQ(m_graph.Resume(), S_OK);
    ASSERT_EQ(m_graph.Stop(), S_OK);
    QCoreApplication::processEvents();
    EXPECT_EQ(States(state), (std::vector<int>{State_Running, State_Paused, State_Running, State_Stopped}));
    EXPECT_EQ(readInSlot, States(state));
    // The release tells that there is no length and no stream any more.
    ASSERT_GE(duration.count(), 2);
    EXPECT_EQ(duration.last().at(0).toLongLong(), 0);
    EXPECT_EQ(tracks.count(), 2);
}

TEST_F(PlaybackEventsTest, EverySeekTellsWhereItEndedAndNothingElseDoes)
{
    QSignalSpy jumped(&m_events, &CPlaybackEvents::PositionJumped);
    QSignalSpy state(&m_events, &CPlaybackEvents::StateChanged);
    QSignalSpy rate(&m_events, &CPlaybackEvents::RateChanged);
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Wmv20s).c_str()), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return Position() > 0 && !state.isEmpty(); }));

    // Paused.
    ASSERT_EQ(m_graph.Pause(), S_OK);
    ASSERT_EQ(m_graph.SetPosition(3 * kReferenceTimePerSecond), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return jumped.count() == 1; }));
    EXPECT_NEAR(jumped.at(0).at(0).toDouble(), 3.0 * kReferenceTimePerSecond, 0.5 * kReferenceTimePerSecond);

    // Playing: the graph passes through pausing without telling it.
    ASSERT_EQ(m_graph.Resume(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return state.last().at(0).toInt() == State_Running; }));
    const int nStates = static_cast<int>(state.count());
    ASSERT_EQ(m_graph.SetPosition(12 * kReferenceTimePerSecond), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return jumped.count() == 2; }));
    EXPECT_NEAR(jumped.at(1).at(0).toDouble(), 12.0 * kReferenceTimePerSecond, 1.0 * kReferenceTimePerSecond);
    EXPECT_EQ(state.count(), nStates);

    // A change of rate seeks too, inside the graph, and is told as a rate.
    ASSERT_EQ(m_graph.SetRate(2.0), S_OK) << LastReport();
    ASSERT_EQ(m_graph.SetRate(2.0), S_OK) << LastReport();
    ASSERT_TRUE(
        WaitFor([&] { return m_graph.TargetState() == State_Running && Position() > 13 * kReferenceTimePerSecond; }));
    EXPECT_EQ(rate.count(), 1);
    EXPECT_EQ(rate.at(0).at(0).toDouble(), 2.0);
    EXPECT_EQ(jumped.count(), 2);
}

// Seeks made in a row before any ends tell at least the last one's end,
// and never one of an earlier graph after the file was stopped.
TEST_F(PlaybackEventsTest, ASeekOfAStoppedFileIsNeverTold)
{
    QSignalSpy jumped(&m_events, &CPlaybackEvents::PositionJumped);
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Wmv20s).c_str()), S_OK) << LastReport();
    ASSERT_EQ(m_graph.SetPosition(2 * kReferenceTimePerSecond), S_OK);
    ASSERT_EQ(m_graph.SetPosition(8 * kReferenceTimePerSecond), S_OK);
    ASSERT_TRUE(WaitFor(
        [&] { return !jumped.isEmpty() && jumped.last().at(0).toLongLong() >= 7 * kReferenceTimePerSecond; }));

    ASSERT_EQ(m_graph.SetPosition(4 * kReferenceTimePerSecond), S_OK);
    const qsizetype nBefore = jumped.count();
    ASSERT_EQ(m_graph.Stop(), S_OK);
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Avi).c_str()), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return Position() > kReferenceTimePerSecond / 2; }));
    EXPECT_EQ(jumped.count(), nBefore);
}

TEST_F(PlaybackEventsTest, VolumeIsToldWhenItChanges)
{
    QSignalSpy volume(&m_events, &CPlaybackEvents::VolumeChanged);
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Mp3).c_str()), S_OK) << LastReport();
    ASSERT_EQ(m_graph.SetVolume(50), S_OK);
    ASSERT_EQ(m_graph.SetVolume(50), S_OK);
    ASSERT_EQ(m_graph.SetVolume(0), S_OK);
    EXPECT_EQ(volume.count(), 2);
    EXPECT_EQ(volume.at(0).at(0).toLongLong(), -301);
    EXPECT_EQ(volume.at(1).at(0).toLongLong(), kVolumeSilence);
    // A refused volume tells nothing.
    ASSERT_NE(m_graph.SetVolume(101), S_OK);
    EXPECT_EQ(volume.count(), 2);
}

// The end is told after the graph event the window drains, and a slot
// may stop the file and open the next one right there.
TEST_F(PlaybackEventsTest, TheEndMayStartTheNextFileFromItsSlot)
{
    QSignalSpy ended(&m_events, &CPlaybackEvents::EndOfStream);
    QSignalSpy opened(&m_events, &CPlaybackEvents::FileOpened);
    QSignalSpy state(&m_events, &CPlaybackEvents::StateChanged);
    const std::string next = TestMediaPath(TestMedia::Mp3);
    int nStarts = 0;
    QObject::connect(&m_events, &CPlaybackEvents::EndOfStream, [&] {
        if (nStarts++ > 0)
            return;
        EXPECT_EQ(m_graph.Stop(), S_OK);
        EXPECT_EQ(m_graph.Play(next.c_str()), S_OK) << LastReport();
    });
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Avi).c_str()), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return ended.count() == 2; }));
    ASSERT_EQ(opened.count(), 2);
    EXPECT_EQ(opened.at(1).at(0).toString().toStdString(), next);
    // Told in order: the first file's run and release, then the second's run.
    ASSERT_GE(state.count(), 3);
    EXPECT_EQ(States(state).at(0), State_Running);
    EXPECT_EQ(States(state).at(1), State_Stopped);
    EXPECT_EQ(States(state).at(2), State_Running);
}

TEST_F(PlaybackEventsTest, AFailedStartTellsNothingAndKeepsItsReport)
{
    QSignalSpy opened(&m_events, &CPlaybackEvents::FileOpened);
    QSignalSpy state(&m_events, &CPlaybackEvents::StateChanged);
    QSignalSpy failed(&m_events, &CPlaybackEvents::Error);
    const std::string path = TestMediaPath(TestMedia::Avi) + ".missing";
    ASSERT_NE(m_graph.Play(path.c_str()), S_OK);
    QCoreApplication::processEvents();
    EXPECT_EQ(opened.count(), 0);
    EXPECT_EQ(state.count(), 0);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(m_graph.LastError().hr, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(m_graph.LastError().text, LastReport());
    EXPECT_EQ(m_graph.Stop(), S_OK);
    EXPECT_EQ(state.count(), 0);
}

} // namespace
