#include "StreamLabel.h"

#include <gst/tag/tag.h>

std::string CStreamLabel::Of(GstPad* pPad, int nNumber)
{
    std::string language;
    std::string codec;
    // The stream's and the file's tags come as events of their own.
    for (guint i = 0; GstEvent* pTagEvent = gst_pad_get_sticky_event(pPad, GST_EVENT_TAG, i); ++i) {
        GstTagList* pTags = nullptr;
        gst_event_parse_tag(pTagEvent, &pTags);
        if (language.empty())
            language = _TagString(pTags, GST_TAG_LANGUAGE_CODE);
        for (const char* pszTag : {GST_TAG_AUDIO_CODEC, GST_TAG_SUBTITLE_CODEC, GST_TAG_CODEC})
            if (codec.empty())
                codec = _TagString(pTags, pszTag);
        gst_event_unref(pTagEvent);
    }
    int nChannels = 0;
    if (GstCaps* pCaps = gst_pad_get_current_caps(pPad)) {
        gst_structure_get_int(gst_caps_get_structure(pCaps, 0), "channels", &nChannels);
        gst_caps_unref(pCaps);
    }
    return Compose(Language(language, nNumber), codec, nChannels);
}

std::string CStreamLabel::OrderKey(GstPad* pPad)
{
    gchar* pszStreamId = gst_pad_get_stream_id(pPad);
    std::string key = pszStreamId != nullptr ? pszStreamId : "";
    g_free(pszStreamId);
    return key.substr(key.find('/') + 1);
}

std::string CStreamLabel::Language(const std::string& code, int nNumber)
{
    if (code.empty())
        return "Track " + std::to_string(nNumber);
    // "ko-KR" and "en_US" are named by their language.
    const gchar* pszName = gst_tag_get_language_name(code.c_str());
    if (pszName == nullptr)
        pszName = gst_tag_get_language_name(code.substr(0, code.find_first_of("-_")).c_str());
    return pszName != nullptr ? pszName : code;
}

std::string CStreamLabel::Compose(const std::string& language, const std::string& codec, int nChannels)
{
    std::string details = codec;
    if (nChannels > 0)
        details += (details.empty() ? "" : ", ") + std::to_string(nChannels) + (nChannels == 1 ? " channel" : " channels");
    return details.empty() ? language : language + " (" + details + ")";
}

std::string CStreamLabel::_TagString(const GstTagList* pTags, const char* pszTag)
{
    gchar* pszValue = nullptr;
    if (pTags == nullptr || !gst_tag_list_get_string(pTags, pszTag, &pszValue))
        return {};
    std::string value = pszValue;
    g_free(pszValue);
    return value;
}
