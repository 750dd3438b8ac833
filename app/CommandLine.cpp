#include "CommandLine.h"

#include "common/ComTypes.h"
#include "common/Report.h"
#include "skin/SkinCatalog.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* kUserRatioOption = "--user-ratio";
constexpr const char* kSkinOption = "--skin";
constexpr const char* kNoResumeOption = "--no-resume";

std::vector<std::string> g_arguments;
// The values of the user-ratio and skin options, empty without them.
std::string g_userRatio;
std::string g_skin;
bool g_bNoResume = false;

// A scheme: a letter, then letters, digits, '+', '-' or '.', then "://".
bool IsUri(const std::string& argument)
{
    size_t colon = argument.find("://");
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(argument[0])))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        auto c = static_cast<unsigned char>(argument[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

// A skin's path, or the name of a skin in the skin folders; a name no skin
// has stays a path, so that the failure to open it names it.
std::string SkinArgument(const std::string& argument)
{
    const std::string path = AbsoluteFileArgument(argument);
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return path;
    for (const SkinEntry& skin : FindSkins(SkinFolders()))
        if (skin.name == argument)
            return skin.path;
    return path;
}

} // namespace

void SetCommandLine(int argc, char** argv)
{
    SetCommandLine(std::vector<std::string>(argv, argv + argc));
}

void SetCommandLine(std::vector<std::string> arguments)
{
    g_arguments.clear();
    g_userRatio.clear();
    g_skin.clear();
    g_bNoResume = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0 && arguments[i] == kUserRatioOption && i + 1 < arguments.size())
            g_userRatio = std::move(arguments[++i]);
        else if (i > 0 && arguments[i] == kSkinOption && i + 1 < arguments.size())
            g_skin = SkinArgument(arguments[++i]);
        else if (i > 0 && arguments[i] == kNoResumeOption)
            g_bNoResume = true;
        else
            g_arguments.push_back(std::move(arguments[i]));
    }
}

const std::string& CommandLineSkin()
{
    return g_skin;
}

bool CommandLineNoResume()
{
    return g_bNoResume;
}

HRESULT CommandLineUserRatio(double* pdWidth, double* pdHeight)
{
    if (g_userRatio.empty())
        return S_FALSE;
    double dWidth = 0;
    double dHeight = 0;
    char cExtra = 0;
    if (std::sscanf(g_userRatio.c_str(), "%lf:%lf%c", &dWidth, &dHeight, &cExtra) != 2 || !std::isfinite(dWidth) ||
        !std::isfinite(dHeight) || !(dWidth > 0) || !(dHeight > 0))
        return ArgumentFault("CommandLineUserRatio()", "%s = %s", kUserRatioOption, g_userRatio.c_str());
    *pdWidth = dWidth;
    *pdHeight = dHeight;
    return S_OK;
}

const std::vector<std::string>& CommandLineArguments()
{
    return g_arguments;
}

std::string AbsoluteFileArgument(const std::string& argument)
{
    if (argument.empty() || argument[0] == '/' || IsUri(argument))
        return argument;
    char szDirectory[PATH_MAX];
    if (::getcwd(szDirectory, sizeof szDirectory) == nullptr)
        return argument;
    std::string directory(szDirectory);
    return directory + (directory.back() == '/' ? "" : "/") + argument;
}
