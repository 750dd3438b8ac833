// Options of one parse of the tolerant XML parser, and the record of the
// first syntax error it met.
#pragma once

#include <string>

// One row of the character-reference table: the character and its reference.
struct XEntity {
    char ch;
    const char* pszRef;
    size_t cchRef;
};

// The five references the parser knows, in the order they are tried.
extern const XEntity g_xmlEntities[5];

struct XParseOptions {
    bool bTrimValue = false;
    bool bEntityValue = true;
    const XEntity* pEntities = g_xmlEntities;
    char chEscape = '\\';
    bool bForceParse = false;

    // The first error of the parse only.
    bool bErrorOccurred = false;
    const char* pErrorPointer = nullptr;
    int nErrorCode = 0;
    std::string sErrorText;

    void SetError(const char* pPosition, int nCode, std::string sText);
};

constexpr int XML_ERROR_NOT_CLOSED_ALONE = 1;
constexpr int XML_ERROR_NOT_CLOSED = 2;
constexpr int XML_ERROR_NOT_NESTED = 3;
constexpr int XML_ERROR_ATTR_NO_VALUE = 4;
// Nesting deeper than the parser accepts (a guard against hostile input).
constexpr int XML_ERROR_TOO_DEEP = 5;
