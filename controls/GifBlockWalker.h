// Walks the block structure of GIF data: the header with the logical screen,
// then extensions, image descriptors and the trailer, one block at a time. It
// finds the frames of an animation and cuts each one out into a stand-alone
// GIF that a picture decoder reads on its own. Every read stays inside the
// data: a block that runs past its end ends the walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class GifBlock { Application, Comment, GraphicControl, PlainText, Image, Trailer, Unknown };

// The delay of a frame that has no graphic control extension.
constexpr uint32_t kGifNoDelay = 0xFFFFFFFF;

// One frame of an animation: where its blocks lie in the data and what its
// graphic control extension and image descriptor say of it.
struct GifFrameInfo {
    size_t offset = 0;  // the graphic control extension, or the image block without one
    size_t length = 0;  // through the end of the image descriptor or plain text extension
    uint32_t delay = kGifNoDelay;  // hundredths of a second
    int disposal = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class CGifBlockWalker {
public:
    // The walker reads `pData` in place; it must outlive the walker.
    CGifBlockWalker(const uint8_t* pData, size_t cbData);

    // True when the data begins with "GIF", whatever version follows.
    static bool IsGif(const uint8_t* pData, size_t cbData);

    // Reads the logical screen descriptor and moves to the first block; false
    // when the data is too short to hold the descriptor.
    bool ReadHeader();
    int ScreenWidth() const { return m_nScreenWidth; }
    int ScreenHeight() const { return m_nScreenHeight; }
    size_t GlobalColorTableSize() const { return m_cbGlobalColorTable; }

    // Moves back to the first block after the global colour table.
    void Rewind();
    size_t Offset() const { return m_nOffset; }

    // The kind of the block at the read offset, and its length in bytes (0
    // for an unrecognised block or one that runs past the end of the data).
    GifBlock BlockKind() const;
    size_t BlockLength() const;
    // Moves past the block at the read offset; false when it cannot.
    bool SkipBlock();

    // Finds the frame that starts at the read offset, passing application
    // and comment extensions, and moves past it; false when no further frame
    // can be found.
    bool NextFrame(GifFrameInfo& frame);
    // The number of frames from the first block on; leaves the read offset
    // at the end of the walk.
    size_t CountFrames();

    // The header, logical screen descriptor and global colour table, then the
    // frame's blocks and the trailer.
    std::vector<uint8_t> StandaloneGif(const GifFrameInfo& frame) const;

private:
    bool _TakeControlledFrame(GifFrameInfo& frame);
    bool _TakeImage(GifFrameInfo& frame);
    size_t _SubBlockChainLength(size_t nOffset) const;
    uint16_t _Word(size_t nOffset) const;
    bool _Has(size_t cb) const { return m_cbData - m_nOffset >= cb; }

    const uint8_t* m_pData;
    size_t m_cbData;
    size_t m_nOffset = 0;
    int m_nScreenWidth = 0;
    int m_nScreenHeight = 0;
    size_t m_cbGlobalColorTable = 0;
};
