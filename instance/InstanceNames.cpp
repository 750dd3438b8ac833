#include "InstanceNames.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxTagLength = 32;

std::string Tag()
{
    const char* psz = std::getenv("KORVOPLAYER_INSTANCE_TAG");
    if (psz == nullptr)
        return {};
    std::string tag(psz);
    if (tag.size() > kMaxTagLength)
        return {};
    for (char c : tag)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'))
            return {};
    return tag;
}

// True when `path` is a real directory owned by this user that nobody else
// can enter.
bool IsPrivateDirectory(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

} // namespace

std::string SharedRecordName()
{
    return "/__KORVOPLAYER__SHAREDDATA__" + Tag() + "." + std::to_string(::geteuid());
}

std::string InstanceSocketDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/' && IsPrivateDirectory(runtime))
        return runtime;
    std::string path = "/tmp/korvoplayer-" + std::to_string(::geteuid());
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return IsPrivateDirectory(path) ? path : std::string();
}

std::string StartupLockPath()
{
    std::string directory = InstanceSocketDirectory();
    return directory.empty() ? directory : directory + "/korvoplayer" + Tag() + ".lock";
}

namespace {

// The socket's name in its directory.
std::string SocketName(WindowHandle hWnd)
{
    char name[64];
    std::snprintf(name, sizeof name, "korvoplayer%s-%08x", Tag().c_str(), hWnd);
    return name;
}

} // namespace

std::string InstanceSocketPath(WindowHandle hWnd)
{
    std::string directory = InstanceSocketDirectory();
    return directory.empty() ? directory : directory + "/" + SocketName(hWnd);
}

std::vector<WindowHandle> InstanceSocketWindows()
{
    std::vector<WindowHandle> windows;
    std::string directory = InstanceSocketDirectory();
    DIR* pDir = directory.empty() ? nullptr : ::opendir(directory.c_str());
    if (pDir == nullptr)
        return windows;
    // The name is made again from the handle read, so that only names this
    // program gives, with this tag, are taken.
    std::string prefix = SocketName(0).substr(0, SocketName(0).size() - 8);
    while (const dirent* pEntry = ::readdir(pDir)) {
        std::string name = pEntry->d_name;
        unsigned hWnd = 0;
        if (name.starts_with(prefix) && std::sscanf(name.c_str() + prefix.size(), "%8x", &hWnd) == 1 &&
            SocketName(hWnd) == name)
            windows.push_back(hWnd);
    }
    ::closedir(pDir);
    return windows;
}
