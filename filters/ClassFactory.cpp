#include "ClassFactory.h"

CClassFactory::CClassFactory(const CFactoryTemplate* pTemplate) : m_pTemplate(pTemplate) {}

HRESULT CClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr && !(riid == IID_IUnknown))
        return E_NOINTERFACE;
    HRESULT hr = S_OK;
    IUnknown* pObject = m_pTemplate->m_lpfnNew(pUnkOuter, &hr);
    if (pObject == nullptr)
        return FAILED(hr) ? hr : E_OUTOFMEMORY;
    if (FAILED(hr)) {
        pObject->Release();
        return hr;
    }
    // The object comes with its creation reference, which the query replaces.
    hr = pObject->QueryInterface(riid, ppv);
    pObject->Release();
    return hr;
}

HRESULT CClassFactory::LockServer(BOOL fLock)
{
    ::LockServer(fLock != 0);
    return S_OK;
}
