#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace {

bool Fail(std::string* pError, const std::string& what, int nError)
{
    *pError = what + ": " + std::strerror(nError);
    return false;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t nDone = 0;
    while (nDone < text.size()) {
        const ssize_t n = ::write(fd, text.data() + nDone, text.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        nDone += static_cast<size_t>(n);
    }
    return true;
}

// The new name must reach the disk too, or a power cut may bring back the
// old file (or none) after the rename had been reported done.
void SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& path, const std::string& text, std::string* pError)
{
    const std::filesystem::path folder = path.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return Fail(pError, "cannot make " + folder.string(), error.value());
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail(pError, "cannot write in " + folder.string(), errno);
    const bool bWritten = WriteAll(fd, text) && ::fsync(fd) == 0;
    const int nWriteError = errno;
    ::close(fd);
    if (!bWritten || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int nError = bWritten ? errno : nWriteError;
        ::unlink(temporary.c_str());
        return Fail(pError, "cannot write " + path.string(), nError);
    }
    SyncFolder(folder);
    return true;
}

std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, size_t nMaxBytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string text(nMaxBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto nRead = static_cast<size_t>(file.gcount());
    if (nRead > nMaxBytes || file.bad())
        return std::nullopt;
    text.resize(nRead);
    return text;
}
