#include "BrelmAsyncFileSrc.h"

#include "AsyncFileSourceFilter.h"
#include "ClassTable.h"
#include "MediaSample.h"
#include "StreamCaps.h"
#include "common/ClassIds.h"
#include "common/Report.h"

#include <gst/base/gstbasesrc.h>
#include <gst/gst.h>

struct BrelmAsyncFileSrc {
    GstBaseSrc parent;
    CAsyncFileSourceFilter* pFilter;
    // The filter's pin while the element runs (it cannot change then).
    CAsyncFileSourceFilterOutputPin* pPin;
    gchar* pszLocation;
    // The report of the last failed Load, shown when the element starts.
    gchar* pszLoadFailure;
};

struct BrelmAsyncFileSrcClass {
    GstBaseSrcClass parent_class;
};

namespace {

enum { PROP_0, PROP_LOCATION };

// A sample over a mapped buffer for the length of one read, made on the
// stack: its owner ends it, not a last Release.
class CBufferSample : public CMediaSample {
public:
    using CMediaSample::CMediaSample;
    ~CBufferSample() override = default;
};

BrelmAsyncFileSrc* Self(gpointer p)
{
    return reinterpret_cast<BrelmAsyncFileSrc*>(p);
}

// Hands the filter a new file; refused once the element is running.
gboolean SetLocation(BrelmAsyncFileSrc* self, const gchar* pszLocation, GError** ppError)
{
    GstState state = GST_STATE(self);
    if (state == GST_STATE_PAUSED || state == GST_STATE_PLAYING) {
        g_set_error(ppError, GST_URI_ERROR, GST_URI_ERROR_BAD_STATE,
                    "Changing the location of a running source is not supported");
        return FALSE;
    }
    GST_OBJECT_LOCK(self);
    g_free(self->pszLocation);
    g_clear_pointer(&self->pszLoadFailure, g_free);
    self->pszLocation = g_strdup(pszLocation);
    GST_OBJECT_UNLOCK(self);
    if (pszLocation == nullptr)
        return TRUE;
    if (self->pFilter->Load(pszLocation, nullptr) == S_OK)
        return TRUE;
    std::string report = LastReport();
    self->pszLoadFailure = g_strdup(report.c_str());
    g_set_error(ppError, GST_URI_ERROR, GST_URI_ERROR_BAD_REFERENCE, "%s", report.c_str());
    return FALSE;
}

void SetProperty(GObject* pObject, guint id, const GValue* pValue, GParamSpec* pSpec)
{
    if (id != PROP_LOCATION) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(pObject, id, pSpec);
        return;
    }
    GError* pError = nullptr;
    if (!SetLocation(Self(pObject), g_value_get_string(pValue), &pError)) {
        GST_WARNING_OBJECT(pObject, "%s", pError->message);
        g_error_free(pError);
    }
}

void GetProperty(GObject* pObject, guint id, GValue* pValue, GParamSpec* pSpec)
{
    if (id != PROP_LOCATION) {
        G_OBJECT_WARN_INVALID_PROPERTY_ID(pObject, id, pSpec);
        return;
    }
    GST_OBJECT_LOCK(pObject);
    g_value_set_string(pValue, Self(pObject)->pszLocation);
    GST_OBJECT_UNLOCK(pObject);
}

gboolean Start(GstBaseSrc* pSrc)
{
    BrelmAsyncFileSrc* self = Self(pSrc);
    self->pPin = self->pFilter->GetPin(0);
    if (self->pPin != nullptr)
        return TRUE;
    if (self->pszLoadFailure != nullptr)
        GST_ELEMENT_ERROR(pSrc, RESOURCE, OPEN_READ, (nullptr), ("%s", self->pszLoadFailure));
    else
        GST_ELEMENT_ERROR(pSrc, RESOURCE, NOT_FOUND, ("No file name specified for reading."), (nullptr));
    return FALSE;
}

gboolean Stop(GstBaseSrc* pSrc)
{
    Self(pSrc)->pPin = nullptr;
    return TRUE;
}

gboolean IsSeekable(GstBaseSrc*)
{
    return TRUE;
}

gboolean GetSize(GstBaseSrc* pSrc, guint64* pSize)
{
    CAsyncFileSourceFilterOutputPin* pPin = Self(pSrc)->pPin;
    LONGLONG total = 0;
    LONGLONG available = 0;
    if (pPin == nullptr || pPin->Length(&total, &available) != S_OK)
        return FALSE;
    *pSize = static_cast<guint64>(total);
    return TRUE;
}

