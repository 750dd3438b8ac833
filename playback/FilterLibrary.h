// The player's way to the BrelmSource library: it finds the library beside
// its own program (in the build tree, or in the installed tree under
// lib/korvoplayer), loads it without any registration and creates filters by
// class identifier through the library's class table.
#pragma once

#include "common/FilterInterfaces.h"
#include "common/LibraryLocation.h"

#include <string>

class CFilterLibrary {
public:
    // Looks for the library relative to `programDir` (by default the folder
    // of the running program).
    explicit CFilterLibrary(std::string programDir = ProgramDir());
    CFilterLibrary(const CFilterLibrary&) = delete;
    CFilterLibrary& operator=(const CFilterLibrary&) = delete;

    // A new filter of the class as an element with one reference, which
    // belongs to the caller.
    HRESULT CreateFilter(REFCLSID clsid, GstElement** ppElement);
    // The same filter as the library made it, with its one reference.
    HRESULT CreateFilter(REFCLSID clsid, IBaseFilter** ppFilter);

    // The library file in use, empty until it is loaded.
    const std::string& Path() const { return m_path; }

private:
    HRESULT _Load();

    std::string m_programDir;
    std::string m_path;
    DllGetClassObjectFn m_pfnGetClassObject = nullptr;
};

constexpr HRESULT ERROR_MOD_NOT_FOUND = 126;
constexpr HRESULT ERROR_PROC_NOT_FOUND = 127;
