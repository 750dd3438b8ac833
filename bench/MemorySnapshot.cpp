#include "MemorySnapshot.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <malloc.h>
#include <sstream>
#include <vector>

namespace {

// "Name:   1234 kB" lines of /proc/self/status.
void ReadStatus(CMemorySnapshot& snapshot)
{
    const std::pair<const char*, long*> fields[] = {{"VmRSS:", &snapshot.rssKb},
                                                    {"RssAnon:", &snapshot.rssAnonKb},
                                                    {"RssFile:", &snapshot.rssFileKb},
                                                    {"RssShmem:", &snapshot.rssShmemKb}};
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = 0;
    while (status >> name) {
        if (name == "Threads:") {
            status >> snapshot.nThreads;
            continue;
        }
        for (const auto& [pszField, pValue] : fields)
            if (name == pszField && status >> value)
                *pValue = value;
        status.ignore(1 << 16, '\n');
    }
}

// Each mapping's header line ("start-end perms offset dev inode [path]") is
// followed by its counters, "Rss:" among them.
void ReadMappings(CMemorySnapshot& snapshot)
{
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    std::string mapping = "[anon]";
    while (std::getline(smaps, line)) {
        if (line.rfind("Rss:", 0) == 0) {
            snapshot.rssKbByMapping[mapping] += std::stol(line.substr(4));
            continue;
        }
        if (line.empty() || line.find(':') < line.find(' '))
            continue;
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode;
        fields >> range >> perms >> offset >> device >> inode;
        mapping.clear();
        std::getline(fields >> std::ws, mapping);
        if (mapping.empty())
            mapping = "[anon]";
    }
}

int CountDescriptors()
{
    DIR* pDir = opendir("/proc/self/fd");
    if (pDir == nullptr)
        return -1;
    int n = 0;
    while (const dirent* pEntry = readdir(pDir))
        n += pEntry->d_name[0] != '.';
    closedir(pDir);
    // Less the descriptor of the listing itself.
    return n - 1;
}

} // namespace

CMemorySnapshot CMemorySnapshot::Take()
{
    CMemorySnapshot snapshot;
    ReadStatus(snapshot);
    ReadMappings(snapshot);
    snapshot.nDescriptors = CountDescriptors();
    const struct mallinfo2 info = mallinfo2();
    snapshot.mallocHeldKb = static_cast<long>((info.arena + info.hblkhd) / 1024);
    snapshot.mallocInUseKb = static_cast<long>((info.uordblks + info.hblkhd) / 1024);
    snapshot.mallocFreeKb = static_cast<long>(info.fordblks / 1024);
    return snapshot;
}

std::string CMemorySnapshot::Line() const
{
    char line[256];
    std::snprintf(line, sizeof line,
                  "rss %6.1f MB (anon %6.1f, file %5.1f, shmem %5.1f)  fds %3d  threads %3d  "
                  "malloc held %6.1f MB, in use %6.1f, free %6.1f",
                  rssKb / 1024.0, rssAnonKb / 1024.0, rssFileKb / 1024.0, rssShmemKb / 1024.0, nDescriptors,
                  nThreads, mallocHeldKb / 1024.0, mallocInUseKb / 1024.0, mallocFreeKb / 1024.0);
    return line;
}

std::string CMemorySnapshot::Growth(const CMemorySnapshot& before, size_t nLargest) const
{
    std::vector<std::pair<long, std::string>> growth;
    for (const auto& [mapping, kb] : rssKbByMapping) {
        auto it = before.rssKbByMapping.find(mapping);
        growth.emplace_back(kb - (it == before.rssKbByMapping.end() ? 0 : it->second), mapping);
    }
    std::sort(growth.rbegin(), growth.rend());
    std::string lines;
    for (size_t i = 0; i < std::min(nLargest, growth.size()) && growth[i].first > 0; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "  %+8.1f MB  ", growth[i].first / 1024.0);
        lines += line + growth[i].second + "\n";
    }
    return lines;
}
