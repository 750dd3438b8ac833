// The player tests run with a Qt application: under an X server when there is
// one (the player processes they start need real window handles), otherwise
// on Qt's offscreen platform.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::setenv("QT_QPA_PLATFORM", std::getenv("DISPLAY") != nullptr ? "xcb" : "offscreen", 0);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
