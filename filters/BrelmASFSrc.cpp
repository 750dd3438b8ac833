#include "BrelmASFSrc.h"

#include "ASFSourceFilter.h"
#include "ClassTable.h"
#include "SourceLocation.h"
#include "common/ClassIds.h"

#include <gst/gst.h>
#include <mutex>
#include <utility>

GST_DEBUG_CATEGORY_STATIC(brelm_asf_src_debug);
#define GST_CAT_DEFAULT brelm_asf_src_debug

struct BrelmASFSrc {
    GstElement parent;
    CASFSourceFilter* pFilter;
    CSourceLocation* pLocation;
    // Serialises seeks; the latest one's number, which the other pad's copy
    // of the same seek carries too.
    std::mutex* pSeekLock;
    guint32 lastSeekSeqnum;
    // A seek made before the file was opened, made when it is (guarded by
    // the seek lock).
    GstEvent* pPendingSeek;
};

struct BrelmASFSrcClass {
    GstElementClass parent_class;
};

namespace {

BrelmASFSrc* Self(gpointer p)
{
    return reinterpret_cast<BrelmASFSrc*>(p);
}

// The pin of a pad, or null before a file is loaded.
CASFSourceFilterOutputPin* PinOf(BrelmASFSrc* self, GstPad* pPad)
{
    for (int i = 0; i < 2; ++i) {
        CASFSourceFilterOutputPin* pPin = self->pFilter->GetPin(i);
        if (pPin != nullptr && pPin->Pad() == pPad)
            return pPin;
    }
    return nullptr;
}

// The positions of a seek for one pin, as seeking calls.
void SeekPin(CASFSourceFilterOutputPin* pPin, double dRate, LONGLONG llStart, GstSeekType stopType, gint64 stop)
{
    pPin->SetRate(dRate);
    LONGLONG llStop = stop / 100;
    DWORD dwStopFlags = stopType == GST_SEEK_TYPE_SET && stop >= 0 ? AM_SEEKING_AbsolutePositioning
                                                                    : AM_SEEKING_NoPositioning;
    pPin->SetPositions(&llStart, AM_SEEKING_AbsolutePositioning, &llStop, dwStopFlags);
}

// One seek moves both pins: both stop streaming with a flush, the reader
// restarts once at the new start, and both stream again from there.
gboolean HandleSeek(BrelmASFSrc* self, GstEvent* pEvent)
{
    double dRate = 1.0;
    GstFormat format = GST_FORMAT_UNDEFINED;
    GstSeekFlags flags = GST_SEEK_FLAG_NONE;
    GstSeekType startType = GST_SEEK_TYPE_NONE;
    GstSeekType stopType = GST_SEEK_TYPE_NONE;
    gint64 start = 0;
    gint64 stop = 0;
    gst_event_parse_seek(pEvent, &dRate, &format, &flags, &startType, &start, &stopType, &stop);
    if (format != GST_FORMAT_TIME || dRate <= 0 || (startType == GST_SEEK_TYPE_SET && start < 0) ||
        startType == GST_SEEK_TYPE_END) {
        GST_DEBUG_OBJECT(self, "refusing a seek it cannot serve");
        return FALSE;
    }
    const guint32 seqnum = gst_event_get_seqnum(pEvent);
    std::lock_guard lock(*self->pSeekLock);
    if (seqnum == self->lastSeekSeqnum)
        return TRUE;
    const int cPins = self->pFilter->GetPinCount();
    if (cPins == 0 && GST_STATE(self) <= GST_STATE_READY) {
        GST_DEBUG_OBJECT(self, "keeping a seek for when the file is opened");
        gst_event_replace(&self->pPendingSeek, pEvent);
        return TRUE;
    }
    if (cPins == 0)
        return FALSE;
    self->lastSeekSeqnum = seqnum;
    GST_DEBUG_OBJECT(self, "seek %u to %" GST_TIME_FORMAT " at rate %g", seqnum,
                     GST_TIME_ARGS(startType == GST_SEEK_TYPE_SET ? start : GST_CLOCK_TIME_NONE), dRate);
    bool wasStreaming[2] = {false, false};
    for (int i = 0; i < cPins; ++i)
        wasStreaming[i] = self->pFilter->GetPin(i)->SuspendForSeek(seqnum);
    GST_DEBUG_OBJECT(self, "streams flushed; moving the reader");
    // A start that is not given is where the first stream (the video, when
    // there is one) is now, so that a change of rate alone takes effect from
    // there.
    LONGLONG llStart = startType == GST_SEEK_TYPE_SET ? start / 100 : self->pFilter->GetPin(0)->Position();
    for (int i = 0; i < cPins; ++i)
        SeekPin(self->pFilter->GetPin(i), dRate, llStart, stopType, stop);
    for (int i = 0; i < cPins; ++i) {
        if (wasStreaming[i])
            self->pFilter->GetPin(i)->ResumeAfterSeek(seqnum);
    }
    return TRUE;
}

gboolean OnPadEvent(GstPad* pPad, GstObject* pParent, GstEvent* pEvent)
{
    if (GST_EVENT_TYPE(pEvent) != GST_EVENT_SEEK)
        return gst_pad_event_default(pPad, pParent, pEvent);
    gboolean isDone = HandleSeek(Self(pParent), pEvent);
    gst_event_unref(pEvent);
    return isDone;
}

gboolean OnPadQuery(GstPad* pPad, GstObject* pParent, GstQuery* pQuery)
{
    CASFSourceFilterOutputPin* pPin = PinOf(Self(pParent), pPad);
    GstFormat format = GST_FORMAT_UNDEFINED;
    switch (GST_QUERY_TYPE(pQuery)) {
    case GST_QUERY_DURATION:
        gst_query_parse_duration(pQuery, &format, nullptr);
        if (pPin == nullptr || format != GST_FORMAT_TIME)
            return FALSE;
        gst_query_set_duration(pQuery, GST_FORMAT_TIME, Self(pParent)->pFilter->GetPlayTime() * 100);
        return TRUE;
    case GST_QUERY_SEEKING:
        gst_query_parse_seeking(pQuery, &format, nullptr, nullptr, nullptr);
        if (pPin == nullptr || format != GST_FORMAT_TIME)
            return FALSE;
        gst_query_set_seeking(pQuery, GST_FORMAT_TIME, TRUE, 0, Self(pParent)->pFilter->GetPlayTime() * 100);
        return TRUE;
    default:
        return gst_pad_query_default(pPad, pParent, pQuery);
    }
}

gboolean OnPadActivateMode(GstPad* pPad, GstObject* pParent, GstPadMode mode, gboolean isActive)
{
    if (mode != GST_PAD_MODE_PUSH)
        return FALSE;
    CASFSourceFilterOutputPin* pPin = PinOf(Self(pParent), pPad);
    if (pPin == nullptr)
        return !isActive;
    return pPin->Activate(isActive != FALSE) == S_OK;
}

void OnPadLinked(GstPad* pPad, GstPad*, gpointer)
{
    GstObject* pParent = gst_pad_get_parent(pPad);
    if (pParent == nullptr)
        return;
    if (CASFSourceFilterOutputPin* pPin = PinOf(Self(pParent), pPad))
        pPin->OnLinked();
    gst_object_unref(pParent);
}

} // namespace

