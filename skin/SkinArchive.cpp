#include "SkinArchive.h"

#include "common/ErrorText.h"
#include "common/Report.h"

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
}

int64_t CSkinArchive::Locate(const char* pszName) const
{
    if (m_pZip == nullptr || pszName == nullptr)
        return -1;
    return zip_name_locate(m_pZip, pszName, 0);
}

HRESULT CSkinArchive::Read(int64_t nIndex, std::string* pData) const
{
    const std::string name = EntryName(m_pZip, nIndex);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_pZip, static_cast<zip_uint64_t>(nIndex), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        Trace("%s: %s", name.c_str(), zip_strerror(m_pZip));
        Trace("from %s", "zip_stat_index()");
        return ERROR_EXCEPTION_IN_SERVICE;
    }
    if (st.size > kMaxEntrySize) {
        Trace("%s is larger than %llu bytes", name.c_str(), static_cast<unsigned long long>(kMaxEntrySize));
        Trace("from %s", "CSkinArchive::Read()");
        return ERROR_EXCEPTION_IN_SERVICE;
    }
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
        Trace("%s is larger than %llu bytes", name.c_str(), static_cast<unsigned long long>(kMaxEntrySize));
        Trace("from %s", "CSkinArchive::Read()");
    } else {
        hr = S_OK;
        *pData = std::move(data);
    }
    zip_fclose(pFile);
    return hr;
}

HRESULT CSkinArchive::Extract(int64_t nIndex, std::string* pPath)
{
    const std::string name = EntryName(m_pZip, nIndex);
    if (!IsSafeEntryName(name)) {
        Trace("%s would be extracted outside the skin directory", name.c_str());
        Trace("from %s", "CSkinArchive::Extract()");
        return ERROR_EXCEPTION_IN_SERVICE;
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
