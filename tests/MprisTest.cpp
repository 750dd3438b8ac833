// The player as the desktop sees it, on a session bus of the test's own: a
// real player process driven by playerctl and by D-Bus calls of this process,
// a stand-in screen-saver service that records what the player asks of it,
// and later starts that hand the running player names of every kind.
#include "DBusSignalRecorder.h"
#include "FakeScreenSaver.h"
#include "PlayerProcess.h"
#include "PrivateSessionBus.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>
#include <QProcessEnvironment>
#include <QUrl>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 30000;
const QString kService = QStringLiteral("org.mpris.MediaPlayer2.korvoplayer");
const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

class MprisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(CPrivateSessionBus::Get().Address().empty()) << "dbus-daemon did not start";
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        static int counter = 0;
        std::string tag = "mpris" + std::to_string(::getpid()) + "n" + std::to_string(++counter);
        ::setenv("KORVOPLAYER_INSTANCE_TAG", tag.c_str(), 1);
    }

    void TearDown() override
    {
        if (m_pPlayer != nullptr && m_pPlayer->IsRunning()) {
            m_pPlayer->Terminate();
            m_pPlayer->WaitForExit(kWaitMs);
        }
        m_pPlayer.reset();
        ::unsetenv("KORVOPLAYER_INSTANCE_TAG");
    }

    // A link to `media` named `name` in the test's folder.
    std::string Media(const std::string& name, TestMedia media)
    {
        std::string path = m_dir.Path() + "/" + name;
        std::filesystem::create_symlink(TestMediaPath(media), path);
        return path;
    }

    // Starts the first player with `file` (in `folder`, when one is given)
    // and waits until it is on the bus.
    void StartPlayer(const std::string& file, const std::string& folder = {})
    {
        m_pPlayer = std::make_unique<CPlayerProcess>(QStringList{QString::fromStdString(file)},
                                                     QString::fromStdString(folder));
        ASSERT_TRUE(WaitUntil([] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(kService); },
                              kWaitMs));
    }

    // A later start that hands `file` to the running player.
    static void HandOver(const std::string& file)
    {
        CPlayerProcess later({QString::fromStdString(file)});
        ASSERT_TRUE(later.WaitForExit(kWaitMs));
        EXPECT_EQ(later.ExitCode(), 0);
    }

    // playerctl's answer, while this process keeps serving its own bus
    // objects (the stand-in screen saver answers the player meanwhile).
    static QString Playerctl(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral("playerctl"), QStringList{QStringLiteral("--player=korvoplayer")} + arguments);
        EXPECT_TRUE(process.waitForStarted());
        EXPECT_TRUE(WaitUntil([&] { return process.state() == QProcess::NotRunning; }, kWaitMs));
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    static bool WaitForStatus(const QString& status)
    {
        return WaitUntil([&] { return Playerctl({QStringLiteral("status")}) == status; }, kWaitMs);
    }

    static QVariant Property(const QString& name)
    {
        QDBusInterface properties(kService, kMprisPath, QStringLiteral("org.freedesktop.DBus.Properties"));
        QDBusReply<QDBusVariant> reply = properties.call(QStringLiteral("Get"), kPlayer, name);
        return reply.isValid() ? reply.value().variant() : QVariant();
    }

    static QDBusMessage SetProperty(const QString& name, const QVariant& value)
    {
        QDBusInterface properties(kService, kMprisPath, QStringLiteral("org.freedesktop.DBus.Properties"));
        return properties.call(QStringLiteral("Set"), kPlayer, name, QVariant::fromValue(QDBusVariant(value)));
    }

    static QDBusMessage Call(const QString& method, const QVariant& a = {}, const QVariant& b = {})
    {
        QDBusInterface player(kService, kMprisPath, kPlayer);
        QList<QVariant> arguments;
        for (const QVariant& argument : {a, b})
            if (argument.isValid())
                arguments << argument;
        return player.callWithArgumentList(QDBus::Block, method, arguments);
    }

    static QString PlayingFile()
    {
        return QUrl(Playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:url")})).toLocalFile();
    }

    CTempDir m_dir;
    std::unique_ptr<CPlayerProcess> m_pPlayer;
};

