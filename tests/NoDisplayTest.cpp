// The real program started where no X server can be reached, as on a
// Wayland desktop without XWayland: it says so in one line, tells the
// desktop's notification service, and ends with status 1 instead of
// aborting.
#include "FakeNotifications.h"
#include "PlayerProcess.h"
#include "PrivateSessionBus.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 30000;

struct Outcome {
    int nExitCode = -1;
    QString error;
};

Outcome RunWithout(const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KORVOPLAYER_PATH), {QStringLiteral("song.mp3")});
    EXPECT_TRUE(process.waitForStarted());
    EXPECT_TRUE(WaitUntil([&] { return process.state() == QProcess::NotRunning; }, kWaitMs));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

class NoDisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CPrivateSessionBus::Get(); }

    static QProcessEnvironment Environment()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-korvo-none"));
        environment.insert(QStringLiteral("KORVOPLAYER_INSTANCE_TAG"), QStringLiteral("nodisplay"));
        return environment;
    }
};

TEST_F(NoDisplayTest, WithoutDisplayItSaysSoAndEndsWithOne)
{
    ASSERT_FALSE(CPrivateSessionBus::Get().Address().empty());
    CFakeNotifications notifications;
    ASSERT_TRUE(notifications.Register(QDBusConnection::sessionBus()));
    const Outcome outcome = RunWithout(Environment());
    EXPECT_EQ(outcome.nExitCode, 1);
    EXPECT_EQ(outcome.error.count(QLatin1Char('\n')), 1) << outcome.error.toStdString();
    EXPECT_TRUE(outcome.error.startsWith(QStringLiteral("korvoplayer: no X display"))) << outcome.error.toStdString();
    ASSERT_EQ(notifications.Shown().size(), 1);
    EXPECT_TRUE(notifications.Shown().first().contains(outcome.error.trimmed()));
    QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.freedesktop.Notifications"));
}

// A display that does not answer, and no notification service on the bus:
// the line alone.
TEST_F(NoDisplayTest, AnUnreachableDisplayIsNamed)
{
    QProcessEnvironment environment = Environment();
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4093"));
    const Outcome outcome = RunWithout(environment);
    EXPECT_EQ(outcome.nExitCode, 1);
    EXPECT_EQ(outcome.error.trimmed(),
              QStringLiteral("korvoplayer: cannot open the X display \":4093\"; the player needs an X server, "
                             "or XWayland on a Wayland desktop"))
        << outcome.error.toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
