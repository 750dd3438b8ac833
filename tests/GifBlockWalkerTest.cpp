#include "GifBuilder.h"
#include "controls/GifBlockWalker.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// The header and the four-colour global table of the builder.
constexpr size_t kFirstBlock = 13 + 12;

const uint8_t* Bytes(const std::string& data)
{
    return reinterpret_cast<const uint8_t*>(data.data());
}

std::vector<GifFrameInfo> Frames(const std::string& data)
{
    CGifBlockWalker walker(Bytes(data), data.size());
    std::vector<GifFrameInfo> frames;
    if (!walker.ReadHeader())
        return frames;
    GifFrameInfo frame;
    while (walker.NextFrame(frame))
        frames.push_back(frame);
    return frames;
}

size_t CountFrames(const std::string& data)
{
    CGifBlockWalker walker(Bytes(data), data.size());
    return walker.ReadHeader() ? walker.CountFrames() : 0;
}

// Three frames: one plain, one behind a graphic control extension, one behind
// a control extension and a comment.
std::string ThreeFrames()
{
    return CGifBuilder(8, 6)
        .Application()
        .Image(0, 0, 8, 6, kGifRed)
        .Control(25, 2)
        .Image(1, 2, 3, 4, kGifGreen)
        .Control(7, 3)
        .Comment("between")
        .Image(4, 1, 2, 2, kGifBlue)
        .Trailer()
        .Data();
}

TEST(GifBlockWalkerTest, HeaderGivesTheLogicalScreenAndTheGlobalColourTable)
{
    std::string gif = CGifBuilder(300, 513).Trailer().Data();
    CGifBlockWalker walker(Bytes(gif), gif.size());
    ASSERT_TRUE(walker.ReadHeader());
    EXPECT_EQ(walker.ScreenWidth(), 300);
    EXPECT_EQ(walker.ScreenHeight(), 513);
    EXPECT_EQ(walker.GlobalColorTableSize(), 12u);
    EXPECT_EQ(walker.Offset(), kFirstBlock);
    EXPECT_EQ(walker.BlockKind(), GifBlock::Trailer);

    std::string bare = CGifBuilder::WithoutColourTable(2, 2).Trailer().Data();
    CGifBlockWalker bareWalker(Bytes(bare), bare.size());
    ASSERT_TRUE(bareWalker.ReadHeader());
    EXPECT_EQ(bareWalker.GlobalColorTableSize(), 0u);
    EXPECT_EQ(bareWalker.Offset(), 13u);

    // The largest table the packed byte can announce is 256 colours.
    std::string big = gif;
    big[10] = static_cast<char>(0x87);
    CGifBlockWalker bigWalker(Bytes(big), big.size());
    ASSERT_TRUE(bigWalker.ReadHeader());
    EXPECT_EQ(bigWalker.GlobalColorTableSize(), 768u);
    EXPECT_EQ(bigWalker.Offset(), big.size()) << "a table past the end leaves nothing to walk";
    EXPECT_EQ(bigWalker.BlockKind(), GifBlock::Unknown);

    std::string shortData = gif.substr(0, 12);
    CGifBlockWalker shortWalker(Bytes(shortData), shortData.size());
    EXPECT_FALSE(shortWalker.ReadHeader());
}

TEST(GifBlockWalkerTest, IsGifLooksAtTheSignatureOnly)
{
    EXPECT_TRUE(CGifBlockWalker::IsGif(Bytes("GIF"), 3));
    EXPECT_TRUE(CGifBlockWalker::IsGif(Bytes("GIF12z"), 6));
    EXPECT_FALSE(CGifBlockWalker::IsGif(Bytes("GI"), 2));
    EXPECT_FALSE(CGifBlockWalker::IsGif(Bytes("BM\x36\x00"), 4));
}

