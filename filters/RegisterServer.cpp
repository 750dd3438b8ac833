// brelm-register: registers the BrelmSource library for the current user, so
// that every GStreamer program of the user finds its elements, or removes
// that registration.
//
//   brelm-register [-u] [LIBRARY]
//
// LIBRARY defaults to the library of this program's tree (build or installed). The library's
// own reports explain a failure on standard error.

#include "common/FilterInterfaces.h"
#include "common/LibraryLocation.h"

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>

int main(int argc, char** argv)
{
    bool isUnregister = argc > 1 && std::strcmp(argv[1], "-u") == 0;
    int nextArg = isUnregister ? 2 : 1;
    std::string library = argc > nextArg ? std::string(argv[nextArg]) : FindBrelmSource(ProgramDir());
    if (library.empty()) {
        std::fprintf(stderr, "brelm-register: cannot find libBrelmSource.so beside %s\n", ProgramDir().c_str());
        return 1;
    }
    void* pModule = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (pModule == nullptr) {
        std::fprintf(stderr, "brelm-register: %s\n", ::dlerror());
        return 1;
    }
    const char* pszEntry = isUnregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto pfnEntry = reinterpret_cast<DllRegisterServerFn>(::dlsym(pModule, pszEntry));
    if (pfnEntry == nullptr) {
        std::fprintf(stderr, "brelm-register: %s has no %s\n", library.c_str(), pszEntry);
        return 1;
    }
    HRESULT hr = pfnEntry();
    if (hr != S_OK) {
        std::fprintf(stderr, "brelm-register: %s failed: 0x%08X\n", pszEntry, static_cast<unsigned>(hr));
        return 1;
    }
    return 0;
}
