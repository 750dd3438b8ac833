// One HTML-like tag of a subtitle file, from the text between '<' and '>':
// its name in lower case (without WebVTT classes, which are kept apart), whether it
// closes, and its attributes, quoted or not, names in lower case.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CHtmlTag {
public:
    explicit CHtmlTag(std::string_view sInside);

    const std::string& Name() const { return m_sName; }
    bool IsClosing() const { return m_bClosing; }
    // The classes after the name ("c.yellow.bg_black": yellow, bg_black).
    const std::vector<std::string>& Classes() const { return m_classes; }
    // The value of an attribute (name in lower case), empty when absent.
    std::string Attribute(std::string_view sName) const;

private:
    void _ParseAttributes(std::string_view s);

    std::string m_sName;
    bool m_bClosing = false;
    std::vector<std::string> m_classes;
    std::vector<std::pair<std::string, std::string>> m_attributes;
};
