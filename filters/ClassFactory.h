// The class object of one class-table entry: it creates that entry's filter.
#pragma once

#include "ClassTable.h"
#include "ServerCounters.h"
#include "common/FilterInterfaces.h"

#include <atomic>

class CClassFactory : public IClassFactory {
public:
    explicit CClassFactory(const CFactoryTemplate* pTemplate);
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    HRESULT LockServer(BOOL fLock) override;

protected:
    ~CClassFactory() override = default;

private:
    CLiveObject m_liveObject;
    std::atomic<ULONG> m_refCount{1};
    const CFactoryTemplate* m_pTemplate;
};
