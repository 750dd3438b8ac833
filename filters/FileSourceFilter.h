// The file-source part of a source filter: it receives the file name, keeps
// it, and asks the concrete filter to build its output pins for it. The
// concrete filter answers the IUnknown methods for both of its parts.
#pragma once

#include "FilterTypes.h"
#include "common/FilterInterfaces.h"
#include "common/Stream.h"

#include <mutex>

// At most this many bytes of a file name are kept, plus the terminator.
constexpr size_t kFileNameSize = 4096;

class CFileSourceFilter : public IFileSourceFilter {
public:
    // `pLock` is the concrete filter's lock; Load runs under it.
    explicit CFileSourceFilter(std::recursive_mutex* pLock);
    CFileSourceFilter(const CFileSourceFilter&) = delete;
    CFileSourceFilter& operator=(const CFileSourceFilter&) = delete;

    HRESULT Load(const char* pszFileName, const AM_MEDIA_TYPE* pmt) override;
    HRESULT GetCurFile(char** ppszFileName, AM_MEDIA_TYPE* pmt) override;

protected:
    ~CFileSourceFilter() override = default;

    // Builds the output pins for the stored file name.
    virtual HRESULT CreateOutputPin() = 0;
    virtual HRESULT GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt) = 0;

    // The stored name, empty before Load.
    const char* FileName() const { return m_szFileName; }

    // A new stream, open on the stored name, through the stream factory.
    HRESULT OpenFileStream(CStream** ppStream) const;

private:
    HRESULT _CopyFileName(char** ppszFileName) const;

    std::recursive_mutex* m_pLock;
    char m_szFileName[kFileNameSize] = {};
};
