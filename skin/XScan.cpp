#include "XScan.h"

#include <cstring>

namespace xscan {

namespace {

char LowerAscii(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

std::string RemoveEscapes(const std::string& s, char chEscape)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == chEscape) {
            if (++i == s.size())
                break;
        }
        out += s[i];
    }
    return out;
}

std::string ConvertReferences(const std::string& s, const XEntity* pEntities)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const XEntity* match = nullptr;
        for (size_t row = 0; row < 5 && match == nullptr; ++row) {
            if (s.compare(i, pEntities[row].cchRef, pEntities[row].pszRef) == 0)
                match = &pEntities[row];
        }
        if (match != nullptr) {
            out += match->ch;
            i += match->cchRef;
        } else {
            out += s[i++];
        }
    }
    return out;
}

} // namespace

bool IsSpace(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

char* SkipSpace(char* p)
{
    while (IsSpace(*p))
        ++p;
    return p;
}

bool StartsWithNoCase(const char* p, const char* pszPrefix)
{
    for (; *pszPrefix != '\0'; ++p, ++pszPrefix) {
        if (*p == '\0' || LowerAscii(*p) != LowerAscii(*pszPrefix))
            return false;
    }
    return true;
}

char* FindNoCase(char* p, const char* pszMarker)
{
    for (; *p != '\0'; ++p) {
        if (StartsWithNoCase(p, pszMarker))
            return p;
    }
    return nullptr;
}

char* FindAny(char* p, const char* pszSet)
{
    return std::strpbrk(p, pszSet);
}

char* FindUnescaped(char* p, char ch, char chEscape)
{
    for (; *p != '\0'; ++p) {
        if (chEscape != '\0' && *p == chEscape) {
            if (p[1] == '\0')
                return p + 1;
            ++p;
        } else if (*p == ch) {
            return p;
        }
    }
    return p;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string ToLowerAscii(std::string s)
{
    for (char& ch : s)
        ch = LowerAscii(ch);
    return s;
}

void TakeString(char* begin, char* end, std::string* target, bool bTrim, char chEscape,
                const XEntity* pEntities)
{
    for (char* p = begin; p < end; ++p) {
        if (*p == '\t')
            *p = ' ';
    }
    if (bTrim) {
        while (begin < end && IsSpace(*begin))
            ++begin;
        while (end > begin && IsSpace(end[-1]))
            --end;
    }
    if (begin >= end)
        return;
    std::string s(begin, end);
    if (chEscape != '\0')
        s = RemoveEscapes(s, chEscape);
    if (pEntities != nullptr)
        s = ConvertReferences(s, pEntities);
    *target = std::move(s);
}

} // namespace xscan
