// Hides every installed decoder of some formats from decodebin for the
// object's life, as on a system without their plugins: their rank goes to
// NONE and comes back afterwards.
#pragma once

#include <gst/gst.h>
#include <initializer_list>
#include <utility>
#include <vector>

class CHiddenDecoders {
public:
    // `formats` are caps strings ("video/mpeg, mpegversion=4").
    explicit CHiddenDecoders(std::initializer_list<const char*> formats);
    ~CHiddenDecoders();
    CHiddenDecoders(const CHiddenDecoders&) = delete;
    CHiddenDecoders& operator=(const CHiddenDecoders&) = delete;

    bool Any() const { return !m_hidden.empty(); }

private:
    std::vector<std::pair<GstPluginFeature*, guint>> m_hidden;
};
