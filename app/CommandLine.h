// The process's command line as the bytes it was given: file names are kept
// exactly, whatever their encoding.
#pragma once

#include <string>
#include <vector>

void SetCommandLine(int argc, char** argv);

// Element 0 is the program itself.
const std::vector<std::string>& CommandLineArguments();
