#include "PluginInstaller.h"

#include "common/ErrorText.h"
#include "common/Report.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string HomeDir()
{
    const char* pszHome = std::getenv("HOME");
    if (pszHome != nullptr && pszHome[0] == '/')
        return pszHome;
    const passwd* pUser = ::getpwuid(::getuid());
    return pUser != nullptr && pUser->pw_dir != nullptr ? pUser->pw_dir : "/";
}

HRESULT ReportFileFailure(const std::error_code& error, const char* pszWhat, const std::string& path)
{
    return ReportError(HResultFromWin32(Win32ErrorFromErrno(error.value())), "Can not %s %s", pszWhat, path.c_str());
}

} // namespace

std::string CPluginInstaller::UserPluginDir()
{
    const char* pszData = std::getenv("XDG_DATA_HOME");
    std::string dataDir = pszData != nullptr && pszData[0] == '/' ? pszData : HomeDir() + "/.local/share";
    return dataDir + "/gstreamer-1.0/plugins";
}

HRESULT CPluginInstaller::Register(const std::string& modulePath)
{
    namespace fs = std::filesystem;
    const fs::path dir = UserPluginDir();
    const fs::path link = dir / kPluginFileName;
    // The new link is made beside the old one and renamed over it, so that a
    // registration is replaced in one step.
    const fs::path staged = dir / ("." + std::string(kPluginFileName) + ".new");
    std::error_code error;
    HRESULT hr = S_OK;
    if (fs::create_directories(dir, error); error)
        hr = ReportFileFailure(error, "create the folder", dir.string());
    else if (fs::remove(staged, error); error)
        hr = ReportFileFailure(error, "remove", staged.string());
    else if (fs::create_symlink(modulePath, staged, error); error)
        hr = ReportFileFailure(error, "create the link", staged.string());
    else if (fs::rename(staged, link, error); error)
        hr = ReportFileFailure(error, "create the link", link.string());
    if (hr != S_OK)
        Trace("from %s", "CPluginInstaller::Register()");
    return hr;
}

HRESULT CPluginInstaller::Unregister()
{
    const std::filesystem::path link = std::filesystem::path(UserPluginDir()) / kPluginFileName;
    std::error_code error;
    std::filesystem::remove(link, error);
    if (!error)
        return S_OK;
    HRESULT hr = ReportFileFailure(error, "remove", link.string());
    Trace("from %s", "CPluginInstaller::Unregister()");
    return hr;
}
