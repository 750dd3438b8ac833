// Colours as subtitle files write them in HTML-like tags: "#rrggbb", "#rgb",
// "rrggbb" without the hash (common in SAMI files) and the HTML colour names.
#pragma once

#include <string>
#include <string_view>

class CHtmlColor {
public:
    // Sets *pHex to "#rrggbb" (lower case) and returns true when sValue is a
    // colour; quotes and white space around it are ignored.
    static bool Parse(std::string_view sValue, std::string* pHex);
};
