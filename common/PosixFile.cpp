#include "PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenForReading(const char* pszFileName)
{
    // Non-blocking so that opening a pipe cannot hang; cleared once the
    // descriptor is known to be a regular file.
    int fd = ::open(pszFileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    else if (!S_ISREG(st.st_mode))
        err = ENOTSUP;
    else if (::fcntl(fd, F_SETFL, O_RDONLY) != 0)
        err = errno;
    if (err != 0) {
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

ssize_t ReadFully(int fd, void* pv, size_t cb)
{
    auto* p = static_cast<char*>(pv);
    size_t done = 0;
    while (done < cb) {
        ssize_t n = ::read(fd, p + done, cb - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}
