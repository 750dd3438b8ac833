#include "SubtitleOverlay.h"

#include "MediaGraph.h"
#include "SinkFactory.h"
#include "StreamLabel.h"
#include "common/Report.h"

#include <algorithm>
#include <cmath>
#include <gst/video/video.h>
#include <string_view>

namespace {

// A stream cue that does not say how long it lasts shows this long.
constexpr LONGLONG kUnsaidCueUnits = 5 * 10000000LL;
// Text smaller than this can not be read whatever the picture.
constexpr int kMinFontPixels = 10;

// What a subtitle stream's probe needs: the overlay and its track.
struct StreamProbe {
    CSubtitleOverlay* pOverlay;
    void* pTrack;
};

LONGLONG ToUnits(guint64 nanoseconds)
{
    return static_cast<LONGLONG>(nanoseconds / kNanosecondsPerUnit);
}

std::string BufferText(GstBuffer* pBuffer)
{
    GstMapInfo map;
    if (!gst_buffer_map(pBuffer, &map, GST_MAP_READ))
        return {};
    std::string text(reinterpret_cast<const char*>(map.data), map.size);
    gst_buffer_unmap(pBuffer, &map);
    // Text streams may end their text with a terminator or line breaks.
    while (!text.empty() && (text.back() == '\0' || text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    // Pango takes UTF-8 only: anything else in a stream becomes U+FFFD.
    gchar* pszValid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    text = pszValid;
    g_free(pszValid);
    return text;
}

} // namespace

CSubtitleOverlay::~CSubtitleOverlay()
{
    for (const auto& pTrack : m_tracks) {
        if (pTrack->pPad != nullptr)
            gst_object_unref(pTrack->pPad);
        if (pTrack->pDrawnInput != nullptr)
            gst_object_unref(pTrack->pDrawnInput);
    }
}

GstElement* CSubtitleOverlay::MakeElement()
{
    GstElement* pOverlay = gst_element_factory_make("textoverlay", nullptr);
    if (pOverlay == nullptr)
        return nullptr;
    gst_util_set_object_arg(G_OBJECT(pOverlay), "valignment", "bottom");
    gst_util_set_object_arg(G_OBJECT(pOverlay), "halignment", "center");
    gst_util_set_object_arg(G_OBJECT(pOverlay), "line-alignment", "center");
    g_object_set(pOverlay, "auto-resize", FALSE, "draw-outline", TRUE, "draw-shadow", FALSE, "font-desc",
                 FontFor(0).c_str(), nullptr);
    GstPad* pInput = gst_element_get_static_pad(pOverlay, "video_sink");
    gst_pad_add_probe(pInput, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      _OnPicture, this, nullptr);
    gst_object_unref(pInput);
    return pOverlay;
}

GstElement* CSubtitleOverlay::MakeStreamSink(GstPad* pDecodedPad)
{
    // Synchronised to the clock, as every sink must be for the graph's
    // position to be right; the probe takes each cue as it arrives, before
    // the sink waits for its time, so it is known before it shows.
    GstElement* pSink = CSinkFactory::MakeNullSink(nullptr);
    if (pSink == nullptr)
        return nullptr;
    g_object_set(pSink, "async", FALSE, nullptr);
    Track* pTrack = _InsertStreamTrack(pDecodedPad);
    _ShowDrawn();
    GstPad* pInput = gst_element_get_static_pad(pSink, "sink");
    gst_pad_add_probe(pInput, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      _OnStreamData, new StreamProbe{this, pTrack},
                      [](gpointer pData) { delete static_cast<StreamProbe*>(pData); });
    gst_object_unref(pInput);
    return pSink;
}

GstPad* CSubtitleOverlay::AddDrawnStream(GstBin* pBin, GstPad* pDecodedPad)
{
    GstPad* pInput = m_drawn.AddStream(pBin);
    if (pInput == nullptr)
        return nullptr;
    _InsertStreamTrack(pDecodedPad, pInput);
    _ShowDrawn();
    return pInput;
}

// Before the first stream track with a later place in the file.
CSubtitleOverlay::Track* CSubtitleOverlay::_InsertStreamTrack(GstPad* pDecodedPad, GstPad* pDrawnInput)
{
    auto pNew = std::make_unique<Track>();
    pNew->pPad = GST_PAD(gst_object_ref(pDecodedPad));
    if (pDrawnInput != nullptr)
        pNew->pDrawnInput = GST_PAD(gst_object_ref(pDrawnInput));
    pNew->streamId = CStreamLabel::OrderKey(pDecodedPad);
    gst_segment_init(&pNew->segment, GST_FORMAT_TIME);
    Track* pTrack = pNew.get();
    std::lock_guard lock(m_lock);
    auto it = std::find_if(m_tracks.begin(), m_tracks.end(), [&](const std::unique_ptr<Track>& pOther) {
        return pOther->pPad != nullptr && pOther->streamId > pTrack->streamId;
    });
    m_tracks.insert(it, std::move(pNew));
    if (!m_bChosenByUser) {
        auto first = std::find_if(m_tracks.begin(), m_tracks.end(),
                                  [](const std::unique_ptr<Track>& pOther) { return pOther->pPad != nullptr; });
        m_pChosen = first->get();
    }
    return pTrack;
}

int CSubtitleOverlay::AddFileTracks(std::vector<CSubtitleTrack> tracks)
{
    std::unique_lock lock(m_lock);
    const size_t iFirst = m_tracks.size();
    for (CSubtitleTrack& track : tracks) {
        if (track.Cues().empty())
            continue;
        auto pTrack = std::make_unique<Track>();
        pTrack->pFile = std::make_shared<const CSubtitleTrack>(std::move(track));
        m_tracks.push_back(std::move(pTrack));
    }
    const int nAdded = static_cast<int>(m_tracks.size() - iFirst);
    if (nAdded > 0) {
        m_pChosen = m_tracks[iFirst].get();
        m_bChosenByUser = true;
        m_bShown = true;
    }
    lock.unlock();
    _ShowDrawn();
    return nAdded;
}

std::vector<std::string> CSubtitleOverlay::TrackLabels() const
{
    std::lock_guard lock(m_lock);
    std::vector<std::string> labels;
    for (size_t i = 0; i < m_tracks.size(); ++i)
        labels.push_back(_Label(*m_tracks[i], static_cast<int>(i) + 1));
    return labels;
}

std::string CSubtitleOverlay::_Label(const Track& track, int nNumber) const
{
    if (track.pPad != nullptr)
        return CStreamLabel::Of(track.pPad, nNumber) + " - embedded";
    const CSubtitleTrack& file = *track.pFile;
    std::string title = !file.Language().empty() ? CStreamLabel::Language(file.Language(), nNumber)
                        : !file.Name().empty()   ? file.Name()
                                                 : CStreamLabel::Language({}, nNumber);
    return CStreamLabel::Compose(title, SubtitleFormatName(file.Format()), 0) + " - external";
}

int CSubtitleOverlay::ChosenTrack() const
{
    std::lock_guard lock(m_lock);
    auto it = std::find_if(m_tracks.begin(), m_tracks.end(),
                           [&](const std::unique_ptr<Track>& pTrack) { return pTrack.get() == m_pChosen; });
    return it != m_tracks.end() ? static_cast<int>(it - m_tracks.begin()) : -1;
}

bool CSubtitleOverlay::IsShown() const
{
    std::lock_guard lock(m_lock);
    return m_bShown && m_pChosen != nullptr;
}

bool CSubtitleOverlay::Choose(int iTrack)
{
    {
        std::lock_guard lock(m_lock);
        if (iTrack < 0 || static_cast<size_t>(iTrack) >= m_tracks.size())
            return false;
        m_pChosen = m_tracks[static_cast<size_t>(iTrack)].get();
        m_bChosenByUser = true;
        m_bShown = true;
    }
    _ShowDrawn();
    return true;
}

void CSubtitleOverlay::Show(bool bShown)
{
    {
        std::lock_guard lock(m_lock);
        m_bShown = bShown;
    }
    _ShowDrawn();
}

void CSubtitleOverlay::_ShowDrawn()
{
    GstPad* pInput = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_bShown && m_pChosen != nullptr && m_pChosen->pDrawnInput != nullptr)
            pInput = GST_PAD(gst_object_ref(m_pChosen->pDrawnInput));
    }
    m_drawn.Show(pInput);
    if (pInput != nullptr)
        gst_object_unref(pInput);
}

