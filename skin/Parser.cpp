#include "Parser.h"

#include "common/ErrorText.h"
#include "common/PosixFile.h"
#include "common/Report.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {


} // namespace

HRESULT CParser::InitFromFile(const char* pszFileName)
{
    if (pszFileName == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER, "pszFileName = %llx", Hex(pszFileName));
        Trace("from %s", "CParser::Init()");
        return hr;
    }
    HRESULT hr = _LoadFile(pszFileName);
    if (hr != S_OK)
        Trace("from %s", "CParser::Init()");
    return hr;
}

HRESULT CParser::InitFromStream(const char* pszContents)
{
    if (pszContents == nullptr)
        return ArgumentFault("CParser::Init()", "pszContents = %llx", Hex(pszContents));
    m_sContent = pszContents;
    return S_OK;
}

HRESULT CParser::_LoadFile(const char* pszFileName)
{
    int fd = OpenForReading(pszFileName);
    if (fd < 0) {
        HRESULT hr = ReportError(GetLastError(), "%s 파일을 열 수 없습니다", pszFileName);
        Trace("from %s", "CFile::Open()");
        Trace("from %s", "CParser::_LoadFile()");
        return hr;
    }
    HRESULT hr = S_OK;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        hr = ReportError(GetLastError(), "%s 파일을 열 수 없습니다", pszFileName);
        Trace("from %s", "CFile::GetLength()");
    } else {
        std::string buffer(static_cast<size_t>(st.st_size), '\0');
        ssize_t cbRead = ReadFully(fd, buffer.data(), buffer.size());
        if (cbRead != static_cast<ssize_t>(buffer.size())) {
            hr = ReportError(ERROR_READ_FAULT, "파일 크기는 %d 인데 실제 읽은 바이트는 %d 바이트입니다",
                             static_cast<int>(buffer.size()), static_cast<int>(cbRead));
            Trace("from %s", "CFile::Read()");
        } else {
            // The document is a NUL-terminated text: it ends at its first NUL.
            m_sContent = buffer.c_str();
        }
    }
    ::close(fd);
    if (hr != S_OK)
        Trace("from %s", "CParser::_LoadFile()");
    return hr;
}
