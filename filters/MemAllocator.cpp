#include "MemAllocator.h"

#include <bit>
#include <cstdlib>
#include <new>

// A sample over one of the allocator's blocks; it holds the allocator so
// that the block outlives it, and hands the block back at its end.
class CMemAllocator::CAllocatorSample : public CMediaSample {
public:
    CAllocatorSample(CMemAllocator* pAllocator, size_t index, BYTE* pBuffer, LONGLONG cbBuffer)
        : CMediaSample(pBuffer, cbBuffer), m_pAllocator(pAllocator), m_index(index)
    {
        m_pAllocator->AddRef();
    }

protected:
    ~CAllocatorSample() override
    {
        m_pAllocator->_ReturnBlock(m_index);
        m_pAllocator->Release();
    }

private:
    CMemAllocator* m_pAllocator;
    size_t m_index;
};

void CMemAllocator::FreeDeleter::operator()(BYTE* p) const
{
    std::free(p);
}

CMemAllocator::CMemAllocator(const char* pszName, HRESULT* phr) : m_name(pszName != nullptr ? pszName : "")
{
    if (phr != nullptr)
        *phr = S_OK;
}

CMemAllocator::~CMemAllocator() = default;

HRESULT CMemAllocator::SetProperties(const ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual)
{
    if (pRequest == nullptr || pActual == nullptr)
        return E_POINTER;
    if (pRequest->cbAlign <= 0 || !std::has_single_bit(static_cast<unsigned long>(pRequest->cbAlign)))
        return VFW_E_BADALIGN;
    if (pRequest->cBuffers <= 0 || pRequest->cbBuffer <= 0 || pRequest->cbPrefix < 0)
        return VFW_E_SIZENOTSET;
    std::lock_guard lock(m_lock);
    for (bool isOut : m_isOut) {
        if (isOut)
            return VFW_E_WRONG_STATE;
    }
    // Blocks are rounded up to the alignment so that every block starts aligned.
    long cbBlock = (pRequest->cbBuffer + pRequest->cbAlign - 1) / pRequest->cbAlign * pRequest->cbAlign;
    std::vector<std::unique_ptr<BYTE, FreeDeleter>> blocks;
    for (long i = 0; i < pRequest->cBuffers; ++i) {
        auto* pBlock = static_cast<BYTE*>(std::aligned_alloc(static_cast<size_t>(pRequest->cbAlign),
                                                             static_cast<size_t>(cbBlock)));
        if (pBlock == nullptr)
            return E_OUTOFMEMORY;
        blocks.emplace_back(pBlock);
    }
    m_blocks = std::move(blocks);
    m_isOut.assign(m_blocks.size(), false);
    m_props = *pRequest;
    *pActual = m_props;
    return S_OK;
}

HRESULT CMemAllocator::GetProperties(ALLOCATOR_PROPERTIES* pProps)
{
    if (pProps == nullptr)
        return E_POINTER;
    std::lock_guard lock(m_lock);
    *pProps = m_props;
    return S_OK;
}

HRESULT CMemAllocator::GetBuffer(IMediaSample** ppSample)
{
    if (ppSample == nullptr)
        return E_POINTER;
    std::lock_guard lock(m_lock);
    if (m_blocks.empty())
        return VFW_E_SIZENOTSET;
    for (size_t i = 0; i < m_blocks.size(); ++i) {
        if (m_isOut[i])
            continue;
        auto* pSample = new (std::nothrow) CAllocatorSample(this, i, m_blocks[i].get(), m_props.cbBuffer);
        if (pSample == nullptr)
            return E_OUTOFMEMORY;
        m_isOut[i] = true;
        *ppSample = pSample;
        return S_OK;
    }
    return VFW_E_TIMEOUT;
}

void CMemAllocator::_ReturnBlock(size_t index)
{
    std::lock_guard lock(m_lock);
    m_isOut[index] = false;
}
