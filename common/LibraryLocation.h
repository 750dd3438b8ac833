// Where the BrelmSource library sits relative to a program of this project:
// beside it in the build tree, under ../lib/korvoplayer in the installed tree.
#pragma once

#include <string>

// The folder of the running program ("." when it cannot be told).
std::string ProgramDir();

// The library file found relative to `programDir`, empty when there is none.
std::string FindBrelmSource(const std::string& programDir);
