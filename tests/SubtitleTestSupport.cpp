#include "SubtitleTestSupport.h"

#include <cstring>
#include <glib.h>
#include <iconv.h>
#include <stdexcept>

namespace {

void StartElement(GMarkupParseContext*, const gchar* pszName, const gchar** ppszNames, const gchar** ppszValues,
                  gpointer pData, GError** ppError)
{
    auto* pbOk = static_cast<bool*>(pData);
    bool bKnown = std::strcmp(pszName, "markup") == 0 || std::strcmp(pszName, "b") == 0 ||
                  std::strcmp(pszName, "i") == 0 || std::strcmp(pszName, "u") == 0;
    if (std::strcmp(pszName, "span") == 0) {
        bKnown = ppszNames[0] != nullptr && std::strcmp(ppszNames[0], "foreground") == 0 && ppszNames[1] == nullptr &&
                 std::strlen(ppszValues[0]) == 7 && ppszValues[0][0] == '#';
    }
    if (!bKnown) {
        *pbOk = false;
        g_set_error(ppError, G_MARKUP_ERROR, G_MARKUP_ERROR_UNKNOWN_ELEMENT, "unexpected element %s", pszName);
    }
}

} // namespace

bool IsOverlayMarkup(const std::string& sMarkup)
{
    GMarkupParser parser{};
    parser.start_element = StartElement;
    bool bOk = true;
    GMarkupParseContext* pContext = g_markup_parse_context_new(&parser, GMarkupParseFlags(0), &bOk, nullptr);
    std::string sDocument = "<markup>" + sMarkup + "</markup>";
    GError* pError = nullptr;
    bOk = g_markup_parse_context_parse(pContext, sDocument.data(), static_cast<gssize>(sDocument.size()), &pError) &&
          g_markup_parse_context_end_parse(pContext, &pError) && bOk;
    g_clear_error(&pError);
    g_markup_parse_context_free(pContext);
    return bOk;
}

std::string Encoded(const std::string& sUtf8, const char* pszEncoding)
{
    iconv_t cd = iconv_open(pszEncoding, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no iconv conversion");
    std::string sOut(sUtf8.size() * 4 + 8, '\0');
    char* pIn = const_cast<char*>(sUtf8.data());
    size_t cbIn = sUtf8.size();
    char* pOut = sOut.data();
    size_t cbOut = sOut.size();
    size_t result = iconv(cd, &pIn, &cbIn, &pOut, &cbOut);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1))
        throw std::runtime_error("text not representable");
    sOut.resize(sOut.size() - cbOut);
    return sOut;
}
