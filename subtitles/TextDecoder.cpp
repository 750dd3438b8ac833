#include "TextDecoder.h"

#include "common/Utf8.h"
#include "Iconv.h"
#include "Utf8Text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

// How much of the file the UTF-16 guess looks at.
constexpr size_t kUtf16Sample = 64 * 1024;

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

// UTF-16 to UTF-8; lone surrogates become U+FFFD, and an odd last byte (a
// file cut in the middle of a unit) is dropped. Returns the number of
// replacements made.
size_t DecodeUtf16(std::string_view sBytes, bool bBigEndian, std::string* pText)
{
    pText->clear();
    pText->reserve(sBytes.size() * 3 / 2);
    size_t cBad = 0;
    const size_t cUnits = sBytes.size() / 2;
    auto unit = [&](size_t i) {
        const auto hi = static_cast<unsigned char>(sBytes[2 * i + (bBigEndian ? 0 : 1)]);
        const auto lo = static_cast<unsigned char>(sBytes[2 * i + (bBigEndian ? 1 : 0)]);
        return static_cast<uint32_t>(hi << 8 | lo);
    };
    for (size_t i = 0; i < cUnits; ++i) {
        uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < cUnits && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
            ++cBad;
        }
        CUtf8Text::Append(cp == 0 ? 0xFFFD : cp, pText);
    }
    return cBad;
}

// 1 for little-endian UTF-16, 2 for big-endian, 0 when it does not look
// like UTF-16: subtitle text is mostly ASCII (times, digits, tags), whose
// high bytes are zero, while other text has almost no zero bytes.
int Utf16Order(std::string_view sBytes)
{
    std::string_view sample = sBytes.substr(0, kUtf16Sample & ~size_t{1});
    size_t cPairs = sample.size() / 2;
    if (cPairs < 2)
        return 0;
    size_t cZeroEven = 0;
    size_t cZeroOdd = 0;
    for (size_t i = 0; i + 1 < sample.size(); i += 2) {
        cZeroEven += sample[i] == '\0';
        cZeroOdd += sample[i + 1] == '\0';
    }
    if (cZeroOdd * 4 >= cPairs && cZeroEven * 64 <= cPairs)
        return 1;
    if (cZeroEven * 4 >= cPairs && cZeroOdd * 64 <= cPairs)
        return 2;
    return 0;
}

// Whether the bytes have CP949's structure, and how many of its double-byte
// characters are common Hangul syllables (KS X 1001: lead B0-C8, trail
// A1-FE) out of how many. A lead byte at the very end, a character the end
// of a cut file took half of, is left out of *psBytes.
bool Cp949Structure(std::string_view* psBytes, size_t* pcDouble, size_t* pcCommonHangul)
{
    std::string_view sBytes = *psBytes;
    *pcDouble = 0;
    *pcCommonHangul = 0;
    for (size_t i = 0; i < sBytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(sBytes[i]);
        if (lead < 0x80)
            continue;
        if (lead == 0x80 || lead == 0xFF)
            return false;
        if (i + 1 == sBytes.size()) {
            psBytes->remove_suffix(1);
            return true;
        }
        const auto trail = static_cast<unsigned char>(sBytes[++i]);
        bool bTrail = (trail >= 0x41 && trail <= 0x5A) || (trail >= 0x61 && trail <= 0x7A) ||
                      (trail >= 0x81 && trail <= 0xFE);
        if (!bTrail)
            return false;
        ++*pcDouble;
        *pcCommonHangul += lead >= 0xB0 && lead <= 0xC8 && trail >= 0xA1;
    }
    return true;
}

struct LANGUAGECODEPAGE {
    const char* pszLanguage;
    const char* pszCodePage;
};

// The legacy code pages of languages whose users still meet files in them;
// every other language gets CP1252.
constexpr LANGUAGECODEPAGE kCodePages[] = {
    {"ko", "CP949"},   {"ja", "CP932"},   {"zh_TW", "BIG5"}, {"zh_HK", "BIG5"},  {"zh", "GB18030"},
    {"ru", "CP1251"},  {"uk", "CP1251"},  {"be", "CP1251"},  {"bg", "CP1251"},   {"sr", "CP1251"},
    {"mk", "CP1251"},  {"pl", "CP1250"},  {"cs", "CP1250"},  {"sk", "CP1250"},   {"hu", "CP1250"},
    {"sl", "CP1250"},  {"hr", "CP1250"},  {"ro", "CP1250"},  {"el", "CP1253"},   {"tr", "CP1254"},
    {"he", "CP1255"},  {"ar", "CP1256"},  {"fa", "CP1256"},  {"lt", "CP1257"},   {"lv", "CP1257"},
    {"et", "CP1257"},  {"vi", "CP1258"},  {"th", "CP874"},
};

} // namespace

