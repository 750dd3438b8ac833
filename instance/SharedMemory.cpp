#include "SharedMemory.h"

#include "common/ErrorText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kCreateAttempts = 8;
constexpr int kSharedLockAttempts = 200;
constexpr useconds_t kSharedLockRetryMicroseconds = 10000;
constexpr HRESULT ERROR_TIMEOUT = 1460;

// The exclusive lock is held only for a moment by a closing last holder, so a
// lock that never comes means something holds it on purpose: give up.
HRESULT LockShared(int fd)
{
    for (int attempt = 0; attempt < kSharedLockAttempts; ++attempt) {
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0)
            return S_OK;
        if (errno != EWOULDBLOCK)
            return GetLastError();
        ::usleep(kSharedLockRetryMicroseconds);
    }
    return ERROR_TIMEOUT;
}

} // namespace

CSharedMemory::~CSharedMemory()
{
    Close();
}

HRESULT CSharedMemory::Create(const std::string& name, size_t cb)
{
    Close();
    m_name = name;
    m_cb = cb;
    // An exiting last holder may remove the name between our open and our
    // lock; then the object we hold is no longer the named one: start over.
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        if (HRESULT hr = OpenOrCreate(); hr != S_OK)
            return hr;
        if (HRESULT hr = LockShared(m_fd); hr != S_OK) {
            Close();
            return hr;
        }
        if (IsStillNamed())
            break;
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0)
        return ERROR_ACCESS_DENIED;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || (static_cast<size_t>(st.st_size) < cb && ::ftruncate(m_fd, static_cast<off_t>(cb)) != 0)) {
        HRESULT hr = GetLastError();
        Close();
        return hr;
    }
    return S_OK;
}

HRESULT CSharedMemory::OpenOrCreate()
{
    m_fd = ::shm_open(m_name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    m_existed = m_fd < 0 && errno == EEXIST;
    if (m_existed)
        m_fd = ::shm_open(m_name.c_str(), O_RDWR | O_CLOEXEC, 0);
    if (m_fd < 0)
        return GetLastError();
    if (!m_existed)
        ::fchmod(m_fd, 0600);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
        HRESULT hr = GetLastError();
        ::close(m_fd);
        m_fd = -1;
        return hr;
    }
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return ERROR_ACCESS_DENIED;
    }
    return S_OK;
}

bool CSharedMemory::IsStillNamed() const
{
    struct stat held {};
    struct stat named {};
    std::string path = "/dev/shm" + m_name;
    return ::fstat(m_fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
           held.st_dev == named.st_dev;
}

bool CSharedMemory::IsWhole() const
{
    struct stat st {};
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 && static_cast<size_t>(st.st_size) >= m_cb;
}

HRESULT CSharedMemory::Map(void** ppView)
{
    void* pView = ::mmap(nullptr, m_cb, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (pView == MAP_FAILED)
        return GetLastError();
    m_pView = pView;
    *ppView = pView;
    return S_OK;
}

void CSharedMemory::Close()
{
    if (m_pView != nullptr)
        ::munmap(m_pView, m_cb);
    m_pView = nullptr;
    if (m_fd < 0)
        return;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0 && IsStillNamed())
        ::shm_unlink(m_name.c_str());
    ::close(m_fd);
    m_fd = -1;
}
