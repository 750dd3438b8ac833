#include "winsys/StringTable.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTableTest, EnglishAndKoreanTexts)
{
    EXPECT_EQ(LoadResString(5053, QLocale::English), "Can not create open memory");
    EXPECT_EQ(LoadResString(5021, QLocale::English), "Can not read %s file");
    EXPECT_EQ(LoadResString(5057, QLocale::Korean), "재생 가능한 파일");
    EXPECT_EQ(LoadResString(5057, QLocale::French), "Playable Files");
    EXPECT_EQ(LoadResString(4999, QLocale::English), "");
}

TEST(StringTableTest, EveryTextHasATranslationWithTheSameInserts)
{
    int texts = 0;
    for (int id = 5000; id <= 5061; ++id) {
        std::string english = LoadResString(id, QLocale::English);
        std::string korean = LoadResString(id, QLocale::Korean);
        EXPECT_EQ(english.empty(), korean.empty()) << id;
        EXPECT_EQ(english.find("%s") != std::string::npos, korean.find("%s") != std::string::npos) << id;
        texts += english.empty() ? 0 : 1;
    }
    EXPECT_EQ(texts, 55);
}

} // namespace
