// The single instance with real player processes: each test has a record and
// sockets of its own (KORVOPLAYER_INSTANCE_TAG).
#include "BuiltInSkin.h"
#include "DebugCapture.h"
#include "PlayerProcess.h"
#include "TempDir.h"
#include "instance/InstanceMessage.h"
#include "instance/InstanceNames.h"
#include "app/KorvoPlayerDlg.h"
#include "instance/SharedMemory.h"
#include "instance/SharedPlayerRecord.h"
#include "app/WendalPlayerApp.h"
#include "common/Report.h"

#include <QGuiApplication>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kStartMs = 20000;
constexpr WindowHandle kNoSuchWindow = 0x7FFFFFF0;

class InstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        std::string tag = "t" + std::to_string(::getpid()) + "n" + std::to_string(++counter);
        ::setenv("KORVOPLAYER_INSTANCE_TAG", tag.c_str(), 1);
    }

    void TearDown() override
    {
        m_record.Close();
        ::shm_unlink(SharedRecordName().c_str());
        ::unsetenv("KORVOPLAYER_INSTANCE_TAG");
    }

    // This test's view of the record, created when no player made it yet.
    SharedPlayerRecord& Record()
    {
        if (m_pRecord == nullptr) {
            void* pView = nullptr;
            EXPECT_EQ(m_record.Create(SharedRecordName(), sizeof(SharedPlayerRecord)), S_OK);
            EXPECT_EQ(m_record.Map(&pView), S_OK);
            m_pRecord = static_cast<SharedPlayerRecord*>(pView);
        }
        return *m_pRecord;
    }

    void CloseRecord()
    {
        m_record.Close();
        m_pRecord = nullptr;
    }

    // Waits until a player window other than `hOld` has published its handle.
    WindowHandle WaitForNewWindow(WindowHandle hOld)
    {
        WindowHandle hWnd = 0;
        WaitUntil(
            [&] {
                hWnd = ReadRecordWindow(Record());
                return hWnd != 0 && hWnd != hOld;
            },
            kStartMs);
        return hWnd != hOld ? hWnd : 0;
    }

    static uint32_t Query(WindowHandle hWnd)
    {
        return SendInstanceMessage(hWnd, {WM_PLAYER_QUERYINSTANCE, 0, 0}, kQueryTimeoutMs);
    }

    CTempDir m_dir;
    CSharedMemory m_record;
    SharedPlayerRecord* m_pRecord = nullptr;
};

// A first instance inside the test process, so that the test sees its window.
class CInProcessPlayer {
public:
    CInProcessPlayer()
    {
        EXPECT_EQ(m_app._CreateSharedMemory(), S_OK);
        m_pDlg = std::make_unique<CKorvoPlayerDlg>();
    }
    ~CInProcessPlayer()
    {
        m_pDlg.reset();
        m_app.ExitInstance();
    }

    CKorvoPlayerDlg& Dialog() { return *m_pDlg; }

private:
    CWendalPlayerApp m_app;
    std::unique_ptr<CKorvoPlayerDlg> m_pDlg;
};

TEST_F(InstanceTest, FirstStartPublishesItsWindowAndTheRecordGoesWithIt)
{
    auto first = std::make_unique<CPlayerProcess>();
    WindowHandle hWnd = WaitForNewWindow(0);
    ASSERT_NE(hWnd, 0u);
    EXPECT_EQ(Query(hWnd), 1u);
    EXPECT_TRUE(first->IsRunning());
    std::strcpy(Record().file, "old.mp3");

    CloseRecord();
    first->Terminate();
    ASSERT_TRUE(first->WaitForExit(kStartMs));
    EXPECT_EQ(first->ExitCode(), 0);
    EXPECT_EQ(::shm_open(SharedRecordName().c_str(), O_RDONLY, 0), -1);
    EXPECT_EQ(errno, ENOENT);

    // The next start finds a fresh record.
    CPlayerProcess again;
    ASSERT_NE(WaitForNewWindow(0), 0u);
    EXPECT_EQ(ReadRecordText(Record().file, sizeof Record().file), "");
}

TEST_F(InstanceTest, ASecondStartHandsItsFileToTheFirstAndEnds)
{
    CInProcessPlayer player;
    std::string file = m_dir.WriteFile("clip.avi", "RIFF");
    CPlayerProcess later({QString::fromStdString(file), QStringLiteral("second")});
    ASSERT_TRUE(later.WaitForExit(kStartMs));
    EXPECT_EQ(later.ExitCode(), 0);
    EXPECT_EQ(player.Dialog().FileName(), file);
    EXPECT_EQ(ReadRecordText(g_pSharedRecord->secondArgument, kRecordArgumentSize), "second");
}

