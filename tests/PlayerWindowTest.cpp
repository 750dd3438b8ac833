#include "CriticalCount.h"
#include "DebugCapture.h"
#include "DiscClips.h"
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "app/Accelerators.h"
#include "app/CommandIds.h"
#include "app/CommandLine.h"
#include "app/InstanceMessage.h"
#include "app/KorvoPlayerDlg.h"
#include "app/ScreenWnd.h"
#include "app/SharedMemory.h"
#include "app/SharedPlayerRecord.h"
#include "playback/MediaGraph.h"

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr LONGLONG kSecond = kReferenceTimePerSecond;

class PlayerWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    // A player window started as by `korvoplayer FILE`, shown and active.
    CKorvoPlayerDlg& Start(const std::string& file)
    {
        std::string program = "korvoplayer";
        char* argv[] = {program.data(), const_cast<char*>(file.c_str())};
        SetCommandLine(file.empty() ? 1 : 2, argv);
        m_pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
        m_pDlg->show();
        return *m_pDlg;
    }

    int State()
    {
        int nState = -1;
        EXPECT_EQ(m_pDlg->Graph().GetState(10000, &nState), S_OK);
        return nState;
    }

    bool WaitForState(int nState)
    {
        return WaitFor([&] { return State() == nState; });
    }

    LONGLONG Position()
    {
        LONGLONG llPosition = -1;
        EXPECT_EQ(m_pDlg->Graph().GetPosition(&llPosition), S_OK);
        return llPosition;
    }

    double Rate()
    {
        double dRate = 0;
        EXPECT_EQ(m_pDlg->Graph().GetRate(&dRate), S_OK);
        return dRate;
    }

    // Keys reach the window that has the focus; other programs on the same
    // X server may take the server's focus at any time, so the player is
    // made the active window right before each key.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(m_pDlg.get());
        QTest::keyClick(m_pDlg.get(), key, modifiers);
    }

    CScreenWnd* Screen() const { return m_pDlg->findChild<CScreenWnd*>(); }

    ~PlayerWindowTest() override
    {
        m_pDlg.reset();
        SetCommandLine(0, nullptr);
    }

    std::unique_ptr<CKorvoPlayerDlg> m_pDlg;
};

TEST_F(PlayerWindowTest, PlaysTheFileOfItsCommandLineInAWindowOfItsPictureSize)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Avi));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    EXPECT_EQ(dlg.size(), QSize(320, 240));
    ASSERT_NE(Screen(), nullptr);
    EXPECT_TRUE(Screen()->isVisible());
    EXPECT_EQ(Screen()->geometry(), dlg.rect());

    // At the end of the file the player stops and hides the picture.
    EXPECT_TRUE(WaitFor([&] { return !dlg.Graph().IsOpen(); }));
    EXPECT_FALSE(Screen()->isVisible());
    EXPECT_EQ(dlg.MessageBox(), nullptr);

    // Space plays the same file again.
    Key(Qt::Key_Space);
    EXPECT_TRUE(WaitForState(State_Running)) << LastReport();
}

// The player's client area as the X server shows it (the video sink draws
// past Qt, so only the server has the picture).
QImage Screenshot(const QWidget& window, const QRect& area)
{
    QPoint origin = window.mapToGlobal(area.topLeft());
    return window.screen()->grabWindow(0, origin.x(), origin.y(), area.width(), area.height()).toImage();
}

// The bounds of the disc in a screenshot of a disc clip: its dark pixels,
// once the picture's white is drawn in the middle of each side (before the
// first frame the whole area is black).
QRect DiscArea(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    for (QPoint side : {QPoint(w / 2, 2), QPoint(w / 2, h - 3), QPoint(2, h / 2), QPoint(w - 3, h / 2)})
        if (w < 8 || h < 8 || qGray(image.pixel(side)) < 200)
            return {};
    QRect dark;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                dark |= QRect(x, y, 1, 1);
    return dark;
}

