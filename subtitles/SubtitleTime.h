// Clock times of subtitle files ("01:02:03,456", "02:03.456", "1:02:03.45")
// in reference time.
#pragma once

#include "common/ComTypes.h"

#include <string_view>

class CSubtitleTime {
public:
    // The largest time accepted: 100 000 hours.
    static constexpr LONGLONG kMaxTime = 100000LL * 3600 * 10000000;

    // Reads [hours:]minutes:seconds[(.|,)fraction] from the start of s
    // (white space before it is skipped), sets *prt and returns the number
    // of bytes read, or 0 when s does not start with a time. Fields of more
    // than nine digits and times past kMaxTime are refused.
    static size_t Parse(std::string_view s, LONGLONG* prt);

    // A time from milliseconds, clamped to [0, kMaxTime] (negative: -1).
    static LONGLONG FromMilliseconds(long long ms);
};