LONGLONG CSubtitleOverlay::Delay() const
{
    std::lock_guard lock(m_lock);
    return m_rtDelay;
}

void CSubtitleOverlay::SetDelay(LONGLONG rtDelay)
{
    {
        std::lock_guard lock(m_lock);
        m_rtDelay = rtDelay;
    }
    m_drawn.SetDelay(rtDelay);
}

std::string CSubtitleOverlay::FontFor(int nHeight)
{
    const int nPixels = std::max(kMinFontPixels, static_cast<int>(std::lround(nHeight * kFontShare)));
    return std::string(kFontFamilies) + " " + std::to_string(nPixels) + "px";
}

GstPadProbeReturn CSubtitleOverlay::_OnPicture(GstPad* pPad, GstPadProbeInfo* pInfo, gpointer pOverlay)
{
    auto* self = static_cast<CSubtitleOverlay*>(pOverlay);
    GstElement* pElement = gst_pad_get_parent_element(pPad);
    if (pElement == nullptr)
        return GST_PAD_PROBE_OK;
    if ((GST_PAD_PROBE_INFO_TYPE(pInfo) & GST_PAD_PROBE_TYPE_BUFFER) != 0) {
        self->_OnPictureBuffer(pElement, GST_PAD_PROBE_INFO_BUFFER(pInfo));
    } else {
        GstEvent* pEvent = GST_PAD_PROBE_INFO_EVENT(pInfo);
        if (GST_EVENT_TYPE(pEvent) == GST_EVENT_SEGMENT) {
            const GstSegment* pSegment = nullptr;
            gst_event_parse_segment(pEvent, &pSegment);
            gst_segment_copy_into(pSegment, &self->m_segment);
        } else if (GST_EVENT_TYPE(pEvent) == GST_EVENT_CAPS) {
            GstCaps* pCaps = nullptr;
            gst_event_parse_caps(pEvent, &pCaps);
            self->_OnPictureCaps(pElement, pCaps);
        }
    }
    gst_object_unref(pElement);
    return GST_PAD_PROBE_OK;
}

