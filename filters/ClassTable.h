// The table of the classes the library serves: for each filter its name,
// class identifier, creation function and the description under which it is
// registered (merit and pins), with the GStreamer element factory that
// carries it.
#pragma once

#include "FilterTypes.h"

#include <glib-object.h>

using GstElementClass = struct _GstElementClass;

constexpr DWORD MERIT_PREFERRED = 0x800000;
constexpr DWORD MERIT_NORMAL = 0x600000;
constexpr DWORD MERIT_UNLIKELY = 0x400000;
constexpr DWORD MERIT_DO_NOT_USE = 0x200000;

struct REGPINTYPES {
    const GUID* clsMajorType;
    const GUID* clsMinorType;
};

struct REGFILTERPINS {
    const char* strName;
    BOOL bRendered;
    BOOL bOutput;
    BOOL bZero;
    BOOL bMany;
    const CLSID* clsConnectsToFilter;
    const char* strConnectsToPin;
    unsigned nMediaTypes;
    const REGPINTYPES* lpMediaType;
};

struct AMOVIESETUP_FILTER {
    const CLSID* clsID;
    const char* strName;
    DWORD dwMerit;
    unsigned nPins;
    const REGFILTERPINS* lpPin;
};

// Makes a new object of the class; null with *phr set when it cannot.
using LPFNNewCOMObject = IUnknown* (*)(IUnknown* pUnkOuter, HRESULT* phr);

struct CFactoryTemplate {
    const char* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;
    // The element factory: its name, its classification and description, and
    // the element type.
    const char* m_ElementName;
    const char* m_Klass;
    const char* m_Description;
    GType (*m_lpfnGetType)();
};

extern const CFactoryTemplate g_Templates[];
extern const int g_cTemplates;

// The entry for a class identifier, or null.
const CFactoryTemplate* FindTemplate(REFCLSID clsid);

// The element rank for a filter merit: a filter that is unlikely to be wanted
// ranks below every stock element, so nothing picks it by accident.
unsigned RankFromMerit(DWORD dwMerit);

// The caps a registered pin type stands for (ANY for a byte stream of any kind).
const char* CapsForPinType(const REGPINTYPES& type);

// Gives an element class the metadata and pad templates of its table entry.
void DescribeElementClass(GstElementClass* pClass, REFCLSID clsid);
