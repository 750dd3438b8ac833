// A skin archive (ZIP) opened read-only: entries are found by their full
// path, read into memory, or extracted into a directory private to this
// object (mode 0700, removed with it). Entry names that would leave that
// directory are refused, and no entry is read beyond a size limit.
#pragma once

#include "common/ComTypes.h"

#include <cstdint>
#include <string>

struct zip;

class CSkinArchive {
public:
    CSkinArchive() = default;
    ~CSkinArchive();
    CSkinArchive(const CSkinArchive&) = delete;
    CSkinArchive& operator=(const CSkinArchive&) = delete;

    // The largest entry that is read or extracted.
    static constexpr uint64_t kMaxEntrySize = 32u << 20;

    // Opens the archive; a failure is reported (1064, the library's text).
    HRESULT Open(const char* pszPath);
    void Close();
    bool IsOpen() const { return m_pZip != nullptr; }

    // The index of the entry with exactly this path, or -1.
    int64_t Locate(const char* pszName) const;
    // Reads an entry into memory. A failure returns 1064 after tracing its
    // cause; the caller reports it in its own words.
    HRESULT Read(int64_t nIndex, std::string* pData) const;
    // Extracts an entry under the private directory, keeping its path, and
    // returns the file's path. Failures as for Read.
    HRESULT Extract(int64_t nIndex, std::string* pPath);

    // Whether an entry name stays inside the directory it is extracted into.
    static bool IsSafeEntryName(const std::string& name);

private:
    HRESULT _MakeDirectory();

    zip* m_pZip = nullptr;
    std::string m_sDirectory;
};
