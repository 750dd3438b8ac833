#include "FilterLibrary.h"

#include "common/Report.h"

#include <dlfcn.h>
#include <filesystem>
#include <gst/gst.h>

namespace {

// Where the library sits relative to the program: beside it in the build
// tree, under lib/korvoplayer in the installed tree.
constexpr const char* kLibraryPlaces[] = {"libBrelmSource.so", "../lib/korvoplayer/libBrelmSource.so"};

} // namespace

CFilterLibrary::CFilterLibrary(std::string programDir) : m_programDir(std::move(programDir)) {}

std::string CFilterLibrary::ProgramDir()
{
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : program.parent_path().string();
}

HRESULT CFilterLibrary::_Load()
{
    if (m_pfnGetClassObject != nullptr)
        return S_OK;
    std::error_code error;
    for (const char* pszPlace : kLibraryPlaces) {
        std::filesystem::path candidate = std::filesystem::path(m_programDir) / pszPlace;
        if (!std::filesystem::exists(candidate, error))
            continue;
        // The library stays loaded for the life of the process.
        void* pModule = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (pModule == nullptr) {
            HRESULT hr = ReportError(ERROR_MOD_NOT_FOUND, "Can not load %s: %s", candidate.c_str(), ::dlerror());
            Trace("from %s", "dlopen()");
            return hr;
        }
        m_pfnGetClassObject = reinterpret_cast<DllGetClassObjectFn>(::dlsym(pModule, "DllGetClassObject"));
        if (m_pfnGetClassObject == nullptr) {
            HRESULT hr = ReportError(ERROR_PROC_NOT_FOUND, "%s has no DllGetClassObject", candidate.c_str());
            Trace("from %s", "dlsym()");
            return hr;
        }
        m_path = candidate.lexically_normal().string();
        return S_OK;
    }
    return ReportError(ERROR_MOD_NOT_FOUND, "Can not find libBrelmSource.so beside %s", m_programDir.c_str());
}

HRESULT CFilterLibrary::CreateFilter(REFCLSID clsid, GstElement** ppElement)
{
    if (ppElement == nullptr) {
        HRESULT hr = ReportError(ERROR_INVALID_PARAMETER);
        Trace("ppElement = %llx", Hex(ppElement));
        Trace("from %s", "CFilterLibrary::CreateFilter()");
        return hr;
    }
    *ppElement = nullptr;
    IClassFactory* pFactory = nullptr;
    IBaseFilter* pFilter = nullptr;
    HRESULT hr = _Load();
    if (hr == S_OK)
        hr = m_pfnGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&pFactory));
    if (hr == S_OK) {
        hr = pFactory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&pFilter));
        pFactory->Release();
    }
    if (hr != S_OK) {
        Trace("from %s", "CFilterLibrary::CreateFilter()");
        return hr;
    }
    *ppElement = static_cast<GstElement*>(gst_object_ref(pFilter->GetElement()));
    pFilter->Release();
    return S_OK;
}
