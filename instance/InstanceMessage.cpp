#include "InstanceMessage.h"

#include "InstanceNames.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

class CSocket {
public:
    explicit CSocket(int fd) : m_fd(fd) {}
    ~CSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

int RemainingMs(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd pfd{fd, events, 0};
        int n = ::poll(&pfd, 1, RemainingMs(deadline));
        if (n > 0)
            return (pfd.revents & events) != 0;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

bool Connect(int fd, const std::string& path, Clock::time_point deadline)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EAGAIN)
        return false;
    int error = 0;
    socklen_t cb = sizeof error;
    return WaitFor(fd, POLLOUT, deadline) && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &cb) == 0 && error == 0;
}

bool Transfer(int fd, void* pv, size_t cb, bool sending, Clock::time_point deadline)
{
    auto* p = static_cast<char*>(pv);
    size_t done = 0;
    while (done < cb) {
        if (!WaitFor(fd, sending ? POLLOUT : POLLIN, deadline))
            return false;
        ssize_t n = sending ? ::send(fd, p + done, cb - done, MSG_NOSIGNAL) : ::recv(fd, p + done, cb - done, 0);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || (errno != EINTR && errno != EAGAIN))
            return false;
    }
    return true;
}

} // namespace

bool IsPeerThisUser(int fd)
{
    ucred credentials{};
    socklen_t cb = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &cb) == 0 && credentials.uid == ::geteuid();
}

uint32_t SendInstanceMessage(WindowHandle hWnd, const InstanceRequest& request, int timeoutMs)
{
    if (hWnd == 0)
        return 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    CSocket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.fd() < 0 || !Connect(socket.fd(), InstanceSocketPath(hWnd), deadline) || !IsPeerThisUser(socket.fd()))
        return 0;
    InstanceRequest message = request;
    uint32_t answer = 0;
    if (!Transfer(socket.fd(), &message, sizeof message, true, deadline) ||
        !Transfer(socket.fd(), &answer, sizeof answer, false, deadline))
        return 0;
    return answer;
}

WindowHandle FindRunningInstance(WindowHandle hRecorded)
{
    const InstanceRequest query{WM_PLAYER_QUERYINSTANCE, 0, 0};
    if (SendInstanceMessage(hRecorded, query, kQueryTimeoutMs) == 1)
        return hRecorded;
    for (WindowHandle hWnd : InstanceSocketWindows())
        if (hWnd != hRecorded && SendInstanceMessage(hWnd, query, kQueryTimeoutMs) == 1)
            return hWnd;
    return 0;
}
