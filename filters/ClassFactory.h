// The class object of one class-table entry: it creates that entry's filter.
#pragma once

#include "ClassTable.h"
#include "ServerCounters.h"
#include "SingleInterfaceObject.h"
#include "common/FilterInterfaces.h"

class CClassFactory : public CSingleInterfaceObject<IClassFactory, IID_IClassFactory> {
public:
    explicit CClassFactory(const CFactoryTemplate* pTemplate);

    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    HRESULT LockServer(BOOL fLock) override;

protected:
    ~CClassFactory() override = default;

private:
    CLiveObject m_liveObject;
    const CFactoryTemplate* m_pTemplate;
};
