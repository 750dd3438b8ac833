// Interfaces that downstream components of an ASF source look for: a service
// provider, the header information and the advanced reader settings. The ASF
// source answers them so that such components find them, and serves nothing
// through them.
#pragma once

#include "FilterTypes.h"

inline constexpr IID IID_IServiceProvider = {
    0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};
inline constexpr IID IID_IWMHeaderInfo = {0x96406BDA, 0x2B2B, 0x11D3, {0xB3, 0x6B, 0x00, 0xC0, 0x4F, 0x61, 0x08, 0xFF}};
inline constexpr IID IID_IWMReaderAdvanced2 = {
    0xAE14A945, 0xB90C, 0x4D0D, {0x91, 0x27, 0x80, 0xD6, 0x65, 0xF7, 0xD7, 0x3E}};

class IServiceProvider : public IUnknown {
public:
    virtual HRESULT QueryService(REFIID guidService, REFIID riid, void** ppv) = 0;
};

class IWMHeaderInfo : public IUnknown {
public:
    virtual HRESULT GetAttributeCount(WORD wStreamNum, WORD* pcAttributes) = 0;
    virtual HRESULT GetAttributeByIndex(WORD wIndex, WORD* pwStreamNum, char* pszName, WORD* pcchNameLen,
                                        int* pType, BYTE* pValue, WORD* pcbLength) = 0;
    virtual HRESULT GetAttributeByName(WORD* pwStreamNum, const char* pszName, int* pType, BYTE* pValue,
                                       WORD* pcbLength) = 0;
    virtual HRESULT SetAttribute(WORD wStreamNum, const char* pszName, int Type, const BYTE* pValue,
                                 WORD cbLength) = 0;
    virtual HRESULT GetMarkerCount(WORD* pcMarkers) = 0;
    virtual HRESULT GetMarker(WORD wIndex, char* pszMarkerName, WORD* pcchMarkerNameLen,
                              LONGLONG* pcnsMarkerTime) = 0;
    virtual HRESULT AddMarker(const char* pszMarkerName, LONGLONG cnsMarkerTime) = 0;
    virtual HRESULT RemoveMarker(WORD wIndex) = 0;
    virtual HRESULT GetScriptCount(WORD* pcScripts) = 0;
    virtual HRESULT GetScript(WORD wIndex, char* pszType, WORD* pcchTypeLen, char* pszCommand,
                              WORD* pcchCommandLen, LONGLONG* pcnsScriptTime) = 0;
    virtual HRESULT AddScript(const char* pszType, const char* pszCommand, LONGLONG cnsScriptTime) = 0;
    virtual HRESULT RemoveScript(WORD wIndex) = 0;
};

// The settings of the advanced reader that downstream components change.
class IWMReaderAdvanced2 : public IUnknown {
public:
    virtual HRESULT SetUserProvidedClock(BOOL fUserClock) = 0;
    virtual HRESULT GetUserProvidedClock(BOOL* pfUserClock) = 0;
    virtual HRESULT DeliverTime(LONGLONG cnsTime) = 0;
    virtual HRESULT SetManualStreamSelection(BOOL fSelection) = 0;
    virtual HRESULT GetManualStreamSelection(BOOL* pfSelection) = 0;
    virtual HRESULT SetReceiveSelectionCallbacks(BOOL fGetCallbacks) = 0;
    virtual HRESULT GetReceiveSelectionCallbacks(BOOL* pfGetCallbacks) = 0;
    virtual HRESULT SetReceiveStreamSamples(WORD wStreamNum, BOOL fReceiveStreamSamples) = 0;
    virtual HRESULT GetReceiveStreamSamples(WORD wStreamNum, BOOL* pfReceiveStreamSamples) = 0;
    virtual HRESULT SetPlayMode(int Mode) = 0;
    virtual HRESULT GetPlayMode(int* pMode) = 0;
    virtual HRESULT GetBufferProgress(DWORD* pdwPercent, LONGLONG* pcnsBuffering) = 0;
    virtual HRESULT GetDownloadProgress(DWORD* pdwPercent, ULONGLONG* pqwBytesDownloaded,
                                        LONGLONG* pcnsDownload) = 0;
    virtual HRESULT GetSaveAsProgress(DWORD* pdwPercent) = 0;
    virtual HRESULT SaveFileAs(const char* pszFilename) = 0;
    virtual HRESULT GetProtocolName(char* pszProtocol, DWORD* pcchProtocol) = 0;
    virtual HRESULT StartAtMarker(WORD wMarkerIndex, LONGLONG cnsDuration, float fRate, void* pvContext) = 0;
    virtual HRESULT GetOutputSetting(DWORD dwOutputNum, const char* pszName, int* pType, BYTE* pValue,
                                     WORD* pcbLength) = 0;
    virtual HRESULT SetOutputSetting(DWORD dwOutputNum, const char* pszName, int Type, const BYTE* pValue,
                                     WORD cbLength) = 0;
    virtual HRESULT Preroll(LONGLONG cnsStart, LONGLONG cnsDuration, float fRate) = 0;
    virtual HRESULT SetLogClientID(BOOL fLogClientID) = 0;
    virtual HRESULT GetLogClientID(BOOL* pfLogClientID) = 0;
    virtual HRESULT StopBuffering() = 0;
};
