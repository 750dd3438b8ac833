#include "DisplayResource.h"

#include <cctype>
#include <cstdlib>

std::string DisplayFromAllocation(const std::string& allocation)
{
    const std::string prefix = "id:x";
    if (allocation.compare(0, prefix.size(), prefix) != 0)
        return {};
    const size_t end = allocation.find(',', prefix.size());
    const std::string number = allocation.substr(prefix.size(), end - prefix.size());
    if (number.empty())
        return {};
    for (char c : number) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0)
            return {};
    }
    return ":" + number;
}

std::string DisplayFromCTestResources()
{
    const char* pszCount = std::getenv("CTEST_RESOURCE_GROUP_COUNT");
    const int nGroups = pszCount != nullptr ? std::atoi(pszCount) : 0;
    for (int i = 0; i < nGroups; ++i) {
        const std::string group = "CTEST_RESOURCE_GROUP_" + std::to_string(i);
        const char* pszType = std::getenv(group.c_str());
        if (pszType == nullptr || std::string(pszType) != "displays")
            continue;
        const char* pszAllocation = std::getenv((group + "_DISPLAYS").c_str());
        if (pszAllocation != nullptr)
            return DisplayFromAllocation(pszAllocation);
    }
    return {};
}
