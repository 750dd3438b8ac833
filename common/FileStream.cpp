#include "FileStream.h"

#include "ErrorText.h"
#include "PosixFile.h"
#include "Report.h"

#include <new>
#include <sys/stat.h>
#include <unistd.h>

CFileStream::~CFileStream()
{
    Close();
}

HRESULT CFileStream::Init(const char* pszFileName)
{
    if (pszFileName == nullptr)
        return ArgumentFault("CFileStream::Init()", "pszFileName = %llx", Hex(pszFileName));
    Close();
    m_fd = OpenForReading(pszFileName);
    if (m_fd < 0) {
        HRESULT error = GetLastError();
        HRESULT hr = ReportError(error, "Can not open %s file. error = %d", pszFileName, error);
        Trace("from %s", "CreateFile()");
        Trace("from %s", "CFileStream::Init()");
        return hr;
    }
    return S_OK;
}

HRESULT CFileStream::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    if (pv == nullptr || cb == 0)
        return ArgumentFault("CFileStream::Read()", "pv = %llx, cb = %d, pcbRead = %llx", Hex(pv), static_cast<int>(cb),
                             Hex(pcbRead));
    ssize_t cbRead = ReadFully(m_fd, pv, cb);
    if (cbRead < 0) {
        HRESULT hr = ReportError(GetLastError(), "파일을 읽을 수 없습니다");
        Trace("cb = %d", static_cast<int>(cb));
        Trace("from %s", "ReadFile()");
        Trace("from %s", "CFileStream::Read()");
        return hr;
    }
    if (pcbRead != nullptr)
        *pcbRead = static_cast<ULONG>(cbRead);
    return S_OK;
}

HRESULT CFileStream::Seek(LONGLONG dlibMove, DWORD dwOrigin, ULONGLONG* plibNewPosition)
{
    if (dwOrigin > STREAM_SEEK_END)
        return ArgumentFault("CFileStream::Seek()", "dlibMove = %lld, dwOrigin = %d, plibNewPosition = %llx",
                             static_cast<long long>(dlibMove), static_cast<int>(dwOrigin), Hex(plibNewPosition));
    static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    off_t position = ::lseek(m_fd, static_cast<off_t>(dlibMove), kWhence[dwOrigin]);
    if (position < 0) {
        HRESULT hr = ReportError(GetLastError(), "현재 파일 포인터를 이동할 수 없습니다");
        Trace("dlibMove.QuadPart = %lld", static_cast<long long>(dlibMove));
        Trace("from %s", "SetFilePointerEx()");
        Trace("from %s", "CFileStream::Seek()");
        return hr;
    }
    if (plibNewPosition != nullptr)
        *plibNewPosition = static_cast<ULONGLONG>(position);
    return S_OK;
}

HRESULT CFileStream::GetLength(LONGLONG* pTotal, LONGLONG* pAvailable)
{
    if (pTotal == nullptr || pAvailable == nullptr)
        return ArgumentFault("CFileStream::GetLength()", "pTotal = %llx, pAvailable = %llx", Hex(pTotal),
                             Hex(pAvailable));
    struct stat st {};
    off_t position = ::fstat(m_fd, &st) == 0 ? ::lseek(m_fd, 0, SEEK_CUR) : -1;
    if (position < 0) {
        HRESULT hr = ReportError(GetLastError(), "파일 사이즈를 구할 수 없습니다");
        Trace("from %s", "GetFileSizeEx()");
        Trace("from %s", "CFileStream::GetLength()");
        return hr;
    }
    *pTotal = st.st_size;
    // A position past the end leaves nothing available, not a negative count.
    *pAvailable = position < st.st_size ? st.st_size - position : 0;
    return S_OK;
}

LONGLONG CFileStream::GetAlignment()
{
    return 1;
}

HRESULT CFileStream::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    return S_OK;
}

HRESULT CFileStream::IsCompatible(const char*, BOOL* pisCompatible)
{
    HRESULT hr = CanOpen(pisCompatible);
    if (hr != S_OK)
        Trace("from %s", "CFileStream::IsCompatible()");
    return hr;
}

HRESULT CFileStream::NewInstance(CStream** ppStream)
{
    if (ppStream == nullptr)
        return ArgumentFault("CFileStream::NewInstance()", "ppStream = %llx", Hex(ppStream));
    CStream* pStream = new (std::nothrow) CFileStream();
    if (pStream == nullptr) {
        HRESULT hr = ReportError(ERROR_NOT_ENOUGH_MEMORY);
        Trace("from %s", "CFileStream::NewInstance()");
        return hr;
    }
    *ppStream = pStream;
    return S_OK;
}
