// The dock layout of the built-in player window and the window and video
// geometry derived from it.
#include "DebugCapture.h"
#include "controls/BitmapSlider.h"
#include "controls/TransparentStatic.h"
#include "skinui/KorvoUIManager.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

class SkinLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_manager.Init(&m_window, "korvoplayer", nullptr), S_OK);
        m_window.resize(492, 302);
        m_manager.Dock(0);
    }

    RECT Screen() const
    {
        RECT rc;
        m_manager.GetScreenRect(&rc);
        return rc;
    }

    RECT Area() const
    {
        RECT rc;
        m_manager.GetAvailableScreenRect(&rc);
        return rc;
    }

    QSize Player() const
    {
        int cx = 0;
        int cy = 0;
        m_manager.GetPlayerSize(&cx, &cy);
        return {cx, cy};
    }

    QWidget m_window;
    CKorvoUIManager m_manager;
};

} // namespace

TEST_F(SkinLayout, DockRulesPlaceTheControls)
{
    // Right-aligned caption buttons 20 wide with gaps 0,2,3,0 then 0,2,0,0.
    EXPECT_EQ(m_manager.GetControl(1011)->geometry(), QRect(469, 2, 20, 24));
    EXPECT_EQ(m_manager.GetControl(1012)->geometry(), QRect(449, 2, 20, 24));
    EXPECT_EQ(m_manager.GetControl(1013)->geometry(), QRect(429, 2, 20, 24));
    // The title takes what the buttons left, after its gaps 70,14.
    EXPECT_EQ(m_manager.GetControl(1016)->geometry(), QRect(70, 14, 429 - 70, 12));
    // The bottom frame is 32 high at the bottom; the video area is what the
    // borders left between caption and bottom frame.
    EXPECT_EQ(m_manager.GetControl(1006)->parentWidget()->geometry(), QRect(0, 270, 492, 32));
    EXPECT_EQ(m_manager.GetControl(1015)->geometry(), QRect(2, 26, 488, 244));
    EXPECT_EQ(Area(), (RECT{2, 26, 490, 270}));
    // Inside the bottom frame: play at 6 over the full free height, the
    // volume panel 12 from the right.
    EXPECT_EQ(m_manager.GetControl(1006)->geometry(), QRect(6, 1, 48, 31));
    EXPECT_EQ(m_manager.GetControl(1009)->parentWidget()->geometry(), QRect(400, 0, 80, 32));
    EXPECT_EQ(m_manager.GetControl(1009)->geometry(), QRect(0, 16, 80, 7));
    // The time panel spans 147..327; its text takes the right 96 first,
    // 6 short of the panel's edge.
    EXPECT_EQ(m_manager.GetControl(1003)->parentWidget()->geometry(), QRect(147, 0, 180, 32));
    EXPECT_EQ(m_manager.GetControl(1003)->geometry(), QRect(6, 11, 180 - 6 - 96 - 5 - 6, 8));
    EXPECT_EQ(m_manager.GetControl(1007)->geometry(), QRect(180 - 6 - 96, 0, 96, 29));
}

TEST_F(SkinLayout, PaintComposesAndHidesDockShows)
{
    m_window.show();
    m_manager.Dock(0);
    EXPECT_TRUE(m_manager.GetControl(1006)->isVisible());
    m_manager.Paint();
    EXPECT_FALSE(m_manager.GetControl(1006)->isVisible());
    EXPECT_EQ(CSkinItem::FromWindow(m_manager.GetControl(1006))->m_rcWindow, (RECT{6, 271, 54, 302}));
    m_manager.Dock(0);
    EXPECT_TRUE(m_manager.GetControl(1006)->isVisible());
}

TEST_F(SkinLayout, PlayingHidesTheVideoAreaControl)
{
    m_window.show();
    m_manager.OnPlaying();
    EXPECT_TRUE(m_manager.IsPlaying());
    m_manager.Dock(0);
    EXPECT_FALSE(m_manager.GetControl(1015)->isVisible());
    m_manager.OnPause();
    EXPECT_TRUE(m_manager.IsPlaying());
    auto* pTitle = qobject_cast<CTransparentStatic*>(m_manager.GetControl(1016));
    pTitle->SetText("title");
    auto* pTime = qobject_cast<CBitmapSlider*>(m_manager.GetControl(1003));
    pTime->SetRangeMinMax(0, 100, false);
    pTime->SetPos(40);
    m_manager.OnStop();
    EXPECT_FALSE(m_manager.IsPlaying());
    EXPECT_TRUE(m_manager.GetControl(1015)->isVisible());
    EXPECT_EQ(pTitle->GetText(), "");
    EXPECT_EQ(pTime->GetPos(), 0);
    EXPECT_EQ(pTime->GetRangeMax(), 0);
}