TEST_F(MprisTest, PlayerctlSeesAndDrivesThePlayer)
{
    const std::string first = Media("a first.wmv", TestMedia::Wmv20s);
    const std::string second = Media("b second.wmv", TestMedia::Wmv20s);
    const std::string third = Media("c third.wmv", TestMedia::Wmv20s);
    CDBusSignalRecorder recorder;
    ASSERT_TRUE(recorder.Listen());
    StartPlayer(first);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    HandOver(third);
    HandOver(second);
    ASSERT_TRUE(WaitUntil([&] { return PlayingFile() == QString::fromStdString(second); }, kWaitMs));
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));

    // Metadata of the file playing.
    EXPECT_EQ(Playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}), QStringLiteral("b second.wmv"));
    bool bOk = false;
    const qlonglong llLength = Playerctl({QStringLiteral("metadata"), QStringLiteral("mpris:length")}).toLongLong(&bOk);
    EXPECT_TRUE(bOk);
    EXPECT_NEAR(static_cast<double>(llLength), 20e6, 0.5e6);
    EXPECT_TRUE(Playerctl({QStringLiteral("metadata"), QStringLiteral("mpris:trackid")})
                    .contains(QStringLiteral("/org/korvoplayer/track/")));

    // Next and previous go through the sorted three-entry playlist.
    Playerctl({QStringLiteral("next")});
    EXPECT_TRUE(WaitUntil([&] { return PlayingFile() == QString::fromStdString(third); }, kWaitMs));
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    Playerctl({QStringLiteral("previous")});
    EXPECT_TRUE(WaitUntil([&] { return PlayingFile() == QString::fromStdString(second); }, kWaitMs));
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    Playerctl({QStringLiteral("previous")});
    EXPECT_TRUE(WaitUntil([&] { return PlayingFile() == QString::fromStdString(first); }, kWaitMs));
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_FALSE(Property(QStringLiteral("CanGoPrevious")).toBool());
    EXPECT_TRUE(Property(QStringLiteral("CanGoNext")).toBool());

    // Play-pause pauses and resumes.
    Playerctl({QStringLiteral("play-pause")});
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Paused")));
    Playerctl({QStringLiteral("play-pause")});
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));

    // Seeking to a position and by an offset, each announced.
    recorder.Clear();
    Playerctl({QStringLiteral("position"), QStringLiteral("12")});
    EXPECT_TRUE(WaitUntil([&] { return !recorder.SeekedPositions().isEmpty(); }, kWaitMs));
    EXPECT_GE(Playerctl({QStringLiteral("position")}).toDouble(), 11.5);
    recorder.Clear();
    Playerctl({QStringLiteral("position"), QStringLiteral("10-")});
    EXPECT_TRUE(WaitUntil([&] { return !recorder.SeekedPositions().isEmpty(); }, kWaitMs));
    EXPECT_LT(Playerctl({QStringLiteral("position")}).toDouble(), 8.0);

    // Volume 0.0-1.0 is the player's 0-100.
    Playerctl({QStringLiteral("volume"), QStringLiteral("0.35")});
    EXPECT_TRUE(WaitUntil([&] { return recorder.ChangedProperties().contains(QStringLiteral("Volume")); }, kWaitMs));
    EXPECT_DOUBLE_EQ(Property(QStringLiteral("Volume")).toDouble(), 0.35);

    Playerctl({QStringLiteral("stop")});
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Stopped")));
    EXPECT_TRUE(recorder.ChangedProperties().contains(QStringLiteral("PlaybackStatus")));
    EXPECT_TRUE(recorder.ChangedProperties().contains(QStringLiteral("CanPause")));
}

