// The answers of a source that offers the service provider, header
// information and advanced reader interfaces without serving anything
// through them: no service is provided, and every other method is not
// implemented. The IUnknown methods are the owner's.
#pragma once

#include "WMInterfaces.h"

class CWMStubInterfaces : public IServiceProvider, public IWMHeaderInfo, public IWMReaderAdvanced2 {
public:
    HRESULT QueryService(REFIID, REFIID, void** ppv) override
    {
        if (ppv != nullptr)
            *ppv = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT GetAttributeCount(WORD, WORD*) override { return E_NOTIMPL; }
    HRESULT GetAttributeByIndex(WORD, WORD*, char*, WORD*, int*, BYTE*, WORD*) override { return E_NOTIMPL; }
    HRESULT GetAttributeByName(WORD*, const char*, int*, BYTE*, WORD*) override { return E_NOTIMPL; }
    HRESULT SetAttribute(WORD, const char*, int, const BYTE*, WORD) override { return E_NOTIMPL; }
    HRESULT GetMarkerCount(WORD*) override { return E_NOTIMPL; }
    HRESULT GetMarker(WORD, char*, WORD*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT AddMarker(const char*, LONGLONG) override { return E_NOTIMPL; }
    HRESULT RemoveMarker(WORD) override { return E_NOTIMPL; }
    HRESULT GetScriptCount(WORD*) override { return E_NOTIMPL; }
    HRESULT GetScript(WORD, char*, WORD*, char*, WORD*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT AddScript(const char*, const char*, LONGLONG) override { return E_NOTIMPL; }
    HRESULT RemoveScript(WORD) override { return E_NOTIMPL; }

    HRESULT SetUserProvidedClock(BOOL) override { return E_NOTIMPL; }
    HRESULT GetUserProvidedClock(BOOL*) override { return E_NOTIMPL; }
    HRESULT DeliverTime(LONGLONG) override { return E_NOTIMPL; }
    HRESULT SetManualStreamSelection(BOOL) override { return E_NOTIMPL; }
    HRESULT GetManualStreamSelection(BOOL*) override { return E_NOTIMPL; }
    HRESULT SetReceiveSelectionCallbacks(BOOL) override { return E_NOTIMPL; }
    HRESULT GetReceiveSelectionCallbacks(BOOL*) override { return E_NOTIMPL; }
    HRESULT SetReceiveStreamSamples(WORD, BOOL) override { return E_NOTIMPL; }
    HRESULT GetReceiveStreamSamples(WORD, BOOL*) override { return E_NOTIMPL; }
    HRESULT SetPlayMode(int) override { return E_NOTIMPL; }
    HRESULT GetPlayMode(int*) override { return E_NOTIMPL; }
    HRESULT GetBufferProgress(DWORD*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT GetDownloadProgress(DWORD*, ULONGLONG*, LONGLONG*) override { return E_NOTIMPL; }
    HRESULT GetSaveAsProgress(DWORD*) override { return E_NOTIMPL; }
    HRESULT SaveFileAs(const char*) override { return E_NOTIMPL; }
    HRESULT GetProtocolName(char*, DWORD*) override { return E_NOTIMPL; }
    HRESULT StartAtMarker(WORD, LONGLONG, float, void*) override { return E_NOTIMPL; }
    HRESULT GetOutputSetting(DWORD, const char*, int*, BYTE*, WORD*) override { return E_NOTIMPL; }
    HRESULT SetOutputSetting(DWORD, const char*, int, const BYTE*, WORD) override { return E_NOTIMPL; }
    HRESULT Preroll(LONGLONG, LONGLONG, float) override { return E_NOTIMPL; }
    HRESULT SetLogClientID(BOOL) override { return E_NOTIMPL; }
    HRESULT GetLogClientID(BOOL*) override { return E_NOTIMPL; }
    HRESULT StopBuffering() override { return E_NOTIMPL; }

protected:
    ~CWMStubInterfaces() = default;
};
