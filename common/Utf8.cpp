#include "Utf8.h"

#include <cstring>

namespace {

bool IsContinuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Number of bytes a character starting with `lead` claims, 1 for bytes that
// cannot start a multi-byte character.
size_t SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

} // namespace

size_t Utf8CompleteLength(const char* psz, size_t cch)
{
    const auto* p = reinterpret_cast<const unsigned char*>(psz);
    // Step back over at most three continuation bytes to the last lead byte.
    size_t lead = cch;
    while (lead > 0 && cch - lead < 4 && IsContinuationByte(p[lead - 1]))
        --lead;
    if (lead == 0 || cch - lead == 4)
        return cch;
    --lead;
    return lead + SequenceLength(p[lead]) > cch ? lead : cch;
}

size_t Utf8PrefixLength(const char* psz, size_t cch, size_t cbMax)
{
    return cch <= cbMax ? cch : Utf8CompleteLength(psz, cbMax);
}

size_t CopyTextToField(const char* psz, char* pField, size_t cbField)
{
    if (cbField == 0)
        return 0;
    size_t cch = psz != nullptr ? std::strlen(psz) : 0;
    size_t cb = Utf8PrefixLength(psz, cch, cbField - 1);
    if (cb > 0)
        std::memcpy(pField, psz, cb);
    std::memset(pField + cb, 0, cbField - cb);
    return cb;
}
