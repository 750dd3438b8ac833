// The application object: prepares the process, joins the per-user shared
// record, and either runs the player window (first instance) or hands its
// command-line file to the running player and ends (later instance).
#pragma once

#include "instance/SharedMemory.h"
#include "instance/StartupLock.h"
#include "winsys/WindowSystem.h"
#include "common/ComTypes.h"

class CWendalPlayerApp {
public:
    CWendalPlayerApp() = default;
    CWendalPlayerApp(const CWendalPlayerApp&) = delete;
    CWendalPlayerApp& operator=(const CWendalPlayerApp&) = delete;

    // The whole start-up; the player window runs inside it. Always FALSE:
    // the program ends after ExitInstance.
    BOOL InitInstance();

    // Releases what start-up took; returns the process exit code.
    int ExitInstance();

    HRESULT _CreateSharedMemory();

private:
    BOOL _ForwardToRunningInstance(WindowHandle hWnd);
    void _RunPlayerWindow(CStartupLock& startupLock);

    CSharedMemory m_sharedMemory;
};
