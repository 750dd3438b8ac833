#include "SkinArchive.h"

#include "common/ErrorText.h"
#include "common/Report.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <zip.h>

namespace {

std::string EntryName(zip* pZip, int64_t nIndex)
{
    const char* psz = zip_get_name(pZip, static_cast<zip_uint64_t>(nIndex), 0);
    return psz != nullptr ? psz : "";
}

// Whether `path` names a place inside the folder `root` (both canonical).
bool IsInside(const std::filesystem::path& path, const std::filesystem::path& root)
{
    auto [itRoot, itPath] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return itRoot == root.end() && itPath != path.end();
}

HRESULT TraceTooLarge(const std::string& name)
{
    Trace("%s is larger than %llu bytes", name.c_str(), static_cast<unsigned long long>(CSkinArchive::kMaxEntrySize));
    Trace("from %s", "CSkinArchive::Read()");
    return ERROR_EXCEPTION_IN_SERVICE;
}

} // namespace

CSkinArchive::~CSkinArchive()
{
    Close();
    if (!m_sDirectory.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_sDirectory, ignored);
    }
}

HRESULT CSkinArchive::Open(const char* pszPath)
{
    Close();
    std::error_code notFolder;
    if (pszPath != nullptr && std::filesystem::is_directory(pszPath, notFolder))
        return _OpenFolder(pszPath);
    int nError = 0;
    m_pZip = zip_open(pszPath, ZIP_RDONLY, &nError);
    if (m_pZip == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, nError);
        HRESULT hr = ReportError(ERROR_EXCEPTION_IN_SERVICE, "%s: %s", pszPath, zip_error_strerror(&error));
        zip_error_fini(&error);
        Trace("from %s", "zip_open()");
        return hr;
    }
    return S_OK;
}

void CSkinArchive::Close()
{
    if (m_pZip != nullptr)
        zip_discard(m_pZip);
    m_pZip = nullptr;
    m_bFolder = false;
    m_sFolder.clear();
    m_files.clear();
}

HRESULT CSkinArchive::_OpenFolder(const char* pszPath)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path root = fs::canonical(pszPath, error);
    fs::recursive_directory_iterator it(root, error);
    if (error)
        return ReportError(ERROR_EXCEPTION_IN_SERVICE, "%s: %s", pszPath, error.message().c_str());
    for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
        // A link counts only when what it leads to is a file inside the folder.
        std::error_code ignored;
        const fs::path target = fs::canonical(it->path(), ignored);
        if (!ignored && fs::is_regular_file(target, ignored) && IsInside(target, root))
            m_files.push_back(it->path().lexically_relative(root).generic_string());
        if (error)
            break;
    }
    if (error)
        return ReportError(ERROR_EXCEPTION_IN_SERVICE, "%s: %s", pszPath, error.message().c_str());
    std::sort(m_files.begin(), m_files.end());
    m_sFolder = root.string();
    m_bFolder = true;
    return S_OK;
}

int64_t CSkinArchive::Count() const
{
    if (m_bFolder)
        return static_cast<int64_t>(m_files.size());
    return m_pZip != nullptr ? zip_get_num_entries(m_pZip, 0) : 0;
}

std::string CSkinArchive::Name(int64_t nIndex) const
{
    if (m_bFolder)
        return nIndex >= 0 && nIndex < Count() ? m_files[static_cast<size_t>(nIndex)] : "";
    return m_pZip != nullptr ? EntryName(m_pZip, nIndex) : "";
}