void CSubtitleOverlay::_OnPictureCaps(GstElement* pOverlay, GstCaps* pCaps)
{
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, pCaps) || GST_VIDEO_INFO_HEIGHT(&info) == m_nHeight)
        return;
    m_nHeight = GST_VIDEO_INFO_HEIGHT(&info);
    g_object_set(pOverlay, "font-desc", FontFor(m_nHeight).c_str(), "ypad",
                 static_cast<gint>(std::lround(m_nHeight * kMarginShare)), nullptr);
}

void CSubtitleOverlay::_OnPictureBuffer(GstElement* pOverlay, GstBuffer* pBuffer)
{
    std::string markup;
    const GstClockTime pts = GST_BUFFER_PTS(pBuffer);
    const guint64 streamTime = GST_CLOCK_TIME_IS_VALID(pts) && m_segment.format == GST_FORMAT_TIME
                                   ? gst_segment_to_stream_time(&m_segment, GST_FORMAT_TIME, pts)
                                   : GST_CLOCK_TIME_NONE;
    if (GST_CLOCK_TIME_IS_VALID(streamTime)) {
        m_rtLastPicture = ToUnits(streamTime);
        markup = _MarkupAt(ToUnits(streamTime));
    }
    if (markup == m_sDrawn)
        return;
    m_sDrawn = markup;
    g_object_set(pOverlay, "text", markup.c_str(), nullptr);
}