GstPad* NewASFSourcePad(GstElement* pElement, const char* pszName)
{
    GstPadTemplate* pTemplate = gst_element_class_get_pad_template(GST_ELEMENT_GET_CLASS(pElement), pszName);
    GstPad* pPad = gst_pad_new_from_template(pTemplate, pszName);
    gst_pad_set_event_function(pPad, OnPadEvent);
    gst_pad_set_query_function(pPad, OnPadQuery);
    gst_pad_set_activatemode_function(pPad, OnPadActivateMode);
    gst_pad_use_fixed_caps(pPad);
    g_signal_connect(pPad, "linked", G_CALLBACK(OnPadLinked), nullptr);
    return GST_PAD(gst_object_ref_sink(pPad));
}

G_DEFINE_TYPE_WITH_CODE(BrelmASFSrc, brelm_asf_src, GST_TYPE_ELEMENT,
                        G_IMPLEMENT_INTERFACE(GST_TYPE_URI_HANDLER, CSourceLocation::InitUriHandler))

namespace {

void MakePendingSeek(BrelmASFSrc* self)
{
    GstEvent* pEvent = nullptr;
    {
        std::lock_guard lock(*self->pSeekLock);
        pEvent = std::exchange(self->pPendingSeek, nullptr);
    }
    if (pEvent == nullptr)
        return;
    HandleSeek(self, pEvent);
    gst_event_unref(pEvent);
}

GstStateChangeReturn ChangeState(GstElement* pElement, GstStateChange transition)
{
    BrelmASFSrc* self = Self(pElement);
    if (transition == GST_STATE_CHANGE_READY_TO_PAUSED) {
        // A file stored by location comes now, with its pads: they are
        // activated as they are added and stream once they are linked.
        if (!self->pLocation->Open())
            return GST_STATE_CHANGE_FAILURE;
        if (self->pFilter->GetPin(0) == nullptr) {
            self->pLocation->PostStartError();
            return GST_STATE_CHANGE_FAILURE;
        }
        GST_DEBUG_OBJECT(self, "starting %d streams", self->pFilter->GetPinCount());
        MakePendingSeek(self);
    }
    GstStateChangeReturn result = GST_ELEMENT_CLASS(brelm_asf_src_parent_class)->change_state(pElement, transition);
    if (result == GST_STATE_CHANGE_FAILURE)
        return result;
    // Stopping needs nothing of the file, so it cannot fail; the next start
    // reads the file again from its beginning.
    if (transition == GST_STATE_CHANGE_PAUSED_TO_READY) {
        GST_DEBUG_OBJECT(self, "stopping");
        self->pFilter->Stop();
    }
    return result;
}

gboolean SendEvent(GstElement* pElement, GstEvent* pEvent)
{
    if (GST_EVENT_TYPE(pEvent) != GST_EVENT_SEEK)
        return GST_ELEMENT_CLASS(brelm_asf_src_parent_class)->send_event(pElement, pEvent);
    gboolean isDone = HandleSeek(Self(pElement), pEvent);
    gst_event_unref(pEvent);
    return isDone;
}

} // namespace