bool IsRound(const QRect& disc)
{
    return !disc.isEmpty() && std::abs(disc.width() - disc.height()) <= 4;
}

// The disc in `area` of the player, measured until it is round and at least
// `minHeight` high or the file ends: until then another program's window may
// cover the player on the shared X server, or the last frame of an old
// shape may still be stretched over a new one.
QRect WaitForRoundDisc(CKorvoPlayerDlg& dlg, const QRect& area, int minHeight)
{
    QRect disc;
    WaitFor([&] {
        dlg.raise();
        disc = DiscArea(Screenshot(dlg, area));
        return (IsRound(disc) && disc.height() >= minHeight) || !dlg.Graph().IsOpen();
    });
    return disc;
}

class PlayerWindowShapeTest : public PlayerWindowTest, public ::testing::WithParamInterface<DiscClip> {};

TEST_P(PlayerWindowShapeTest, OpensAtTheDisplayShapeWithTheDiscRound)
{
    const QSize display = GetParam().display;
    CKorvoPlayerDlg& dlg = Start(GetParam().Path());
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    EXPECT_EQ(dlg.size(), display);
    // The disc spans 0.8 of the picture's shorter side.
    const int diameter = static_cast<int>(0.8 * std::min(display.width(), display.height()));
    QRect disc = WaitForRoundDisc(dlg, dlg.rect(), diameter - 4);
    EXPECT_TRUE(IsRound(disc)) << disc.width() << "x" << disc.height();
    EXPECT_NEAR(disc.height(), diameter, 4);
    EXPECT_NEAR(disc.center().x(), display.width() / 2, 4);
}

INSTANTIATE_TEST_SUITE_P(Clips, PlayerWindowShapeTest, ::testing::ValuesIn(DiscClips()),
                         [](const ::testing::TestParamInfo<DiscClip>& param) { return param.param.name; });

TEST_F(PlayerWindowTest, TheWindowFollowsAPictureThatChangesShape)
{
    CKorvoPlayerDlg& dlg = Start(ShapeChangingClipPath());
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    EXPECT_EQ(dlg.size(), QSize(320, 240));
    EXPECT_TRUE(WaitFor([&] { return dlg.size() == QSize(512, 288); }));
    EXPECT_EQ(Screen()->geometry(), dlg.rect());
    // The second half's disc is 230 high, the first half's 192.
    QRect disc = WaitForRoundDisc(dlg, dlg.rect(), 226);
    EXPECT_TRUE(IsRound(disc)) << disc.width() << "x" << disc.height();
    EXPECT_NEAR(disc.height(), 230, 4);
}

// A later file keeps the window's size, and its picture keeps its own shape
// inside it, centred: a 16:9 picture in a 4:3 window has bars above and below.
TEST_F(PlayerWindowTest, ALaterFileKeepsItsShapeInsideTheWindow)
{
    CKorvoPlayerDlg& dlg = Start(DiscClipPath(TestMedia::Avi, 320, 240, 1, 1));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    std::string later = DiscClipPath(TestMedia::Wmv, 352, 288, 16, 11);
    // Handed over as a later start hands it, through a record of this test's own.
    ::setenv("KORVOPLAYER_INSTANCE_TAG", "later-file-shape", 1);
    CSharedMemory memory;
    const char* pszCall = nullptr;
    ASSERT_EQ(OpenSharedRecord(memory, &pszCall), S_OK) << pszCall;
    g_pSharedMemory = &memory;
    later.copy(g_pSharedRecord->file, sizeof g_pSharedRecord->file - 1);
    EXPECT_EQ(dlg.OnInstanceMessage({WM_PLAYER_OPENFORWARDED, 0, 0}), 1u);
    g_pSharedMemory = nullptr;
    g_pSharedRecord = nullptr;
    ::unsetenv("KORVOPLAYER_INSTANCE_TAG");
    ASSERT_TRUE(WaitFor([&] { return dlg.FileName() == later && State() == State_Running; })) << LastReport();
    EXPECT_EQ(dlg.size(), QSize(320, 240));
    const QRect picture(0, 30, 320, 180);
    QRect disc = WaitForRoundDisc(dlg, picture, 140);
    EXPECT_TRUE(IsRound(disc)) << disc.width() << "x" << disc.height();
    EXPECT_NEAR(disc.height(), 0.8 * picture.height(), 4);
    // The bars are the screen window's black, painted over what the first
    // file left there.
    EXPECT_TRUE(WaitFor([&] { return qGray(Screenshot(dlg, QRect(160, 10, 1, 1)).pixel(0, 0)) < 50; }));
}