TEST(GifBlockWalkerTest, EveryBlockKindHasItsLength)
{
    std::string gif = CGifBuilder(4, 4)
                          .Application()
                          .Comment(std::string(300, 'c'))
                          .Control(10, 1)
                          .PlainText("hello")
                          .Image(0, 0, 4, 4, std::vector<uint8_t>(16, kGifRed), true)
                          .Trailer()
                          .Data();
    // The LZW data of 16 pixels: two 3-bit codes each and the end code.
    const size_t cbLzw = (16 * 2 * 3 + 3 + 7) / 8;
    const std::vector<std::pair<GifBlock, size_t>> expected = {
        {GifBlock::Application, 14 + 4 + 1},
        {GifBlock::Comment, 2 + (1 + 255) + (1 + 45) + 1},
        {GifBlock::GraphicControl, 8},
        {GifBlock::PlainText, 15 + 6 + 1},
        {GifBlock::Image, 10 + 12 + 1 + (1 + cbLzw) + 1},
        {GifBlock::Trailer, 1},
    };
    CGifBlockWalker walker(Bytes(gif), gif.size());
    ASSERT_TRUE(walker.ReadHeader());
    for (const auto& [kind, length] : expected) {
        EXPECT_EQ(walker.BlockKind(), kind);
        EXPECT_EQ(walker.BlockLength(), length);
        ASSERT_TRUE(walker.SkipBlock());
    }
    EXPECT_EQ(walker.Offset(), gif.size());
    EXPECT_EQ(walker.BlockKind(), GifBlock::Unknown);
    EXPECT_FALSE(walker.SkipBlock());
}

TEST(GifBlockWalkerTest, UnrecognisedBlocksCannotBeSkipped)
{
    for (const std::string& block : {std::string("\x21\x99\x00", 3), std::string(1, '\0'), std::string("X"),
                                     std::string("\x21")}) {
        std::string gif = CGifBuilder(2, 2).Raw(block).Trailer().Data();
        CGifBlockWalker walker(Bytes(gif), gif.size());
        ASSERT_TRUE(walker.ReadHeader());
        EXPECT_EQ(walker.BlockKind(), GifBlock::Unknown);
        EXPECT_EQ(walker.BlockLength(), 0u);
        EXPECT_FALSE(walker.SkipBlock());
        EXPECT_EQ(walker.Offset(), kFirstBlock);
    }
}

TEST(GifBlockWalkerTest, FramesCarryTheirControlExtensionAndImageDescriptor)
{
    std::string gif = ThreeFrames();
    std::vector<GifFrameInfo> frames = Frames(gif);
    ASSERT_EQ(frames.size(), 3u);

    EXPECT_EQ(frames[0].delay, kGifNoDelay);
    EXPECT_EQ(frames[0].disposal, 0);
    EXPECT_EQ(gif[frames[0].offset], ',') << "without a control extension the frame is its image alone";
    EXPECT_EQ(frames[0].width, 8);
    EXPECT_EQ(frames[0].height, 6);

    EXPECT_EQ(frames[1].delay, 25u);
    EXPECT_EQ(frames[1].disposal, 2);
    EXPECT_EQ(gif.substr(frames[1].offset, 3), "\x21\xF9\x04");
    EXPECT_EQ(frames[1].offset, frames[0].offset + frames[0].length);
    EXPECT_EQ((std::vector<int>{frames[1].left, frames[1].top, frames[1].width, frames[1].height}),
              (std::vector<int>{1, 2, 3, 4}));

    EXPECT_EQ(frames[2].delay, 7u);
    EXPECT_EQ(frames[2].disposal, 3);
    EXPECT_NE(gif.substr(frames[2].offset, frames[2].length).find("between"), std::string::npos)
        << "blocks between the control extension and the image belong to the frame";
    EXPECT_EQ(frames[2].offset + frames[2].length, gif.size() - 1) << "the frame ends before the trailer";
    EXPECT_EQ(CountFrames(gif), 3u);
}

TEST(GifBlockWalkerTest, StandaloneGifIsTheHeaderTheFrameAndATrailer)
{
    std::string gif = ThreeFrames();
    CGifBlockWalker walker(Bytes(gif), gif.size());
    ASSERT_TRUE(walker.ReadHeader());
    GifFrameInfo frame;
    ASSERT_TRUE(walker.NextFrame(frame));
    ASSERT_TRUE(walker.NextFrame(frame));
    std::vector<uint8_t> standalone = walker.StandaloneGif(frame);
    std::string expected = gif.substr(0, kFirstBlock) + gif.substr(frame.offset, frame.length) + ";";
    EXPECT_EQ(std::string(standalone.begin(), standalone.end()), expected);
}

