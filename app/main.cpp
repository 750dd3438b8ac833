#include "CommandLine.h"
#include "WendalPlayerApp.h"

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv)
{
    // The player places its own windows (docking, moves inside the work
    // area), which only X11 allows; on a Wayland desktop it runs through
    // XWayland unless the user chose a platform.
    ::setenv("QT_QPA_PLATFORM", "xcb", 0);
    SetCommandLine(argc, argv);
    QApplication application(argc, argv);
    CWendalPlayerApp app;
    app.InitInstance();
    return app.ExitInstance();
}
