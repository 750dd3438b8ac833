// Basic types of the component model both deliverables are written against:
// 32-bit result codes, GUIDs, and the reference-counted base interface.
#pragma once

#include <cstdint>
#include <cstring>

using HRESULT = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using LONG = int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// Win32 error numbers the system passes around as plain result codes.
constexpr HRESULT ERROR_FILE_NOT_FOUND = 2;
constexpr HRESULT ERROR_PATH_NOT_FOUND = 3;
constexpr HRESULT ERROR_ACCESS_DENIED = 5;
constexpr HRESULT ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr HRESULT ERROR_BAD_FORMAT = 11;
constexpr HRESULT ERROR_INVALID_DATA = 13;
constexpr HRESULT ERROR_READ_FAULT = 30;
constexpr HRESULT ERROR_HANDLE_EOF = 38;
constexpr HRESULT ERROR_NOT_SUPPORTED = 50;
constexpr HRESULT ERROR_CANNOT_MAKE = 82;
constexpr HRESULT ERROR_INVALID_PARAMETER = 87;
constexpr HRESULT ERROR_INSUFFICIENT_BUFFER = 122;
constexpr HRESULT ERROR_ALREADY_EXISTS = 183;
constexpr HRESULT ERROR_FILENAME_EXCED_RANGE = 206;
constexpr HRESULT ERROR_EXCEPTION_IN_SERVICE = 1064;
constexpr HRESULT ERROR_NOT_FOUND = 1168;
constexpr HRESULT ERROR_NOT_CONNECTED = 2250;

// Media graph result codes that the player and the filters both give.
constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227u);
constexpr HRESULT VFW_E_TIMEOUT = static_cast<HRESULT>(0x8004022Eu);

// Result codes of the ASF sample reader.
constexpr HRESULT NS_E_INVALID_REQUEST = static_cast<HRESULT>(0xC00D002Bu);
constexpr HRESULT NS_E_INVALID_STREAM = static_cast<HRESULT>(0xC00D003Cu);
constexpr HRESULT ASF_E_BUFFERTOOSMALL = static_cast<HRESULT>(0xC00D07D1u);
constexpr HRESULT ASF_E_NOTFOUND = static_cast<HRESULT>(0xC00D07F0u);
constexpr HRESULT NS_E_INVALID_INPUT_FORMAT = static_cast<HRESULT>(0xC00D0BB8u);
constexpr HRESULT NS_E_NO_MORE_SAMPLES = static_cast<HRESULT>(0xC00D0BCFu);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];

    bool operator==(const GUID& other) const { return std::memcmp(this, &other, sizeof(GUID)) == 0; }
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Reference-counted object with interface lookup. Objects destroy themselves
// when their last reference is released, so the destructor is not public.
class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};
