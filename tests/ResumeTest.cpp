// What the player remembers between runs, on real player processes under a
// window manager: keys pressed through the X server, the position and
// volume read over MPRIS, the note over the picture read from the X server
// (and kept as screenshots in MEMORY_ARTIFACT_DIR), the state file read and
// written from outside. Each test has a configuration folder of its own.
#include "DesktopPlayerTest.h"
#include "TempDir.h"

#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <X11/keysym.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

constexpr int kWaitMs = kDesktopWaitMs;
const std::vector<unsigned long> kCtrl = {XK_Control_L};
const std::vector<unsigned long> kShift = {XK_Shift_L};
const std::vector<unsigned long> kAlt = {XK_Alt_L};
const QString kVolume = QStringLiteral("Volume");
const std::string kNoteTitle = "Picture note";
// How long the note may take to be painted once shown (it stays 2.5 s).
constexpr int kNoteMs = 2000;

class ResumeTest : public DesktopPlayerTest {
protected:
    void SetUp() override
    {
        DesktopPlayerTest::SetUp();
        if (const char* pszFolder = std::getenv("XDG_CONFIG_HOME"))
            m_oldConfig = pszFolder;
        m_pConfig = std::make_unique<CTempDir>();
        UseConfigFolder(m_pConfig->Path());
    }

    void TearDown() override
    {
        DesktopPlayerTest::TearDown();
        if (m_oldConfig)
            ::setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }

    // The players started from now on keep their state in `folder`.
    static void UseConfigFolder(const std::string& folder) { ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1); }

    std::string StateFile() const { return m_pConfig->Path() + "/korvoplayer/state.json"; }

    void WriteState(const std::string& text) const
    {
        std::filesystem::create_directories(m_pConfig->Path() + "/korvoplayer");
        m_pConfig->WriteFile("korvoplayer/state.json", text);
    }

    QJsonObject ReadState() const
    {
        QFile file(QString::fromStdString(StateFile()));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // Where the state file says the clip was left, in seconds; -1 when it
    // holds no place for it.
    double RememberedPlace() const
    {
        for (const QJsonValue point : ReadState().value(QStringLiteral("resume")).toArray()) {
            if (point.toObject().value(QStringLiteral("file")).toString().toStdString() == LongClip())
                return point.toObject().value(QStringLiteral("position")).toDouble() / 1e7;
        }
        return -1;
    }

    static std::string ResumeState(double dPosition, double dLength)
    {
        return "{\"format\": 1, \"resume\": [{\"file\": \"" + LongClip() +
               "\", \"position\": " + std::to_string(dPosition * 1e7) + ", \"length\": " +
               std::to_string(dLength * 1e7) + "}]}";
    }

    // Mostly the note's dark ground, with its light text on it.
    static bool ShowsNote(const QImage& shown)
    {
        int nDark = 0;
        int nLight = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const int nGray = qGray(shown.pixel(x, y));
                nDark += nGray < 40 ? 1 : 0;
                nLight += nGray > 200 ? 1 : 0;
            }
        }
        const int nPixels = shown.width() * shown.height();
        return nPixels > 0 && nDark > nPixels / 2 && nLight > nPixels / 50;
    }

    static bool Near(double dPosition, double dFrom, double dTo)
    {
        return dPosition >= dFrom && dPosition <= dTo;
    }

    // Plays on until the position is past dSeconds, so that a file that
    // should not have resumed has had the time to go wrong.
    static double PositionAfter(double dSeconds)
    {
        WaitUntil([&] { return Position() > dSeconds; }, kWaitMs);
        return Position();
    }

    void Quit()
    {
        Press(kAlt, XK_F4);
        ASSERT_TRUE(m_pPlayer->WaitForExit(kWaitMs));
        EXPECT_EQ(m_pPlayer->ExitCode(), 0);
    }

    // The clip played to five minutes and left there by quitting, with the
    // volume 15 down.
    void LeaveTheClipAtFiveMinutes()
    {
        Start(LongClip());
        Press(kShift, XK_Right);
        ASSERT_TRUE(WaitUntil([] { return Near(Position(), 299, 330); }, kWaitMs)) << Position();
        for (int i = 0; i < 3; ++i)
            Press({}, XK_Down);
        ASSERT_TRUE(WaitForValue(kVolume, 0.85));
        Quit();
    }

    std::unique_ptr<CTempDir> m_pConfig;
    std::optional<std::string> m_oldConfig;
};

