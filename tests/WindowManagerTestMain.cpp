// Runs the window tests on an X server of their own with a window manager,
// so that windows are placed as on a desktop and nothing else on the machine
// takes their mouse or focus.
#include "TestDisplay.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

// The screen of the test's X server; a program may ask for another.
#ifndef TEST_SCREEN
#define TEST_SCREEN "1280x1024x24"
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    CTestDisplay display(TEST_SCREEN);
    if (display.Name().empty()) {
        std::fprintf(stderr, "cannot start Xvfb with openbox\n");
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
