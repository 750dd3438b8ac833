#include "TestDisplay.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// Starts `argv` as a child process; -1 when it cannot be started. The child
// ends with the test even when the test dies without cleaning up.
pid_t Spawn(const char* const* argv, int fdKeep = -1)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        for (int fd = 3; fd < 1024; ++fd) {
            if (fd != fdKeep)
                ::close(fd);
        }
        ::execvp(argv[0], const_cast<char* const*>(argv));
        ::_exit(127);
    }
    return pid;
}

void End(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// Whether the window manager has announced itself on the display's root
// window (its supporting-window property), as every EWMH manager does.
bool WindowManagerRunning(const std::string& display)
{
    const std::string command = "DISPLAY=" + display + " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return false;
    char line[256] = {};
    const bool bRead = std::fgets(line, sizeof line, pipe) != nullptr;
    ::pclose(pipe);
    return bRead && std::string(line).find("window id") != std::string::npos;
}

} // namespace

CTestDisplay::CTestDisplay(std::string screen, bool bWindowManager) : m_screen(std::move(screen))
{
    if (_StartServer() && (!bWindowManager || _StartWindowManager()))
        return;
    End(m_windowManager);
    End(m_server);
    m_windowManager = m_server = -1;
    m_name.clear();
}

CTestDisplay::~CTestDisplay()
{
    End(m_windowManager);
    End(m_server);
}

// Xvfb writes the display number it chose to the descriptor it is given.
bool CTestDisplay::_StartServer()
{
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const std::string fd = std::to_string(fds[1]);
    const char* const argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", m_screen.c_str(), "-nolisten", "tcp",
                                "-noreset", nullptr};
    m_server = Spawn(argv, fds[1]);
    ::close(fds[1]);
    std::string number;
    char c = 0;
    pollfd wait{fds[0], POLLIN, 0};
    while (::poll(&wait, 1, 30000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    if (m_server < 0 || number.empty())
        return false;
    m_name = ":" + number;
    return true;
}

bool CTestDisplay::_StartWindowManager()
{
    ::setenv("DISPLAY", m_name.c_str(), 1);
    const std::string config = m_dir.WriteFile("rc.xml", "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">"
                                                         "<theme><keepBorder>no</keepBorder></theme>"
                                                         "</openbox_config>\n");
    const char* const argv[] = {"openbox", "--sm-disable", "--config-file", config.c_str(), nullptr};
    m_windowManager = Spawn(argv);
    for (int i = 0; i < 3000 && m_windowManager > 0; ++i) {
        if (WindowManagerRunning(m_name))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
