#include "SinkProbe.h"

#include "playback/MediaGraph.h"

#include <cstring>

namespace {

// The hooks belong to a tracer object; this one does nothing else.
struct BenchSinkTracer {
    GstTracer parent;
};

struct BenchSinkTracerClass {
    GstTracerClass parentClass;
};

} // namespace

G_DEFINE_TYPE(BenchSinkTracer, bench_sink_tracer, GST_TYPE_TRACER)

static void bench_sink_tracer_class_init(BenchSinkTracerClass*) {}

static void bench_sink_tracer_init(BenchSinkTracer*) {}

std::atomic<CSinkProbe::Clock::rep> CSinkProbe::s_armed = 0;
CSinkProbe::Slot CSinkProbe::s_video;
CSinkProbe::Slot CSinkProbe::s_audio;

void CSinkProbe::Install()
{
    auto* pTracer = static_cast<GstTracer*>(g_object_new(bench_sink_tracer_get_type(), nullptr));
    gst_tracing_register_hook(pTracer, "element-new", G_CALLBACK(_OnElementNew));
    // The hook holds its own reference for the life of the process.
    gst_object_unref(gst_object_ref_sink(pTracer));
}

void CSinkProbe::Arm()
{
    for (Slot* pSlot : {&s_video, &s_audio}) {
        pSlot->nsFirst = 0;
        pSlot->nBuffers = 0;
    }
    s_armed = Clock::now().time_since_epoch().count();
}

double CSinkProbe::Elapsed()
{
    return std::chrono::duration<double>(Clock::now().time_since_epoch() - Clock::duration(s_armed.load())).count();
}

// On whatever thread makes the element; its name is set already.
void CSinkProbe::_OnElementNew(GObject*, GstClockTime, GstElement* pElement)
{
    const char* pszName = GST_OBJECT_NAME(pElement);
    Slot* pSlot = nullptr;
    if (pszName != nullptr && std::strcmp(pszName, kVideoRendererName) == 0)
        pSlot = &s_video;
    else if (pszName != nullptr && std::strcmp(pszName, kAudioRendererName) == 0)
        pSlot = &s_audio;
    if (pSlot == nullptr)
        return;
    if (GstPad* pPad = gst_element_get_static_pad(pElement, "sink")) {
        gst_pad_add_probe(pPad, GST_PAD_PROBE_TYPE_BUFFER, _OnBuffer, pSlot, nullptr);
        gst_object_unref(pPad);
    }
}

// Every buffer is counted; the first one since the last Arm is noted with
// the kind of sink it reached.
GstPadProbeReturn CSinkProbe::_OnBuffer(GstPad* pPad, GstPadProbeInfo*, gpointer pSlot)
{
    auto* pFirst = static_cast<Slot*>(pSlot);
    ++pFirst->nBuffers;
    long long nsNone = 0;
    const long long nsNow = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                Clock::now().time_since_epoch() - Clock::duration(s_armed.load()))
                                .count();
    if (pFirst->nsFirst.compare_exchange_strong(nsNone, nsNow > 0 ? nsNow : 1)) {
        GstElement* pSink = gst_pad_get_parent_element(pPad);
        if (pSink != nullptr) {
            GstElementFactory* pFactory = gst_element_get_factory(pSink);
            pFirst->pszKind = pFactory != nullptr ? GST_OBJECT_NAME(pFactory) : "unknown";
            gst_object_unref(pSink);
        }
    }
    return GST_PAD_PROBE_OK;
}

double CSinkProbe::_Seconds(const Slot& slot)
{
    const long long ns = slot.nsFirst;
    return ns == 0 ? -1.0 : static_cast<double>(ns) / 1e9;
}
