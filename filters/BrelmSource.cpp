// Library entry: while the library is loaded into a process it keeps its own
// plain file stream kind, through which its filters open their files. Its
// exports are the server entry points (class objects by class identifier,
// unloading, registration) and the GStreamer plugin descriptor, which
// registers one element factory per class-table entry. Its reports and
// traces go to its GStreamer debug category unless the program that loaded
// it hands it a debug output of its own.

#include "ClassFactory.h"
#include "ClassTable.h"
#include "PluginInstaller.h"
#include "common/ErrorText.h"
#include "common/FileStream.h"
#include "common/Report.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <gst/gst.h>
#include <new>
#include <string>
#include <utility>

#define BRELM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The library's reports and traces when no program has taken them: messages
// of its debug category (GST_DEBUG=brelm*:4 shows them), never lines on the
// standard error of whatever GStreamer program loaded the library.
void WriteToDebugCategory(const char* pszText)
{
    static GstDebugCategory* s_pCategory = [] {
        GstDebugCategory* pCategory = nullptr;
        GST_DEBUG_CATEGORY_INIT(pCategory, "brelmsource", 0, "Reports and traces of the Brelm source filters");
        return pCategory;
    }();
    GST_CAT_INFO(s_pCategory, "%s", pszText);
}

__attribute__((constructor)) void OnProcessAttach()
{
    RegisterStreamKind(new CFileStream());
}

__attribute__((destructor)) void OnProcessDetach()
{
    ReleaseStreamKinds();
}

// The library's own file, as an absolute path.
HRESULT GetModulePath(std::string* pPath)
{
    Dl_info info{};
    char szPath[PATH_MAX];
    if (::dladdr(reinterpret_cast<void*>(&GetModulePath), &info) == 0 || info.dli_fname == nullptr) {
        HRESULT hr = ReportError(HResultFromWin32(ERROR_NOT_FOUND), "Can not find the library's own file");
        Trace("from %s", "dladdr()");
        return hr;
    }
    if (::realpath(info.dli_fname, szPath) == nullptr) {
        HRESULT hr = ReportError(HResultFromWin32(GetLastError()), "Can not find %s", info.dli_fname);
        Trace("from %s", "realpath()");
        return hr;
    }
    *pPath = szPath;
    return S_OK;
}

gboolean InitPlugin(GstPlugin* pPlugin)
{
    // Loaded by GStreamer: reports go to the debug category, unless the
    // program has already handed the library a debug output of its own.
    if (DebugOutputSink previous = SetDebugOutput(WriteToDebugCategory))
        SetDebugOutput(std::move(previous));
    for (int i = 0; i < g_cTemplates; ++i) {
        const CFactoryTemplate& entry = g_Templates[i];
        if (!gst_element_register(pPlugin, entry.m_ElementName,
                                  RankFromMerit(entry.m_pAMovieSetup_Filter->dwMerit), entry.m_lpfnGetType()))
            return FALSE;
    }
    return TRUE;
}

} // namespace

BRELM_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (!(riid == IID_IUnknown) && !(riid == IID_IClassFactory))
        return E_NOINTERFACE;
    const CFactoryTemplate* pTemplate = FindTemplate(rclsid);
    if (pTemplate == nullptr)
        return CLASS_E_CLASSNOTAVAILABLE;
    auto* pFactory = new (std::nothrow) CClassFactory(pTemplate);
    if (pFactory == nullptr)
        return E_OUTOFMEMORY;
    *ppv = static_cast<IClassFactory*>(pFactory);
    return S_OK;
}

// The program that loaded the library takes its reports and traces (the
// player hands over its own debug output); null gives them back to the
// library's debug category.
BRELM_EXPORT void DllSetDebugOutput(void (*pfnOutput)(const char* pszText))
{
    SetDebugOutput(pfnOutput != nullptr ? DebugOutputSink(pfnOutput) : DebugOutputSink(WriteToDebugCategory));
}

BRELM_EXPORT HRESULT DllCanUnloadNow()
{
    return CanUnloadNow();
}

BRELM_EXPORT HRESULT DllRegisterServer()
{
    std::string modulePath;
    HRESULT hr = GetModulePath(&modulePath);
    if (hr == S_OK)
        hr = CPluginInstaller::Register(modulePath);
    if (hr != S_OK)
        Trace("from %s", "DllRegisterServer()");
    return hr;
}

BRELM_EXPORT HRESULT DllUnregisterServer()
{
    HRESULT hr = CPluginInstaller::Unregister();
    if (hr != S_OK)
        Trace("from %s", "DllUnregisterServer()");
    return hr;
}

#define PACKAGE "korvoplayer"
// The descriptor's name matches the registered file name libBrelmSource.so,
// from which GStreamer derives gst_plugin_BrelmSource_get_desc.
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, BrelmSource,
                  "The source filters of korvoplayer: an asynchronous file source and an ASF source", InitPlugin,
                  "0.1.0", GST_LICENSE_UNKNOWN, "korvoplayer", "https://korvoplayer.invalid/")
