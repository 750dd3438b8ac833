// Builds GIF data block by block for tests: small pictures of solid frames,
// and whatever broken structure a test needs around them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The colours of the builder's palettes, by index.
enum GifColour : uint8_t { kGifBlack, kGifRed, kGifGreen, kGifBlue };

class CGifBuilder {
public:
    // The header with `pszVersion` ("89a") and a logical screen of `nWidth` x
    // `nHeight` with the four-colour global table of GifColour.
    CGifBuilder(int nWidth, int nHeight, const char* pszVersion = "89a");
    // The same without a global colour table.
    static CGifBuilder WithoutColourTable(int nWidth, int nHeight);

    // A graphic control extension; a transparent index below 0 means none.
    CGifBuilder& Control(uint16_t delay, int disposal, int nTransparent = -1);
    // An image of one colour.
    CGifBuilder& Image(int nLeft, int nTop, int nWidth, int nHeight, uint8_t colour);
    // An image of the given colour indices, row by row, with an optional
    // local colour table of the four colours.
    CGifBuilder& Image(int nLeft, int nTop, int nWidth, int nHeight, const std::vector<uint8_t>& pixels,
                       bool bLocalTable = false);
    CGifBuilder& Comment(const std::string& text);
    // A looping application extension.
    CGifBuilder& Application();
    CGifBuilder& PlainText(const std::string& text);
    CGifBuilder& Raw(const std::string& bytes);
    CGifBuilder& Trailer();

    const std::string& Data() const { return m_data; }

private:
    CGifBuilder() = default;
    void _Word(int value);
    void _SubBlocks(const std::string& bytes);

    std::string m_data;
};
