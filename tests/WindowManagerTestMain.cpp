// Runs the window tests on an X server of their own with a window manager,
// so that windows are placed as on a desktop and nothing else on the machine
// takes their mouse or focus. The test's environment may give the screen's
// size (KORVO_TEST_SCREEN, as Xvfb takes it) and an Xft.dpi for the
// server's resources (KORVO_TEST_XFT_DPI), as a desktop's settings put it
// there.
#include "TestDisplay.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

// The screen of the test's X server unless the environment asks for another.
constexpr const char* kDefaultScreen = "1280x1024x24";

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    const char* pszScreen = std::getenv("KORVO_TEST_SCREEN");
    CTestDisplay display(pszScreen != nullptr ? pszScreen : kDefaultScreen);
    if (display.Name().empty()) {
        std::fprintf(stderr, "cannot start Xvfb with openbox\n");
        return 1;
    }
    if (const char* pszDpi = std::getenv("KORVO_TEST_XFT_DPI")) {
        const std::string command = "echo 'Xft.dpi: " + std::to_string(std::atoi(pszDpi)) + "' | xrdb -merge";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "xrdb cannot set Xft.dpi\n");
            return 1;
        }
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
