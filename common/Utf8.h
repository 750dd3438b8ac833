// Cutting UTF-8 text to a byte budget without splitting a character.
#pragma once

#include <cstddef>

// Returns the largest length <= cbMax at which `psz` (of length cch) can be
// cut so that no multi-byte character is split. Bytes that are not valid
// UTF-8 count as single characters.
size_t Utf8PrefixLength(const char* psz, size_t cch, size_t cbMax);

// The length of `psz` (of length cch) without a multi-byte character that
// the end cuts short.
size_t Utf8CompleteLength(const char* psz, size_t cch);

// Copies `psz` into `pField` of `cbField` bytes, cut at a character boundary
// so that the field always holds a zero-terminated text; the rest of the field
// is zero-filled. Returns the number of text bytes copied.
size_t CopyTextToField(const char* psz, char* pField, size_t cbField);
