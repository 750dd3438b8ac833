// The playback control without the player window: real files through a
// real graph controller, shown to a view that records what it is told.
#include "DebugCapture.h"
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "TestScreenWindow.h"
#include "app/PlaybackControl.h"
#include "common/Report.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"

#include <QSignalSpy>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A playlist of `entries` and a record of what the control showed.
class CRecordingView : public IPlaybackView {
public:
    void ShowPlaying() override { m_shown.push_back("playing"); }
    void ShowPaused() override { m_shown.push_back("paused"); }
    void ShowStopped() override { m_shown.push_back("stopped"); }
    void ShowFileStarted(bool bSizeWindow) override { m_sizedWindow.push_back(bSizeWindow); }
    void ShowPictureChanged() override {}
    void ShowDuration(int nTotal) override { m_nDuration = nTotal; }
    void ShowPosition(int) override {}
    void ShowVolume(int nVolume) override { m_volumes.push_back(nVolume); }
    void ShowLastReport() override { m_reports.push_back(LastReport()); }
    bool HasPlaylist() const override { return true; }
    std::string CurrentEntry() const override
    {
        return m_nCurrent < static_cast<int>(m_entries.size()) ? m_entries[m_nCurrent] : std::string();
    }
    void StepEntry(bool bForward) override { m_nCurrent += bForward ? 1 : -1; }

    std::vector<std::string> m_entries;
    int m_nCurrent = 0;
    std::vector<std::string> m_shown;
    std::vector<bool> m_sizedWindow;
    int m_nDuration = -1;
    std::vector<int> m_volumes;
    std::vector<std::string> m_reports;
};

class PlaybackControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    void SetUp() override { ASSERT_EQ(m_graph.Init(&m_screen), S_OK); }

    void TearDown() override { m_graph.Stop(); }

    int State()
    {
        int nState = -1;
        m_graph.GetState(10000, &nState);
        return nState;
    }

    CTestScreenWindow m_screen;
    CDirectShow m_graph{std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()};
    CRecordingView m_view;
    CPlaybackControl m_control{m_graph, m_view};
};

// Play starts the current entry, pauses it, resumes it; only the first file
// that ever played sizes the window.
TEST_F(PlaybackControlTest, PlayStartsPausesAndResumesAndOnlyTheFirstFileSizesTheWindow)
{
    m_view.m_entries = {TestMediaPath(TestMedia::Wmv), TestMediaPath(TestMedia::Mp3)};
    m_control.Play();
    ASSERT_TRUE(m_graph.IsOpen()) << LastReport();
    EXPECT_EQ(m_control.FileName(), m_view.m_entries[0]);
    EXPECT_EQ(m_view.m_sizedWindow, std::vector<bool>{true});
    EXPECT_EQ(m_view.m_nDuration, 5);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; }));
    m_control.Play();
    EXPECT_EQ(State(), State_Paused);
    m_control.Play();
    EXPECT_EQ(State(), State_Running);
    EXPECT_EQ(m_view.m_shown, (std::vector<std::string>{"playing", "paused", "playing"}));

    m_control.PlayNeighbour(true);
    ASSERT_TRUE(m_graph.IsOpen()) << LastReport();
    EXPECT_EQ(m_control.FileName(), m_view.m_entries[1]);
    EXPECT_EQ(m_view.m_sizedWindow, (std::vector<bool>{true, false}));
    EXPECT_TRUE(m_view.m_reports.empty());
}

// Past the playlist's end, and with a stopped graph, the neighbours and
// play do nothing.
TEST_F(PlaybackControlTest, NothingPlaysPastTheEndAndNeighboursWantARunningFile)
{
    m_view.m_entries = {TestMediaPath(TestMedia::Mp3)};
    m_control.PlayNeighbour(true);
    EXPECT_EQ(m_view.m_nCurrent, 0);
    m_view.m_nCurrent = 1;
    m_control.Play();
    EXPECT_FALSE(m_graph.IsOpen());
    EXPECT_TRUE(m_view.m_sizedWindow.empty());
    EXPECT_TRUE(m_view.m_reports.empty());
}

