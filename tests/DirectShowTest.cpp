#include "CriticalCount.h"
#include "DebugCapture.h"
#include "DiscClips.h"
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "TestScreenWindow.h"
#include "app/ScreenLogo.h"
#include "playback/DirectShow.h"
#include "playback/FilterGraph.h"
#include "playback/MediaGraph.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <climits>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <malloc.h>
#include <memory>

// An element whose stop fails, as a source's does when its file was
// replaced under it: it goes up to PAUSED and refuses to come down again.
struct RefusingElement {
    GstElement element;
};

struct RefusingElementClass {
    GstElementClass parentClass;
};

G_DEFINE_TYPE(RefusingElement, refusing_element, GST_TYPE_ELEMENT)

static GstStateChangeReturn RefuseToStop(GstElement* pElement, GstStateChange transition)
{
    if (transition == GST_STATE_CHANGE_PAUSED_TO_READY)
        return GST_STATE_CHANGE_FAILURE;
    return GST_ELEMENT_CLASS(refusing_element_parent_class)->change_state(pElement, transition);
}

static void refusing_element_class_init(RefusingElementClass* pClass)
{
    GST_ELEMENT_CLASS(pClass)->change_state = RefuseToStop;
}

static void refusing_element_init(RefusingElement*) {}

namespace {


// Serves the user-interface thread for a while.
void Serve(int msDuration)
{
    QElapsedTimer timer;
    timer.start();
    WaitFor([&] { return timer.elapsed() >= msDuration; });
}

class DirectShowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    void SetUp() override
    {
        // The screen window's logo, as the player makes it.
        m_pLogo = new CScreenLogo(&m_screen, &m_graph);
        ASSERT_EQ(m_graph.Init(&m_screen), S_OK);
    }

    // Drains the waiting events as the player does when it is told of them;
    // the codes seen, in order.
    std::vector<long> DrainEvents()
    {
        std::vector<long> events;
        long lEvent = 0;
        intptr_t lParam1 = 0;
        intptr_t lParam2 = 0;
        while (m_graph.GetEvent(&lEvent, &lParam1, &lParam2, 0) == S_OK) {
            EXPECT_EQ(m_graph.FreeEventParams(lEvent, lParam1, lParam2), S_OK);
            events.push_back(lEvent);
        }
        return events;
    }

    // Waits until the screen window is told of an event and returns it.
    long WaitForEvent()
    {
        std::vector<long> events;
        WaitFor([&] {
            if (m_screen.GraphEventMessages() == 0)
                return false;
            events = DrainEvents();
            return !events.empty();
        });
        return events.empty() ? 0 : events.front();
    }

    LONGLONG Position()
    {
        LONGLONG llPosition = -1;
        EXPECT_EQ(m_graph.GetPosition(&llPosition), S_OK);
        return llPosition;
    }

    int State()
    {
        int nState = -1;
        EXPECT_EQ(m_graph.GetState(10000, &nState), S_OK);
        return nState;
    }

    // How fast the position moves against the wall clock over `msDuration`.
    double PositionSpeed(int msDuration)
    {
        QElapsedTimer timer;
        LONGLONG llStart = Position();
        timer.start();
        Serve(msDuration);
        LONGLONG llEnd = Position();
        return static_cast<double>(llEnd - llStart) / (static_cast<double>(timer.nsecsElapsed()) / 100.0);
    }

    CTestScreenWindow m_screen;
    CDirectShow m_graph{std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()};
    CScreenLogo* m_pLogo = nullptr;
};

struct PlaybackCase {
    const char* name;
    TestMedia media;
    bool hasVideo;
    bool hasAudio = true;
};

void PrintTo(const PlaybackCase& param, std::ostream* pOut)
{
    *pOut << param.name;
}

class DirectShowPlaybackTest : public DirectShowTest, public ::testing::WithParamInterface<PlaybackCase> {};

