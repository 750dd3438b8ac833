// What the process holds at one moment, read from /proc/self and from
// malloc: resident memory split into anonymous, file-backed and shared
// pages, open descriptors, threads, the bytes malloc has in use and keeps
// free, and the resident memory of each mapping, so that two snapshots show
// where memory grew.
#pragma once

#include <cstddef>
#include <map>
#include <string>

class CMemorySnapshot {
public:
    // Reads everything now.
    static CMemorySnapshot Take();

    // All sizes in kB.
    long rssKb = 0;
    long rssAnonKb = 0;
    long rssFileKb = 0;
    long rssShmemKb = 0;
    int nDescriptors = 0;
    int nThreads = 0;
    // Held by malloc from the system (all arenas, main heap and mmap'ed
    // blocks), of it in use by the program, and free but kept.
    long mallocHeldKb = 0;
    long mallocInUseKb = 0;
    long mallocFreeKb = 0;
    // Resident kB by mapping: the file's path, or "[heap]", "[stack]",
    // "[anon]" and the like.
    std::map<std::string, long> rssKbByMapping;

    // One line: RSS and its parts, descriptors, threads and malloc.
    std::string Line() const;
    // The `nLargest` mappings whose resident memory grew most from `before`
    // to this snapshot, one per line, largest first.
    std::string Growth(const CMemorySnapshot& before, size_t nLargest) const;
};
