// The player tests run with a Qt application: under an X server when there is
// one (the player processes they start need real window handles), otherwise
// on Qt's offscreen platform. When CTest hands the test one of the X servers
// of its resource pool, the test and every player it starts use that server.
#include "DisplayResource.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const std::string display = DisplayFromCTestResources();
    if (!display.empty())
        ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", std::getenv("DISPLAY") != nullptr ? "xcb" : "offscreen", 0);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
