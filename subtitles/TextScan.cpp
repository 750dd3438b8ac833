#include "TextScan.h"

namespace {

// ASCII only, and without the C library's locale lookup: the scans of a
// large file call it for every byte.
inline char LowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

} // namespace

std::string_view CTextScan::Trimmed(std::string_view s)
{
    constexpr const char* kSpace = " \t\r\n\f\v";
    size_t first = s.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return std::string_view();
    return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

std::string CTextScan::Lower(std::string_view s)
{
    std::string sLower(s);
    for (char& c : sLower)
        c = LowerChar(c);
    return sLower;
}

bool CTextScan::StartsWithNoCase(std::string_view s, std::string_view sPrefix)
{
    if (s.size() < sPrefix.size())
        return false;
    for (size_t i = 0; i < sPrefix.size(); ++i) {
        if (LowerChar(s[i]) != LowerChar(sPrefix[i]))
            return false;
    }
    return true;
}

size_t CTextScan::FindNoCase(std::string_view s, std::string_view sNeedle, size_t iFrom)
{
    if (sNeedle.empty())
        return iFrom <= s.size() ? iFrom : std::string_view::npos;
    const char first = LowerChar(sNeedle[0]);
    for (size_t i = iFrom; i + sNeedle.size() <= s.size(); ++i) {
        if (LowerChar(s[i]) == first && StartsWithNoCase(s.substr(i), sNeedle))
            return i;
    }
    return std::string_view::npos;
}
