#include "AudioTracks.h"

#include "StreamLabel.h"

#include <algorithm>

CAudioTracks::~CAudioTracks()
{
    for (const Stream& stream : m_streams) {
        gst_object_unref(stream.pInput);
        gst_object_unref(stream.pDecoded);
    }
    if (m_pSelector != nullptr)
        gst_object_unref(m_pSelector);
}

GstElement* CAudioTracks::MakeSelector()
{
    GstElement* pSelector = gst_element_factory_make("input-selector", nullptr);
    if (pSelector == nullptr)
        return nullptr;
    g_object_set(pSelector, "sync-streams", TRUE, nullptr);
    std::lock_guard lock(m_lock);
    m_pSelector = GST_ELEMENT(gst_object_ref(pSelector));
    return pSelector;
}

// In the file's order: before the first stream with a later identifier.
GstPad* CAudioTracks::AddInput(GstPad* pDecodedPad)
{
    GstElement* pSelector = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_pSelector == nullptr)
            return nullptr;
        pSelector = GST_ELEMENT(gst_object_ref(m_pSelector));
    }
    GstPad* pInput = gst_element_request_pad_simple(pSelector, "sink_%u");
    gst_object_unref(pSelector);
    if (pInput == nullptr)
        return nullptr;
    g_object_set(pInput, "always-ok", TRUE, nullptr);
    Stream stream{GST_PAD(gst_object_ref(pInput)), GST_PAD(gst_object_ref(pDecodedPad)),
                  CStreamLabel::OrderKey(pDecodedPad)};
    GstPad* pFirst = nullptr;
    {
        std::lock_guard lock(m_lock);
        auto it = std::find_if(m_streams.begin(), m_streams.end(),
                               [&](const Stream& other) { return other.streamId > stream.streamId; });
        m_streams.insert(it, stream);
        if (!m_bChosenByUser)
            pFirst = GST_PAD(gst_object_ref(m_streams.front().pInput));
    }
    if (pFirst != nullptr) {
        _Activate(pFirst);
        gst_object_unref(pFirst);
    }
    return pInput;
}

std::vector<std::string> CAudioTracks::Labels() const
{
    std::lock_guard lock(m_lock);
    std::vector<std::string> labels;
    for (size_t i = 0; i < m_streams.size(); ++i)
        labels.push_back(CStreamLabel::Of(m_streams[i].pDecoded, static_cast<int>(i) + 1));
    return labels;
}

int CAudioTracks::Chosen() const
{
    GstElement* pSelector = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_pSelector == nullptr)
            return -1;
        pSelector = GST_ELEMENT(gst_object_ref(m_pSelector));
    }
    GstPad* pActive = nullptr;
    g_object_get(pSelector, "active-pad", &pActive, nullptr);
    gst_object_unref(pSelector);
    std::lock_guard lock(m_lock);
    auto it = std::find_if(m_streams.begin(), m_streams.end(), [&](const Stream& stream) { return stream.pInput == pActive; });
    if (pActive != nullptr)
        gst_object_unref(pActive);
    return it != m_streams.end() ? static_cast<int>(it - m_streams.begin()) : -1;
}

bool CAudioTracks::Choose(int iTrack)
{
    GstPad* pInput = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (iTrack < 0 || static_cast<size_t>(iTrack) >= m_streams.size())
            return false;
        pInput = GST_PAD(gst_object_ref(m_streams[static_cast<size_t>(iTrack)].pInput));
        m_bChosenByUser = true;
    }
    _Activate(pInput);
    gst_object_unref(pInput);
    return true;
}

void CAudioTracks::_Activate(GstPad* pInput)
{
    GstElement* pSelector = GST_ELEMENT(gst_pad_get_parent(pInput));
    if (pSelector == nullptr)
        return;
    g_object_set(pSelector, "active-pad", pInput, nullptr);
    gst_object_unref(pSelector);
}
