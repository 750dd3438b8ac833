#include "CommandLine.h"
#include "CommandLineOptions.h"
#include "DisplayCheck.h"
#include "WendalPlayerApp.h"
#include "skinui/SkinChecker.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    // "--check-skin PATH" checks a skin without a window and without
    // reaching a running player.
    if (argc == 3 && std::strcmp(argv[1], "--check-skin") == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int qtArgc = 1;
        QApplication application(qtArgc, argv);
        return CSkinChecker::Run(argv[2], stdout);
    }
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
    // After Qt's own handler, which it sets as it connects.
    EndWhenTheDisplayGoes();
    CWendalPlayerApp app;
    app.InitInstance();
    return app.ExitInstance();
}
