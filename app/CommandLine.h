// The process's command line as the bytes it was given: file names are kept
// exactly, whatever their encoding.
#pragma once

#include <string>
#include <vector>

void SetCommandLine(int argc, char** argv);
void SetCommandLine(std::vector<std::string> arguments);

// Element 0 is the program itself.
const std::vector<std::string>& CommandLineArguments();

// A file argument as this process means it: a relative name made absolute
// against the working directory; absolute names, URIs (scheme://...) and
// names that cannot be resolved (no working directory) unchanged.
std::string AbsoluteFileArgument(const std::string& argument);
