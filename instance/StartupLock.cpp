#include "StartupLock.h"

#include "InstanceNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr int kStartupLockAttempts = 500;
constexpr useconds_t kStartupLockRetryMicroseconds = 20000;

} // namespace

CStartupLock::CStartupLock()
{
    std::string path = StartupLockPath();
    if (path.empty())
        return;
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        return;
    for (int attempt = 0; attempt < kStartupLockAttempts; ++attempt) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK)
            break;
        ::usleep(kStartupLockRetryMicroseconds);
    }
    ::close(m_fd);
    m_fd = -1;
}

CStartupLock::~CStartupLock()
{
    Release();
}

void CStartupLock::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
