#include "HtmlTag.h"

#include "TextScan.h"

#include <cctype>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

void SkipSpace(std::string_view s, size_t* pi)
{
    while (*pi < s.size() && IsSpace(s[*pi]))
        ++*pi;
}

// A name runs to white space, '=' or '/'.
std::string_view TakeName(std::string_view s, size_t* pi)
{
    size_t start = *pi;
    while (*pi < s.size() && !IsSpace(s[*pi]) && s[*pi] != '=' && s[*pi] != '/')
        ++*pi;
    return s.substr(start, *pi - start);
}

} // namespace

CHtmlTag::CHtmlTag(std::string_view sInside)
{
    size_t i = 0;
    SkipSpace(sInside, &i);
    if (i < sInside.size() && sInside[i] == '/') {
        m_bClosing = true;
        ++i;
    }
    std::string_view sName = TakeName(sInside, &i);
    size_t dot = sName.find('.');
    m_sName = CTextScan::Lower(sName.substr(0, dot));
    while (dot != std::string_view::npos) {
        size_t next = sName.find('.', dot + 1);
        m_classes.push_back(CTextScan::Lower(sName.substr(dot + 1, next == std::string_view::npos ? next : next - dot - 1)));
        dot = next;
    }
    _ParseAttributes(sInside.substr(i));
}

void CHtmlTag::_ParseAttributes(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        SkipSpace(s, &i);
        if (i < s.size() && (s[i] == '/' || s[i] == '=')) {
            ++i;
            continue;
        }
        std::string sName = CTextScan::Lower(TakeName(s, &i));
        SkipSpace(s, &i);
        std::string sValue;
        if (i < s.size() && s[i] == '=') {
            ++i;
            SkipSpace(s, &i);
            if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
                size_t end = s.find(s[i], i + 1);
                if (end == std::string_view::npos)
                    end = s.size();
                sValue = s.substr(i + 1, end - i - 1);
                i = end + 1;
            } else {
                size_t start = i;
                while (i < s.size() && !IsSpace(s[i]))
                    ++i;
                sValue = s.substr(start, i - start);
            }
        }
        if (!sName.empty())
            m_attributes.emplace_back(std::move(sName), std::move(sValue));
    }
}

std::string CHtmlTag::Attribute(std::string_view sName) const
{
    for (const auto& [name, value] : m_attributes) {
        if (name == sName)
            return value;
    }
    return std::string();
}
