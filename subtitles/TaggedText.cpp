#include "TaggedText.h"

#include "HtmlColor.h"
#include "HtmlTag.h"
#include "PangoMarkup.h"
#include "TextScan.h"
#include "Utf8Text.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace {

constexpr size_t kMaxEntityBytes = 10;

struct NAMEDENTITY {
    const char* pszName;
    uint32_t codePoint;
};

// Entities of subtitle files; U+200E/F marks are dropped (codePoint 0).
constexpr NAMEDENTITY kEntities[] = {
    {"amp", '&'},     {"lt", '<'},      {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", 0xA0},   {"lrm", 0},       {"rlm", 0},        {"hellip", 0x2026}, {"middot", 0xB7},
    {"copy", 0xA9},   {"reg", 0xAE},    {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
};

// WebVTT's colour classes.
bool VttClassColor(const std::string& sClass, std::string* pHex)
{
    return (sClass == "white" || sClass == "lime" || sClass == "cyan" || sClass == "red" || sClass == "yellow" ||
            sClass == "magenta" || sClass == "blue" || sClass == "black") &&
           CHtmlColor::Parse(sClass, pHex);
}

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

class CTextWalker {
public:
    CTextWalker(std::string_view s, CTaggedText::Space space, CPangoMarkup* pMarkup)
        : m_s(s), m_space(space), m_pMarkup(pMarkup)
    {
    }

    void Walk()
    {
        while (m_i < m_s.size()) {
            char c = m_s[m_i];
            if (c == '<' && _Tag())
                continue;
            if (c == '{' && _OverrideBlock())
                continue;
            if (c == '&' && _Entity())
                continue;
            if (IsWhite(c))
                _White();
            else
                _Run();
        }
    }

private:
    bool _Tag()
    {
        if (m_s.compare(m_i, 4, "<!--") == 0) {
            size_t end = m_s.find("-->", m_i + 4);
            m_i = end == std::string_view::npos ? m_s.size() : end + 3;
            return true;
        }
        if (m_i + 1 >= m_s.size())
            return false;
        const auto next = static_cast<unsigned char>(m_s[m_i + 1]);
        if (!std::isalnum(next) && next != '/')
            return false;
        size_t end = _NextFrom('>', &m_iTagEnd);
        if (end >= m_s.size() || end - m_i > CTaggedText::kMaxTagBytes)
            return false;
        _Apply(CHtmlTag(m_s.substr(m_i + 1, end - m_i - 1)));
        m_i = end + 1;
        return true;
    }

    // The position of the next c after m_i (the end when none), remembered
    // in *piCached so that the whole walk looks at each byte once per kind.
    size_t _NextFrom(char c, size_t* piCached) const
    {
        if (*piCached <= m_i) {
            size_t next = m_s.find(c, m_i + 1);
            *piCached = next == std::string_view::npos ? m_s.size() : next;
        }
        return *piCached;
    }

    void _Apply(const CHtmlTag& tag)
    {
        const std::string& sName = tag.Name();
        if (sName == "br") {
            m_pMarkup->AppendLineBreak();
            return;
        }
        CPangoMarkup::Style style;
        std::string sColor;
        if (sName == "b" || sName == "strong") {
            style = CPangoMarkup::Style::Bold;
        } else if (sName == "i" || sName == "em") {
            style = CPangoMarkup::Style::Italic;
        } else if (sName == "u") {
            style = CPangoMarkup::Style::Underline;
        } else if (sName == "font" || sName == "c") {
            style = CPangoMarkup::Style::Color;
            if (!tag.IsClosing() && !_TagColor(tag, &sColor))
                return;
        } else {
            return;
        }
        if (tag.IsClosing())
            m_pMarkup->Close(style);
        else
            m_pMarkup->Open(style, sColor);
    }

    static bool _TagColor(const CHtmlTag& tag, std::string* pHex)
    {
        if (tag.Name() == "font")
            return CHtmlColor::Parse(tag.Attribute("color"), pHex);
        for (const std::string& sClass : tag.Classes()) {
            if (VttClassColor(sClass, pHex))
                return true;
        }
        return false;
    }

    // "{\...}" blocks of SubStation styling that SubRip files carry.
    bool _OverrideBlock()
    {
        if (m_i + 1 >= m_s.size() || m_s[m_i + 1] != '\\')
            return false;
        size_t end = _NextFrom('}', &m_iBlockEnd);
        if (end >= m_s.size() || end - m_i > CTaggedText::kMaxTagBytes)
            return false;
        m_i = end + 1;
        return true;
    }

    bool _Entity()
    {
        size_t end = m_s.substr(m_i + 1, kMaxEntityBytes).find(';');
        uint32_t codePoint = 0;
        if (end != std::string_view::npos && end > 0 && _EntityCodePoint(m_s.substr(m_i + 1, end), &codePoint)) {
            m_i += end + 2;
        } else if (size_t cbName = _LegacyEntity(m_s.substr(m_i + 1), &codePoint); cbName > 0) {
            m_i += cbName + 1;
        } else {
            return false;
        }
        if (codePoint != 0) {
            std::string sText;
            CUtf8Text::Append(codePoint, &sText);
            m_pMarkup->AppendText(sText);
        }
        m_bSpace = false;
        return true;
    }

    // The entities HTML also reads without their ';' ("&nbsp" is common in
    // SAMI files): the length of the name at the start of s, 0 for none.
    static size_t _LegacyEntity(std::string_view s, uint32_t* pCodePoint)
    {
        for (std::string_view sName : {"nbsp", "amp", "lt", "gt", "quot"}) {
            if (CTextScan::StartsWithNoCase(s, sName) && _EntityCodePoint(sName, pCodePoint))
                return sName.size();
        }
        return 0;
    }

    static bool _EntityCodePoint(std::string_view sName, uint32_t* pCodePoint)
    {
        if (sName[0] == '#') {
            std::string sNumber(sName.substr(1));
            int base = 10;
            if (!sNumber.empty() && (sNumber[0] == 'x' || sNumber[0] == 'X')) {
                base = 16;
                sNumber.erase(0, 1);
            }
            char* pEnd = nullptr;
            unsigned long value = std::strtoul(sNumber.c_str(), &pEnd, base);
            if (sNumber.empty() || *pEnd != '\0' || !std::isxdigit(static_cast<unsigned char>(sNumber[0])))
                return false;
            *pCodePoint = value == 0 || value > 0x10FFFF ? 0xFFFD : static_cast<uint32_t>(value);
            return true;
        }
        std::string sLower(sName);
        for (char& c : sLower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const NAMEDENTITY& entity : kEntities) {
            if (sLower == entity.pszName) {
                *pCodePoint = entity.codePoint;
                return true;
            }
        }
        return false;
    }

    void _White()
    {
        char c = m_s[m_i++];
        if (m_space == CTaggedText::Space::Html) {
            if (!m_bSpace)
                m_pMarkup->AppendText(" ");
            m_bSpace = true;
        } else if (c == '\n') {
            m_pMarkup->AppendLineBreak();
        } else if (c != '\r') {
            m_pMarkup->AppendText(" ");
        }
    }

    // Plain text up to the next character that needs a look.
    void _Run()
    {
        size_t start = m_i++;
        while (m_i < m_s.size() && m_s[m_i] != '<' && m_s[m_i] != '&' && m_s[m_i] != '{' && !IsWhite(m_s[m_i]))
            ++m_i;
        m_pMarkup->AppendText(m_s.substr(start, m_i - start));
        m_bSpace = false;
    }

    std::string_view m_s;
    CTaggedText::Space m_space;
    CPangoMarkup* m_pMarkup;
    size_t m_i = 0;
    size_t m_iTagEnd = 0;
    size_t m_iBlockEnd = 0;
    bool m_bSpace = false;
};

} // namespace

void CTaggedText::Append(std::string_view sText, Space space, CPangoMarkup* pMarkup)
{
    CTextWalker(sText, space, pMarkup).Walk();
}
