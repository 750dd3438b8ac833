// UTF-8 checks and repairs for decoded subtitle text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CUtf8Text {
public:
    // Whether s is well-formed UTF-8 (no overlong forms, no surrogates).
    static bool IsValid(std::string_view s);
    // s with every byte that is not part of a well-formed character replaced
    // by U+FFFD.
    static std::string Repaired(std::string_view s);
    // Appends a code point; U+0000, surrogates and values past U+10FFFF
    // become U+FFFD.
    static void Append(uint32_t codePoint, std::string* pText);
    // Decodes the character at *pi and moves past it; a malformed one gives
    // U+FFFD and moves one byte.
    static uint32_t Next(std::string_view s, size_t* pi);
};