TEST_P(DirectShowPlaybackTest, PlaysToTheEndAndTellsTheScreenWindow)
{
    std::string path = TestMediaPath(GetParam().media);
    ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
    EXPECT_TRUE(m_graph.IsOpen());
    // The player reads the length once, right after Play: an MP3 without a
    // VBR header must have it too.
    LONGLONG llTotal = 0;
    EXPECT_EQ(m_graph.GetTotalPlayLength(&llTotal), S_OK) << LastReport();
    EXPECT_NEAR(static_cast<double>(llTotal), 5.0 * kReferenceTimePerSecond, 0.7 * kReferenceTimePerSecond);
    long lWidth = 0;
    long lHeight = 0;
    ASSERT_EQ(m_graph.GetOriginalScreenSize(&lWidth, &lHeight), S_OK);
    QSize expected = GetParam().hasVideo ? QSize(320, 240) : m_pLogo->GetPictureSize();
    EXPECT_EQ(QSize(static_cast<int>(lWidth), static_cast<int>(lHeight)), expected);
    EXPECT_EQ(m_pLogo->isVisible(), !GetParam().hasVideo);
    EXPECT_EQ(m_graph.SetScreenSize({0, 0, 320, 240}), S_OK);
    // A graph without sound has no volume to set, as on the platform.
    EXPECT_EQ(m_graph.SetVolume(50) == S_OK, GetParam().hasAudio);

    EXPECT_EQ(WaitForEvent(), EC_COMPLETE);
    EXPECT_TRUE(m_screen.AllOnUserInterfaceThread());
    EXPECT_GE(Position(), llTotal - kReferenceTimePerSecond);
    EXPECT_EQ(m_graph.Stop(), S_OK);
    EXPECT_FALSE(m_graph.IsOpen());
    EXPECT_EQ(State(), State_Stopped);
}

INSTANTIATE_TEST_SUITE_P(Formats, DirectShowPlaybackTest,
                         ::testing::Values(PlaybackCase{"Mp3", TestMedia::Mp3, false},
                                           PlaybackCase{"Mp3WithBigId3", TestMedia::Mp3WithBigId3, false},
                                           PlaybackCase{"Avi", TestMedia::Avi, true},
                                           PlaybackCase{"Mpeg", TestMedia::MpegProgram, true},
                                           PlaybackCase{"Wmv", TestMedia::Wmv, true},
                                           PlaybackCase{"WmaOnly", TestMedia::WmvAudioOnly, false},
                                           PlaybackCase{"WmvVideoOnly", TestMedia::WmvVideoOnly, true, false}),
                         [](const ::testing::TestParamInfo<PlaybackCase>& param) { return param.param.name; });

TEST(DirectShowDisplaySizeTest, WidensWidePixelsAndHeightensTallOnes)
{
    struct Case {
        int width, height, parN, parD;
        long displayWidth, displayHeight;
    };
    const Case cases[] = {
        {320, 240, 1, 1, 320, 240},    {320, 240, 4, 3, 427, 240},   {352, 288, 16, 11, 512, 288},
        {1280, 720, 9, 16, 1280, 1280}, {720, 480, 8, 9, 720, 540},  {320, 240, 0, 1, 320, 240},
        {320, 240, 1, 0, 320, 240},    {320, 240, G_MAXINT, 1, G_MAXINT, 240},
    };
    for (const Case& c : cases) {
        long lWidth = 0;
        long lHeight = 0;
        CFilterGraph::DisplaySize(c.width, c.height, c.parN, c.parD, &lWidth, &lHeight);
        EXPECT_EQ(lWidth, c.displayWidth) << c.width << "x" << c.height << " " << c.parN << ":" << c.parD;
        EXPECT_EQ(lHeight, c.displayHeight) << c.width << "x" << c.height << " " << c.parN << ":" << c.parD;
    }
}

class DirectShowShapeTest : public DirectShowTest, public ::testing::WithParamInterface<DiscClip> {};

TEST_P(DirectShowShapeTest, ReportsThePictureAtItsDisplaySize)
{
    ASSERT_EQ(m_graph.Play(GetParam().Path().c_str()), S_OK) << LastReport();
    long lWidth = 0;
    long lHeight = 0;
    ASSERT_EQ(m_graph.GetOriginalScreenSize(&lWidth, &lHeight), S_OK) << LastReport();
    EXPECT_EQ(QSize(static_cast<int>(lWidth), static_cast<int>(lHeight)), GetParam().display);
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Clips, DirectShowShapeTest, ::testing::ValuesIn(DiscClips()),
                         [](const ::testing::TestParamInfo<DiscClip>& param) { return param.param.name; });