// Quit part-way, started again on the same file: the volume is as it was
// left and the file goes on where it was left; Home starts it over, and a
// file left within seconds of its start is forgotten.
TEST_F(ResumeTest, AFileLeftPartWayResumesInTheNextRunAndHomeStartsItOver)
{
    LeaveTheClipAtFiveMinutes();
    EXPECT_TRUE(Near(RememberedPlace(), 299, 330)) << RememberedPlace();
    EXPECT_EQ(ReadState().value(QStringLiteral("volume")).toInt(), 85);

    Start(LongClip());
    EXPECT_NEAR(Property(kVolume).toDouble(), 0.85, 0.001);
    EXPECT_TRUE(WaitUntil([] { return Near(Position(), 299, 340); }, kWaitMs)) << Position();
    Press({}, XK_Home);
    EXPECT_TRUE(WaitUntil([] { return Position() < 5; }, kWaitMs)) << Position();
    Quit();
    EXPECT_EQ(RememberedPlace(), -1);
}

// A file handed over by a later start resumes as well.
TEST_F(ResumeTest, AFileHandedToTheRunningPlayerResumes)
{
    LeaveTheClipAtFiveMinutes();
    Start();
    CPlayerProcess later({QString::fromStdString(LongClip())});
    EXPECT_TRUE(later.WaitForExit(kWaitMs));
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_TRUE(WaitUntil([] { return Near(Position(), 299, 340); }, kWaitMs)) << Position();
}

// Stopped and played again, the file resumes with its time shown over the
// picture, on top of the video sink's windows: in a window and in both
// full-screen modes. Screenshots of each go to MEMORY_ARTIFACT_DIR.
TEST_F(ResumeTest, TheResumedTimeShowsOverThePicture)
{
    Start(LongClip());
    Press(kShift, XK_Right);
    ASSERT_TRUE(WaitUntil([] { return Near(Position(), 299, 330); }, kWaitMs)) << Position();
    // In the X server's pixels, as the window's rectangle is read (this
    // process may run at the player's scale too).
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    const QRect display(pScreen->geometry().topLeft() * pScreen->devicePixelRatio(),
                        pScreen->geometry().size() * pScreen->devicePixelRatio());
    const char* pszScale = std::getenv("QT_SCALE_FACTOR");
    const std::string scale = pszScale != nullptr ? pszScale : "1";
    const char* pszPath = std::getenv("KORVOPLAYER_VIDEO_SINK");
    const std::string path = pszPath != nullptr ? pszPath : "x";
    const struct {
        const char* pszName;
        std::vector<unsigned long> modifiers;
        unsigned long nKey;
    } screens[] = {{"window", {}, 0}, {"full-screen", {}, XK_Return}, {"entire-screen", kCtrl, XK_Return}};
    for (const auto& screen : screens) {
        SCOPED_TRACE(screen.pszName);
        const QRect windowed = Rect();
        if (screen.nKey != 0) {
            Press(screen.modifiers, screen.nKey);
            ASSERT_EQ(WaitForRect(display), display);
        }
        Press(kCtrl, XK_BackSpace);
        ASSERT_TRUE(WaitForStatus(QStringLiteral("Stopped")));
        const double dLeft = RememberedPlace();
        EXPECT_GE(dLeft, 299);
        Press({}, XK_space);
        unsigned long note = 0;
        ASSERT_TRUE(WaitUntil([&] { return (note = m_x.FindChild(m_window, kNoteTitle)) != 0 && m_x.IsShown(note); },
                              kWaitMs));
        // The note, not the picture, is what the screen shows there once it
        // has been painted: its dark ground and light text.
        const QRect area = m_x.Rect(note);
        const bool bShown = WaitUntil([&] { return ShowsNote(m_x.GrabScreen(area)); }, kNoteMs);
        const std::string shot = std::string(MEMORY_ARTIFACT_DIR) + "/resumed-" + screen.pszName + "-" + path +
                                 "-scale" + scale + ".png";
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                     QString::fromStdString(shot)});
        EXPECT_TRUE(bShown) << "the note is hidden under the picture: " << shot;
        EXPECT_GT(area.width(), 100);
        EXPECT_TRUE(Rect().contains(area)) << testing::PrintToString(area);
        EXPECT_TRUE(Near(Position(), dLeft - 1, dLeft + 30)) << Position() << " left at " << dLeft;
        // It goes after a moment.
        EXPECT_TRUE(WaitUntil([&] { return !m_x.IsShown(note); }, kWaitMs));
        if (screen.nKey != 0) {
            Press(screen.modifiers, screen.nKey);
            EXPECT_EQ(WaitForRect(windowed), windowed);
        }
    }
}

