// The interfaces through which the player and the BrelmSource library meet:
// the library's class objects, the filter it creates (a GStreamer element)
// and the file-source interface that hands the filter its file.
#pragma once

#include "ComTypes.h"

#include <cstdlib>

using GstElement = struct _GstElement;

constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);

inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IBaseFilter = {0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr IID IID_IFileSourceFilter = {
    0x56A868A6, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

// Memory handed across the boundary (file names from GetCurFile).
inline void* CoTaskMemAlloc(size_t cb)
{
    return std::malloc(cb);
}
inline void CoTaskMemFree(void* pv)
{
    std::free(pv);
}

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;
};

// A filter of the media graph: a GStreamer element. The element holds the
// filter; the element's own references count for the filter's.
class IBaseFilter : public IUnknown {
public:
    // The element, without a new reference.
    virtual GstElement* GetElement() = 0;
    virtual int GetPinCount() = 0;
};

struct AM_MEDIA_TYPE;

// Hands a source filter its file (UTF-8 names).
class IFileSourceFilter : public IUnknown {
public:
    virtual HRESULT Load(const char* pszFileName, const AM_MEDIA_TYPE* pmt) = 0;
    // The stored name in memory from CoTaskMemAlloc (null when none).
    virtual HRESULT GetCurFile(char** ppszFileName, AM_MEDIA_TYPE* pmt) = 0;
};

// The library's entry points, looked up by name.
using DllGetClassObjectFn = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
