#include "PangoMarkup.h"

namespace {

// Length of the well-formed UTF-8 character at the start of s, 0 when there
// is none (the byte is then skipped). Overlong forms and surrogates do not
// occur in the decoder's output; only the structure is checked here.
size_t CharacterLength(std::string_view s)
{
    const auto lead = static_cast<unsigned char>(s[0]);
    size_t cb = 1;
    if (lead >= 0xF0 && lead <= 0xF4)
        cb = 4;
    else if (lead >= 0xE0 && lead <= 0xEF)
        cb = 3;
    else if (lead >= 0xC2 && lead <= 0xDF)
        cb = 2;
    else if (lead >= 0x80)
        return 0;
    if (cb > s.size())
        return 0;
    for (size_t i = 1; i < cb; ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return 0;
    }
    return cb;
}

bool IsSpaceCharacter(std::string_view c)
{
    return c == " " || c == "\t" || c == "\xC2\xA0" || c == "\xE3\x80\x80";
}

const char* TagName(CPangoMarkup::Style style)
{
    switch (style) {
    case CPangoMarkup::Style::Bold: return "b";
    case CPangoMarkup::Style::Italic: return "i";
    case CPangoMarkup::Style::Underline: return "u";
    case CPangoMarkup::Style::Color: break;
    }
    return "span";
}

} // namespace

void CPangoMarkup::AppendText(std::string_view sText)
{
    size_t i = 0;
    while (i < sText.size()) {
        size_t cb = CharacterLength(sText.substr(i));
        if (cb == 0)
            cb = 1;
        else if (sText[i] == '\n')
            AppendLineBreak();
        else if (!_AppendCharacter(sText.substr(i, cb)))
            return;
        i += cb;
    }
}

bool CPangoMarkup::_AppendCharacter(std::string_view c)
{
    const auto lead = static_cast<unsigned char>(c[0]);
    if ((lead < 0x20 && lead != '\t') || lead == 0x7F)
        return true;
    if (m_cbText + c.size() > kMaxTextBytes || _IsFull()) {
        // Nothing after the cut, not even a shorter character.
        m_cbText = kMaxTextBytes;
        return false;
    }
    m_cbText += c.size();
    if (IsSpaceCharacter(c)) {
        // Kept only between visible characters of one line.
        if (m_bVisible && m_cPendingBreaks == 0)
            m_sPendingSpace += c;
        return true;
    }
    _FlushSpace();
    _WriteOpens();
    m_bVisible = true;
    switch (lead) {
    case '&': m_sMarkup += "&amp;"; break;
    case '<': m_sMarkup += "&lt;"; break;
    case '>': m_sMarkup += "&gt;"; break;
    case '"': m_sMarkup += "&quot;"; break;
    case '\'': m_sMarkup += "&apos;"; break;
    default: m_sMarkup += c; break;
    }
    return true;
}

void CPangoMarkup::AppendLineBreak()
{
    if (m_bVisible && m_cPendingBreaks < 2) {
        ++m_cPendingBreaks;
        m_sPendingSpace.clear();
    }
}

void CPangoMarkup::_FlushSpace()
{
    m_sMarkup += m_sPendingSpace;
    m_sPendingSpace.clear();
    for (; m_cPendingBreaks > 0; --m_cPendingBreaks)
        m_sMarkup += '\n';
}

void CPangoMarkup::Open(Style style, const std::string& sColor)
{
    if (_IsFull() || m_open.size() >= kMaxDepth)
        return;
    m_open.push_back({style, style == Style::Color ? sColor : std::string(), false});
}

void CPangoMarkup::Close(Style style)
{
    size_t i = m_open.size();
    while (i > 0 && m_open[i - 1].style != style)
        --i;
    if (i == 0 || _IsFull())
        return;
    _WriteCloses(i - 1);
    m_open.erase(m_open.begin() + static_cast<std::ptrdiff_t>(i - 1));
}

void CPangoMarkup::CloseAll()
{
    _WriteCloses(0);
    m_open.clear();
}

void CPangoMarkup::_WriteOpens()
{
    for (OPENSTYLE& open : m_open) {
        if (open.bWritten)
            continue;
        if (open.style == Style::Color)
            m_sMarkup += "<span foreground=\"" + open.sColor + "\">";
        else
            m_sMarkup += std::string("<") + TagName(open.style) + ">";
        open.bWritten = true;
    }
}

// Closes the written styles from the top of the stack down to iDownTo; they
// are written again when text follows.
void CPangoMarkup::_WriteCloses(size_t iDownTo)
{
    for (size_t i = m_open.size(); i > iDownTo; --i) {
        OPENSTYLE& open = m_open[i - 1];
        if (open.bWritten)
            m_sMarkup += std::string("</") + TagName(open.style) + ">";
        open.bWritten = false;
    }
}

std::string CPangoMarkup::Finish()
{
    CloseAll();
    return m_bVisible ? m_sMarkup : std::string();
}
