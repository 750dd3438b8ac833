#include "SkinInstall.h"

#include "SkinCheck.h"
#include "common/Report.h"
#include "skin/SkinCatalog.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kPackageExtension = ".kvskin";

HRESULT ReportCopyFailure(const std::filesystem::path& target, const std::error_code& error)
{
    return ReportError(ERROR_ACCESS_DENIED, "The skin cannot be installed as \"%.1024s\": %s", target.c_str(),
                       error.message().c_str());
}

} // namespace

bool IsSkinPackage(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == kPackageExtension;
}

HRESULT InstallSkin(const std::string& package, std::string* pInstalled)
{
    if (HRESULT hr = CheckChosenSkin(package); hr != S_OK)
        return TraceFrom(hr, "InstallSkin()");
    const std::vector<std::string> folders = SkinFolders();
    if (folders.empty())
        return ReportError(ERROR_FILE_NOT_FOUND, "There is no skin folder to install into (HOME is not set)");
    const std::filesystem::path folder(folders.front());
    const std::filesystem::path target = folder / (std::filesystem::path(package).stem().string() + ".zip");
    const std::filesystem::path partial = folder / ("." + target.filename().string() + ".part");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error)
        std::filesystem::copy_file(package, partial, std::filesystem::copy_options::overwrite_existing, error);
    if (!error)
        std::filesystem::rename(partial, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        return ReportCopyFailure(target, error);
    }
    *pInstalled = target.string();
    return S_OK;
}
