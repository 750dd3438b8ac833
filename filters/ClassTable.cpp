#include "ClassTable.h"

#include "BrelmASFSrc.h"
#include "BrelmAsyncFileSrc.h"
#include "common/ClassIds.h"

#include <gst/gst.h>

namespace {

constexpr REGPINTYPES kStreamPinTypes[] = {{&MEDIATYPE_Stream, &GUID_NULL}};
constexpr REGPINTYPES kVideoPinTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_WMV3}};
constexpr REGPINTYPES kAudioPinTypes[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_WMAudioV2}};

constexpr REGFILTERPINS kAsyncFileSourcePins[] = {
    {"Output", 0, 1, 0, 0, &GUID_NULL, "Input", 1, kStreamPinTypes},
};

// A file may lack either stream: each pin may be absent (zero instances).
constexpr REGFILTERPINS kASFSourcePins[] = {
    {"Video Output", 0, 1, 1, 0, &GUID_NULL, "Input", 1, kVideoPinTypes},
    {"Audio Output", 0, 1, 1, 0, &GUID_NULL, "Input", 1, kAudioPinTypes},
};

constexpr AMOVIESETUP_FILTER kAsyncFileSourceSetup = {
    &CLSID_AsyncFileSourceFilter, "Brelm Async File Source Filter", MERIT_UNLIKELY, 1, kAsyncFileSourcePins};

constexpr AMOVIESETUP_FILTER kASFSourceSetup = {
    &CLSID_ASFSourceFilter, "Brelm ASF Source Filter", MERIT_UNLIKELY, 2, kASFSourcePins};

// Pads of a source with one output are its "src" pad; sources with several
// name their pads after what flows through them.
const char* PadTemplateName(const AMOVIESETUP_FILTER& setup, const REGFILTERPINS& pin)
{
    if (setup.nPins == 1)
        return "src";
    return *pin.lpMediaType[0].clsMajorType == MEDIATYPE_Video ? "video" : "audio";
}

} // namespace

const CFactoryTemplate g_Templates[] = {
    {"Brelm Async File Source Filter", &CLSID_AsyncFileSourceFilter, CreateAsyncFileSourceFilter,
     &kAsyncFileSourceSetup, "brelmasyncfilesrc", "Source/File",
     "Reads a file at random positions for the parsers, guessing its container from its first bytes",
     brelm_async_file_src_get_type},
    {"Brelm ASF Source Filter", &CLSID_ASFSourceFilter, CreateASFSourceFilter, &kASFSourceSetup, "brelmasfsrc",
     "Source/File", "Reads ASF and WMV files and pushes their compressed video and audio", brelm_asf_src_get_type},
};

const int g_cTemplates = sizeof g_Templates / sizeof g_Templates[0];

const CFactoryTemplate* FindTemplate(REFCLSID clsid)
{
    for (const CFactoryTemplate& entry : g_Templates) {
        if (*entry.m_ClsID == clsid)
            return &entry;
    }
    return nullptr;
}

unsigned RankFromMerit(DWORD dwMerit)
{
    if (dwMerit >= MERIT_PREFERRED)
        return GST_RANK_PRIMARY;
    if (dwMerit >= MERIT_NORMAL)
        return GST_RANK_SECONDARY;
    if (dwMerit > MERIT_UNLIKELY)
        return GST_RANK_MARGINAL;
    return GST_RANK_NONE;
}

const char* CapsForPinType(const REGPINTYPES& type)
{
    if (*type.clsMajorType == MEDIATYPE_Video && *type.clsMinorType == MEDIASUBTYPE_WMV3)
        return "video/x-wmv, wmvversion=(int)3";
    if (*type.clsMajorType == MEDIATYPE_Audio && *type.clsMinorType == MEDIASUBTYPE_WMAudioV2)
        return "audio/x-wma, wmaversion=(int)2";
    return "ANY";
}

void DescribeElementClass(GstElementClass* pClass, REFCLSID clsid)
{
    const CFactoryTemplate* pEntry = FindTemplate(clsid);
    const AMOVIESETUP_FILTER& setup = *pEntry->m_pAMovieSetup_Filter;
    gst_element_class_set_static_metadata(pClass, pEntry->m_Name, pEntry->m_Klass, pEntry->m_Description,
                                          "korvoplayer developers");
    for (unsigned i = 0; i < setup.nPins; ++i) {
        const REGFILTERPINS& pin = setup.lpPin[i];
        GstCaps* pCaps = gst_caps_new_empty();
        for (unsigned t = 0; t < pin.nMediaTypes; ++t)
            pCaps = gst_caps_merge(pCaps, gst_caps_from_string(CapsForPinType(pin.lpMediaType[t])));
        gst_element_class_add_pad_template(
            pClass, gst_pad_template_new(PadTemplateName(setup, pin), pin.bOutput ? GST_PAD_SRC : GST_PAD_SINK,
                                         pin.bZero ? GST_PAD_SOMETIMES : GST_PAD_ALWAYS, pCaps));
        gst_caps_unref(pCaps);
    }
}
