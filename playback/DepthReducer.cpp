#include "DepthReducer.h"

#include <gst/video/gstvideofilter.h>
#include <gst/video/video.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>

namespace {

constexpr GstVideoFormat Native(GstVideoFormat littleEndian, GstVideoFormat bigEndian)
{
    return G_BYTE_ORDER == G_LITTLE_ENDIAN ? littleEndian : bigEndian;
}

// A deep format, the 8-bit format of the same planes, and the bits a
// sample loses on the way (P010 keeps its ten bits at the top of each
// 16-bit sample).
struct DepthPair {
    GstVideoFormat deep;
    GstVideoFormat shallow;
    unsigned nShift;
};

constexpr DepthPair kPairs[] = {
    {Native(GST_VIDEO_FORMAT_I420_10LE, GST_VIDEO_FORMAT_I420_10BE), GST_VIDEO_FORMAT_I420, 2},
    {Native(GST_VIDEO_FORMAT_I420_12LE, GST_VIDEO_FORMAT_I420_12BE), GST_VIDEO_FORMAT_I420, 4},
    {Native(GST_VIDEO_FORMAT_I422_10LE, GST_VIDEO_FORMAT_I422_10BE), GST_VIDEO_FORMAT_Y42B, 2},
    {Native(GST_VIDEO_FORMAT_I422_12LE, GST_VIDEO_FORMAT_I422_12BE), GST_VIDEO_FORMAT_Y42B, 4},
    {Native(GST_VIDEO_FORMAT_Y444_10LE, GST_VIDEO_FORMAT_Y444_10BE), GST_VIDEO_FORMAT_Y444, 2},
    {Native(GST_VIDEO_FORMAT_Y444_12LE, GST_VIDEO_FORMAT_Y444_12BE), GST_VIDEO_FORMAT_Y444, 4},
    {Native(GST_VIDEO_FORMAT_P010_10LE, GST_VIDEO_FORMAT_P010_10BE), GST_VIDEO_FORMAT_NV12, 8},
};

const DepthPair* FindPair(GstVideoFormat deep, GstVideoFormat shallow)
{
    const auto* pEnd = std::end(kPairs);
    const auto* pPair = std::find_if(std::begin(kPairs), pEnd, [&](const DepthPair& pair) {
        return pair.deep == deep && pair.shallow == shallow;
    });
    return pPair != pEnd ? pPair : nullptr;
}

// The formats a picture of `format` may have on the other side: the 8-bit
// one for a deep format going out; going back in, the format itself and
// every deep format that comes out as it.
void AddOtherSide(GstPadDirection direction, const char* pszFormat, GValue* pList)
{
    const GstVideoFormat format = gst_video_format_from_string(pszFormat);
    auto add = [pList](const char* pszName) {
        GValue value = G_VALUE_INIT;
        g_value_init(&value, G_TYPE_STRING);
        g_value_set_string(&value, pszName);
        gst_value_list_append_and_take_value(pList, &value);
    };
    for (const DepthPair& pair : kPairs) {
        if (direction == GST_PAD_SINK && pair.deep == format) {
            add(gst_video_format_to_string(pair.shallow));
            return;
        }
    }
    add(pszFormat);
    if (direction == GST_PAD_SRC)
        for (const DepthPair& pair : kPairs)
            if (pair.shallow == format)
                add(gst_video_format_to_string(pair.deep));
}

GstStructure* OtherSide(GstPadDirection direction, const GstStructure* pStructure)
{
    GstStructure* pOther = gst_structure_copy(pStructure);
    const GValue* pFormat = gst_structure_get_value(pStructure, "format");
    if (pFormat == nullptr)
        return pOther;
    GValue list = G_VALUE_INIT;
    gst_value_list_init(&list, 0);
    if (G_VALUE_HOLDS_STRING(pFormat)) {
        AddOtherSide(direction, g_value_get_string(pFormat), &list);
    } else if (GST_VALUE_HOLDS_LIST(pFormat)) {
        for (guint i = 0; i < gst_value_list_get_size(pFormat); ++i)
            if (const GValue* pItem = gst_value_list_get_value(pFormat, i); G_VALUE_HOLDS_STRING(pItem))
                AddOtherSide(direction, g_value_get_string(pItem), &list);
    }
    if (gst_value_list_get_size(&list) == 1)
        gst_structure_set_value(pOther, "format", gst_value_list_get_value(&list, 0));
    else
        gst_structure_set_value(pOther, "format", &list);
    g_value_unset(&list);
    return pOther;
}

} // namespace

struct KorvoDepthReducer {
    GstVideoFilter parent;
    // The bits each sample loses, chosen when the formats are agreed.
    unsigned nShift;
};

struct KorvoDepthReducerClass {
    GstVideoFilterClass parent_class;
};

G_DEFINE_TYPE(KorvoDepthReducer, korvo_depth_reducer, GST_TYPE_VIDEO_FILTER)

static GstCaps* korvo_depth_reducer_transform_caps(GstBaseTransform*, GstPadDirection direction, GstCaps* pCaps,
                                                   GstCaps* pFilter)
{
    if (gst_caps_is_any(pCaps))
        return pFilter != nullptr ? gst_caps_ref(pFilter) : gst_caps_ref(pCaps);
    GstCaps* pOther = gst_caps_new_empty();
    for (guint i = 0; i < gst_caps_get_size(pCaps); ++i)
        gst_caps_append_structure_full(pOther, OtherSide(direction, gst_caps_get_structure(pCaps, i)),
                                       gst_caps_features_copy(gst_caps_get_features(pCaps, i)));
    if (pFilter == nullptr)
        return pOther;
    GstCaps* pBoth = gst_caps_intersect_full(pFilter, pOther, GST_CAPS_INTERSECT_FIRST);
    gst_caps_unref(pOther);
    return pBoth;
}

