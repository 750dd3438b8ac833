// An X server of the test's own (Xvfb, on a display number it picks itself)
// with a real window manager (openbox) on it, for tests where the window
// manager takes part in placing windows; DISPLAY is set to reach it. Both
// are ended with the object. The window manager draws no border around
// borderless windows, as desktop window managers do not. Without a window
// manager the server is only there to be shown on (a nested compositor's
// output), and DISPLAY is left alone.
#pragma once

#include "TempDir.h"

#include <string>
#include <sys/types.h>

class CTestDisplay {
public:
    // `screen` is Xvfb's screen: width x height x depth.
    explicit CTestDisplay(std::string screen = "1280x1024x24", bool bWindowManager = true);
    ~CTestDisplay();
    CTestDisplay(const CTestDisplay&) = delete;
    CTestDisplay& operator=(const CTestDisplay&) = delete;

    // ":N" once the server and the window manager are up, else empty.
    const std::string& Name() const { return m_name; }

private:
    bool _StartServer();
    bool _StartWindowManager();

    std::string m_screen;
    CTempDir m_dir;
    pid_t m_server = -1;
    pid_t m_windowManager = -1;
    std::string m_name;
};
