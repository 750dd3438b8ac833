// The keyboard moves and sizes of the player window inside the work area,
// and the user ratio taken from the command line.
#include "DebugCapture.h"
#include "SkinArchiveBuilder.h"
#include "TempDir.h"
#include "app/CommandIds.h"
#include "app/CommandLine.h"
#include "app/PanScan.h"
#include "app/VideoGeometry.h"
#include "common/ComTypes.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A work area with a 100-pixel panel on the left of a 1280 x 1024 display.
constexpr RECT kWorkRect = {100, 0, 1280, 1024};

RECT Window(int x, int y, int w = 500, int h = 340)
{
    return {x, y, x + w, y + h};
}

TEST(PanScan, AnEdgeOnTheWorkAreaStaysAndAStepStopsOnIt)
{
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVELEFT, Window(100, 50), kWorkRect), Window(100, 50));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVELEFT, Window(105, 50), kWorkRect), Window(100, 50));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVELEFT, Window(300, 50), kWorkRect), Window(290, 50));
    // A window partly outside comes back onto the edge.
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVELEFT, Window(40, 50), kWorkRect), Window(100, 50));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVERIGHT, Window(780, 50), kWorkRect), Window(780, 50));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVERIGHT, Window(777, 50), kWorkRect), Window(780, 50));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVEUP, Window(300, 0), kWorkRect), Window(300, 0));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVEUP, Window(300, 7), kWorkRect), Window(300, 0));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVEDOWN, Window(300, 684), kWorkRect), Window(300, 684));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVEDOWN, Window(300, 600), kWorkRect), Window(300, 610));
}

TEST(PanScan, CentreAndCornersAreThoseOfTheWorkArea)
{
    // (1180 - 500) / 2 = 340 from the work area's left edge at 100.
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVECENTER, Window(0, 0), kWorkRect), Window(440, 342));
    // Odd remainders round toward zero, also for a window wider than the area.
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVECENTER, Window(0, 0, 1185, 340), kWorkRect), Window(98, 342, 1185, 340));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVELEFTTOP, Window(600, 600), kWorkRect), Window(100, 0));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVERIGHTTOP, Window(600, 600), kWorkRect), Window(780, 0));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVERIGHTBOTTOM, Window(600, 600), kWorkRect), Window(780, 684));
    EXPECT_EQ(PanScanRect(ID_SCAN_MOVELEFTBOTTOM, Window(600, 600), kWorkRect), Window(100, 684));
    EXPECT_EQ(PanScanRect(ID_SCAN_DECSIZE, Window(600, 600), kWorkRect), Window(600, 600));
}

TEST(PanScan, IncSizeGrowsTenPixelsEachWayAndStaysInside)
{
    EXPECT_EQ(PanScanRect(ID_SCAN_INCSIZE, Window(300, 300), kWorkRect), Window(290, 290, 520, 360));
    // On the left edge the growth goes to the right; on the bottom edge up.
    EXPECT_EQ(PanScanRect(ID_SCAN_INCSIZE, Window(100, 684), kWorkRect), Window(100, 664, 520, 360));
    EXPECT_EQ(PanScanRect(ID_SCAN_INCSIZE, Window(105, 300), kWorkRect), Window(100, 290, 520, 360));
    EXPECT_EQ(PanScanRect(ID_SCAN_INCSIZE, Window(780, 0), kWorkRect), Window(760, 0, 520, 360));
    // A window as large as the area stays the area.
    const RECT work = kWorkRect;
    EXPECT_EQ(PanScanRect(ID_SCAN_INCSIZE, work, kWorkRect), work);
    // Held down, it ends on the work area and stays there.
    RECT rc = Window(400, 400);
    for (int i = 0; i < 200; ++i)
        rc = PanScanRect(ID_SCAN_INCSIZE, rc, kWorkRect);
    EXPECT_EQ(rc, work);
}

TEST(PanScan, DecSizeNeverGoesBelowTheMinimum)
{
    EXPECT_EQ(DecreasedRect(Window(300, 300, 492, 302), 492, 302), Window(300, 300, 492, 302));
    EXPECT_EQ(DecreasedRect(Window(300, 300, 600, 400), 492, 302), Window(310, 310, 580, 380));
    // 5 pixels above the minimum: the edges move in, then the size is the
    // minimum from the new left and top edges.
    EXPECT_EQ(DecreasedRect(Window(300, 300, 497, 307), 492, 302), Window(310, 310, 492, 302));
    EXPECT_EQ(DecreasedRect(Window(300, 300, 492, 400), 492, 302), Window(300, 310, 492, 380));
    RECT rc = Window(0, 0, 1200, 1000);
    for (int i = 0; i < 200; ++i)
        rc = DecreasedRect(rc, 492, 302);
    EXPECT_EQ(rc.Width(), 492);
    EXPECT_EQ(rc.Height(), 302);
}

