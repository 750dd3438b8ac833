// Strict conversion of legacy-encoded text to UTF-8 through the C library's
// iconv.
#pragma once

#include <string>
#include <string_view>

class CIconv {
public:
    // Converts sInput from the encoding pszFrom (an iconv name, "CP949") to
    // UTF-8 into *pText. Returns false, with *pText cleared, when the
    // encoding is unknown or the input is not valid in it (a sequence that is
    // malformed, unassigned or cut short at the end).
    static bool ToUtf8(const char* pszFrom, std::string_view sInput, std::string* pText);
};
