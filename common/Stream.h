// The read-only stream through which every byte of a media file is read.
// Streams are made by the factory (`CStream::CreateInstance`), which asks each
// registered stream kind whether it takes the file.
#pragma once

#include "ComTypes.h"

#include <atomic>

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;

// Release answers this while references remain, not the count.
constexpr ULONG kReleaseStillReferenced = 0xBAD;

// Up to this many stream kinds can be registered.
constexpr size_t kMaxStreamKinds = 1024;

struct STATSTG {
    char* pwcsName;
    DWORD type;
    ULONGLONG cbSize;
    LONGLONG mtime;
    LONGLONG ctime;
    LONGLONG atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

class CStream : public IUnknown {
public:
    CStream(const CStream&) = delete;
    CStream& operator=(const CStream&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten);
    virtual HRESULT Seek(LONGLONG dlibMove, DWORD dwOrigin, ULONGLONG* plibNewPosition) = 0;
    virtual HRESULT SetSize(ULONGLONG libNewSize);
    virtual HRESULT CopyTo(CStream* pstm, ULONGLONG cb, ULONGLONG* pcbRead, ULONGLONG* pcbWritten);
    virtual HRESULT Commit(DWORD grfCommitFlags);
    virtual HRESULT Revert();
    virtual HRESULT LockRegion(ULONGLONG libOffset, ULONGLONG cb, DWORD dwLockType);
    virtual HRESULT UnlockRegion(ULONGLONG libOffset, ULONGLONG cb, DWORD dwLockType);
    virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag);
    virtual HRESULT Clone(CStream** ppstm);

    bool IsAligned(LONGLONG llValue);
    bool IsAligned(ULONG lValue);

    virtual HRESULT Init(const char* pszFileName) = 0;
    virtual HRESULT GetLength(LONGLONG* pTotal, LONGLONG* pAvailable) = 0;
    virtual LONGLONG GetAlignment() = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT CanOpen(BOOL* pisCanOpen);
    virtual HRESULT IsCompatible(const char* pszFileName, BOOL* pisCompatible) = 0;
    virtual HRESULT NewInstance(CStream** ppStream) = 0;

    // The factory: a new, closed stream of the first registered kind that
    // accepts the file. `*ppStream` is left alone when no kind accepts it.
    static HRESULT CreateInstance(const char* pszFileName, CStream** ppStream);

    // Reads cbSize bytes from the start of the file (or from its end when
    // dwOrigin is STREAM_SEEK_END) without a stream object.
    static HRESULT _ReadFile(const char* pszFileName, void* pbBuffer, ULONG cbSize, DWORD dwOrigin);

protected:
    CStream() = default;
    ~CStream() override = default;

private:
    std::atomic<ULONG> m_refCount{1};
};

// Appends a prototype to the stream-kind list, taking its reference.
HRESULT RegisterStreamKind(CStream* pPrototype);

// Releases every prototype and empties the list.
void ReleaseStreamKinds();
