// The plain file stream: the one stream kind, which accepts every file and
// reads it read-only through a POSIX descriptor.
#pragma once

#include "Stream.h"

class CFileStream : public CStream {
public:
    CFileStream() = default;

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT Seek(LONGLONG dlibMove, DWORD dwOrigin, ULONGLONG* plibNewPosition) override;

    HRESULT Init(const char* pszFileName) override;
    HRESULT GetLength(LONGLONG* pTotal, LONGLONG* pAvailable) override;
    LONGLONG GetAlignment() override;
    HRESULT Close() override;
    HRESULT IsCompatible(const char* pszFileName, BOOL* pisCompatible) override;
    HRESULT NewInstance(CStream** ppStream) override;

protected:
    ~CFileStream() override;

private:
    int m_fd = -1;
};
