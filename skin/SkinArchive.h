// A skin archive (ZIP) or a skin folder opened read-only: entries are found
// by their full path (a folder's files by their path inside it), read into
// memory, or extracted into a directory private to this object (mode 0700,
// removed with it); a folder's files are used where they are and nothing is
// written for them. Entry names that would leave that directory are refused,
// a folder's links that lead out of it are not entries, and no entry is read
// beyond a size limit.
#pragma once

#include "common/ComTypes.h"

#include <cstdint>
#include <string>
#include <vector>

struct zip;

class CSkinArchive {
public:
    CSkinArchive() = default;
    ~CSkinArchive();
    CSkinArchive(const CSkinArchive&) = delete;
    CSkinArchive& operator=(const CSkinArchive&) = delete;

    // The largest entry that is read or extracted.
    static constexpr uint64_t kMaxEntrySize = 32u << 20;

    // Opens the archive or the folder; a failure is reported (1064, the
    // library's text).
    HRESULT Open(const char* pszPath);
    void Close();
    bool IsOpen() const { return m_pZip != nullptr || m_bFolder; }

    // The number of entries, and an entry's name as the archive stores it.
    int64_t Count() const;
    std::string Name(int64_t nIndex) const;
    // The size an entry declares, and the bytes it takes in the archive
    // (the same for a folder's file). False when the archive cannot say.
    bool Sizes(int64_t nIndex, uint64_t* pcbSize, uint64_t* pcbStored) const;

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
    HRESULT _OpenFolder(const char* pszPath);
    HRESULT _ReadFile(int64_t nIndex, std::string* pData) const;

    zip* m_pZip = nullptr;
    std::string m_sDirectory;
    // The open folder and its regular files, relative to it, in name order.
    bool m_bFolder = false;
    std::string m_sFolder;
    std::vector<std::string> m_files;
};
