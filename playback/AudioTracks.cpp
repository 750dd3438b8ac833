#include "AudioTracks.h"

#include "StreamLabel.h"

#include <algorithm>

CAudioTracks::~CAudioTracks()
{
    for (GstPad* pPad : m_inputs)
        gst_object_unref(pPad);
    for (GstPad* pPad : m_decoded)
        gst_object_unref(pPad);
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
    bool bFirst = false;
    {
        std::lock_guard lock(m_lock);
        bFirst = m_inputs.empty();
        m_inputs.push_back(GST_PAD(gst_object_ref(pInput)));
        m_decoded.push_back(GST_PAD(gst_object_ref(pDecodedPad)));
    }
    // Whichever stream's data comes first, the file's first stream is heard.
    if (bFirst)
        Choose(0);
    return pInput;
}

std::vector<std::string> CAudioTracks::Labels() const
{
    std::lock_guard lock(m_lock);
    std::vector<std::string> labels;
    for (size_t i = 0; i < m_decoded.size(); ++i)
        labels.push_back(CStreamLabel::Of(m_decoded[i], static_cast<int>(i) + 1));
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
    auto it = std::find(m_inputs.begin(), m_inputs.end(), pActive);
    if (pActive != nullptr)
        gst_object_unref(pActive);
    return it != m_inputs.end() ? static_cast<int>(it - m_inputs.begin()) : -1;
}

bool CAudioTracks::Choose(int iTrack)
{
    GstElement* pSelector = nullptr;
    GstPad* pInput = nullptr;
    {
        std::lock_guard lock(m_lock);
        if (m_pSelector == nullptr || iTrack < 0 || static_cast<size_t>(iTrack) >= m_inputs.size())
            return false;
        pSelector = GST_ELEMENT(gst_object_ref(m_pSelector));
        pInput = GST_PAD(gst_object_ref(m_inputs[static_cast<size_t>(iTrack)]));
    }
    g_object_set(pSelector, "active-pad", pInput, nullptr);
    gst_object_unref(pInput);
    gst_object_unref(pSelector);
    return true;
}