// The volume keys step by 5 within 0..100, mute goes to 0, and each change
// is shown and told (the desktop follows it), with or without a file.
TEST_F(PlaybackControlTest, TheVolumeStaysWithinItsRangeAndEveryChangeIsTold)
{
    QSignalSpy changed(&m_control, &CPlaybackControl::Changed);
    m_control.ChangeVolume(CPlaybackControl::VolumeStep::Up);
    m_control.ChangeVolume(CPlaybackControl::VolumeStep::Down);
    m_control.ChangeVolume(CPlaybackControl::VolumeStep::Mute);
    m_control.ChangeVolume(CPlaybackControl::VolumeStep::Down);
    m_control.SetVolume(150);
    m_control.SetVolume(-3);
    EXPECT_EQ(m_view.m_volumes, (std::vector<int>{100, 95, 0, 0, 100, 0}));
    EXPECT_EQ(changed.count(), 6);
    EXPECT_EQ(m_control.Volume(), 0);
}

// The end of a file plays the next entry; the end of the last one leaves
// the player stopped, past the end of the playlist.
TEST_F(PlaybackControlTest, TheEndOfAFilePlaysTheNextEntry)
{
    m_view.m_entries = {TestMediaPath(TestMedia::Mp3), TestMediaPath(TestMedia::WmvAudioOnly)};
    m_control.Play();
    ASSERT_TRUE(m_graph.IsOpen()) << LastReport();
    ASSERT_TRUE(WaitFor([&] {
        m_control.OnGraphEvents();
        return m_view.m_nCurrent == 1;
    }));
    EXPECT_TRUE(m_graph.IsOpen()) << LastReport();
    EXPECT_EQ(m_control.FileName(), m_view.m_entries[1]);
    ASSERT_TRUE(WaitFor([&] {
        m_control.OnGraphEvents();
        return m_view.m_nCurrent == 2;
    }));
    EXPECT_FALSE(m_graph.IsOpen());
    EXPECT_TRUE(m_view.m_reports.empty());
}

// A file the graph cannot play is reported with the design's lines (and
// the controller keeps what GStreamer said, for the message box's details).
TEST_F(PlaybackControlTest, AFileTheGraphRefusesIsReportedAndStops)
{
    CTempDir dir;
    m_view.m_entries = {dir.WriteFile("notes.avi", std::string(4096, 't'))};
    CDebugCapture capture;
    m_control.Play();
    EXPECT_FALSE(m_graph.IsOpen());
    ASSERT_EQ(m_view.m_reports.size(), 1u);
    EXPECT_EQ(m_view.m_reports[0], m_graph.LastError().text);
    EXPECT_NE(m_graph.LastError().Details().find("text file"), std::string::npos) << m_graph.LastError().Details();
    EXPECT_EQ(m_view.m_shown.back(), "stopped");

    // A file that is not there never reaches the graph.
    m_view.m_entries = {dir.Path() + "/missing.avi"};
    m_control.Play();
    EXPECT_EQ(m_view.m_reports.size(), 2u);
    EXPECT_NE(m_view.m_reports[1], m_graph.LastError().text);
}

// Each rate command is traced from its own handler.
TEST(PlaybackControlRateTest, EachRateCommandHasItsOwnHandler)
{
    EXPECT_STREQ(CPlaybackControl::RateHandler(CPlaybackControl::RateStep::Normal),
                 "CKorvoPlayerDlg::OnPlayNormalspeed()");
    EXPECT_STREQ(CPlaybackControl::RateHandler(CPlaybackControl::RateStep::Slower), "CKorvoPlayerDlg::OnPlaySlower()");
    EXPECT_STREQ(CPlaybackControl::RateHandler(CPlaybackControl::RateStep::Faster), "CKorvoPlayerDlg::OnPlayFaster()");
}

} // namespace
