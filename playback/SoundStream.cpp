#include "SoundStream.h"

#include <filesystem>

namespace {

constexpr const char* kApplicationName = "korvoplayer";
constexpr const char* kApplicationId = "org.korvoplayer.korvoplayer";
constexpr const char* kIconName = "korvoplayer";

std::string ShownName(const std::string& fileName)
{
    const std::string name = std::filesystem::path(fileName).filename().string();
    return name.empty() ? kApplicationName : name;
}

} // namespace

GstStructure* CSoundStream::Properties(const std::string& fileName, bool bHasPicture)
{
    return gst_structure_new("props", "media.role", G_TYPE_STRING, bHasPicture ? "video" : "music",
                             "media.name", G_TYPE_STRING, ShownName(fileName).c_str(),
                             "application.name", G_TYPE_STRING, kApplicationName, "application.id", G_TYPE_STRING,
                             kApplicationId, "application.icon_name", G_TYPE_STRING, kIconName, nullptr);
}

bool CSoundStream::Apply(GstElement* pSink, const std::string& fileName, bool bHasPicture)
{
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(pSink), "stream-properties") == nullptr)
        return false;
    GstStructure* pProperties = Properties(fileName, bHasPicture);
    g_object_set(pSink, "stream-properties", pProperties, nullptr);
    gst_structure_free(pProperties);
    return true;
}

GstEvent* CSoundStream::TitleEvent(const std::string& fileName)
{
    return gst_event_new_tag(gst_tag_list_new(GST_TAG_TITLE, ShownName(fileName).c_str(), nullptr));
}

bool CSoundStream::HasTitle(GstEvent* pTagEvent)
{
    GstTagList* pTags = nullptr;
    gst_event_parse_tag(pTagEvent, &pTags);
    gchar* pszTitle = nullptr;
    const bool bHas = pTags != nullptr && gst_tag_list_get_string(pTags, GST_TAG_TITLE, &pszTitle);
    g_free(pszTitle);
    return bHas;
}
