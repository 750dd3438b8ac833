// A reference-counted object that answers one interface besides IUnknown.
// It starts with one reference, which belongs to its creator, and destroys
// itself when the last one goes. The interface identifier must be an inline
// variable, so that every source file names the same one.
#pragma once

#include "common/ComTypes.h"

#include <atomic>

template <class TInterface, const IID& kInterfaceId>
class CSingleInterfaceObject : public TInterface {
public:
    CSingleInterfaceObject() = default;
    CSingleInterfaceObject(const CSingleInterfaceObject&) = delete;
    CSingleInterfaceObject& operator=(const CSingleInterfaceObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (!(riid == IID_IUnknown) && !(riid == kInterfaceId)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *ppv = static_cast<TInterface*>(this);
        return S_OK;
    }

    ULONG AddRef() override { return ++m_refCount; }

    ULONG Release() override
    {
        ULONG count = --m_refCount;
        if (count == 0)
            delete this;
        return count;
    }

protected:
    ~CSingleInterfaceObject() override = default;

private:
    std::atomic<ULONG> m_refCount{1};
};
