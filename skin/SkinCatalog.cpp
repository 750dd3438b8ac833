#include "SkinCatalog.h"

#include "SkinArchive.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <system_error>

namespace {

// Enough for any collection; a folder holding more is not read further.
constexpr size_t kMaxSkinsPerFolder = 500;

bool IsSkinCandidate(const std::filesystem::directory_entry& entry)
{
    std::error_code error;
    if (entry.is_directory(error))
        return std::filesystem::is_regular_file(entry.path() / "skin.xml", error);
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    return entry.is_regular_file(error) && extension == ".zip";
}

// The value of the attribute `name` in the start of an element: up to 80
// characters, without quotes or angle brackets; empty when there is none.
std::string NameAttribute(const std::string& element)
{
    for (size_t nAt = element.find("name"); nAt != std::string::npos; nAt = element.find("name", nAt + 1)) {
        if (nAt == 0 || !std::isspace(static_cast<unsigned char>(element[nAt - 1])))
            continue;
        size_t i = nAt + 4;
        while (i < element.size() && std::isspace(static_cast<unsigned char>(element[i])))
            ++i;
        if (i >= element.size() || element[i] != '=')
            continue;
        for (++i; i < element.size() && std::isspace(static_cast<unsigned char>(element[i]));)
            ++i;
        if (i >= element.size() || element[i] != '"')
            continue;
        const size_t nEnd = element.find('"', i + 1);
        const std::string value = element.substr(i + 1, nEnd == std::string::npos ? 0 : nEnd - i - 1);
        if (nEnd == std::string::npos || value.empty() || value.size() > 80 || value.find_first_of("<>") != std::string::npos)
            return {};
        return value;
    }
    return {};
}

} // namespace

std::vector<std::string> SkinFolders()
{
    std::vector<std::string> folders;
    const char* pszDataHome = std::getenv("XDG_DATA_HOME");
    const char* pszHome = std::getenv("HOME");
    if (pszDataHome != nullptr && *pszDataHome == '/')
        folders.push_back(std::string(pszDataHome) + "/korvoplayer/skins");
    else if (pszHome != nullptr && *pszHome != '\0')
        folders.push_back(std::string(pszHome) + "/.local/share/korvoplayer/skins");
    const char* pszDataDirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream dirs(pszDataDirs != nullptr && *pszDataDirs != '\0' ? pszDataDirs : "/usr/local/share:/usr/share");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && dir.front() == '/')
            folders.push_back(dir + "/korvoplayer/skins");
    return folders;
}

std::vector<SkinEntry> FindSkins(const std::vector<std::string>& folders)
{
    std::vector<SkinEntry> skins;
    std::set<std::string> names;
    for (const std::string& folder : folders) {
        std::error_code error;
        std::vector<std::filesystem::path> candidates;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (candidates.size() == kMaxSkinsPerFolder)
                break;
            if (IsSkinCandidate(entry))
                candidates.push_back(entry.path());
        }
        std::sort(candidates.begin(), candidates.end());
        for (const std::filesystem::path& path : candidates) {
            CSkinArchive archive;
            if (archive.Open(path.c_str()) != S_OK || archive.Locate("skin.xml") < 0)
                continue;
            const std::string name = SkinDisplayName(path.string());
            if (names.insert(name).second)
                skins.push_back({name, path.string()});
        }
    }
    std::sort(skins.begin(), skins.end(), [](const SkinEntry& a, const SkinEntry& b) { return a.name < b.name; });
    return skins;
}

std::string SkinDisplayName(const std::string& path)
{
    const std::string name = SkinInfoName(path);
    return name.empty() ? std::filesystem::path(path).stem().string() : name;
}

std::string SkinInfoName(const std::string& path)
{
    CSkinArchive archive;
    std::string document;
    if (archive.Open(path.c_str()) != S_OK)
        return {};
    const int64_t nIndex = archive.Locate("skin.xml");
    if (nIndex < 0 || archive.Read(nIndex, &document) != S_OK)
        return {};
    // Only the skininfo element is looked at: the document may be large.
    const size_t nBegin = document.find("<skininfo");
    if (nBegin == std::string::npos)
        return {};
    return NameAttribute(document.substr(nBegin, std::min<size_t>(document.find('>', nBegin) - nBegin, 1024)));
}