CTextDecoder::CTextDecoder(std::string sLocale) : m_sLocale(std::move(sLocale)) {}

std::string CTextDecoder::CurrentLocale()
{
    for (const char* pszName : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* pszValue = std::getenv(pszName);
        if (pszValue != nullptr && *pszValue != '\0')
            return pszValue;
    }
    return "C";
}

std::string CTextDecoder::Language() const
{
    std::string sLanguage;
    for (char c : m_sLocale) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            break;
        sLanguage += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return sLanguage == "c" || sLanguage == "posix" ? std::string() : sLanguage;
}

std::string CTextDecoder::LegacyCodePage() const
{
    size_t dot = m_sLocale.find('.');
    if (dot != std::string::npos) {
        std::string sCodeSet = m_sLocale.substr(dot + 1, m_sLocale.find('@') - dot - 1);
        std::string sUpper = sCodeSet;
        std::transform(sUpper.begin(), sUpper.end(), sUpper.begin(),
                       [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
        if (sUpper != "UTF-8" && sUpper != "UTF8" && !sUpper.empty())
            return sCodeSet;
    }
    std::string sLanguage = Language();
    if (sLanguage.empty())
        return std::string();
    for (const LANGUAGECODEPAGE& entry : kCodePages) {
        if (StartsWith(m_sLocale, entry.pszLanguage) || sLanguage == entry.pszLanguage)
            return entry.pszCodePage;
    }
    return "CP1252";
}

HRESULT CTextDecoder::Decode(std::string_view sBytes, std::string* pText, std::string* pEncoding) const
{
    if (_DecodeUnicode(sBytes, pText, pEncoding) || _DecodeLegacy(sBytes, pText, pEncoding))
        return S_OK;
    *pText = CUtf8Text::Repaired(sBytes);
    *pEncoding = "UTF-8";
    return S_FALSE;
}

bool CTextDecoder::_DecodeUnicode(std::string_view sBytes, std::string* pText, std::string* pEncoding) const
{
    if (StartsWith(sBytes, "\xEF\xBB\xBF")) {
        *pText = CUtf8Text::Repaired(sBytes.substr(3));
        *pEncoding = "UTF-8";
        return true;
    }
    if (StartsWith(sBytes, "\xFF\xFE") || StartsWith(sBytes, "\xFE\xFF")) {
        bool bBigEndian = sBytes[0] == '\xFE';
        DecodeUtf16(sBytes.substr(2), bBigEndian, pText);
        *pEncoding = bBigEndian ? "UTF-16BE" : "UTF-16LE";
        return true;
    }
    if (int order = Utf16Order(sBytes); order != 0) {
        bool bBigEndian = order == 2;
        if (DecodeUtf16(sBytes, bBigEndian, pText) == 0) {
            *pEncoding = bBigEndian ? "UTF-16BE" : "UTF-16LE";
            return true;
        }
    }
    // A character the end of a cut file halves is dropped.
    std::string_view sComplete = sBytes.substr(0, Utf8CompleteLength(sBytes.data(), sBytes.size()));
    if (CUtf8Text::IsValid(sComplete)) {
        pText->assign(sComplete);
        *pEncoding = "UTF-8";
        return true;
    }
    return false;
}

bool CTextDecoder::_DecodeLegacy(std::string_view sBytes, std::string* pText, std::string* pEncoding) const
{
    size_t cDouble = 0;
    size_t cCommonHangul = 0;
    std::string_view sWhole = sBytes;
    if (Cp949Structure(&sWhole, &cDouble, &cCommonHangul) && (IsKoreanLocale() || cCommonHangul * 2 >= cDouble) &&
        CIconv::ToUtf8("CP949", sWhole, pText)) {
        *pEncoding = "CP949";
        return true;
    }
    std::string sCodePage = LegacyCodePage();
    if (!sCodePage.empty() && sCodePage != "CP949" && CIconv::ToUtf8(sCodePage.c_str(), sBytes, pText)) {
        *pEncoding = sCodePage;
        return true;
    }
    return false;
}
