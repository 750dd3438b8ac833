#include "BrelmAsyncFileSrc.h"

#include "AsyncFileSourceFilter.h"
#include "ClassTable.h"
#include "MediaSample.h"
#include "SourceLocation.h"
#include "StreamCaps.h"
#include "common/ClassIds.h"
#include "common/Report.h"

#include <gst/base/gstbasesrc.h>
#include <gst/gst.h>

GST_DEBUG_CATEGORY_STATIC(brelm_async_file_src_debug);
#define GST_CAT_DEFAULT brelm_async_file_src_debug

struct BrelmAsyncFileSrc {
    GstBaseSrc parent;
    CAsyncFileSourceFilter* pFilter;
    // The filter's pin while the element runs (it cannot change then).
    CAsyncFileSourceFilterOutputPin* pPin;
    CSourceLocation* pLocation;
    // Where the latest read ended: a read elsewhere is a seek of the
    // parser that pulls (streaming thread only).
    guint64 nextOffset;
};

struct BrelmAsyncFileSrcClass {
    GstBaseSrcClass parent_class;
};

namespace {

BrelmAsyncFileSrc* Self(gpointer p)
{
    return reinterpret_cast<BrelmAsyncFileSrc*>(p);
}

gboolean Start(GstBaseSrc* pSrc)
{
    BrelmAsyncFileSrc* self = Self(pSrc);
    if (!self->pLocation->Open())
        return FALSE;
    self->pPin = self->pFilter->GetPin(0);
    if (self->pPin == nullptr) {
        self->pLocation->PostStartError();
        return FALSE;
    }
    self->nextOffset = 0;
    GST_DEBUG_OBJECT(self, "started");
    return TRUE;
}

gboolean Stop(GstBaseSrc* pSrc)
{
    GST_DEBUG_OBJECT(pSrc, "stopped");
    Self(pSrc)->pPin = nullptr;
    return TRUE;
}

gboolean Unlock(GstBaseSrc* pSrc)
{
    GST_DEBUG_OBJECT(pSrc, "flushing");
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
        GST_ELEMENT_ERROR(pSrc, RESOURCE, READ, (nullptr), ("%s", LastReportOfThisThread().c_str()));
        return GST_FLOW_ERROR;
    }
    BrelmAsyncFileSrc* self = Self(pSrc);
    if (offset != self->nextOffset)
        GST_DEBUG_OBJECT(self, "seek to byte %" G_GUINT64_FORMAT, offset);
    const auto cbRead = static_cast<gsize>((tStop - tStart) / UNITS);
    self->nextOffset = offset + cbRead;
    if (cbRead == 0)
        return GST_FLOW_EOS;
    if (cbRead < map.size)
        gst_buffer_set_size(pBuffer, static_cast<gssize>(cbRead));
    GST_BUFFER_OFFSET(pBuffer) = offset;
    GST_BUFFER_OFFSET_END(pBuffer) = offset + cbRead;
    return GST_FLOW_OK;
}

} // namespace

G_DEFINE_TYPE_WITH_CODE(BrelmAsyncFileSrc, brelm_async_file_src, GST_TYPE_BASE_SRC,
                        G_IMPLEMENT_INTERFACE(GST_TYPE_URI_HANDLER, CSourceLocation::InitUriHandler))

// A seek of the pushing task: the base class moves the segment, and the
// next read starts there.
static gboolean brelm_async_file_src_do_seek(GstBaseSrc* pSrc, GstSegment* pSegment)
{
    GST_DEBUG_OBJECT(pSrc, "seek to byte %" G_GUINT64_FORMAT, pSegment->start);
    return GST_BASE_SRC_CLASS(brelm_async_file_src_parent_class)->do_seek(pSrc, pSegment);
}

static void brelm_async_file_src_finalize(GObject* pObject)
{
    BrelmAsyncFileSrc* self = Self(pObject);
    delete self->pLocation;
    delete self->pFilter;
    G_OBJECT_CLASS(brelm_async_file_src_parent_class)->finalize(pObject);
}

static void brelm_async_file_src_class_init(BrelmAsyncFileSrcClass* pClass)
{
    GObjectClass* pObjectClass = G_OBJECT_CLASS(pClass);
    pObjectClass->finalize = brelm_async_file_src_finalize;
    CSourceLocation::InstallProperty(pObjectClass);
    DescribeElementClass(GST_ELEMENT_CLASS(pClass), CLSID_AsyncFileSourceFilter);
    GST_DEBUG_CATEGORY_INIT(brelm_async_file_src_debug, "brelmasyncfilesrc", 0, "Brelm asynchronous file source");
    GstBaseSrcClass* pBaseSrcClass = GST_BASE_SRC_CLASS(pClass);
    pBaseSrcClass->start = Start;
    pBaseSrcClass->stop = Stop;
    pBaseSrcClass->do_seek = brelm_async_file_src_do_seek;
    pBaseSrcClass->unlock = Unlock;
    pBaseSrcClass->is_seekable = IsSeekable;
    pBaseSrcClass->get_size = GetSize;
    pBaseSrcClass->get_caps = GetCaps;
    pBaseSrcClass->fill = Fill;
}

static void brelm_async_file_src_init(BrelmAsyncFileSrc* self)
{
    self->pFilter = new CAsyncFileSourceFilter(GST_ELEMENT(self));
    self->pLocation = new CSourceLocation(GST_ELEMENT(self), self->pFilter, brelm_async_file_src_debug);
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
