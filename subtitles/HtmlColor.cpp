#include "HtmlColor.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>

namespace {

struct NAMEDCOLOR {
    const char* pszName;
    unsigned rgb;
};

// The HTML colour names subtitle files use, sorted by name.
constexpr NAMEDCOLOR kNamedColors[] = {
    {"aqua", 0x00ffff},       {"beige", 0xf5f5dc},   {"black", 0x000000},     {"blue", 0x0000ff},
    {"brown", 0xa52a2a},      {"coral", 0xff7f50},   {"crimson", 0xdc143c},   {"cyan", 0x00ffff},
    {"darkblue", 0x00008b},   {"darkgray", 0xa9a9a9}, {"darkgreen", 0x006400}, {"darkred", 0x8b0000},
    {"fuchsia", 0xff00ff},    {"gold", 0xffd700},    {"gray", 0x808080},      {"green", 0x008000},
    {"grey", 0x808080},       {"indigo", 0x4b0082},  {"ivory", 0xfffff0},     {"khaki", 0xf0e68c},
    {"lightblue", 0xadd8e6},  {"lightgreen", 0x90ee90}, {"lightgrey", 0xd3d3d3}, {"lightyellow", 0xffffe0},
    {"lime", 0x00ff00},       {"magenta", 0xff00ff}, {"maroon", 0x800000},    {"navy", 0x000080},
    {"olive", 0x808000},      {"orange", 0xffa500},  {"pink", 0xffc0cb},      {"purple", 0x800080},
    {"red", 0xff0000},        {"silver", 0xc0c0c0},  {"skyblue", 0x87ceeb},   {"teal", 0x008080},
    {"violet", 0xee82ee},     {"white", 0xffffff},   {"yellow", 0xffff00},    {"yellowgreen", 0x9acd32},
};

std::string_view Trimmed(std::string_view s)
{
    auto isJunk = [](char c) { return c == '"' || c == '\'' || std::isspace(static_cast<unsigned char>(c)); };
    while (!s.empty() && isJunk(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isJunk(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string Hex(unsigned rgb)
{
    char sz[8];
    std::snprintf(sz, sizeof sz, "#%06x", rgb & 0xFFFFFFu);
    return sz;
}

bool AllHex(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

} // namespace

bool CHtmlColor::Parse(std::string_view sValue, std::string* pHex)
{
    std::string_view s = Trimmed(sValue);
    bool bHash = !s.empty() && s.front() == '#';
    if (bHash)
        s.remove_prefix(1);
    if (s.size() == 6 && AllHex(s)) {
        *pHex = Hex(static_cast<unsigned>(std::stoul(std::string(s), nullptr, 16)));
        return true;
    }
    if (bHash && s.size() == 3 && AllHex(s)) {
        unsigned rgb = static_cast<unsigned>(std::stoul(std::string(s), nullptr, 16));
        unsigned r = (rgb >> 8) & 0xF, g = (rgb >> 4) & 0xF, b = rgb & 0xF;
        *pHex = Hex((r * 0x11) << 16 | (g * 0x11) << 8 | b * 0x11);
        return true;
    }
    if (bHash || s.size() > 32)
        return false;
    std::string sName(s);
    std::transform(sName.begin(), sName.end(), sName.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    auto it = std::lower_bound(std::begin(kNamedColors), std::end(kNamedColors), sName,
                               [](const NAMEDCOLOR& color, const std::string& name) { return name > color.pszName; });
    if (it == std::end(kNamedColors) || sName != it->pszName)
        return false;
    *pHex = Hex(it->rgb);
    return true;
}