TEST_F(PlayerWindowTest, KeysPauseSeekAndChangeTheVolume)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();

    Key(Qt::Key_Space);
    EXPECT_EQ(State(), State_Paused);
    Key(Qt::Key_Space);
    EXPECT_EQ(State(), State_Running);

    // Back from the first seconds lands on the start, not before it.
    Key(Qt::Key_Left);
    EXPECT_LT(Position(), 2 * kSecond);
    Key(Qt::Key_Right);
    EXPECT_GE(Position(), 9 * kSecond);

    Key(Qt::Key_Up);
    EXPECT_EQ(dlg.Volume(), 100);
    for (int i = 0; i < 3; ++i)
        Key(Qt::Key_Down);
    EXPECT_EQ(dlg.Volume(), 85);
    Key(Qt::Key_M);
    EXPECT_EQ(dlg.Volume(), 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(dlg.Volume(), 0);
    Key(Qt::Key_Up);
    EXPECT_EQ(dlg.Volume(), 5);

    // Escape leaves the window as it is.
    Key(Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    Key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_FALSE(dlg.Graph().IsOpen());
}

TEST_F(PlayerWindowTest, SpeedKeysStepTheRateWithAFloor)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    Key(Qt::Key_C);
    EXPECT_DOUBLE_EQ(Rate(), 1.1);
    Key(Qt::Key_Z);
    EXPECT_DOUBLE_EQ(Rate(), 1.0);
    for (int i = 0; i < 12; ++i)
        dlg.OnCommand(ID_PLAY_SLOWER);
    EXPECT_NEAR(Rate(), 0.1, 1e-9);
    Key(Qt::Key_X);
    EXPECT_NEAR(Rate(), 0.1, 1e-9);
    EXPECT_EQ(dlg.MessageBox(), nullptr) << LastReport();
}

TEST_F(PlayerWindowTest, AFileThatCannotPlayIsReportedAndLeavesThePlayerStopped)
{
    CTempDir dir;
    std::string file = dir.WriteFile("notes.avi", std::string(4096, 't'));
    CDebugCapture capture;
    CKorvoPlayerDlg& dlg = Start(file);
    ASSERT_TRUE(WaitFor([&] { return dlg.MessageBox() != nullptr; }));
    EXPECT_EQ(dlg.MessageBox()->text().toStdString(), LastReport());
    EXPECT_FALSE(dlg.Graph().IsOpen());
    EXPECT_FALSE(Screen()->isVisible());
    std::vector<std::string> traces = capture.TracesAfterReport();
    EXPECT_NE(std::find(traces.begin(), traces.end(), "from CKorvoPlayerDlg::OnPlay()"), traces.end());

    // A missing file is reported the same way.
    dlg.MessageBox()->close();
    std::filesystem::remove(file);
    Key(Qt::Key_Space);
    EXPECT_TRUE(WaitFor([&] { return dlg.MessageBox() != nullptr; }));
    EXPECT_FALSE(dlg.Graph().IsOpen());
}

