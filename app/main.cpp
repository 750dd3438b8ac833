#include "CommandLine.h"
#include "CommandLineOptions.h"
#include "DisplayCheck.h"
#include "WendalPlayerApp.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    CCommandLineOptions options(std::vector<std::string>(argv, argv + argc));
    if (std::optional<int> exitCode = options.ExitCode()) {
        options.Answer(stdout, stderr);
        return *exitCode;
    }
    // The player places its own windows (docking, moves inside the work
    // area), which only X11 allows; on a Wayland desktop it runs through
    // XWayland unless the user chose a platform.
    ::setenv("QT_QPA_PLATFORM", "xcb", 0);
    // Without its X server Qt would abort: the player says why and ends.
    if (std::string missing = MissingDisplayMessage(); !missing.empty())
        return ReportMissingDisplay(missing);
    SetCommandLine(options.PlayerArguments());
    // Qt sees only the program: a file whose name looks like one of its
    // options reaches the player as it is.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    CWendalPlayerApp app;
    app.InitInstance();
    return app.ExitInstance();
}
