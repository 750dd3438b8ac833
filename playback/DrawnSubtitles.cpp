#include "DrawnSubtitles.h"

#include "MediaGraph.h"

#include <string_view>

namespace {

bool HasElement(const char* pszFactory)
{
    GstElementFactory* pFactory = gst_element_factory_find(pszFactory);
    if (pFactory == nullptr)
        return false;
    gst_object_unref(pFactory);
    return true;
}

// A new reference to `pElement`, or null.
GstElement* Ref(GstElement* pElement)
{
    return pElement != nullptr ? GST_ELEMENT(gst_object_ref(pElement)) : nullptr;
}

} // namespace

CDrawnSubtitles::~CDrawnSubtitles()
{
    if (m_pOverlay != nullptr)
        gst_object_unref(m_pOverlay);
    if (m_pSelector != nullptr)
        gst_object_unref(m_pSelector);
}

bool CDrawnSubtitles::Draws(const std::string& mediaType)
{
    const std::string_view type(mediaType);
    const char* pszRenderer = type == "application/x-ass" || type == "application/x-ssa" ? "assrender"
                              : type == "subpicture/x-dvb"                               ? "dvbsuboverlay"
                              : type == "subpicture/x-dvd" || type == "subpicture/x-pgs" ? "dvdspu"
                                                                                         : nullptr;
    return pszRenderer != nullptr && HasElement(pszRenderer) && HasElement("subtitleoverlay");
}

GstElement* CDrawnSubtitles::MakeElement()
{
    GstElement* pOverlay = gst_element_factory_make("subtitleoverlay", nullptr);
    if (pOverlay == nullptr)
        return nullptr;
    std::lock_guard lock(m_lock);
    // A stream shown before the video chain was made shows from the start.
    g_object_set(pOverlay, "silent", m_bShowing ? FALSE : TRUE, nullptr);
    if (m_pOverlay != nullptr)
        gst_object_unref(m_pOverlay);
    m_pOverlay = GST_ELEMENT(gst_object_ref(pOverlay));
    return pOverlay;
}

GstPad* CDrawnSubtitles::AddStream(GstBin* pBin)
{
    if (_Elements().pSelector == nullptr) {
        GstElement* pSelector = gst_element_factory_make("input-selector", nullptr);
        if (pSelector == nullptr)
            return nullptr;
        g_object_set(pSelector, "sync-streams", TRUE, nullptr);
        LONGLONG rtDelay = 0;
        {
            std::lock_guard lock(m_lock);
            m_pSelector = GST_ELEMENT(gst_object_ref_sink(pSelector));
            rtDelay = m_rtDelay;
        }
        _Delay(pSelector, rtDelay);
        gst_bin_add(pBin, pSelector);
        gst_element_sync_state_with_parent(pSelector);
    }
    GstPad* pInput = gst_element_request_pad_simple(_Elements().pSelector, "sink_%u");
    if (pInput != nullptr)
        g_object_set(pInput, "always-ok", TRUE, nullptr);
    Link();
    return pInput;
}

void CDrawnSubtitles::Link()
{
    const Elements elements = _Elements();
    if (elements.pOverlay == nullptr || elements.pSelector == nullptr || GST_OBJECT_PARENT(elements.pOverlay) == nullptr)
        return;
    GstPad* pOutput = gst_element_get_static_pad(elements.pSelector, "src");
    if (!gst_pad_is_linked(pOutput))
        gst_element_link_pads(elements.pSelector, "src", elements.pOverlay, "subtitle_sink");
    gst_object_unref(pOutput);
}

void CDrawnSubtitles::Show(GstPad* pInput)
{
    {
        std::lock_guard lock(m_lock);
        m_bShowing = pInput != nullptr;
    }
    const Elements elements = _Elements();
    if (elements.pSelector != nullptr && pInput != nullptr)
        g_object_set(elements.pSelector, "active-pad", pInput, nullptr);
    if (elements.pOverlay != nullptr)
        g_object_set(elements.pOverlay, "silent", pInput == nullptr ? TRUE : FALSE, nullptr);
}

void CDrawnSubtitles::SetDelay(LONGLONG rtDelay)
{
    {
        std::lock_guard lock(m_lock);
        m_rtDelay = rtDelay;
    }
    const Elements elements = _Elements();
    if (elements.pSelector != nullptr)
        _Delay(elements.pSelector, rtDelay);
}

// The subtitles' running time is moved at the selector's output, so that the
// renderer draws each one that much later (the overlay's own offset is not
// taken once its renderer is running).
void CDrawnSubtitles::_Delay(GstElement* pSelector, LONGLONG rtDelay)
{
    GstPad* pOutput = gst_element_get_static_pad(pSelector, "src");
    gst_pad_set_offset(pOutput, static_cast<gint64>(rtDelay) * kNanosecondsPerUnit);
    gst_object_unref(pOutput);
}

CDrawnSubtitles::Elements::~Elements()
{
    if (pOverlay != nullptr)
        gst_object_unref(pOverlay);
    if (pSelector != nullptr)
        gst_object_unref(pSelector);
}

CDrawnSubtitles::Elements CDrawnSubtitles::_Elements() const
{
    std::lock_guard lock(m_lock);
    return {Ref(m_pOverlay), Ref(m_pSelector)};
}