TEST_F(PlayerWindowTest, AFileCutWhilePlayingEndsWithThePlayerStopped)
{
    CTempDir dir;
    std::string file = dir.Path() + "/cut.mp3";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Mp3), file);
    CKorvoPlayerDlg& dlg = Start(file);
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    ASSERT_EQ(::truncate(file.c_str(), 20000), 0);
    CDebugCapture quiet;
    EXPECT_TRUE(WaitFor([&] { return !dlg.Graph().IsOpen(); }));
    EXPECT_FALSE(Screen()->isVisible());
}

// A WMV overwritten by other bytes while it plays: whatever its source
// makes of that (it may even refuse to stop), the player lets go of the
// graph, says what happened and plays the next file.
TEST_F(PlayerWindowTest, AWmvReplacedWhilePlayingLeavesAUsablePlayer)
{
    CTempDir dir;
    std::string file = dir.Path() + "/replaced.wmv";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Wmv20s), file);
    CCriticalCount criticals;
    CKorvoPlayerDlg& dlg = Start(file);
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    {
        CDebugCapture quiet;
        std::filesystem::copy_file(TestMediaPath(TestMedia::Mp3), file,
                                   std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(WaitFor([&] { return !dlg.Graph().IsOpen(); }));
    }
    EXPECT_FALSE(Screen()->isVisible());
    ASSERT_NE(dlg.MessageBox(), nullptr);
    EXPECT_EQ(dlg.MessageBox()->text().toStdString(), LastReport());
    EXPECT_EQ(State(), State_Stopped);

    // The file is an MP3 now, and plays as one.
    dlg.MessageBox()->close();
    Key(Qt::Key_Space);
    EXPECT_TRUE(WaitForState(State_Running)) << LastReport();
    m_pDlg.reset();
    EXPECT_EQ(criticals.Count(), 0);
}

// The window serves its events while a file prerolls; what those events ask
// of the player must not pull the graph from under the start.
TEST_F(PlayerWindowTest, AStopWhileTheFileOpensCancelsTheStartQuietly)
{
    CDebugCapture capture;
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv));
    QMetaObject::invokeMethod(&dlg, [&] { dlg.OnStop(); }, Qt::QueuedConnection);
    std::vector<std::string> lines;
    ASSERT_TRUE(WaitFor([&] {
        lines = capture.Lines();
        return std::find(lines.begin(), lines.end(), "CDirectShow::Play() : stopped while the file was being opened") !=
               lines.end();
    }));
    EXPECT_FALSE(dlg.Graph().IsOpen());
    EXPECT_FALSE(Screen()->isVisible());
    EXPECT_EQ(dlg.MessageBox(), nullptr);
}

TEST_F(PlayerWindowTest, APlayAskedForWhileTheFileOpensStartsAfterIt)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv));
    QMetaObject::invokeMethod(
        &dlg,
        [&] {
            dlg.OnStop();
            dlg.OnCommand(IDC_PLAY);
        },
        Qt::QueuedConnection);
    EXPECT_TRUE(WaitForState(State_Running)) << LastReport();
    EXPECT_TRUE(Screen()->isVisible());
    EXPECT_EQ(dlg.MessageBox(), nullptr);
}

TEST_F(PlayerWindowTest, CancelPausesAndMinimisesWhileClosingLeaves)
{
    CKorvoPlayerDlg& dlg = Start(TestMediaPath(TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForState(State_Running)) << LastReport();
    dlg.reject();
    EXPECT_EQ(State(), State_Paused);
    EXPECT_TRUE(dlg.isMinimized());

    dlg.showNormal();
    dlg.close();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.Graph().IsOpen());
}

// Two entries on one key would make the key give no command at all.
TEST(AcceleratorTableTest, EveryKeyGivesOneCommand)
{
    QSet<QKeySequence> keys;
    for (const Accelerator& accelerator : AcceleratorTable()) {
        EXPECT_FALSE(keys.contains(accelerator.key)) << accelerator.key.toString().toStdString();
        keys.insert(accelerator.key);
    }
    EXPECT_EQ(keys.size(), 39);
}

} // namespace
