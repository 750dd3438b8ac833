#include "Stream.h"

#include "ErrorText.h"
#include "PosixFile.h"
#include "Report.h"

#include <cstring>
#include <unistd.h>

namespace {

CStream* g_streamKinds[kMaxStreamKinds];
size_t g_streamKindCount = 0;

// Positions `fd` cbSize bytes before the end of the file.
HRESULT SeekBeforeEnd(int fd, const char* pszFileName, ULONG cbSize)
{
    off_t length = ::lseek(fd, 0, SEEK_END);
    if (length >= 0 && static_cast<ULONGLONG>(length) < cbSize)
        return ReportError(ERROR_INSUFFICIENT_BUFFER, "The length of %s is less than %d bytes", pszFileName,
                           static_cast<int>(cbSize));
    if (length < 0 || ::lseek(fd, -static_cast<off_t>(cbSize), SEEK_END) < 0) {
        HRESULT hr = ReportError(GetLastError(), "Can not get the file length of %s", pszFileName);
        Trace("from %s", "SetFilePointer()");
        return hr;
    }
    return S_OK;
}

HRESULT ReadWhole(int fd, const char* pszFileName, void* pbBuffer, ULONG cbSize)
{
    ssize_t cbRead = ReadFully(fd, pbBuffer, cbSize);
    if (cbRead == static_cast<ssize_t>(cbSize))
        return S_OK;
    // A short read has no system error of its own: the file ended first.
    HRESULT code = cbRead < 0 ? GetLastError() : ERROR_HANDLE_EOF;
    HRESULT hr = ReportError(code, "Can not read %d bytes from %s", static_cast<int>(cbSize), pszFileName);
    Trace("from %s", "ReadFile()");
    return hr;
}

} // namespace

HRESULT CStream::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return ArgumentFault("CStream::QueryInterface()", "ppv = %llx", Hex(ppv));
    if (riid == IID_IUnknown || riid == IID_IStream) {
        AddRef();
        *ppv = this;
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CStream::AddRef()
{
    return ++m_refCount;
}

ULONG CStream::Release()
{
    if (--m_refCount == 0) {
        delete this;
        return 0;
    }
    return kReleaseStillReferenced;
}

HRESULT CStream::Write(const void*, ULONG, ULONG*)
{
    return E_NOTIMPL;
}

HRESULT CStream::SetSize(ULONGLONG)
{
    return E_NOTIMPL;
}

HRESULT CStream::CopyTo(CStream*, ULONGLONG, ULONGLONG*, ULONGLONG*)
{
    return E_NOTIMPL;
}

HRESULT CStream::Commit(DWORD)
{
    return E_NOTIMPL;
}

HRESULT CStream::Revert()
{
    return E_NOTIMPL;
}

HRESULT CStream::LockRegion(ULONGLONG, ULONGLONG, DWORD)
{
    return E_NOTIMPL;
}

HRESULT CStream::UnlockRegion(ULONGLONG, ULONGLONG, DWORD)
{
    return E_NOTIMPL;
}

HRESULT CStream::Clone(CStream**)
{
    return E_NOTIMPL;
}

HRESULT CStream::Stat(STATSTG* pstatstg, DWORD grfStatFlag)
{
    if (pstatstg == nullptr || grfStatFlag != STATFLAG_NONAME) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER);
        Trace("from %s", "CStream::Stat()");
        return hr;
    }
    std::memset(pstatstg, 0, sizeof *pstatstg);
    pstatstg->type = STGTY_STREAM;
    LONGLONG total = 0;
    LONGLONG available = 0;
    if (HRESULT hr = GetLength(&total, &available); hr != S_OK) {
        Trace("from %s", "CStream::Stat()");
        return hr;
    }
    pstatstg->cbSize = static_cast<ULONGLONG>(total);
    return S_OK;
}

bool CStream::IsAligned(LONGLONG llValue)
{
    LONGLONG alignment = GetAlignment();
    return alignment <= 1 || llValue % alignment == 0;
}

bool CStream::IsAligned(ULONG lValue)
{
    return IsAligned(static_cast<LONGLONG>(lValue));
}

HRESULT CStream::CanOpen(BOOL* pisCanOpen)
{
    if (pisCanOpen == nullptr)
        return ArgumentFault("CStream::CanOpen()", "pisCanOpen = %llx", Hex(pisCanOpen));
    *pisCanOpen = 1;
    return S_OK;
}

HRESULT CStream::CreateInstance(const char* pszFileName, CStream** ppStream)
{
    if (ppStream == nullptr)
        return ArgumentFault("CStream::CreateInstance()", "pszFileName = %llx, ppStream = %llx", Hex(pszFileName),
                             Hex(ppStream));
    for (size_t i = 0; i < g_streamKindCount; ++i) {
        CStream* pKind = g_streamKinds[i];
        if (pKind == nullptr)
            continue;
        BOOL accepted = 0;
        HRESULT hr = pKind->IsCompatible(pszFileName, &accepted);
        if (hr == S_OK && accepted)
            hr = pKind->NewInstance(ppStream);
        if (hr != S_OK) {
            Trace("from %s", "CStream::CreateInstance()");
            return hr;
        }
        if (accepted)
            return S_OK;
    }
    return S_OK;
}

HRESULT CStream::_ReadFile(const char* pszFileName, void* pbBuffer, ULONG cbSize, DWORD dwOrigin)
{
    if (pszFileName == nullptr || pbBuffer == nullptr)
        return ArgumentFault("CStream::_ReadFile()", "pszFileName = %llx, pbBuffer = %llx, cbSize = %d",
                             Hex(pszFileName), Hex(pbBuffer), static_cast<int>(cbSize));
    int fd = OpenForReading(pszFileName);
    if (fd < 0) {
        HRESULT hr = ReportError(GetLastError(), "Can not open %s", pszFileName);
        Trace("from %s", "CreateFile()");
        Trace("from %s", "CStream::_ReadFile()");
        return hr;
    }
    std::memset(pbBuffer, 0, cbSize);
    HRESULT hr = dwOrigin == STREAM_SEEK_END ? SeekBeforeEnd(fd, pszFileName, cbSize) : S_OK;
    if (hr == S_OK)
        hr = ReadWhole(fd, pszFileName, pbBuffer, cbSize);
    ::close(fd);
    if (hr != S_OK)
        Trace("from %s", "CStream::_ReadFile()");
    return hr;
}

HRESULT RegisterStreamKind(CStream* pPrototype)
{
    if (g_streamKindCount == kMaxStreamKinds) {
        // The list is full: refuse the kind rather than write past the list.
        if (pPrototype != nullptr)
            pPrototype->Release();
        HRESULT hr = ReportError(ERROR_NOT_ENOUGH_MEMORY, "No room for more than %d stream kinds",
                                 static_cast<int>(kMaxStreamKinds));
        Trace("from %s", "RegisterStreamKind()");
        return hr;
    }
    g_streamKinds[g_streamKindCount++] = pPrototype;
    return S_OK;
}

void ReleaseStreamKinds()
{
    for (size_t i = 0; i < g_streamKindCount; ++i) {
        if (g_streamKinds[i] != nullptr)
            g_streamKinds[i]->Release();
        g_streamKinds[i] = nullptr;
    }
    g_streamKindCount = 0;
}
