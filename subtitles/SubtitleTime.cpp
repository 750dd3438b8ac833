#include "SubtitleTime.h"

#include "SubtitleTypes.h"

#include <vector>

namespace {

constexpr size_t kMaxDigits = 9;

// Reads up to kMaxDigits digits at *pi; false when there are none or more.
bool Digits(std::string_view s, size_t* pi, long long* pValue, size_t* pcDigits)
{
    size_t start = *pi;
    long long value = 0;
    while (*pi < s.size() && s[*pi] >= '0' && s[*pi] <= '9') {
        if (*pi - start == kMaxDigits)
            return false;
        value = value * 10 + (s[*pi] - '0');
        ++*pi;
    }
    *pValue = value;
    *pcDigits = *pi - start;
    return *pcDigits > 0;
}

} // namespace

size_t CSubtitleTime::Parse(std::string_view s, LONGLONG* prt)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    std::vector<long long> fields;
    long long value = 0;
    size_t cDigits = 0;
    while (fields.size() < 3) {
        if (!Digits(s, &i, &value, &cDigits))
            return 0;
        fields.push_back(value);
        if (i >= s.size() || s[i] != ':' || fields.size() == 3)
            break;
        ++i;
    }
    if (fields.size() < 2)
        return 0;
    LONGLONG rt = 0;
    for (long long field : fields)
        rt = rt * 60 + field;
    if (rt > kMaxTime / kSubtitleUnitsPerSecond)
        return 0;
    rt *= kSubtitleUnitsPerSecond;
    if (i + 1 < s.size() && (s[i] == '.' || s[i] == ',') && s[i + 1] >= '0' && s[i + 1] <= '9') {
        ++i;
        if (!Digits(s, &i, &value, &cDigits))
            return 0;
        // Scale the fraction to 100-ns units (seven digits).
        for (size_t k = cDigits; k < 7; ++k)
            value *= 10;
        for (size_t k = 7; k < cDigits; ++k)
            value /= 10;
        rt += value;
    }
    *prt = rt;
    return i;
}

LONGLONG CSubtitleTime::FromMilliseconds(long long ms)
{
    if (ms < 0)
        return -1;
    if (ms > kMaxTime / kSubtitleUnitsPerMs)
        return kMaxTime;
    return ms * kSubtitleUnitsPerMs;
}
