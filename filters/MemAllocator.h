// The memory allocator through which a reader's client agrees on sample
// buffers (count, size, alignment) and takes them. Samples go back to the
// allocator when their last reference goes.
#pragma once

#include "MediaSample.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct ALLOCATOR_PROPERTIES {
    long cBuffers;
    long cbBuffer;
    long cbAlign;
    long cbPrefix;
};

inline constexpr IID IID_IMemAllocator = {0x56A8689C, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr HRESULT VFW_E_SIZENOTSET = static_cast<HRESULT>(0x80040212u);

class IMemAllocator : public IUnknown {
public:
    virtual HRESULT SetProperties(const ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) = 0;
    virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES* pProps) = 0;
    // A free buffer; VFW_E_TIMEOUT when every buffer is out.
    virtual HRESULT GetBuffer(IMediaSample** ppSample) = 0;
};

class CMemAllocator : public CSingleInterfaceObject<IMemAllocator, IID_IMemAllocator> {
public:
    CMemAllocator(const char* pszName, HRESULT* phr);

    HRESULT SetProperties(const ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) override;
    HRESULT GetProperties(ALLOCATOR_PROPERTIES* pProps) override;
    HRESULT GetBuffer(IMediaSample** ppSample) override;

    const std::string& Name() const { return m_name; }

protected:
    ~CMemAllocator() override;

private:
    class CAllocatorSample;
    struct FreeDeleter {
        void operator()(BYTE* p) const;
    };

    void _ReturnBlock(size_t index);

    std::string m_name;
    std::mutex m_lock;
    ALLOCATOR_PROPERTIES m_props{};
    std::vector<std::unique_ptr<BYTE, FreeDeleter>> m_blocks;
    std::vector<bool> m_isOut;
};
