#include "FilterLibrary.h"

#include "common/LibraryLocation.h"
#include "common/Report.h"

#include <dlfcn.h>
#include <gst/gst.h>

CFilterLibrary::CFilterLibrary(std::string programDir) : m_programDir(std::move(programDir)) {}

HRESULT CFilterLibrary::_Load()
{
    if (m_pfnGetClassObject != nullptr)
        return S_OK;
    std::string path = FindBrelmSource(m_programDir);
    if (path.empty())
        return ReportError(ERROR_MOD_NOT_FOUND, "Can not find libBrelmSource.so beside %s", m_programDir.c_str());
    // The library stays loaded for the life of the process.
    void* pModule = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (pModule == nullptr) {
        HRESULT hr = ReportError(ERROR_MOD_NOT_FOUND, "Can not load %s: %s", path.c_str(), ::dlerror());
        Trace("from %s", "dlopen()");
        return hr;
    }
    m_pfnGetClassObject = reinterpret_cast<DllGetClassObjectFn>(::dlsym(pModule, "DllGetClassObject"));
    if (m_pfnGetClassObject == nullptr) {
        HRESULT hr = ReportError(ERROR_PROC_NOT_FOUND, "%s has no DllGetClassObject", path.c_str());
        Trace("from %s", "dlsym()");
        return hr;
    }
    // The library's reports and traces join the player's own debug output.
    using SetDebugOutputFn = void (*)(void (*)(const char*));
    auto pfnSetDebugOutput = reinterpret_cast<SetDebugOutputFn>(::dlsym(pModule, "DllSetDebugOutput"));
    if (pfnSetDebugOutput != nullptr)
        pfnSetDebugOutput(WriteDebugOutput);
    m_path = path;
    return S_OK;
}

HRESULT CFilterLibrary::CreateFilter(REFCLSID clsid, GstElement** ppElement)
{
    if (ppElement == nullptr)
        return ArgumentFault("CFilterLibrary::CreateFilter()", "ppElement = %llx", Hex(ppElement));
    *ppElement = nullptr;
    IBaseFilter* pFilter = nullptr;
    if (HRESULT hr = CreateFilter(clsid, &pFilter); hr != S_OK)
        return hr;
    *ppElement = static_cast<GstElement*>(gst_object_ref(pFilter->GetElement()));
    pFilter->Release();
    return S_OK;
}

HRESULT CFilterLibrary::CreateFilter(REFCLSID clsid, IBaseFilter** ppFilter)
{
    if (ppFilter == nullptr)
        return ArgumentFault("CFilterLibrary::CreateFilter()", "ppFilter = %llx", Hex(ppFilter));
    *ppFilter = nullptr;
    IClassFactory* pFactory = nullptr;
    HRESULT hr = _Load();
    if (hr == S_OK)
        hr = m_pfnGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&pFactory));
    if (hr == S_OK) {
        hr = pFactory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(ppFilter));
        pFactory->Release();
    }
    if (hr != S_OK) {
        *ppFilter = nullptr;
        Trace("from %s", "CFilterLibrary::CreateFilter()");
    }
    return hr;
}