// A player whose skin could not be built is still the player: it publishes
// itself, and a later start hands its file over and ends instead of
// opening a second player.
TEST_F(InstanceTest, APlayerWithoutItsSkinIsStillTheOneLaterStartsFind)
{
    WithoutTheBuiltInSkin([&] {
        CDebugCapture quiet;
        CInProcessPlayer player;
        ASSERT_EQ(player.Dialog().SkinManager(), nullptr);
        const auto hPlayer = static_cast<WindowHandle>(player.Dialog().winId());
        EXPECT_EQ(ReadRecordWindow(*g_pSharedRecord), hPlayer);
        std::string file = m_dir.WriteFile("clip.avi", "RIFF");
        CPlayerProcess later({QString::fromStdString(file), QStringLiteral("second")});
        ASSERT_TRUE(later.WaitForExit(kStartMs));
        EXPECT_EQ(later.ExitCode(), 0);
        EXPECT_EQ(player.Dialog().FileName(), file);
        EXPECT_EQ(player.Dialog().SecondArgument(), "second");
    });
}

// A later start hands over what it means: a relative name against its own
// folder, absolute names (as long as the record holds) and URIs unchanged.
TEST_F(InstanceTest, ALaterStartHandsOverItsNameAsItMeansIt)
{
    CInProcessPlayer player;
    std::string folder = std::filesystem::canonical(m_dir.Path()).string();
    m_dir.WriteFile("song.mp3", "ID3");
    auto handOver = [&](const std::string& argument) {
        CPlayerProcess later({QString::fromStdString(argument)}, QString::fromStdString(folder));
        EXPECT_TRUE(later.WaitForExit(kStartMs));
        EXPECT_EQ(later.ExitCode(), 0);
        return player.Dialog().FileName();
    };
    EXPECT_EQ(handOver("song.mp3"), folder + "/song.mp3");
    EXPECT_EQ(handOver("./song.mp3"), folder + "/./song.mp3");
    EXPECT_EQ(handOver("file:///media/a%20b.mp3"), "file:///media/a%20b.mp3");
    std::string longest = "/" + std::string(kRecordFileSize - 2, 'n');
    EXPECT_EQ(handOver(longest), longest);
}

// Another process of the user cuts the record to nothing: the player reads
// no garbage and does not die of it, and later starts still reach it.
TEST_F(InstanceTest, ARecordCutShortIsGarbageNotACrash)
{
    CInProcessPlayer player;
    int fd = ::shm_open(SharedRecordName().c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    EXPECT_EQ(player.Dialog().OnInstanceMessage({WM_PLAYER_OPENFORWARDED, 0, 0}), 0u);
    EXPECT_NE(LastReport().find("shorter than 4356 bytes"), std::string::npos) << LastReport();
    EXPECT_TRUE(player.Dialog().FileName().empty());

    ASSERT_EQ(::ftruncate(fd, 0), 0);
    ::close(fd);
    std::string file = m_dir.WriteFile("after.mp3", "ID3");
    CPlayerProcess later({QString::fromStdString(file)});
    ASSERT_TRUE(later.WaitForExit(kStartMs));
    EXPECT_EQ(later.ExitCode(), 0);
    EXPECT_EQ(player.Dialog().FileName(), file);
}

// The record is scribbled on, then removed: each later start still finds
// the running player and hands over, and the player publishes itself again.
TEST_F(InstanceTest, AScribbledOrRemovedRecordDoesNotHideTheRunningPlayer)
{
    CInProcessPlayer player;
    auto hPlayer = static_cast<WindowHandle>(player.Dialog().winId());
    auto handOver = [&](const std::string& name) {
        std::string file = m_dir.WriteFile(name, "ID3");
        CPlayerProcess later({QString::fromStdString(file)});
        EXPECT_TRUE(later.WaitForExit(kStartMs));
        EXPECT_EQ(later.ExitCode(), 0);
        EXPECT_EQ(player.Dialog().FileName(), file);
    };
    std::memset(g_pSharedRecord, 0xFF, sizeof(SharedPlayerRecord));
    handOver("scribbled.mp3");
    EXPECT_EQ(ReadRecordWindow(*g_pSharedRecord), hPlayer);

    ASSERT_EQ(::shm_unlink(SharedRecordName().c_str()), 0);
    handOver("removed.mp3");
    EXPECT_EQ(ReadRecordWindow(Record()), hPlayer);

    // Without any later start, the player finds out by itself.
    CloseRecord();
    ASSERT_EQ(::shm_unlink(SharedRecordName().c_str()), 0);
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists("/dev/shm" + SharedRecordName()); }, kStartMs));
    EXPECT_EQ(ReadRecordWindow(Record()), hPlayer);
}

TEST_F(InstanceTest, ASecondStartWithoutArgumentsSendsNoOpenMessage)
{
    CInProcessPlayer player;
    std::strcpy(g_pSharedRecord->file, "stale.mp3");
    CPlayerProcess later;
    ASSERT_TRUE(later.WaitForExit(kStartMs));
    EXPECT_EQ(later.ExitCode(), 0);
    EXPECT_TRUE(player.Dialog().FileName().empty());
}

// Where the X server stacks the top-level window `hWnd`: 0 is the top.
int StackingPosition(WindowHandle hWnd)
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    xwininfo.waitForFinished();
    QString id = QStringLiteral("0x%1 ").arg(hWnd, 0, 16);
    int position = 0;
    for (const QString& line : QString::fromLocal8Bit(xwininfo.readAllStandardOutput()).split('\n')) {
        if (!line.trimmed().startsWith(QStringLiteral("0x")))
            continue;
        if (line.trimmed().startsWith(id))
            return position;
        ++position;
    }
    return -1;
}

