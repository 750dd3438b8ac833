#include "TestMedia.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

std::string Head(const std::string& path, size_t cb)
{
    std::string head(cb, '\0');
    std::ifstream(path, std::ios::binary).read(head.data(), static_cast<std::streamsize>(cb));
    return head;
}

// The generated files start the way their containers do; the tests of the
// sources rely on that.
TEST(TestMediaTest, GeneratedFilesCarryTheirContainerSignatures)
{
    EXPECT_EQ(Head(TestMediaPath(TestMedia::Mp3WithId3), 3), "ID3");
    EXPECT_NE(Head(TestMediaPath(TestMedia::Mp3), 3), "ID3");
    EXPECT_EQ(Head(TestMediaPath(TestMedia::Avi), 4), "RIFF");
    EXPECT_EQ(Head(TestMediaPath(TestMedia::MpegProgram), 4), std::string("\x00\x00\x01\xBA", 4));
    EXPECT_EQ(Head(TestMediaPath(TestMedia::Wmv), 4), std::string("\x30\x26\xB2\x75", 4));
    std::string big = TestMediaPath(TestMedia::Mp3WithBigId3);
    std::string header = Head(big, 10);
    const auto* size = reinterpret_cast<const unsigned char*>(header.data() + 6);
    size_t tagSize = (size_t{size[0]} << 21) | (size_t{size[1]} << 14) | (size_t{size[2]} << 7) | size[3];
    EXPECT_GT(tagSize, 8192u);
    EXPECT_EQ(std::filesystem::file_size(TruncatedCopy(big, 100)), 100u);
}

// A file asked for again under the same name and arguments is the one made
// before; other arguments under that name make a file of their own, and the
// copies of one file with other cuts or damage differ too. The media folder
// may be shared by every test process of a run, so no file may stand in for
// another.
TEST(TestMediaTest, EachNameAndArgumentsHaveTheirOwnFile)
{
    const std::string tone = "-f lavfi -i sine=frequency=440:duration=1 -c:a pcm_s16le -f wav";
    const std::string longer = "-f lavfi -i sine=frequency=440:duration=2 -c:a pcm_s16le -f wav";
    const std::string first = MadeMedia("tone.wav", tone);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(MadeMedia("tone.wav", tone), first);
    const std::string second = MadeMedia("tone.wav", longer);
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, first);
    EXPECT_GT(std::filesystem::file_size(second), std::filesystem::file_size(first));
    EXPECT_EQ(std::filesystem::path(first).extension(), ".wav");
    EXPECT_NE(TruncatedCopy(first, 100), TruncatedCopy(first, 200));
    EXPECT_EQ(std::filesystem::file_size(TruncatedCopy(first, 100)), 100u);
    EXPECT_EQ(Head(CorruptedCopy(first, 0, 4), 4), Head(CorruptedCopy(first, 0, 4), 4));
    EXPECT_NE(Head(CorruptedCopy(first, 0, 4), 4), "RIFF");
}

} // namespace
