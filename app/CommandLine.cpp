#include "CommandLine.h"

#include <cctype>
#include <climits>
#include <unistd.h>
#include <utility>

namespace {

std::vector<std::string> g_arguments;

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

} // namespace

void SetCommandLine(int argc, char** argv)
{
    SetCommandLine(std::vector<std::string>(argv, argv + argc));
}

void SetCommandLine(std::vector<std::string> arguments)
{
    g_arguments = std::move(arguments);
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