// The same formats pass through (the base class does nothing then); a deep
// format is taken only to its own 8-bit one.
static gboolean korvo_depth_reducer_set_info(GstVideoFilter* pFilter, GstCaps*, GstVideoInfo* pIn, GstCaps*,
                                             GstVideoInfo* pOut)
{
    if (GST_VIDEO_INFO_FORMAT(pIn) == GST_VIDEO_INFO_FORMAT(pOut))
        return TRUE;
    const DepthPair* pPair = FindPair(GST_VIDEO_INFO_FORMAT(pIn), GST_VIDEO_INFO_FORMAT(pOut));
    if (pPair == nullptr || GST_VIDEO_INFO_WIDTH(pIn) != GST_VIDEO_INFO_WIDTH(pOut) ||
        GST_VIDEO_INFO_HEIGHT(pIn) != GST_VIDEO_INFO_HEIGHT(pOut))
        return FALSE;
    reinterpret_cast<KorvoDepthReducer*>(pFilter)->nShift = pPair->nShift;
    return TRUE;
}

// Each plane row by row: the planes of a pair have the same samples per
// row and rows per plane, only twice the bytes per sample going in.
static GstFlowReturn korvo_depth_reducer_transform_frame(GstVideoFilter* pFilter, GstVideoFrame* pIn,
                                                         GstVideoFrame* pOut)
{
    const unsigned nShift = reinterpret_cast<KorvoDepthReducer*>(pFilter)->nShift;
    for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(pOut); ++plane) {
        const auto nSamples = static_cast<std::size_t>(GST_VIDEO_FRAME_COMP_WIDTH(pOut, plane)) *
                              static_cast<std::size_t>(GST_VIDEO_FRAME_COMP_PSTRIDE(pOut, plane));
        const auto* pSource = static_cast<const guint8*>(GST_VIDEO_FRAME_PLANE_DATA(pIn, plane));
        auto* pTarget = static_cast<guint8*>(GST_VIDEO_FRAME_PLANE_DATA(pOut, plane));
        const gint nSourceStride = GST_VIDEO_FRAME_PLANE_STRIDE(pIn, plane);
        const gint nTargetStride = GST_VIDEO_FRAME_PLANE_STRIDE(pOut, plane);
        for (gint row = 0; row < GST_VIDEO_FRAME_COMP_HEIGHT(pOut, plane); ++row)
            CDepthReducer::ReduceRow(reinterpret_cast<const uint16_t*>(pSource + row * nSourceStride),
                                     pTarget + row * nTargetStride, nSamples, nShift);
    }
    return GST_FLOW_OK;
}

static void korvo_depth_reducer_class_init(KorvoDepthReducerClass* pClass)
{
    GstElementClass* pElementClass = GST_ELEMENT_CLASS(pClass);
    gst_element_class_set_static_metadata(pElementClass, "Video depth reducer", "Filter/Converter/Video",
                                          "Brings 10- and 12-bit pictures to 8 bits per sample", "korvoplayer");
    GstCaps* pAny = gst_caps_from_string("video/x-raw");
    gst_element_class_add_pad_template(pElementClass, gst_pad_template_new("sink", GST_PAD_SINK, GST_PAD_ALWAYS, pAny));
    gst_element_class_add_pad_template(pElementClass, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, pAny));
    gst_caps_unref(pAny);
    GstBaseTransformClass* pTransformClass = GST_BASE_TRANSFORM_CLASS(pClass);
    pTransformClass->transform_caps = korvo_depth_reducer_transform_caps;
    pTransformClass->passthrough_on_same_caps = TRUE;
    GstVideoFilterClass* pFilterClass = GST_VIDEO_FILTER_CLASS(pClass);
    pFilterClass->set_info = korvo_depth_reducer_set_info;
    pFilterClass->transform_frame = korvo_depth_reducer_transform_frame;
}

// Late pictures are dropped before they are reduced.
static void korvo_depth_reducer_init(KorvoDepthReducer* self)
{
    self->nShift = 0;
    gst_base_transform_set_qos_enabled(GST_BASE_TRANSFORM(self), TRUE);
}

GstElement* CDepthReducer::Make()
{
    return static_cast<GstElement*>(g_object_new(korvo_depth_reducer_get_type(), nullptr));
}

void CDepthReducer::ReduceRow(const uint16_t* pSource, uint8_t* pTarget, std::size_t nSamples, unsigned nShift)
{
    const unsigned nHalf = 1U << (nShift - 1);
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen samples at a time: rounding saturates at 65535, and packing
    // saturates whatever is still above 255 after the shift.
    const __m128i half = _mm_set1_epi16(static_cast<short>(nHalf));
    const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(nShift));
    for (; i + 16 <= nSamples; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pSource + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pSource + i + 8));
        const __m128i lowRounded = _mm_srl_epi16(_mm_adds_epu16(low, half), shift);
        const __m128i highRounded = _mm_srl_epi16(_mm_adds_epu16(high, half), shift);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pTarget + i), _mm_packus_epi16(lowRounded, highRounded));
    }
#endif
    for (; i < nSamples; ++i)
        pTarget[i] = static_cast<uint8_t>(std::min(255U, std::min(65535U, pSource[i] + nHalf) >> nShift));
}
