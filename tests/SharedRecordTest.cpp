#include "instance/SharedPlayerRecord.h"
#include "common/Utf8.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

std::string Copied(const std::string& text, size_t cbField)
{
    std::vector<char> field(cbField, 'x');
    size_t cb = CopyTextToField(text.c_str(), field.data(), field.size());
    EXPECT_EQ(std::strlen(field.data()), cb);
    for (size_t i = cb; i < cbField; ++i)
        EXPECT_EQ(field[i], '\0') << i;
    return std::string(field.data(), cb);
}

TEST(SharedRecordTest, ArgumentsLongerThanTheirFieldAreCut)
{
    EXPECT_EQ(Copied(std::string(4095, 'a'), kRecordFileSize).size(), 4095u);
    EXPECT_EQ(Copied(std::string(4096, 'a'), kRecordFileSize).size(), 4095u);
    EXPECT_EQ(Copied(std::string(5000, 'a'), kRecordFileSize).size(), 4095u);
    EXPECT_EQ(Copied(std::string(127, 'b'), kRecordArgumentSize).size(), 127u);
    EXPECT_EQ(Copied(std::string(200, 'b'), kRecordArgumentSize).size(), 127u);
    EXPECT_EQ(Copied("", kRecordArgumentSize), "");
}

TEST(SharedRecordTest, CutsNeverSplitACharacter)
{
    // "한" is three bytes: with 125 bytes before it only 127 fit.
    std::string text = std::string(125, 'c') + "한" + "d";
    EXPECT_EQ(Copied(text, kRecordArgumentSize), std::string(125, 'c'));
    std::string fits = std::string(124, 'c') + "한";
    EXPECT_EQ(Copied(fits + "d", kRecordArgumentSize), fits);
    // Four-byte characters and bytes that are not UTF-8 at all.
    EXPECT_EQ(Utf8PrefixLength("ab\xF0\x9F\x8E\xB5", 6, 5), 2u);
    EXPECT_EQ(Utf8PrefixLength("\x80\x80\x80\x80\x80", 5, 3), 3u);
    EXPECT_EQ(Utf8PrefixLength("\xFF\xFF\xFF", 3, 2), 2u);
}

TEST(SharedRecordTest, AGarbageRecordReadsWithinItsFields)
{
    SharedPlayerRecord record;
    std::memset(&record, 0xFF, sizeof record);
    EXPECT_EQ(ReadRecordWindow(record), 0xFFFFFFFFu);
    EXPECT_EQ(ReadRecordText(record.file, sizeof record.file), std::string(4095, '\xFF'));
    EXPECT_EQ(ReadRecordText(record.secondArgument, sizeof record.secondArgument), std::string(127, '\xFF'));
    std::strcpy(record.file, "clip.avi");
    EXPECT_EQ(ReadRecordText(record.file, sizeof record.file), "clip.avi");
}

} // namespace
