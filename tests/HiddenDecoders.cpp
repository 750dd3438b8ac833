#include "HiddenDecoders.h"

CHiddenDecoders::CHiddenDecoders(std::initializer_list<const char*> formats)
{
    // The registry is read when GStreamer starts.
    gst_init(nullptr, nullptr);
    GList* pFactories = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_NONE);
    for (GList* pItem = pFactories; pItem != nullptr; pItem = pItem->next) {
        auto* pFeature = GST_PLUGIN_FEATURE(pItem->data);
        for (const char* pszFormat : formats) {
            GstCaps* pCaps = gst_caps_from_string(pszFormat);
            const guint nRank = gst_plugin_feature_get_rank(pFeature);
            if (nRank != GST_RANK_NONE && gst_element_factory_can_sink_any_caps(GST_ELEMENT_FACTORY(pFeature), pCaps)) {
                m_hidden.emplace_back(GST_PLUGIN_FEATURE(gst_object_ref(pFeature)), nRank);
                gst_plugin_feature_set_rank(pFeature, GST_RANK_NONE);
            }
            gst_caps_unref(pCaps);
        }
    }
    gst_plugin_feature_list_free(pFactories);
}

CHiddenDecoders::~CHiddenDecoders()
{
    for (auto& [pFeature, nRank] : m_hidden) {
        gst_plugin_feature_set_rank(pFeature, nRank);
        gst_object_unref(pFeature);
    }
}
