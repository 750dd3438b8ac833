#include "LibraryLocation.h"

#include <filesystem>

namespace {

constexpr const char* kLibraryPlaces[] = {"libBrelmSource.so", "../lib/korvoplayer/libBrelmSource.so"};

} // namespace

std::string ProgramDir()
{
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : program.parent_path().string();
}

std::string FindBrelmSource(const std::string& programDir)
{
    std::error_code error;
    for (const char* pszPlace : kLibraryPlaces) {
        std::filesystem::path candidate = std::filesystem::path(programDir) / pszPlace;
        if (std::filesystem::exists(candidate, error))
            return candidate.lexically_normal().string();
    }
    return {};
}