std::string CSubtitleOverlay::_MarkupAt(LONGLONG rtStream) const
{
    std::lock_guard lock(m_lock);
    if (!m_bShown || m_pChosen == nullptr)
        return {};
    const Track& track = *m_pChosen;
    const LONGLONG rt = rtStream - m_rtDelay;
    return track.pFile != nullptr ? track.pFile->MarkupAt(rt) : track.stream.MarkupAt(rt);
}

GstPadProbeReturn CSubtitleOverlay::_OnStreamData(GstPad*, GstPadProbeInfo* pInfo, gpointer pData)
{
    const auto* pProbe = static_cast<StreamProbe*>(pData);
    if ((GST_PAD_PROBE_INFO_TYPE(pInfo) & GST_PAD_PROBE_TYPE_BUFFER) != 0)
        pProbe->pOverlay->_OnStreamBuffer(static_cast<Track*>(pProbe->pTrack), GST_PAD_PROBE_INFO_BUFFER(pInfo));
    else
        pProbe->pOverlay->_OnStreamEvent(static_cast<Track*>(pProbe->pTrack), GST_PAD_PROBE_INFO_EVENT(pInfo));
    return GST_PAD_PROBE_OK;
}

void CSubtitleOverlay::_OnStreamEvent(Track* pTrack, GstEvent* pEvent)
{
    std::lock_guard lock(m_lock);
    Track& track = *pTrack;
    if (GST_EVENT_TYPE(pEvent) == GST_EVENT_SEGMENT) {
        const GstSegment* pSegment = nullptr;
        gst_event_parse_segment(pEvent, &pSegment);
        gst_segment_copy_into(pSegment, &track.segment);
    } else if (GST_EVENT_TYPE(pEvent) == GST_EVENT_CAPS) {
        GstCaps* pCaps = nullptr;
        gst_event_parse_caps(pEvent, &pCaps);
        const gchar* pszFormat = gst_structure_get_string(gst_caps_get_structure(pCaps, 0), "format");
        track.bMarkup = pszFormat != nullptr && std::string_view(pszFormat) == "pango-markup";
    }
}

void CSubtitleOverlay::_OnStreamBuffer(Track* pTrack, GstBuffer* pBuffer)
{
    std::string text = BufferText(pBuffer);
    const GstClockTime pts = GST_BUFFER_PTS(pBuffer);
    if (text.empty() || !GST_CLOCK_TIME_IS_VALID(pts))
        return;
    std::unique_lock lock(m_lock);
    Track& track = *pTrack;
    const guint64 start = gst_segment_to_stream_time(&track.segment, GST_FORMAT_TIME, pts);
    if (!GST_CLOCK_TIME_IS_VALID(start))
        return;
    const LONGLONG rtStart = ToUnits(start);
    const LONGLONG rtLength =
        GST_BUFFER_DURATION_IS_VALID(pBuffer) ? ToUnits(GST_BUFFER_DURATION(pBuffer)) : kUnsaidCueUnits;
    if (!track.bMarkup) {
        gchar* pszEscaped = g_markup_escape_text(text.data(), static_cast<gssize>(text.size()));
        text = pszEscaped;
        g_free(pszEscaped);
    }
    const LONGLONG rtShown = m_rtLastPicture - m_rtDelay;
    const bool bLate = track.stream.Add(rtStart, rtStart + rtLength, std::move(text)) &&
                       pTrack == m_pChosen && m_bShown && rtStart <= rtShown &&
                       rtShown < rtStart + rtLength;
    lock.unlock();
    if (bLate && m_onLateCue)
        m_onLateCue();
}