bool CSkinArchive::Sizes(int64_t nIndex, uint64_t* pcbSize, uint64_t* pcbStored) const
{
    if (m_bFolder) {
        std::error_code error;
        const std::string name = Name(nIndex);
        *pcbSize = *pcbStored = name.empty() ? 0 : std::filesystem::file_size(std::filesystem::path(m_sFolder) / name, error);
        return !name.empty() && !error;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (m_pZip == nullptr || zip_stat_index(m_pZip, static_cast<zip_uint64_t>(nIndex), 0, &st) != 0 ||
        (st.valid & (ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE)) != (ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE))
        return false;
    *pcbSize = st.size;
    *pcbStored = st.comp_size;
    return true;
}

int64_t CSkinArchive::Locate(const char* pszName) const
{
    if (pszName == nullptr)
        return -1;
    if (m_bFolder) {
        auto it = std::lower_bound(m_files.begin(), m_files.end(), std::string(pszName));
        return it != m_files.end() && *it == pszName ? it - m_files.begin() : -1;
    }
    if (m_pZip == nullptr)
        return -1;
    return zip_name_locate(m_pZip, pszName, 0);
}

HRESULT CSkinArchive::_ReadFile(int64_t nIndex, std::string* pData) const
{
    const std::string name = Name(nIndex);
    std::ifstream file(std::filesystem::path(m_sFolder) / name, std::ios::binary);
    std::string data;
    char buffer[65536];
    while (file && data.size() <= kMaxEntrySize) {
        file.read(buffer, sizeof(buffer));
        data.append(buffer, static_cast<size_t>(file.gcount()));
    }
    if (data.size() > kMaxEntrySize)
        return TraceTooLarge(name);
    if (name.empty() || file.bad() || !file.eof()) {
        Trace("cannot read %s", name.c_str());
        Trace("from %s", "CSkinArchive::Read()");
        return ERROR_EXCEPTION_IN_SERVICE;
    }
    *pData = std::move(data);
    return S_OK;
}

HRESULT CSkinArchive::Read(int64_t nIndex, std::string* pData) const
{
    if (m_bFolder)
        return _ReadFile(nIndex, pData);
    const std::string name = EntryName(m_pZip, nIndex);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_pZip, static_cast<zip_uint64_t>(nIndex), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        Trace("%s: %s", name.c_str(), zip_strerror(m_pZip));
        Trace("from %s", "zip_stat_index()");
        return ERROR_EXCEPTION_IN_SERVICE;
    }
    if (st.size > kMaxEntrySize)
        return TraceTooLarge(name);
    zip_file_t* pFile = zip_fopen_index(m_pZip, static_cast<zip_uint64_t>(nIndex), 0);
    if (pFile == nullptr) {
        Trace("%s: %s", name.c_str(), zip_strerror(m_pZip));
        Trace("from %s", "zip_fopen_index()");
        return ERROR_EXCEPTION_IN_SERVICE;
    }
    // The declared size is not trusted: reading stops at the limit.
    std::string data;
    char buffer[65536];
    zip_int64_t cbRead = 0;
    while ((cbRead = zip_fread(pFile, buffer, sizeof(buffer))) > 0 && data.size() <= kMaxEntrySize)
        data.append(buffer, static_cast<size_t>(cbRead));
    HRESULT hr = ERROR_EXCEPTION_IN_SERVICE;
    if (cbRead < 0) {
        Trace("%s: %s", name.c_str(), zip_file_strerror(pFile));
        Trace("from %s", "zip_fread()");
    } else if (data.size() > kMaxEntrySize) {
        TraceTooLarge(name);
    } else {
        hr = S_OK;
        *pData = std::move(data);
    }
    zip_fclose(pFile);
    return hr;
}

HRESULT CSkinArchive::Extract(int64_t nIndex, std::string* pPath)
{
    const std::string name = Name(nIndex);
    if (!IsSafeEntryName(name)) {
        Trace("%s would be extracted outside the skin directory", name.c_str());
        Trace("from %s", "CSkinArchive::Extract()");
        return ERROR_EXCEPTION_IN_SERVICE;
    }
    // A folder's file is read where it is.
    if (m_bFolder) {
        if (nIndex < 0 || nIndex >= Count())
            return ERROR_EXCEPTION_IN_SERVICE;
        *pPath = (std::filesystem::path(m_sFolder) / name).string();
        return S_OK;
    }
    HRESULT hr = _MakeDirectory();
    std::string data;
    if (hr == S_OK)
        hr = Read(nIndex, &data);
    if (hr != S_OK) {
        Trace("from %s", "CSkinArchive::Extract()");
        return hr;
    }
    std::filesystem::path path = std::filesystem::path(m_sDirectory) / name;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data.data(), static_cast<std::streamsize>(data.size()));
    file.close();
    if (error || !file) {
        Trace("cannot write %s", path.c_str());
        Trace("from %s", "CSkinArchive::Extract()");
        return ERROR_EXCEPTION_IN_SERVICE;
    }
    *pPath = path.string();
    return S_OK;
}

bool CSkinArchive::IsSafeEntryName(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.back() == '/' || name.find('\\') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return false;
    for (const auto& part : std::filesystem::path(name)) {
        if (part == ".." || part == "." || part.empty())
            return false;
    }
    return true;
}

HRESULT CSkinArchive::_MakeDirectory()
{
    if (!m_sDirectory.empty())
        return S_OK;
    std::error_code ignored;
    std::string pattern = (std::filesystem::temp_directory_path(ignored) / "korvoskin-XXXXXX").string();
    // mkdtemp creates the directory with mode 0700.
    if (::mkdtemp(pattern.data()) == nullptr) {
        Trace("%s: %s", pattern.c_str(), ErrorText(GetLastError()).c_str());
        Trace("from %s", "mkdtemp()");
        return ERROR_EXCEPTION_IN_SERVICE;
    }
    m_sDirectory = pattern;
    return S_OK;
}
