#include "CommandLine.h"

namespace {

std::vector<std::string> g_arguments;

} // namespace

void SetCommandLine(int argc, char** argv)
{
    g_arguments.assign(argv, argv + argc);
}

const std::vector<std::string>& CommandLineArguments()
{
    return g_arguments;
}
