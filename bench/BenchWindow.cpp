#include "BenchWindow.h"

#include "common/FileStream.h"

#include <cstdio>
#include <cstdlib>
#include <gst/gst.h>

std::unique_ptr<QApplication> StartWindowSystem(int& argc, char** argv, const char* pszProgram)
{
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "%s needs an X server: set DISPLAY\n", pszProgram);
        std::exit(1);
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    auto pApplication = std::make_unique<QApplication>(argc, argv);
    gst_init(&argc, &argv);
    if (RegisterStreamKind(new CFileStream()) != S_OK) {
        std::fprintf(stderr, "cannot register the file stream\n");
        std::exit(1);
    }
    return pApplication;
}

void ShowNativeScreen(QWidget& screen)
{
    screen.setAttribute(Qt::WA_NativeWindow);
    screen.setAttribute(Qt::WA_NoSystemBackground);
    screen.show();
}
