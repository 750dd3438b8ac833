// Finds the encoding of a subtitle file and decodes it to UTF-8. In order:
// a byte-order mark (UTF-8, UTF-16 LE/BE); UTF-16 without a mark, told by
// where its zero bytes fall; valid UTF-8; CP949 (a superset of EUC-KR) when
// the bytes have its structure and convert cleanly, taken at once when the
// locale is Korean and otherwise only when most double-byte characters are
// common Hangul syllables (a character that the end of a cut file halves is
// dropped); then the legacy code page of the locale. A guess
// is used only when the whole file is valid in it, so text is never shown
// in the wrong encoding; when nothing fits, the text is read as UTF-8 with
// U+FFFD in place of the bytes that do not fit.
#pragma once

#include "common/ComTypes.h"

#include <string>
#include <string_view>

class CTextDecoder {
public:
    // sLocale as the environment writes it ("ko_KR.UTF-8", "de_DE@euro", "C").
    explicit CTextDecoder(std::string sLocale);

    // The locale of the text: LC_ALL, LC_CTYPE or LANG, the first set.
    static std::string CurrentLocale();

    // The language of the locale in lower case ("ko"), empty for C/POSIX.
    std::string Language() const;
    bool IsKoreanLocale() const { return Language() == "ko"; }
    // The locale's legacy code page (iconv name): the code set the locale
    // names when it is not UTF-8, else the one of its language ("CP949" for
    // Korean, "CP1252" for western Europe); empty for C/POSIX.
    std::string LegacyCodePage() const;

    // Decodes sBytes into *pText and names the encoding taken in *pEncoding
    // ("UTF-8", "UTF-16LE", "CP949", …). Returns S_OK, or S_FALSE when
    // nothing fitted and replacement characters were put in.
    HRESULT Decode(std::string_view sBytes, std::string* pText, std::string* pEncoding) const;

private:
    bool _DecodeUnicode(std::string_view sBytes, std::string* pText, std::string* pEncoding) const;
    bool _DecodeLegacy(std::string_view sBytes, std::string* pText, std::string* pEncoding) const;

    std::string m_sLocale;
};
