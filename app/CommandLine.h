// The process's command line as the bytes it was given: file names are kept
// exactly, whatever their encoding.
#pragma once

#include "common/ComTypes.h"

#include <string>
#include <vector>

// Keeps the arguments, the options `--user-ratio W:H` and `--skin PATH` with
// their values, and `--no-resume`, taken out.
void SetCommandLine(int argc, char** argv);
void SetCommandLine(std::vector<std::string> arguments);

// Element 0 is the program itself.
const std::vector<std::string>& CommandLineArguments();

// A file argument as this process means it: a relative name made absolute
// against the working directory; absolute names, URIs (scheme://...) and
// names that cannot be resolved (no working directory) unchanged.
std::string AbsoluteFileArgument(const std::string& argument);

// The picture ratio W:H (two positive numbers) given with `--user-ratio`:
// S_OK with both values, S_FALSE when the option was not given, or
// ERROR_INVALID_PARAMETER, reported, when its value is not such a pair.
HRESULT CommandLineUserRatio(double* pdWidth, double* pdHeight);

// The skin archive or folder given with `--skin`, made absolute, or the one
// the skin folders hold under the name given; empty when the option was not
// given.
const std::string& CommandLineSkin();

// Whether `--no-resume` was given: files start from their beginning this run.
bool CommandLineNoResume();
