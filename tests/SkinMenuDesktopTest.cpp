// Switching skins as a user does, on a real player process under a window
// manager: a right click on the picture through the X server opens the
// context menu, keys walk it to the "Skin" menu and an entry, and the
// effect is read from outside: screenshots of the X server, the window's
// rectangle, playback over MPRIS, the installed file. A skin package handed
// to a second start is installed after the confirmation is answered with
// the keyboard. Screenshots of each switch are kept in
// SKIN_MENU_ARTIFACT_DIR, at scale 1 and 2.
#include "DesktopPlayerTest.h"
#include "ScopedVariable.h"
#include "TempDir.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <X11/keysym.h>
#include <filesystem>

namespace {

// The shipped second skin's entry in the skin menu, after the built-in one.
constexpr int kBuiltInEntry = 0;
constexpr int kEmberEntry = 1;

class SkinMenuTest : public DesktopPlayerTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        DesktopPlayerTest::SetUp();
        std::filesystem::create_directories(m_dir.Path() + "/system/korvoplayer/skins");
        std::filesystem::copy_file(KORVO_EMBER_SKIN, m_dir.Path() + "/system/korvoplayer/skins/ember.zip");
    }

    // Opens the context menu with a right click on the middle of the player
    // and chooses entry `nEntry` of its "Skin" menu: Up from the top goes to
    // Exit, Up again to the Skin menu above it, Right opens it on its first
    // entry.
    void ChooseSkin(int nEntry)
    {
        m_x.Click(Rect().center(), 3);
        Pause();
        std::vector<unsigned long> keys = {XK_Up, XK_Up, XK_Right};
        keys.insert(keys.end(), nEntry, XK_Down);
        keys.push_back(XK_Return);
        for (unsigned long nKey : keys) {
            m_x.Press({}, nKey);
            Pause();
        }
    }

    // Gives the player a moment to answer input (menus open without a sign
    // the test could wait for).
    static void Pause() { WaitUntil([] { return false; }, 300); }

    // A screenshot of the X screen kept as NAME-scaleN.png, cut to the
    // player's window.
    QImage Shot(const std::string& name)
    {
        const QString path = QString::fromStdString(std::string(SKIN_MENU_ARTIFACT_DIR) + "/" + name + "-scale" +
                                                    std::to_string(GetParam()) + ".png");
        QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
        return QImage(path).copy(Rect());
    }

    // Whether the window's control bar (its bottom eighth) shows Ember's
    // amber accent; the built-in skin's accent is blue.
    static bool IsEmber(const QImage& shot)
    {
        int nAmber = 0;
        for (int y = shot.height() * 7 / 8; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor colour = shot.pixelColor(x, y);
                nAmber += colour.red() > 200 && colour.green() > 100 && colour.green() < 200 && colour.blue() < 90;
            }
        return nAmber > 20;
    }

    // Whether the window comes to show Ember (a window resized for a new
    // skin is drawn again a moment later).
    bool ShowsEmber(const std::string& name)
    {
        return WaitUntil([&] { return IsEmber(Shot(name)); }, kDesktopWaitMs);
    }

    // Waits until playback has gone on for another second.
    static bool PlaysOn()
    {
        const double dFrom = Position();
        return WaitUntil([&] { return Position() > dFrom + 1.0; }, kDesktopWaitMs);
    }

    CTempDir m_dir;
    CScopedVariable m_config{"XDG_CONFIG_HOME", m_dir.Path() + "/config"};
    CScopedVariable m_data{"XDG_DATA_HOME", m_dir.Path() + "/data"};
    CScopedVariable m_system{"XDG_DATA_DIRS", m_dir.Path() + "/system"};
    CScopedVariable m_scale{"QT_SCALE_FACTOR", std::to_string(GetParam())};
};

TEST_P(SkinMenuTest, SwitchingFromTheMenuWhilePlayingKeepsPlaybackAndFullScreenAndIsRemembered)
{
    Start(LongClip());
    const QRect builtIn = Rect();
    EXPECT_FALSE(IsEmber(Shot("builtin")));

    ChooseSkin(kEmberEntry);
    const QRect ember = NextRect(builtIn);
    EXPECT_NE(ember.size(), builtIn.size());
    EXPECT_TRUE(ShowsEmber("ember"));
    EXPECT_EQ(Property(QStringLiteral("PlaybackStatus")).toString(), "Playing");
    EXPECT_TRUE(PlaysOn());

    // Full screen stays full screen; back in the window, the size is the
    // built-in skin's around the same picture.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Press({}, XK_Return);
    ASSERT_EQ(WaitForRect(screen), screen);
    ChooseSkin(kBuiltInEntry);
    Settled();
    EXPECT_EQ(Rect(), screen);
    EXPECT_TRUE(PlaysOn());
    Press({}, XK_Return);
    EXPECT_EQ(NextRect(screen).size(), builtIn.size());
    EXPECT_TRUE(PlaysOn());
    EXPECT_FALSE(IsEmber(Shot("builtin-again")));

    ChooseSkin(kEmberEntry);
    NextRect(builtIn);
    m_pPlayer->Terminate();
    ASSERT_TRUE(m_pPlayer->WaitForExit(kDesktopWaitMs));
    Start();
    EXPECT_TRUE(ShowsEmber("ember-restarted")) << "the choice survives a restart";
}

// A second start with a skin package hands it to the running player, which
// asks; Return answers yes.
TEST_P(SkinMenuTest, ASkinPackageOpenedWithThePlayerIsInstalledAndTaken)
{
    const std::string package = m_dir.Path() + "/ember.kvskin";
    std::filesystem::copy_file(KORVO_EMBER_SKIN, package);
    Start(LongClip());
    const QRect builtIn = Rect();
    EXPECT_FALSE(IsEmber(Shot("before-install")));
    const size_t nWindows = m_x.ClientWindows().size();
    CPlayerProcess second({QString::fromStdString(package)});
    ASSERT_TRUE(second.WaitForExit(kDesktopWaitMs));
    ASSERT_TRUE(WaitUntil([&] { return m_x.ClientWindows().size() > nWindows; }, kDesktopWaitMs)) << "the question";
    Pause();
    m_x.Press({}, XK_Return);
    NextRect(builtIn);
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() + "/data/korvoplayer/skins/ember.zip"));
    EXPECT_TRUE(ShowsEmber("installed"));
    EXPECT_TRUE(PlaysOn());
}

INSTANTIATE_TEST_SUITE_P(Scale, SkinMenuTest, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& param) { return "x" + std::to_string(param.param); });

} // namespace
