#include "XParseOptions.h"

const XEntity g_xmlEntities[5] = {
    {'&', "&amp;", 5}, {'"', "&quot;", 6}, {'\'', "&apos;", 6}, {'<', "&lt;", 4}, {'>', "&gt;", 4},
};

void XParseOptions::SetError(const char* pPosition, int nCode, std::string sText)
{
    if (bErrorOccurred)
        return;
    bErrorOccurred = true;
    pErrorPointer = pPosition;
    nErrorCode = nCode;
    sErrorText = std::move(sText);
}