TEST(SkinLayoutStates, StopWithoutThePlayerControlsIsHarmless)
{
    QWidget window;
    CKorvoUIManager manager;
    ASSERT_EQ(manager.Init(&window, "korvoplaylist", nullptr), S_OK);
    manager.OnStop();
    manager.OnPlaying();
    manager.OnMute();
    manager.OnActivate(0);
    EXPECT_TRUE(manager.IsPlaying());
}

TEST_F(SkinLayout, FitScreenKeepsTheRatio)
{
    m_manager.SetScreenSize(320, 240, 320.0 / 240.0, 1.0);
    EXPECT_EQ(Screen(), (RECT{82, 0, 407, 244}));
    EXPECT_EQ(Player(), QSize(492, 302));
    m_manager.m_dAspectRatio = 0;
    m_manager.FitScreen();
    EXPECT_EQ(Screen(), (RECT{0, 0, 488, 244}));
    // A wide picture is limited by the width.
    m_manager.m_dAspectRatio = 3.0;
    m_manager.FitScreen();
    EXPECT_EQ(Screen(), (RECT{0, 122 - 81, 488, 122 - 81 + 162}));
}

TEST_F(SkinLayout, LargeVideoGrowsAreaAndPlayerKeepingTheMargins)
{
    m_manager.SetScreenSize(640, 480, 640.0 / 480.0, 1.0);
    EXPECT_EQ(Screen(), (RECT{0, 0, 640, 480}));
    EXPECT_EQ(Area(), (RECT{2, 26, 642, 506}));
    EXPECT_EQ(Player(), QSize(644, 538));
    m_manager.SetScreenSize(160, 120, 160.0 / 120.0, 1.0);
    EXPECT_EQ(Player(), QSize(492, 302));
    EXPECT_EQ(Area(), (RECT{2, 26, 490, 270}));
}

TEST_F(SkinLayout, PlayerSizeNeverBelowTheMinimum)
{
    m_manager.SetPlayerSize(100, 100);
    EXPECT_EQ(Player(), QSize(492, 302));
    m_manager.SetPlayerSize(800, 600);
    EXPECT_EQ(Area(), (RECT{2, 26, 798, 568}));
    m_manager.SetAvailableScreenSize(300, 200);
    EXPECT_EQ(Player(), QSize(304, 258));
}

TEST_F(SkinLayout, PlayerWidthDerivesTheHeight)
{
    m_manager.m_dAspectRatio = 2.0;
    m_manager.SetPlayerWidth(802);
    EXPECT_EQ(Area(), (RECT{2, 26, 800, 26 + 399}));
    EXPECT_EQ(Player(), QSize(802, 26 + 399 + 32));
    m_manager.m_dAspectRatio = 0;
    m_manager.SetPlayerWidth(10);
    EXPECT_EQ(Player().width(), 492);
}

TEST_F(SkinLayout, FitPlayerToSmallVideoKeepsMinimumAndCentres)
{
    m_manager.SetScreenSize(100, 50, 2.0, 1.0);
    m_manager.SetPlayerSize(800, 600);
    m_manager.m_dAspectRatio = 0;
    m_manager.SetAvailableScreenSize(100, 50);
    m_manager.FitPlayerToScreen();
    EXPECT_EQ(Player(), QSize(492, 302));
    EXPECT_EQ(Screen(), (RECT{194, 97, 294, 147}));
}

TEST_F(SkinLayout, VideoWithoutHeightFillsInsteadOfDividingByZero)
{
    m_manager.SetScreenSize(0, 0, 1.5, 1.0);
    EXPECT_EQ(Screen(), (RECT{0, 0, 488, 244}));
    m_manager.SetPlayerSize(600, 400);
    EXPECT_EQ(Screen(), (RECT{0, 0, 596, 342}));
}

TEST_F(SkinLayout, NullArgumentsReport87)
{
    CDebugCapture capture;
    int n = 0;
    EXPECT_EQ(m_manager.GetPlayerSize(nullptr, &n), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CUIManager::GetPlayerSize()");
    EXPECT_EQ(m_manager.GetMinimunSize(&n, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(m_manager.GetScreenRect(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(m_manager.GetAvailableScreenRect(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport().front(), "prc = 0");
}
