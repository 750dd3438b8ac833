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
    // A seek made before the file was opened (guarded by the seek lock).
    GstEvent* pPendingSeek;
    // That seek while the file opens at the start: the pins take its
    // positions as their pads are activated, before they stream. Touched
    // only by the thread that changes the state to PAUSED, which also opens
    // the file and activates the pads.
    GstEvent* pStartSeek;
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

// What a seek asks for, in GStreamer's terms.
struct SeekRequest {
    double dRate = 1.0;
    GstSeekType startType = GST_SEEK_TYPE_NONE;
    gint64 start = 0;
    GstSeekType stopType = GST_SEEK_TYPE_NONE;
    gint64 stop = 0;
};

// False for a seek the source cannot serve: another format, a rate of zero
// or below, a start before zero or from the end.
bool ParseSeek(GstEvent* pEvent, SeekRequest* pRequest)
{
    GstFormat format = GST_FORMAT_UNDEFINED;
    GstSeekFlags flags = GST_SEEK_FLAG_NONE;
    gst_event_parse_seek(pEvent, &pRequest->dRate, &format, &flags, &pRequest->startType, &pRequest->start,
                         &pRequest->stopType, &pRequest->stop);
    return format == GST_FORMAT_TIME && pRequest->dRate > 0 &&
           !(pRequest->startType == GST_SEEK_TYPE_SET && pRequest->start < 0) &&
           pRequest->startType != GST_SEEK_TYPE_END;
}

// The positions of a seek for one pin, as seeking calls, from `llStart`.
void SeekPin(CASFSourceFilterOutputPin* pPin, const SeekRequest& request, LONGLONG llStart)
{
    pPin->SetRate(request.dRate);
    LONGLONG llStop = request.stop / 100;
    DWORD dwStopFlags = request.stopType == GST_SEEK_TYPE_SET && request.stop >= 0 ? AM_SEEKING_AbsolutePositioning
                                                                                  : AM_SEEKING_NoPositioning;
    pPin->SetPositions(&llStart, AM_SEEKING_AbsolutePositioning, &llStop, dwStopFlags);
}

// One seek moves both pins: both stop streaming with a flush, the reader
// restarts once at the new start, and both stream again from there.
gboolean HandleSeek(BrelmASFSrc* self, GstEvent* pEvent)
{
    SeekRequest request;
    if (!ParseSeek(pEvent, &request)) {
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
                     GST_TIME_ARGS(request.startType == GST_SEEK_TYPE_SET ? request.start : GST_CLOCK_TIME_NONE),
                     request.dRate);
    bool wasStreaming[2] = {false, false};
    for (int i = 0; i < cPins; ++i)
        wasStreaming[i] = self->pFilter->GetPin(i)->SuspendForSeek(seqnum);
    GST_DEBUG_OBJECT(self, "streams flushed; moving the reader");
    // A start that is not given is where the first stream (the video, when
    // there is one) is now, so that a change of rate alone takes effect from
    // there.
    LONGLONG llStart = request.startType == GST_SEEK_TYPE_SET ? request.start / 100
                                                               : self->pFilter->GetPin(0)->Position();
    for (int i = 0; i < cPins; ++i)
        SeekPin(self->pFilter->GetPin(i), request, llStart);
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

// A pad of a file opened at start is activated as it is added, before it
// streams: a seek kept from before the file was opened places its pin
// there, so that the streams start where the seek asked and nothing that
// already streams needs a flush.
gboolean OnPadActivateMode(GstPad* pPad, GstObject* pParent, GstPadMode mode, gboolean isActive)
{
    if (mode != GST_PAD_MODE_PUSH)
        return FALSE;
    BrelmASFSrc* self = Self(pParent);
    CASFSourceFilterOutputPin* pPin = PinOf(self, pPad);
    if (pPin == nullptr)
        return !isActive;
    SeekRequest request;
    if (isActive && self->pStartSeek != nullptr && ParseSeek(self->pStartSeek, &request))
        SeekPin(pPin, request, request.startType == GST_SEEK_TYPE_SET ? request.start / 100 : 0);
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

// Takes the kept seek for the file about to be opened; its copy from
// another pad passes.
void TakePendingSeek(BrelmASFSrc* self)
{
    std::lock_guard lock(*self->pSeekLock);
    self->pStartSeek = std::exchange(self->pPendingSeek, nullptr);
    if (self->pStartSeek != nullptr)
        self->lastSeekSeqnum = gst_event_get_seqnum(self->pStartSeek);
}

// Opens the file stored by location, if any, with its pads: they are
// activated as they are added (at the kept seek's positions) and stream
// once they are linked. A seek kept while the file was opening is made now.
bool OpenAtStart(BrelmASFSrc* self)
{
    TakePendingSeek(self);
    const bool isOpen = self->pLocation->Open();
    GstEvent* pStartSeek = std::exchange(self->pStartSeek, nullptr);
    GstEvent* pLaterSeek = nullptr;
    {
        std::lock_guard lock(*self->pSeekLock);
        pLaterSeek = std::exchange(self->pPendingSeek, nullptr);
        // A file that did not open keeps the latest seek for the next start.
        if (!isOpen)
            self->pPendingSeek = std::exchange(pLaterSeek != nullptr ? pLaterSeek : pStartSeek, nullptr);
    }
    if (pLaterSeek != nullptr)
        HandleSeek(self, pLaterSeek);
    gst_clear_event(&pLaterSeek);
    gst_clear_event(&pStartSeek);
    return isOpen;
}

GstStateChangeReturn ChangeState(GstElement* pElement, GstStateChange transition)
{
    BrelmASFSrc* self = Self(pElement);
    if (transition == GST_STATE_CHANGE_READY_TO_PAUSED) {
        if (!OpenAtStart(self))
            return GST_STATE_CHANGE_FAILURE;
        if (self->pFilter->GetPin(0) == nullptr) {
            self->pLocation->PostStartError();
            return GST_STATE_CHANGE_FAILURE;
        }
        GST_DEBUG_OBJECT(self, "starting %d streams", self->pFilter->GetPinCount());
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
    self->pStartSeek = nullptr;
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