// --no-resume starts the file at its beginning for that run; the volume is
// still the one left.
TEST_F(ResumeTest, NoResumeStartsFromTheBeginningForOneRun)
{
    LeaveTheClipAtFiveMinutes();
    Start(LongClip(), {QStringLiteral("--no-resume")});
    EXPECT_NEAR(Property(kVolume).toDouble(), 0.85, 0.001);
    EXPECT_LT(PositionAfter(2), 30);
}

// The Play menu's "Resume Where Left Off", unchecked with the mouse and the
// keyboard, is remembered: the next run starts the file from its beginning.
TEST_F(ResumeTest, TheMenuSwitchIsRemembered)
{
    LeaveTheClipAtFiveMinutes();
    Start();
    // The menu: Open, Close, Play; the Play submenu's last entry.
    m_x.Click(Rect().center(), 3);
    for (unsigned long nKey : {XK_Down, XK_Down, XK_Down, XK_Right, XK_Up, XK_Return}) {
        QThread::msleep(200);
        m_x.Press({}, nKey);
    }
    EXPECT_TRUE(WaitUntil([&] { return ReadState().value(QStringLiteral("resumeOn")) == QJsonValue(false); },
                          kWaitMs));
    Quit();
    Start(LongClip());
    EXPECT_LT(PositionAfter(2), 30);
}

// A place past the file's end (the file was replaced by a shorter one)
// starts the file from its beginning.
TEST_F(ResumeTest, APlacePastTheEndStartsFromTheBeginning)
{
    WriteState(ResumeState(1000, 3600));
    Start(LongClip());
    EXPECT_LT(PositionAfter(2), 30);
}

// A file played to its end is forgotten, however close to the end it was
// left before.
TEST_F(ResumeTest, AFilePlayedToItsEndIsForgotten)
{
    WriteState(ResumeState(700, 720));
    Start(LongClip());
    ASSERT_TRUE(WaitUntil([] { return Near(Position(), 699, 720); }, kWaitMs)) << Position();
    Press(kCtrl, XK_Right);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Stopped")));
    EXPECT_EQ(RememberedPlace(), -1);
}

// A broken state file is ignored (the volume is full, the file starts at
// its beginning) and replaced by the next change.
TEST_F(ResumeTest, ABrokenStateFileIsIgnoredAndReplaced)
{
    WriteState("{\"format\": 1, \"volume\": 5, \"resume\": [{\"file\": \"" + LongClip() + "\", \"position\": 3e9");
    Start(LongClip());
    EXPECT_NEAR(Property(kVolume).toDouble(), 1.0, 0.001);
    EXPECT_LT(PositionAfter(2), 30);
    Press({}, XK_Down);
    ASSERT_TRUE(WaitForValue(kVolume, 0.95));
    EXPECT_TRUE(WaitUntil([&] { return ReadState().value(QStringLiteral("volume")).toInt() == 95; }, kWaitMs));
}

// A configuration folder that cannot be made holds up nothing: the file
// plays, stops and plays again (where it was left: the run itself still
// remembers), and the player ends as usual; the next run starts afresh.
TEST_F(ResumeTest, AFolderThatCannotBeWrittenHoldsUpNothing)
{
    const std::string blocker = m_pConfig->WriteFile("not-a-folder", "");
    UseConfigFolder(blocker + "/config");
    Start(LongClip());
    Press({}, XK_Down);
    EXPECT_TRUE(WaitForValue(kVolume, 0.95));
    Press(kShift, XK_Right);
    ASSERT_TRUE(WaitUntil([] { return Near(Position(), 299, 330); }, kWaitMs)) << Position();
    Press(kCtrl, XK_BackSpace);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Stopped")));
    Press({}, XK_space);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_TRUE(WaitUntil([] { return Near(Position(), 299, 340); }, kWaitMs)) << Position();
    Quit();
    Start(LongClip());
    EXPECT_NEAR(Property(kVolume).toDouble(), 1.0, 0.001);
    EXPECT_LT(PositionAfter(1), 30);
}

} // namespace
