#include "Utf8Text.h"

namespace {

constexpr uint32_t kReplacement = 0xFFFD;
constexpr uint32_t kMalformed = 0xFFFFFFFFu;

// The character at s[i], or kMalformed; *pcb is its length.
uint32_t Decode(std::string_view s, size_t i, size_t* pcb)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    *pcb = 1;
    if (lead < 0x80)
        return lead;
    size_t cb;
    uint32_t cp;
    uint32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        cb = 2, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        cb = 3, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        cb = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return kMalformed;
    }
    if (i + cb > s.size())
        return kMalformed;
    for (size_t k = 1; k < cb; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return kMalformed;
        cp = cp << 6 | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return kMalformed;
    *pcb = cb;
    return cp;
}

} // namespace

bool CUtf8Text::IsValid(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        size_t cb;
        if (Decode(s, i, &cb) == kMalformed)
            return false;
        i += cb;
    }
    return true;
}

std::string CUtf8Text::Repaired(std::string_view s)
{
    std::string sText;
    sText.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t cb;
        if (Decode(s, i, &cb) == kMalformed)
            Append(kReplacement, &sText);
        else
            sText.append(s.substr(i, cb));
        i += cb;
    }
    return sText;
}

uint32_t CUtf8Text::Next(std::string_view s, size_t* pi)
{
    size_t cb;
    uint32_t cp = Decode(s, *pi, &cb);
    *pi += cb;
    return cp == kMalformed ? kReplacement : cp;
}

void CUtf8Text::Append(uint32_t cp, std::string* pText)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = kReplacement;
    if (cp < 0x80) {
        *pText += static_cast<char>(cp);
    } else if (cp < 0x800) {
        *pText += static_cast<char>(0xC0 | cp >> 6);
        *pText += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *pText += static_cast<char>(0xE0 | cp >> 12);
        *pText += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        *pText += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *pText += static_cast<char>(0xF0 | cp >> 18);
        *pText += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        *pText += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        *pText += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
