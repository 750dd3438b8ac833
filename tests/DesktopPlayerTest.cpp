#include "DesktopPlayerTest.h"

#include "PrivateSessionBus.h"
#include "TestMedia.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <cstdlib>
#include <unistd.h>

namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.korvoplayer");
const std::string kTitle = "Ostra Viewer";

} // namespace

std::string LongClip()
{
    return MadeMedia("long.avi", "-f lavfi -i testsrc2=size=480x360:rate=2:duration=720 -c:v mpeg4 -q:v 8 -g 2 -f avi");
}

void DesktopPlayerTest::SetUpTestSuite()
{
    CPrivateSessionBus::Get();
}

void DesktopPlayerTest::SetUp()
{
    ASSERT_FALSE(CPrivateSessionBus::Get().Address().empty()) << "dbus-daemon did not start";
    ASSERT_TRUE(m_x.IsConnected());
    static int counter = 0;
    const std::string tag = "desk" + std::to_string(::getpid()) + "n" + std::to_string(++counter);
    ::setenv("KORVOPLAYER_INSTANCE_TAG", tag.c_str(), 1);
    m_x.SetNumLock(true);
}

void DesktopPlayerTest::TearDown()
{
    if (m_pPlayer != nullptr && m_pPlayer->IsRunning()) {
        m_pPlayer->Terminate();
        m_pPlayer->WaitForExit(kDesktopWaitMs);
    }
    m_pPlayer.reset();
    ::unsetenv("KORVOPLAYER_INSTANCE_TAG");
}

void DesktopPlayerTest::Start(const std::string& file, const QStringList& options)
{
    m_before = m_x.ClientWindows();
    m_pPlayer = std::make_unique<CPlayerProcess>(file.empty() ? options : options + QStringList{QString::fromStdString(file)});
    ASSERT_TRUE(WaitUntil([&] { return (m_window = m_x.FindWindow(kTitle)) != 0; }, kDesktopWaitMs));
    ASSERT_TRUE(WaitUntil([] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(kService); },
                          kDesktopWaitMs));
    if (!file.empty()) {
        ASSERT_TRUE(WaitForStatus(QStringLiteral("Playing")));
    }
    ASSERT_TRUE(Settled());
}

void DesktopPlayerTest::Press(const std::vector<unsigned long>& modifiers, unsigned long nKeysym)
{
    if (m_x.ActiveWindow() != m_window) {
        m_x.Activate(m_window);
        ASSERT_TRUE(WaitUntil([&] { return m_x.ActiveWindow() == m_window; }, kDesktopWaitMs));
    }
    m_x.Press(modifiers, nKeysym);
}

bool DesktopPlayerTest::Settled()
{
    QRect last;
    int nSame = 0;
    return WaitUntil(
        [&] {
            const QRect now = Rect();
            nSame = now == last ? nSame + 1 : 0;
            last = now;
            return nSame >= 10;
        },
        kDesktopWaitMs);
}

QRect DesktopPlayerTest::WaitForRect(const QRect& expected)
{
    WaitUntil([&] { return Rect() == expected; }, kDesktopWaitMs);
    return Rect();
}

QRect DesktopPlayerTest::NextRect(const QRect& old)
{
    WaitUntil([&] { return Rect() != old; }, kDesktopWaitMs);
    Settled();
    return Rect();
}

QVariant DesktopPlayerTest::Property(const QString& name, const QString& interface)
{
    QDBusInterface properties(kService, QStringLiteral("/org/mpris/MediaPlayer2"),
                              QStringLiteral("org.freedesktop.DBus.Properties"));
    QDBusReply<QDBusVariant> reply = properties.call(QStringLiteral("Get"), interface, name);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

bool DesktopPlayerTest::SetFullScreen(bool bFullScreen)
{
    QDBusInterface properties(kService, QStringLiteral("/org/mpris/MediaPlayer2"),
                              QStringLiteral("org.freedesktop.DBus.Properties"));
    const QDBusMessage reply = properties.call(QStringLiteral("Set"), QStringLiteral("org.mpris.MediaPlayer2"),
                                               QStringLiteral("Fullscreen"),
                                               QVariant::fromValue(QDBusVariant(bFullScreen)));
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool DesktopPlayerTest::WaitForStatus(const QString& status)
{
    return WaitUntil([&] { return Property(QStringLiteral("PlaybackStatus")).toString() == status; }, kDesktopWaitMs);
}

bool DesktopPlayerTest::WaitForValue(const QString& name, double dValue, double dWithin)
{
    return WaitUntil([&] { return std::abs(Property(name).toDouble() - dValue) <= dWithin; }, kDesktopWaitMs);
}

double DesktopPlayerTest::Position()
{
    return Property(QStringLiteral("Position")).toLongLong() / 1e6;
}

QRect DesktopPlayerTest::Work()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}
