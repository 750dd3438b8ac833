#include "SubtitleTestSupport.h"
#include "subtitles/TextDecoder.h"

#include <gtest/gtest.h>

namespace {

// "안녕하세요, 세계" and a line of German, as UTF-8.
const std::string kKorean = "\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94, \xEC\x84\xB8\xEA\xB3\x84";
const std::string kGerman = "Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln";

struct DECODED {
    HRESULT hr;
    std::string sText;
    std::string sEncoding;
};

DECODED Decode(const std::string& sBytes, const char* pszLocale)
{
    DECODED decoded;
    decoded.hr = CTextDecoder(pszLocale).Decode(sBytes, &decoded.sText, &decoded.sEncoding);
    return decoded;
}

std::string Srt(const std::string& sText)
{
    return "1\r\n00:00:01,000 --> 00:00:04,000\r\n" + sText + "\r\n";
}

TEST(TextDecoder, ReadsByteOrderMarks)
{
    DECODED utf8 = Decode("\xEF\xBB\xBF" + kKorean, "C");
    EXPECT_EQ(utf8.sText, kKorean);
    EXPECT_EQ(utf8.sEncoding, "UTF-8");
    DECODED le = Decode("\xFF\xFE" + Encoded(Srt(kKorean), "UTF-16LE"), "ko_KR.UTF-8");
    EXPECT_EQ(le.sText, Srt(kKorean));
    EXPECT_EQ(le.sEncoding, "UTF-16LE");
    DECODED be = Decode("\xFE\xFF" + Encoded(kKorean + " \xF0\x9F\x98\x80", "UTF-16BE"), "C");
    EXPECT_EQ(be.sText, kKorean + " \xF0\x9F\x98\x80");
    EXPECT_EQ(be.sEncoding, "UTF-16BE");
}

TEST(TextDecoder, TellsUtf16WithoutAMarkByItsZeroBytes)
{
    DECODED le = Decode(Encoded(Srt(kKorean), "UTF-16LE"), "en_US.UTF-8");
    EXPECT_EQ(le.sEncoding, "UTF-16LE");
    EXPECT_EQ(le.sText, Srt(kKorean));
    DECODED be = Decode(Encoded(Srt(kGerman), "UTF-16BE"), "en_US.UTF-8");
    EXPECT_EQ(be.sEncoding, "UTF-16BE");
    EXPECT_EQ(be.sText, Srt(kGerman));
}

TEST(TextDecoder, ReplacesBrokenUtf16InsteadOfGuessing)
{
    // A lone high surrogate, and an odd last byte of a cut file, after a mark.
    DECODED decoded = Decode(std::string("\xFF\xFE" "a\0\x00\xD8" "b\0c", 9), "C");
    EXPECT_EQ(decoded.sEncoding, "UTF-16LE");
    EXPECT_EQ(decoded.sText, "a\xEF\xBF\xBD" "b");
}

TEST(TextDecoder, TakesValidUtf8AsItIsInAnyLocale)
{
    for (const char* pszLocale : {"ko_KR.UTF-8", "ko_KR.EUC-KR", "de_DE.UTF-8", "C"}) {
        DECODED decoded = Decode(Srt(kKorean + " " + kGerman), pszLocale);
        EXPECT_EQ(decoded.hr, S_OK) << pszLocale;
        EXPECT_EQ(decoded.sEncoding, "UTF-8") << pszLocale;
        EXPECT_EQ(decoded.sText, Srt(kKorean + " " + kGerman)) << pszLocale;
    }
}

TEST(TextDecoder, TakesCp949FirstInAKoreanLocale)
{
    // With a syllable that CP949 has beyond EUC-KR's 2350.
    const std::string sText = Srt(kKorean + " \xEC\x90\x88");
    DECODED decoded = Decode(Encoded(sText, "CP949"), "ko_KR.UTF-8");
    EXPECT_EQ(decoded.sEncoding, "CP949");
    EXPECT_EQ(decoded.sText, sText);
}

TEST(TextDecoder, TakesACp949FileCutInTheMiddleOfACharacter)
{
    const std::string sCut = Encoded(kKorean, "CP949");
    DECODED decoded = Decode(sCut.substr(0, sCut.size() - 1), "ko_KR.UTF-8");
    EXPECT_EQ(decoded.hr, S_OK);
    EXPECT_EQ(decoded.sEncoding, "CP949");
    // The last syllable, cut in half, is left out.
    EXPECT_EQ(decoded.sText, kKorean.substr(0, kKorean.size() - 3));
}

TEST(TextDecoder, TakesUtf8AndUtf16FilesCutInTheMiddleOfACharacter)
{
    const std::string sText = Srt(kKorean);
    for (const char* pszLocale : {"ko_KR.UTF-8", "C"}) {
        DECODED utf8 = Decode(sText + "\xEC\x95", pszLocale);
        EXPECT_EQ(utf8.hr, S_OK) << pszLocale;
        EXPECT_EQ(utf8.sEncoding, "UTF-8") << pszLocale;
        EXPECT_EQ(utf8.sText, sText) << pszLocale;
        DECODED utf16 = Decode(Encoded(sText, "UTF-16LE") + "\x55", pszLocale);
        EXPECT_EQ(utf16.sEncoding, "UTF-16LE") << pszLocale;
        EXPECT_EQ(utf16.sText, sText) << pszLocale;
    }
}

TEST(TextDecoder, TakesCp949ElsewhereWhenHangulDecodesCleanly)
{
    DECODED decoded = Decode(Encoded(Srt(kKorean), "CP949"), "en_US.UTF-8");
    EXPECT_EQ(decoded.sEncoding, "CP949");
    EXPECT_EQ(decoded.sText, Srt(kKorean));
}

TEST(TextDecoder, FallsBackToTheLocalesCodePageWhenCp949DoesNotFit)
{
    const std::string sBytes = Encoded(Srt(kGerman), "CP1252");
    DECODED german = Decode(sBytes, "de_DE.UTF-8");
    EXPECT_EQ(german.sEncoding, "CP1252");
    EXPECT_EQ(german.sText, Srt(kGerman));
    // In a Korean locale the same bytes are no valid CP949 either, and no
    // other code page is guessed: the bytes that do not fit show as U+FFFD.
    DECODED korean = Decode(sBytes, "ko_KR.UTF-8");
    EXPECT_EQ(korean.hr, S_FALSE);
    EXPECT_EQ(korean.sEncoding, "UTF-8");
    EXPECT_NE(korean.sText.find("Gr\xEF\xBF\xBD\xEF\xBF\xBD" "e aus K\xEF\xBF\xBDln"), std::string::npos);
    // Cyrillic from a Russian locale's code page.
    const std::string sRussian = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    DECODED russian = Decode(Encoded(sRussian, "CP1251"), "ru_RU.UTF-8");
    EXPECT_EQ(russian.sEncoding, "CP1251");
    EXPECT_EQ(russian.sText, sRussian);
}

TEST(TextDecoder, NeverTakesAGuessTheBytesAreNotValidIn)
{
    // 0x80 and 0xFF are not CP949, and the C locale has no code page.
    DECODED decoded = Decode("ok \x80\xFF end", "C");
    EXPECT_EQ(decoded.hr, S_FALSE);
    EXPECT_EQ(decoded.sText, "ok \xEF\xBF\xBD\xEF\xBF\xBD end");
    DECODED empty = Decode("", "ko_KR.UTF-8");
    EXPECT_EQ(empty.hr, S_OK);
    EXPECT_EQ(empty.sText, "");
}

TEST(TextDecoder, ReadsTheLocale)
{
    EXPECT_EQ(CTextDecoder("ko_KR.UTF-8").Language(), "ko");
    EXPECT_TRUE(CTextDecoder("ko_KR.UTF-8").IsKoreanLocale());
    EXPECT_FALSE(CTextDecoder("C.UTF-8").IsKoreanLocale());
    EXPECT_EQ(CTextDecoder("ko_KR.UTF-8").LegacyCodePage(), "CP949");
    EXPECT_EQ(CTextDecoder("ko_KR.eucKR").LegacyCodePage(), "eucKR");
    EXPECT_EQ(CTextDecoder("zh_TW.UTF-8").LegacyCodePage(), "BIG5");
    EXPECT_EQ(CTextDecoder("zh_CN.UTF-8").LegacyCodePage(), "GB18030");
    EXPECT_EQ(CTextDecoder("de_DE@euro").LegacyCodePage(), "CP1252");
    EXPECT_EQ(CTextDecoder("POSIX").LegacyCodePage(), "");
    EXPECT_EQ(CTextDecoder("C").Language(), "");
}

} // namespace