TEST(GifBlockWalkerTest, PlainTextFramesCoverTheLogicalScreen)
{
    std::string gif = CGifBuilder(40, 30).Image(1, 1, 2, 2, kGifRed).Control(5, 1).PlainText("text").Trailer().Data();
    std::vector<GifFrameInfo> frames = Frames(gif);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ((std::vector<int>{frames[1].left, frames[1].top, frames[1].width, frames[1].height}),
              (std::vector<int>{0, 0, 40, 30}));
    EXPECT_EQ(frames[1].delay, 5u);
}

TEST(GifBlockWalkerTest, DataWithoutFramesCountsNone)
{
    EXPECT_EQ(CountFrames(CGifBuilder(2, 2).Trailer().Data()), 0u);
    EXPECT_EQ(CountFrames(CGifBuilder(2, 2).Data()), 0u);
    EXPECT_EQ(CountFrames(CGifBuilder(2, 2).Application().Comment("only").Trailer().Data()), 0u);
    // A control extension with no image after it is no frame.
    EXPECT_EQ(CountFrames(CGifBuilder(2, 2).Control(10, 0).Trailer().Data()), 0u);
    EXPECT_EQ(CountFrames(CGifBuilder(2, 2).Control(10, 0).Data()), 0u);
    // The walk stops at the trailer and at anything it does not know.
    EXPECT_EQ(CountFrames(CGifBuilder(2, 2).Trailer().Image(0, 0, 2, 2, kGifRed).Data()), 0u);
    EXPECT_EQ(CountFrames(CGifBuilder(2, 2).Image(0, 0, 2, 2, kGifRed).Raw("?").Image(0, 0, 2, 2, kGifRed).Data()), 1u);
}

TEST(GifBlockWalkerTest, TruncatedDataYieldsTheFramesThatAreWhole)
{
    std::string gif = ThreeFrames();
    std::vector<GifFrameInfo> frames = Frames(gif);
    for (size_t cb = 0; cb <= gif.size(); ++cb) {
        // Copied so that a read past the cut is a read past the buffer.
        std::vector<uint8_t> prefix(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(cb));
        CGifBlockWalker walker(prefix.data(), prefix.size());
        size_t nWhole = 0;
        for (const GifFrameInfo& frame : frames)
            nWhole += frame.offset + frame.length <= cb ? 1 : 0;
        EXPECT_EQ(walker.ReadHeader() ? walker.CountFrames() : 0, nWhole) << "cut at " << cb;
    }
}

TEST(GifBlockWalkerTest, SubBlockChainRunningPastTheEndFailsTheBlock)
{
    // A comment whose data block claims 200 bytes where 3 remain.
    std::string gif = CGifBuilder(2, 2).Raw("\x21\xFE\xC8" "abc").Data();
    CGifBlockWalker walker(Bytes(gif), gif.size());
    ASSERT_TRUE(walker.ReadHeader());
    EXPECT_EQ(walker.BlockKind(), GifBlock::Comment);
    EXPECT_EQ(walker.BlockLength(), 0u);
    EXPECT_FALSE(walker.SkipBlock());

    // A control extension cut short.
    std::string control = CGifBuilder(2, 2).Raw("\x21\xF9\x04\x00").Data();
    CGifBlockWalker controlWalker(Bytes(control), control.size());
    ASSERT_TRUE(controlWalker.ReadHeader());
    EXPECT_FALSE(controlWalker.SkipBlock());
    GifFrameInfo frame;
    EXPECT_FALSE(controlWalker.NextFrame(frame));
}

TEST(GifBlockWalkerTest, GarbageAfterTheHeaderIsWalkedSafely)
{
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        std::string header = CGifBuilder(2, 2).Data();
        std::vector<uint8_t> data(header.begin(), header.end());
        size_t cbGarbage = random() % 600;
        for (size_t i = 0; i < cbGarbage; ++i)
            data.push_back(static_cast<uint8_t>(random() % 4 == 0 ? "!,;\xF9"[random() % 4] : random()));
        CGifBlockWalker walker(data.data(), data.size());
        ASSERT_TRUE(walker.ReadHeader());
        GifFrameInfo frame;
        while (walker.NextFrame(frame)) {
            ASSERT_LE(frame.offset + frame.length, data.size());
            EXPECT_EQ(walker.StandaloneGif(frame).size(), kFirstBlock + frame.length + 1);
        }
    }
}

} // namespace