TEST_F(InstanceTest, ASecondStartBringsTheRunningWindowToTheFront)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X server";
    CInProcessPlayer player;
    player.Dialog().show();
    QWidget cover;
    cover.resize(800, 600);
    cover.show();
    auto hPlayer = static_cast<WindowHandle>(player.Dialog().winId());
    auto hCover = static_cast<WindowHandle>(cover.winId());
    ASSERT_TRUE(WaitUntil([&] { return StackingPosition(hCover) >= 0 && StackingPosition(hCover) < StackingPosition(hPlayer); }, kStartMs));

    CPlayerProcess later;
    ASSERT_TRUE(later.WaitForExit(kStartMs));
    EXPECT_TRUE(WaitUntil([&] { return StackingPosition(hPlayer) < StackingPosition(hCover); }, kStartMs));
}

TEST_F(InstanceTest, AStaleHandleMeansNoRunningInstance)
{
    WriteRecordWindow(Record(), kNoSuchWindow);
    CPlayerProcess first({QStringLiteral("clip.mp3")});
    WindowHandle hWnd = WaitForNewWindow(kNoSuchWindow);
    ASSERT_NE(hWnd, 0u);
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(Query(hWnd), 1u);
}

TEST_F(InstanceTest, AGarbageRecordMeansNoRunningInstance)
{
    std::memset(&Record(), 0xFF, sizeof(SharedPlayerRecord));
    CPlayerProcess first({QStringLiteral("clip.mp3")});
    WindowHandle hWnd = WaitForNewWindow(0xFFFFFFFF);
    ASSERT_NE(hWnd, 0u);
    EXPECT_EQ(Query(hWnd), 1u);
}

// Listens where the window `hWnd` would answer; `answer` decides whether the
// peer ever replies. Runs as `uid` from listen() on.
pid_t StartFakePeer(WindowHandle hWnd, bool answer, uid_t uid)
{
    std::string path = InstanceSocketPath(hWnd);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ::unlink(path.c_str());
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return -1;
    pid_t child = ::fork();
    if (child != 0) {
        ::close(fd);
        return child;
    }
    if (::setuid(uid) != 0 || ::listen(fd, 8) != 0)
        ::_exit(1);
    for (;;) {
        int client = ::accept(fd, nullptr, nullptr);
        InstanceRequest request{};
        uint32_t one = 1;
        if (client >= 0 && answer && ::read(client, &request, sizeof request) == sizeof request)
            [[maybe_unused]] auto n = ::write(client, &one, sizeof one);
        if (answer && client >= 0)
            ::close(client);
    }
}

class CFakePeer {
public:
    CFakePeer(WindowHandle hWnd, bool answer, uid_t uid) : m_pid(StartFakePeer(hWnd, answer, uid)) {}
    ~CFakePeer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool Started() const { return m_pid > 0; }

private:
    pid_t m_pid;
};

TEST_F(InstanceTest, APeerThatNeverAnswersMeansNoRunningInstance)
{
    CFakePeer silent(kNoSuchWindow, false, ::geteuid());
    ASSERT_TRUE(silent.Started());
    WriteRecordWindow(Record(), kNoSuchWindow);
    CPlayerProcess first;
    WindowHandle hWnd = WaitForNewWindow(kNoSuchWindow);
    ASSERT_NE(hWnd, 0u);
    EXPECT_TRUE(first.IsRunning());
}

TEST_F(InstanceTest, APeerOfAnotherUserIsNotTrusted)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run a peer as another user";
    CFakePeer foreign(kNoSuchWindow, true, 65534);
    ASSERT_TRUE(foreign.Started());
    WriteRecordWindow(Record(), kNoSuchWindow);
    ::usleep(200000);
    EXPECT_EQ(Query(kNoSuchWindow), 0u);
    CPlayerProcess first({QStringLiteral("clip.mp3")});
    ASSERT_NE(WaitForNewWindow(kNoSuchWindow), 0u);
    EXPECT_TRUE(first.IsRunning());
}

TEST_F(InstanceTest, SimultaneousStartsEndWithOneWindow)
{
    CPlayerProcess a({QString::fromStdString(m_dir.WriteFile("a.mp3", "ID3"))});
    CPlayerProcess b({QString::fromStdString(m_dir.WriteFile("b.mp3", "ID3"))});
    ASSERT_TRUE(WaitUntil([&] { return !a.IsRunning() || !b.IsRunning(); }, kStartMs));
    CPlayerProcess& survivor = a.IsRunning() ? a : b;
    CPlayerProcess& forwarder = a.IsRunning() ? b : a;
    EXPECT_EQ(forwarder.ExitCode(), 0);
    EXPECT_TRUE(survivor.IsRunning());
    EXPECT_EQ(Query(ReadRecordWindow(Record())), 1u);
}

} // namespace