TEST_F(DirectShowTest, APictureThatChangesShapeIsAnEventWithItsNewSize)
{
    ASSERT_EQ(m_graph.Play(ShapeChangingClipPath().c_str()), S_OK) << LastReport();
    long lWidth = 0;
    long lHeight = 0;
    ASSERT_EQ(m_graph.GetOriginalScreenSize(&lWidth, &lHeight), S_OK);
    EXPECT_EQ(QSize(static_cast<int>(lWidth), static_cast<int>(lHeight)), QSize(320, 240));
    std::vector<std::pair<long, intptr_t>> events;
    ASSERT_TRUE(WaitFor([&] {
        long lEvent = 0;
        intptr_t lParam1 = 0;
        intptr_t lParam2 = 0;
        while (m_graph.GetEvent(&lEvent, &lParam1, &lParam2, 0) == S_OK)
            events.emplace_back(lEvent, lParam1);
        return !events.empty() && events.back().first == EC_COMPLETE;
    }));
    // One change of shape, told before the end, with the size packed as the
    // player reads it; the reported size is the new one.
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], (std::pair<long, intptr_t>(EC_VIDEO_SIZE_CHANGED, 512 | 288 << 16)));
    ASSERT_EQ(m_graph.GetOriginalScreenSize(&lWidth, &lHeight), S_OK);
    EXPECT_EQ(QSize(static_cast<int>(lWidth), static_cast<int>(lHeight)), QSize(512, 288));
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

TEST_F(DirectShowTest, PausesAndResumesWithTheLogo)
{
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Mp3).c_str()), S_OK) << LastReport();
    const CAnimatedLogo* pLogo = m_pLogo;
    EXPECT_TRUE(pLogo->isVisible());
    EXPECT_TRUE(WaitFor([&] { return pLogo->IsPlaying(); }));
    EXPECT_EQ(State(), State_Running);

    ASSERT_EQ(m_graph.Pause(), S_OK);
    EXPECT_TRUE(WaitFor([&] { return !pLogo->IsPlaying(); }));
    EXPECT_EQ(State(), State_Paused);
    LONGLONG llPaused = Position();
    Serve(300);
    EXPECT_EQ(Position(), llPaused);

    ASSERT_EQ(m_graph.Resume(), S_OK);
    EXPECT_EQ(State(), State_Running);
    EXPECT_TRUE(WaitFor([&] { return pLogo->IsPlaying() && Position() > llPaused; }));

    ASSERT_EQ(m_graph.Stop(), S_OK);
    EXPECT_FALSE(pLogo->isVisible());
    EXPECT_FALSE(pLogo->IsPlaying());
}

TEST_F(DirectShowTest, SeeksToAPosition)
{
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Avi).c_str()), S_OK) << LastReport();
    ASSERT_EQ(m_graph.Pause(), S_OK);
    ASSERT_EQ(m_graph.SetPosition(3 * kReferenceTimePerSecond), S_OK) << LastReport();
    EXPECT_EQ(State(), State_Paused);
    EXPECT_NEAR(static_cast<double>(Position()), 3.0 * kReferenceTimePerSecond, 0.5 * kReferenceTimePerSecond);
    ASSERT_EQ(m_graph.Resume(), S_OK);
    EXPECT_EQ(WaitForEvent(), EC_COMPLETE);
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

TEST_F(DirectShowTest, RateChangesTheSpeedOfThePosition)
{
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Mp3).c_str()), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return Position() > 0; }));
    ASSERT_EQ(m_graph.SetRate(2.0), S_OK) << LastReport();
    double dRate = 0;
    EXPECT_EQ(m_graph.GetRate(&dRate), S_OK);
    EXPECT_EQ(dRate, 2.0);
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; }));
    double dFast = PositionSpeed(800);

    ASSERT_EQ(m_graph.SetRate(0.5), S_OK) << LastReport();
    ASSERT_TRUE(WaitFor([&] { return State() == State_Running; }));
    double dSlow = PositionSpeed(800);
    EXPECT_GT(dFast, 1.4);
    EXPECT_LT(dFast, 2.6);
    EXPECT_GT(dSlow, 0.3);
    EXPECT_LT(dSlow, 0.7);
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