// Without a screen there is no work area to move in: string 5056 is
// reported and the call that failed traced.
TEST(PanScan, AMissingWorkAreaIsReported)
{
    CDebugCapture capture;
    RECT rc = {1, 2, 3, 4};
    EXPECT_EQ(CVideoGeometry::ReadWorkArea(nullptr, &rc), ERROR_NOT_FOUND);
    EXPECT_EQ(rc, (RECT{1, 2, 3, 4}));
    EXPECT_NE(LastReport().find("Can not determine workarea of screen"), std::string::npos) << LastReport();
    EXPECT_EQ(capture.TracesAfterReport(), std::vector<std::string>{"from SystemParametersInfo()"});
}

HRESULT UserRatio(std::vector<std::string> arguments, double* pdWidth, double* pdHeight)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    SetCommandLine(static_cast<int>(argv.size()), argv.data());
    HRESULT hr = CommandLineUserRatio(pdWidth, pdHeight);
    return hr;
}

TEST(UserRatio, IsTakenOutOfTheArgumentsWhereverItStands)
{
    double dWidth = 0;
    double dHeight = 0;
    EXPECT_EQ(UserRatio({"korvoplayer", "--user-ratio", "2.5:1", "clip.avi", "x"}, &dWidth, &dHeight), S_OK);
    EXPECT_EQ(dWidth, 2.5);
    EXPECT_EQ(dHeight, 1.0);
    EXPECT_EQ(CommandLineArguments(), (std::vector<std::string>{"korvoplayer", "clip.avi", "x"}));
    EXPECT_EQ(UserRatio({"korvoplayer", "clip.avi", "--user-ratio", "16:10"}, &dWidth, &dHeight), S_OK);
    EXPECT_EQ(dWidth, 16.0);
    EXPECT_EQ(dHeight, 10.0);
    EXPECT_EQ(CommandLineArguments(), (std::vector<std::string>{"korvoplayer", "clip.avi"}));
    EXPECT_EQ(UserRatio({"korvoplayer", "clip.avi"}, &dWidth, &dHeight), S_FALSE);
    // As the last argument with no value it is a file name.
    EXPECT_EQ(UserRatio({"korvoplayer", "--user-ratio"}, &dWidth, &dHeight), S_FALSE);
    EXPECT_EQ(CommandLineArguments(), (std::vector<std::string>{"korvoplayer", "--user-ratio"}));
    SetCommandLine(0, nullptr);
}

// The skin option beside it: taken out too, its value made absolute.
TEST(UserRatio, TheSkinOptionIsTakenOutBesideIt)
{
    double dWidth = 0;
    double dHeight = 0;
    EXPECT_EQ(UserRatio({"korvoplayer", "--skin", "/skins/dark.zip", "--user-ratio", "2:1", "clip.avi"}, &dWidth,
                        &dHeight),
              S_OK);
    EXPECT_EQ(CommandLineSkin(), "/skins/dark.zip");
    EXPECT_EQ(CommandLineArguments(), (std::vector<std::string>{"korvoplayer", "clip.avi"}));
    UserRatio({"korvoplayer", "--skin", "dark"}, &dWidth, &dHeight);
    EXPECT_EQ(CommandLineSkin(), AbsoluteFileArgument("dark"));
    EXPECT_EQ(CommandLineSkin().front(), '/');
    UserRatio({"korvoplayer", "clip.avi"}, &dWidth, &dHeight);
    EXPECT_TRUE(CommandLineSkin().empty());
    SetCommandLine(0, nullptr);
}

// A name instead of a path: the skin of that name in the user's skin folder.
TEST(UserRatio, ASkinIsFoundByItsName)
{
    CTempDir data;
    std::filesystem::create_directories(data.Path() + "/korvoplayer/skins");
    CSkinArchiveBuilder(data.Path() + "/korvoplayer/skins/n.zip")
        .Add("skin.xml", "<korvoplayerskin><skininfo name=\"Night Sky\"/></korvoplayerskin>")
        .Write();
    const char* pszOld = std::getenv("XDG_DATA_HOME");
    const std::string old = pszOld != nullptr ? pszOld : "";
    ::setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    double dWidth = 0;
    double dHeight = 0;
    UserRatio({"korvoplayer", "--skin", "Night Sky"}, &dWidth, &dHeight);
    EXPECT_EQ(CommandLineSkin(), data.Path() + "/korvoplayer/skins/n.zip");
    UserRatio({"korvoplayer", "--skin", "Day"}, &dWidth, &dHeight);
    EXPECT_EQ(CommandLineSkin(), AbsoluteFileArgument("Day"));
    pszOld != nullptr ? ::setenv("XDG_DATA_HOME", old.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    SetCommandLine(0, nullptr);
}

TEST(UserRatio, AnythingButTwoPositiveNumbersIsReported)
{
    CDebugCapture capture;
    for (const char* pszValue : {"4:0", "0:3", "-4:3", "4", "4:3x", "a:b", "nan:1", "inf:1", ""}) {
        double dWidth = 7;
        double dHeight = 7;
        EXPECT_EQ(UserRatio({"korvoplayer", "--user-ratio", pszValue}, &dWidth, &dHeight),
                  std::string(pszValue).empty() ? S_FALSE : ERROR_INVALID_PARAMETER)
            << pszValue;
        EXPECT_EQ(dWidth, 7);
        EXPECT_EQ(dHeight, 7);
    }
    SetCommandLine(0, nullptr);
}

} // namespace