static void brelm_asf_src_finalize(GObject* pObject)
{
    BrelmASFSrc* self = Self(pObject);
    delete self->pLocation;
    delete self->pFilter;
    delete self->pSeekLock;
    gst_clear_event(&self->pPendingSeek);
    G_OBJECT_CLASS(brelm_asf_src_parent_class)->finalize(pObject);
}

static void brelm_asf_src_class_init(BrelmASFSrcClass* pClass)
{
    GObjectClass* pObjectClass = G_OBJECT_CLASS(pClass);
    pObjectClass->finalize = brelm_asf_src_finalize;
    CSourceLocation::InstallProperty(pObjectClass);
    GstElementClass* pElementClass = GST_ELEMENT_CLASS(pClass);
    DescribeElementClass(pElementClass, CLSID_ASFSourceFilter);
    GST_DEBUG_CATEGORY_INIT(brelm_asf_src_debug, "brelmasfsrc", 0, "Brelm ASF source");
    pElementClass->change_state = ChangeState;
    pElementClass->send_event = SendEvent;
}

static void brelm_asf_src_init(BrelmASFSrc* self)
{
    self->pFilter = new CASFSourceFilter(GST_ELEMENT(self));
    self->pLocation = new CSourceLocation(GST_ELEMENT(self), self->pFilter, brelm_asf_src_debug);
    self->pSeekLock = new std::mutex();
    self->lastSeekSeqnum = GST_SEQNUM_INVALID;
    self->pPendingSeek = nullptr;
    GST_OBJECT_FLAG_SET(self, GST_ELEMENT_FLAG_SOURCE);
}

CASFSourceFilter* ASFSourceFilterOf(gpointer pElement)
{
    return Self(pElement)->pFilter;
}

IUnknown* CreateASFSourceFilter(IUnknown* pUnkOuter, HRESULT* phr)
{
    // The element is the filter's only owner: no other object can hold it.
    if (pUnkOuter != nullptr) {
        *phr = CLASS_E_NOAGGREGATION;
        return nullptr;
    }
    auto* pElement = static_cast<GstElement*>(g_object_new(brelm_asf_src_get_type(), nullptr));
    gst_object_ref_sink(pElement);
    return static_cast<IBaseFilter*>(Self(pElement)->pFilter);
}