TEST(DirectShowVolumeTest, MapsTheVolumeToHundredthsOfADecibel)
{
    const std::pair<int, long> table[] = {{100, 0},     {95, -22},    {50, -301}, {10, -999},
                                          {5, -1301},   {1, -1999},   {0, -10000}};
    for (auto [nVolume, lLevel] : table)
        EXPECT_EQ(CDirectShow::VolumeLevel(nVolume, nullptr), lLevel) << nVolume;
}

TEST_F(DirectShowTest, RefusesBadArgumentsWithTheirTraces)
{
    CDebugCapture capture;
    EXPECT_EQ(m_graph.SetVolume(101), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"nVolume = 101", "from CDirectShow::SetVolume()"}));
    EXPECT_EQ(m_graph.SetRate(0.0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(m_graph.SetRate(-1.0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(m_graph.SetPosition(-1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"llPosition = -1", "from CDirectShow::SetPosition()"}));
    EXPECT_EQ(m_graph.GetState(0, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport(), (std::vector<std::string>{"pfs = 0", "from CDirectShow::GetState()"}));
    EXPECT_EQ(m_graph.GetOriginalScreenSize(nullptr, nullptr), ERROR_INVALID_PARAMETER);
    long lEvent = 0;
    intptr_t lParam = 0;
    EXPECT_EQ(m_graph.GetEvent(&lEvent, &lParam, nullptr, 0), ERROR_INVALID_PARAMETER);
}

TEST_F(DirectShowTest, WithoutAGraphStopsQuietlyAndHasNoEvent)
{
    CDebugCapture capture;
    EXPECT_EQ(m_graph.Stop(), S_OK);
    long lEvent = 0;
    intptr_t lParam1 = 0;
    intptr_t lParam2 = 0;
    EXPECT_EQ(m_graph.GetEvent(&lEvent, &lParam1, &lParam2, 0), E_ABORT);
    int nState = -1;
    EXPECT_EQ(m_graph.GetState(0, &nState), S_OK);
    EXPECT_EQ(nState, State_Stopped);
    EXPECT_TRUE(capture.Lines().empty());
    EXPECT_FALSE(m_graph.IsOpen());
}

// The screen window owns the logo, which follows the controller's signals:
// the controller may outlive the window, or be initialised again, and the
// window may outlive the controller.
TEST(DirectShowLogoOwnerTest, WindowAndControllerGoInEitherOrder)
{
    const std::string libraryDir = std::filesystem::path(BRELMSOURCE_PATH).parent_path().string();
    auto pWindow = std::make_unique<CTestScreenWindow>();
    auto pGraph = std::make_unique<CDirectShow>(libraryDir);
    new CScreenLogo(pWindow.get(), pGraph.get());
    ASSERT_EQ(pGraph->Init(pWindow.get()), S_OK);
    ASSERT_EQ(pGraph->Init(pWindow.get()), S_OK);
    EXPECT_EQ(pWindow->findChildren<CAnimatedLogo*>().size(), 1);
    pWindow.reset();
    // A controller whose window and logo are gone tells nobody.
    emit pGraph->Events().StateChanged(State_Stopped);
    pGraph.reset();

    pWindow = std::make_unique<CTestScreenWindow>();
    pGraph = std::make_unique<CDirectShow>(libraryDir);
    new CScreenLogo(pWindow.get(), pGraph.get());
    ASSERT_EQ(pGraph->Init(pWindow.get()), S_OK);
    pGraph.reset();
    EXPECT_EQ(pWindow->findChildren<CAnimatedLogo*>().size(), 1);
}

TEST_F(DirectShowTest, NoEventWaitingIsNotAFailure)
{
    ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Avi).c_str()), S_OK) << LastReport();
    CDebugCapture capture;
    long lEvent = 0;
    intptr_t lParam1 = 0;
    intptr_t lParam2 = 0;
    EXPECT_EQ(m_graph.GetEvent(&lEvent, &lParam1, &lParam2, 0), E_ABORT);
    EXPECT_TRUE(capture.Lines().empty());
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

// A failed start reports once, leaves nothing open, and the next Stop
// releases whatever it built.
class DirectShowFailureTest : public DirectShowTest {
protected:
    void ExpectFailure(const char* pszFileName, HRESULT hrExpected, const char* pszMessage,
                       const std::vector<std::string>& traces)
    {
        CDebugCapture capture;
        EXPECT_EQ(m_graph.Play(pszFileName), hrExpected);
        EXPECT_NE(LastReport().find(pszMessage), std::string::npos) << LastReport();
        if (!traces.empty()) {
            // The graph's notes of its streaming threads' errors may come
            // at any point; the trail of the failure is what is compared.
            std::vector<std::string> trail = capture.TracesAfterReport();
            std::erase_if(trail, [](const std::string& line) { return line.starts_with("CFilterGraph : "); });
            EXPECT_EQ(trail, traces);
        }
        EXPECT_FALSE(m_graph.IsOpen());
        EXPECT_FALSE(m_pLogo->isVisible());
        EXPECT_EQ(m_graph.Stop(), S_OK);
    }

    CTempDir m_dir;
};

TEST_F(DirectShowFailureTest, NullAndOverlongNames)
{
    ExpectFailure(nullptr, ERROR_INVALID_PARAMETER, "The parameter is incorrect",
                  {"pszFileName = 0", "from CDirectShow::Play()"});
    std::string longName(kMaxFileNameLength + 1, 'a');
    ExpectFailure(longName.c_str(), 206, "longer than 4095 bytes",
                  {"strlen(pszFileName) = 4096", "from CDirectShow::Play()"});
}

// The longest path Linux opens, through nested folders of names that each
// fit a directory entry.
TEST_F(DirectShowFailureTest, PlaysAFileWhosePathIsAsLongAsLinuxAllows)
{
    constexpr size_t kLongestPath = PATH_MAX - 1;
    constexpr size_t kLongestEntry = 255;
    std::string path = m_dir.Path();
    while (kLongestPath - path.size() > kLongestEntry) {
        path += "/" + std::string(std::min<size_t>(200, kLongestPath - path.size() - 60), 'd');
        ASSERT_TRUE(std::filesystem::create_directory(path));
    }
    path += "/" + std::string(kLongestPath - path.size() - 5, 'f') + ".avi";
    ASSERT_EQ(path.size(), kLongestPath);
    std::filesystem::copy_file(TestMediaPath(TestMedia::Avi), path);
    ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
    EXPECT_EQ(State(), State_Running);
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

TEST_F(DirectShowFailureTest, FileShorterThanItsHeader)
{
    std::string path = m_dir.WriteFile("short.mp3", "0123456789");
    ExpectFailure(path.c_str(), ERROR_BAD_FORMAT, "Can not read file header",
                  {"from CStream::Read()", "from CDirectShow::Play()"});
}

TEST_F(DirectShowFailureTest, MissingFile)
{
    std::string path = m_dir.Path() + "/missing.avi";
    ExpectFailure(path.c_str(), ERROR_FILE_NOT_FOUND, "missing.avi", {});
}

TEST_F(DirectShowFailureTest, TextRenamedAsVideo)
{
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "This is a line of plain text, not a video.\n";
    std::string path = m_dir.WriteFile("text.avi", text);
    ExpectFailure(path.c_str(), kNothingToRender, "There is no filter to rendering",
                  {"from CDirectShow::_RenderOutputPins()", "from CDirectShow::Play()"});
}

TEST_F(DirectShowFailureTest, CorruptMiddleStillEnds)
{
    std::string source = TestMediaPath(TestMedia::Mp3);
    std::string path = CorruptedCopy(source, std::filesystem::file_size(source) / 2, 4096);
    ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
    long lEvent = WaitForEvent();
    EXPECT_TRUE(lEvent == EC_COMPLETE || lEvent == EC_ERRORABORT) << lEvent;
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

TEST_F(DirectShowFailureTest, FileDeletedWhilePlaying)
{
    std::string path = m_dir.Path() + "/deleted.avi";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Avi), path);
    ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
    std::filesystem::remove(path);
    // The open file stays readable until it is closed.
    EXPECT_EQ(WaitForEvent(), EC_COMPLETE);
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

// Whether the graph is stopped or dropped, an element that refuses to stop
// is taken down, and nothing is left behind unstopped.
TEST_F(DirectShowTest, AnElementThatRefusesToStopIsTakenDownWithTheGraph)
{
    CCriticalCount criticals;
    CDebugCapture quiet;
    for (bool bStopFirst : {true, false}) {
        auto* pRefuser = GST_ELEMENT(gst_object_ref_sink(g_object_new(refusing_element_get_type(), nullptr)));
        {
            CFilterGraph graph(0, kVolumeFull);
            ASSERT_EQ(graph.AddFilter(pRefuser, "refuser"), S_OK);
            ASSERT_EQ(graph.Pause(), S_OK);
            if (bStopFirst) {
                EXPECT_NE(graph.Stop(), S_OK);
                int nState = -1;
                EXPECT_EQ(graph.GetState(10000, &nState), S_OK);
                EXPECT_EQ(nState, State_Stopped);
            }
        }
        EXPECT_EQ(GST_STATE(pRefuser), GST_STATE_NULL) << bStopFirst;
        gst_object_unref(pRefuser);
    }
    EXPECT_EQ(criticals.Count(), 0);
}

size_t OpenDescriptors()
{
    size_t count = 0;
    if (DIR* pDir = ::opendir("/proc/self/fd")) {
        while (::readdir(pDir) != nullptr)
            ++count;
        ::closedir(pDir);
    }
    return count;
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:" && status >> value)
            return value;
        status.ignore(4096, '\n');
    }
    return 0;
}

TEST_F(DirectShowTest, RepeatedPlayAndStopLeaveMemoryAndDescriptorsFlat)
{
    const std::string files[] = {TestMediaPath(TestMedia::Mp3), TestMediaPath(TestMedia::Avi)};
    constexpr int kCycles = 200;
    constexpr int kWarmUp = 20;
    size_t nDescriptors = 0;
    long lResident = 0;
    for (int i = 0; i < kCycles; ++i) {
        if (i == kWarmUp) {
            nDescriptors = OpenDescriptors();
            lResident = ResidentKilobytes();
        }
        ASSERT_EQ(m_graph.Play(files[i % 2].c_str()), S_OK) << i << LastReport();
        ASSERT_EQ(m_graph.Stop(), S_OK) << i;
        QCoreApplication::processEvents();
    }
    // A leak per cycle would pass these bounds by far; below them is what
    // the GL video sink's driver keeps for itself (threads, about 0.5 MB per
    // video file on Mesa), which X image sinks do not.
    EXPECT_LE(OpenDescriptors(), nDescriptors + 16);
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator holds freed memory back (up to 256 MB) before
    // it reuses it, which the X image path's many small buffers fill.
    EXPECT_LT(ResidentKilobytes() - lResident, 192 * 1024);
#else
    (void)lResident;
#endif
}

// The threads of each graph, the GL video sink's above all, free far more
// than they keep; unless the released graph's memory is given back, malloc
// keeps it and a trim after the last stop would still free tens of MB.
TEST_F(DirectShowTest, ReleasedGraphsLeaveNoFreedMemoryWithMalloc)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps freed memory by its own rules";
#endif
    const std::string path = TestMediaPath(TestMedia::Avi);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << i << LastReport();
        ASSERT_EQ(m_graph.Stop(), S_OK) << i;
        QCoreApplication::processEvents();
    }
    const long lResident = ResidentKilobytes();
    malloc_trim(0);
    EXPECT_LT(lResident - ResidentKilobytes(), 8 * 1024);
}

} // namespace
