// Small ASCII text helpers the parsers share: trimming, lower case and
// case-insensitive matching (bytes beyond ASCII compare as they are).
#pragma once

#include <string>
#include <string_view>

class CTextScan {
public:
    // s without white space at either end.
    static std::string_view Trimmed(std::string_view s);
    static std::string Lower(std::string_view s);
    static bool StartsWithNoCase(std::string_view s, std::string_view sPrefix);
    // The position of sNeedle (lower case) in s from iFrom on, ignoring
    // case; npos when absent. Linear in the length of s for short needles.
    static size_t FindNoCase(std::string_view s, std::string_view sNeedle, size_t iFrom = 0);
};
