// Byte scans over a NUL-terminated, UTF-8 text for the XML parser. Every
// scan stops at the terminating NUL, and every byte it looks for is ASCII,
// which never occurs inside a multi-byte UTF-8 character.
#pragma once

#include "XParseOptions.h"

#include <string>

namespace xscan {

bool IsSpace(char ch);
char* SkipSpace(char* p);
// Whether `p` begins with `pszPrefix`, ASCII letters compared ignoring case.
bool StartsWithNoCase(const char* p, const char* pszPrefix);
// The first occurrence of `pszMarker` (ignoring ASCII case) at or after `p`,
// or null.
char* FindNoCase(char* p, const char* pszMarker);
// The first byte of `pszSet` at or after `p`, or null.
char* FindAny(char* p, const char* pszSet);
// The first `ch` at or after `p` that is not preceded by the escape
// character `chEscape` (0 for none); the end of the text when there is none.
char* FindUnescaped(char* p, char ch, char chEscape);
// Compares two texts ignoring ASCII case.
bool EqualNoCase(const std::string& a, const std::string& b);
std::string ToLowerAscii(std::string s);

// Takes [begin, end) into `target`: TABs become spaces in the text itself,
// then trimming, escapes and references apply as asked. An empty result
// leaves `target` as it was.
void TakeString(char* begin, char* end, std::string* target, bool bTrim, char chEscape,
                const XEntity* pEntities);

} // namespace xscan