TEST_F(MprisTest, TheRootInterfaceNamesThePlayerAndQuitEndsIt)
{
    StartPlayer(Media("clip.wmv", TestMedia::Wmv));
    QDBusInterface root(kService, kMprisPath, QStringLiteral("org.mpris.MediaPlayer2"));
    EXPECT_EQ(root.property("Identity").toString(), QStringLiteral("korvoplayer"));
    EXPECT_EQ(root.property("DesktopEntry").toString(), QStringLiteral("korvoplayer"));
    EXPECT_EQ(root.property("SupportedUriSchemes").toStringList(), QStringList{QStringLiteral("file")});
    const QStringList types = root.property("SupportedMimeTypes").toStringList();
    for (const char* pszType : {"audio/mpeg", "video/x-msvideo", "video/mpeg", "video/x-ms-asf", "video/x-ms-wmv",
                                "audio/x-ms-wma"})
        EXPECT_TRUE(types.contains(QLatin1StringView(pszType))) << pszType;
    EXPECT_TRUE(root.property("CanQuit").toBool());
    EXPECT_TRUE(root.property("CanRaise").toBool());
    EXPECT_EQ(root.call(QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(root.call(QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(m_pPlayer->WaitForExit(kWaitMs));
    EXPECT_EQ(m_pPlayer->ExitCode(), 0);
}

// Full screen is the player's own: set from the desktop it enters and
// leaves the player's full screen, and each change is announced.
TEST_F(MprisTest, TheDesktopReadsAndSetsFullScreen)
{
    CDBusSignalRecorder recorder;
    ASSERT_TRUE(recorder.Listen());
    StartPlayer(Media("clip.wmv", TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    QDBusInterface root(kService, kMprisPath, QStringLiteral("org.mpris.MediaPlayer2"));
    EXPECT_TRUE(root.property("CanSetFullscreen").toBool());
    EXPECT_FALSE(root.property("Fullscreen").toBool());
    recorder.Clear();
    // A second "true" changes nothing and is not announced.
    for (bool bFullScreen : {true, true, false}) {
        ASSERT_TRUE(root.setProperty("Fullscreen", bFullScreen));
        EXPECT_TRUE(WaitUntil([&] { return root.property("Fullscreen").toBool() == bFullScreen; }, kWaitMs));
    }
    EXPECT_TRUE(WaitUntil([&] { return recorder.ChangedRootProperties().size() >= 2; }, kWaitMs));
    EXPECT_EQ(recorder.ChangedRootProperties(), QStringList({QStringLiteral("Fullscreen"), QStringLiteral("Fullscreen")}));
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));
}

// Calls outside what MPRIS allows are ignored, clamped or refused with an
// error that says why; the player keeps playing and answering.
TEST_F(MprisTest, MalformedCallsNeitherCrashNorWedgeThePlayer)
{
    StartPlayer(Media("clip.wmv", TestMedia::Wmv20s));
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    const QVariantMap metadata = qdbus_cast<QVariantMap>(Property(QStringLiteral("Metadata")));
    const QString trackId = metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    ASSERT_FALSE(trackId.isEmpty());

    // A rate within the range is the graph's; 0 pauses, as MPRIS asks.
    SetProperty(QStringLiteral("Rate"), 0.5);
    EXPECT_DOUBLE_EQ(Property(QStringLiteral("Rate")).toDouble(), 0.5);
    SetProperty(QStringLiteral("Rate"), 0.0);
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Paused")));
    Playerctl({QStringLiteral("play")});
    EXPECT_TRUE(WaitForStatus(QStringLiteral("Playing")));

    EXPECT_EQ(Call(QStringLiteral("Seek"), qlonglong(std::numeric_limits<qlonglong>::min())).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_LT(Property(QStringLiteral("Position")).toLongLong(), 3'000'000);
    const QVariant staleId = QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/korvoplayer/track/999")));
    EXPECT_EQ(Call(QStringLiteral("SetPosition"), staleId, qlonglong(15'000'000)).type(), QDBusMessage::ReplyMessage);
    EXPECT_LT(Property(QStringLiteral("Position")).toLongLong(), 10'000'000) << "a stale track id moves nothing";
    const QVariant currentId = QVariant::fromValue(QDBusObjectPath(trackId));
    EXPECT_EQ(Call(QStringLiteral("SetPosition"), currentId, qlonglong(-5)).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(Call(QStringLiteral("SetPosition"), currentId, qlonglong(15'000'000)).type(), QDBusMessage::ReplyMessage);
    EXPECT_GE(Property(QStringLiteral("Position")).toLongLong(), 14'000'000);

    QDBusMessage reply = Call(QStringLiteral("OpenUri"), QStringLiteral("http://example.invalid/song.mp3"));
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(reply.errorMessage().contains(QStringLiteral("local files"))) << reply.errorMessage().toStdString();
    const QString missing = QUrl::fromLocalFile(QString::fromStdString(m_dir.Path() + "/missing.mp3")).toString();
    reply = Call(QStringLiteral("OpenUri"), missing);
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(reply.errorMessage().contains(QStringLiteral("missing.mp3"))) << reply.errorMessage().toStdString();
    EXPECT_EQ(Call(QStringLiteral("OpenUri"), QStringLiteral("not a uri at all %%")).type(),
              QDBusMessage::ErrorMessage);

    SetProperty(QStringLiteral("Volume"), 0.5);
    SetProperty(QStringLiteral("Volume"), std::nan(""));
    EXPECT_DOUBLE_EQ(Property(QStringLiteral("Volume")).toDouble(), 0.5);
    SetProperty(QStringLiteral("Volume"), -1.0);
    EXPECT_DOUBLE_EQ(Property(QStringLiteral("Volume")).toDouble(), 0.0);
    SetProperty(QStringLiteral("Volume"), 10.0);
    EXPECT_DOUBLE_EQ(Property(QStringLiteral("Volume")).toDouble(), 1.0);
    EXPECT_EQ(SetProperty(QStringLiteral("Volume"), QStringLiteral("loud")).type(), QDBusMessage::ErrorMessage);
    SetProperty(QStringLiteral("Rate"), std::nan(""));
    SetProperty(QStringLiteral("Rate"), 1000.0);
    EXPECT_LE(Property(QStringLiteral("Rate")).toDouble(), Property(QStringLiteral("MaximumRate")).toDouble());
    EXPECT_DOUBLE_EQ(Property(QStringLiteral("MinimumRate")).toDouble(), 0.1);

    // Past the end is the next entry, which a one-entry list does not have.
    EXPECT_EQ(Call(QStringLiteral("Seek"), qlonglong(std::numeric_limits<qlonglong>::max())).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(m_pPlayer->IsRunning());
    EXPECT_FALSE(Playerctl({QStringLiteral("status")}).isEmpty());

    // OpenUri of a real file plays it.
    const std::string song = Media("song.mp3", TestMedia::Mp3);
    EXPECT_EQ(Call(QStringLiteral("OpenUri"), QUrl::fromLocalFile(QString::fromStdString(song)).toString()).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(WaitUntil([&] { return PlayingFile() == QString::fromStdString(song); }, kWaitMs));
}

// Without a session bus the player plays as before and says so once.
TEST_F(MprisTest, WithoutASessionBusThePlayerRunsAndTracesOnce)
{
    QProcess player;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + QString::fromStdString(m_dir.Path()) + "/no-bus");
    player.setProcessEnvironment(environment);
    player.start(QStringLiteral(KORVOPLAYER_PATH), {QString::fromStdString(Media("clip.wmv", TestMedia::Wmv))});
    ASSERT_TRUE(player.waitForStarted());
    QByteArray errors;
    const QByteArray trace = "No session bus";
    EXPECT_TRUE(WaitUntil(
        [&] {
            errors += player.readAllStandardError();
            return errors.contains(trace);
        },
        kWaitMs));
    EXPECT_EQ(player.state(), QProcess::Running);
    player.terminate();
    EXPECT_TRUE(WaitUntil([&] { return player.state() == QProcess::NotRunning; }, kWaitMs));
    errors += player.readAllStandardError();
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 0);
    EXPECT_EQ(errors.count(trace), 1);
}

// Names as a file manager hands them to "korvoplayer %f" reach the running
// player byte for byte.
TEST_F(MprisTest, ALaterStartHandsOverNamesWithSpacesKoreanAndNewlines)
{
    // The desktop is told an absolute URL for a name relative to the player.
    Media("first.wmv", TestMedia::Wmv);
    const std::string folder = std::filesystem::canonical(m_dir.Path()).string();
    StartPlayer("first.wmv", folder);
    EXPECT_TRUE(WaitUntil([&] { return PlayingFile() == QString::fromStdString(folder + "/first.wmv"); }, kWaitMs));
    for (const char* pszName : {"with  two spaces.wmv", "한국어 동영상.wmv", "new\nline.wmv", "-dash.wmv"}) {
        const std::string file = Media(pszName, TestMedia::Wmv);
        HandOver(file);
        EXPECT_TRUE(WaitUntil([&] { return PlayingFile() == QString::fromStdString(file); }, kWaitMs)) << pszName;
    }
}

// The screen is kept awake exactly while a picture plays.
TEST_F(MprisTest, TheScreenSaverIsHeldWhileVideoPlays)
{
    CFakeScreenSaver screenSaver;
    ASSERT_TRUE(screenSaver.Register(QDBusConnection::sessionBus()));
    const std::string video = Media("a video.wmv", TestMedia::Wmv20s);
    const std::string sound = Media("b sound.wmv", TestMedia::WmvAudioOnly);
    StartPlayer(video);
    ASSERT_TRUE(WaitUntil([&] { return screenSaver.Held() == 1; }, kWaitMs));
    EXPECT_EQ(screenSaver.Calls(), QStringList{QStringLiteral("Inhibit")});

    Playerctl({QStringLiteral("pause")});
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.Held() == 0; }, kWaitMs));
    Playerctl({QStringLiteral("play")});
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.Held() == 1; }, kWaitMs));
    Playerctl({QStringLiteral("stop")});
    EXPECT_TRUE(WaitUntil([&] { return screenSaver.Held() == 0; }, kWaitMs));

    HandOver(sound);
    ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    EXPECT_EQ(PlayingFile(), QString::fromStdString(sound));
    EXPECT_EQ(screenSaver.Held(), 0) << "a sound-only file lets the screen blank";

    HandOver(video);
    ASSERT_TRUE(WaitUntil([&] { return screenSaver.Held() == 1; }, kWaitMs));
    m_pPlayer->Terminate();
    ASSERT_TRUE(m_pPlayer->WaitForExit(kWaitMs));
    EXPECT_EQ(screenSaver.Held(), 0) << "leaving the player releases the screen";
    const QStringList held = {QStringLiteral("Inhibit"), QStringLiteral("UnInhibit")};
    EXPECT_EQ(screenSaver.Calls(), held + held + held);
}

} // namespace