GstCaps* GetCaps(GstBaseSrc* pSrc, GstCaps* pFilterCaps)
{
    CAsyncFileSourceFilterOutputPin* pPin = Self(pSrc)->pFilter->GetPin(0);
    AM_MEDIA_TYPE mt{};
    GstCaps* pCaps = nullptr;
    if (pPin != nullptr && pPin->GetMediaType(0, &mt) == S_OK)
        pCaps = CapsForStream(mt, pPin->Header());
    if (pCaps == nullptr)
        pCaps = gst_pad_get_pad_template_caps(GST_BASE_SRC_PAD(pSrc));
    if (pFilterCaps != nullptr) {
        GstCaps* pBoth = gst_caps_intersect_full(pFilterCaps, pCaps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(pCaps);
        pCaps = pBoth;
    }
    return pCaps;
}

// Reads [offset, offset + length) straight into the buffer's memory through
// the reader pin; the sample's times come back cut at the end of the file.
GstFlowReturn Fill(GstBaseSrc* pSrc, guint64 offset, guint length, GstBuffer* pBuffer)
{
    if (offset > static_cast<guint64>(G_MAXINT64 / UNITS) - length)
        return GST_FLOW_EOS;
    GstMapInfo map;
    if (!gst_buffer_map(pBuffer, &map, GST_MAP_WRITE))
        return GST_FLOW_ERROR;
    CBufferSample sample(map.data, static_cast<LONGLONG>(map.size));
    REFERENCE_TIME tStart = static_cast<REFERENCE_TIME>(offset) * UNITS;
    REFERENCE_TIME tStop = static_cast<REFERENCE_TIME>(offset + length) * UNITS;
    sample.SetTime(&tStart, &tStop);
    HRESULT hr = Self(pSrc)->pPin->SyncReadAligned(&sample);
    sample.GetTime(&tStart, &tStop);
    gst_buffer_unmap(pBuffer, &map);
    if (hr != S_OK) {
        GST_ELEMENT_ERROR(pSrc, RESOURCE, READ, (nullptr), ("%s", LastReport().c_str()));
        return GST_FLOW_ERROR;
    }
    const auto cbRead = static_cast<gsize>((tStop - tStart) / UNITS);
    if (cbRead == 0)
        return GST_FLOW_EOS;
    if (cbRead < map.size)
        gst_buffer_set_size(pBuffer, static_cast<gssize>(cbRead));
    GST_BUFFER_OFFSET(pBuffer) = offset;
    GST_BUFFER_OFFSET_END(pBuffer) = offset + cbRead;
    return GST_FLOW_OK;
}

GstURIType UriType(GType)
{
    return GST_URI_SRC;
}

const gchar* const* UriProtocols(GType)
{
    static const gchar* const kProtocols[] = {"file", nullptr};
    return kProtocols;
}

gchar* GetUri(GstURIHandler* pHandler)
{
    GST_OBJECT_LOCK(pHandler);
    const gchar* pszLocation = Self(pHandler)->pszLocation;
    gchar* pszUri = pszLocation != nullptr ? gst_filename_to_uri(pszLocation, nullptr) : nullptr;
    GST_OBJECT_UNLOCK(pHandler);
    return pszUri;
}

gboolean SetUri(GstURIHandler* pHandler, const gchar* pszUri, GError** ppError)
{
    gchar* pszHost = nullptr;
    gchar* pszLocation = g_filename_from_uri(pszUri, &pszHost, nullptr);
    bool isLocal = pszHost == nullptr || g_str_equal(pszHost, "localhost");
    g_free(pszHost);
    if (pszLocation == nullptr || !isLocal) {
        g_free(pszLocation);
        g_set_error(ppError, GST_URI_ERROR, GST_URI_ERROR_BAD_URI, "Not a local file URI: %s", pszUri);
        return FALSE;
    }
    gboolean isSet = SetLocation(Self(pHandler), pszLocation, ppError);
    g_free(pszLocation);
    return isSet;
}

void InitUriHandler(gpointer pInterface, gpointer)
{
    auto* pIface = static_cast<GstURIHandlerInterface*>(pInterface);
    pIface->get_type = UriType;
    pIface->get_protocols = UriProtocols;
    pIface->get_uri = GetUri;
    pIface->set_uri = SetUri;
}

} // namespace

G_DEFINE_TYPE_WITH_CODE(BrelmAsyncFileSrc, brelm_async_file_src, GST_TYPE_BASE_SRC,
                        G_IMPLEMENT_INTERFACE(GST_TYPE_URI_HANDLER, InitUriHandler))

static void brelm_async_file_src_finalize(GObject* pObject)
{
    BrelmAsyncFileSrc* self = Self(pObject);
    delete self->pFilter;
    g_free(self->pszLocation);
    g_free(self->pszLoadFailure);
    G_OBJECT_CLASS(brelm_async_file_src_parent_class)->finalize(pObject);
}

static void brelm_async_file_src_class_init(BrelmAsyncFileSrcClass* pClass)
{
    GObjectClass* pObjectClass = G_OBJECT_CLASS(pClass);
    pObjectClass->set_property = SetProperty;
    pObjectClass->get_property = GetProperty;
    pObjectClass->finalize = brelm_async_file_src_finalize;
    g_object_class_install_property(
        pObjectClass, PROP_LOCATION,
        g_param_spec_string("location", "File Location", "Location of the file to read", nullptr,
                            static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS |
                                                     GST_PARAM_MUTABLE_READY)));
    DescribeElementClass(GST_ELEMENT_CLASS(pClass), CLSID_AsyncFileSourceFilter);
    GstBaseSrcClass* pBaseSrcClass = GST_BASE_SRC_CLASS(pClass);
    pBaseSrcClass->start = Start;
    pBaseSrcClass->stop = Stop;
    pBaseSrcClass->is_seekable = IsSeekable;
    pBaseSrcClass->get_size = GetSize;
    pBaseSrcClass->get_caps = GetCaps;
    pBaseSrcClass->fill = Fill;
}

static void brelm_async_file_src_init(BrelmAsyncFileSrc* self)
{
    self->pFilter = new CAsyncFileSourceFilter(GST_ELEMENT(self));
    gst_base_src_set_format(GST_BASE_SRC(self), GST_FORMAT_BYTES);
}

IUnknown* CreateAsyncFileSourceFilter(IUnknown* pUnkOuter, HRESULT* phr)
{
    // The element is the filter's only owner: no other object can hold it.
    if (pUnkOuter != nullptr) {
        *phr = CLASS_E_NOAGGREGATION;
        return nullptr;
    }
    auto* pElement = static_cast<GstElement*>(g_object_new(brelm_async_file_src_get_type(), nullptr));
    gst_object_ref_sink(pElement);
    return static_cast<IBaseFilter*>(Self(pElement)->pFilter);
}
