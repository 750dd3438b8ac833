#include "GifBuilder.h"

namespace {

constexpr uint8_t kPalette[] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
// The four colours take two bits: codes are three bits wide.
constexpr int kMinimumCodeSize = 2;

// LZW data that clears the code table before every pixel, so the table never
// grows and every code keeps the same width: valid for any decoder.
std::string EncodePixels(const std::vector<uint8_t>& pixels)
{
    const unsigned clear = 1u << kMinimumCodeSize;
    const int width = kMinimumCodeSize + 1;
    std::string bytes;
    unsigned bits = 0;
    int nBits = 0;
    auto put = [&](unsigned code) {
        bits |= code << nBits;
        for (nBits += width; nBits >= 8; nBits -= 8, bits >>= 8)
            bytes.push_back(static_cast<char>(bits & 0xFF));
    };
    for (uint8_t pixel : pixels) {
        put(clear);
        put(pixel);
    }
    put(clear + 1);
    if (nBits > 0)
        bytes.push_back(static_cast<char>(bits & 0xFF));
    return bytes;
}

} // namespace

CGifBuilder::CGifBuilder(int nWidth, int nHeight, const char* pszVersion)
{
    m_data = std::string("GIF") + pszVersion;
    _Word(nWidth);
    _Word(nHeight);
    m_data += std::string("\x81\x00\x00", 3);
    m_data.append(reinterpret_cast<const char*>(kPalette), sizeof(kPalette));
}

CGifBuilder CGifBuilder::WithoutColourTable(int nWidth, int nHeight)
{
    CGifBuilder builder;
    builder.m_data = "GIF89a";
    builder._Word(nWidth);
    builder._Word(nHeight);
    builder.m_data += std::string(3, '\0');
    return builder;
}

CGifBuilder& CGifBuilder::Control(uint16_t delay, int disposal, int nTransparent)
{
    m_data += "\x21\xF9\x04";
    m_data.push_back(static_cast<char>((disposal & 7) << 2 | (nTransparent >= 0 ? 1 : 0)));
    _Word(delay);
    m_data.push_back(static_cast<char>(nTransparent >= 0 ? nTransparent : 0));
    m_data.push_back('\0');
    return *this;
}

CGifBuilder& CGifBuilder::Image(int nLeft, int nTop, int nWidth, int nHeight, uint8_t colour)
{
    return Image(nLeft, nTop, nWidth, nHeight, std::vector<uint8_t>(static_cast<size_t>(nWidth * nHeight), colour));
}

CGifBuilder& CGifBuilder::Image(int nLeft, int nTop, int nWidth, int nHeight, const std::vector<uint8_t>& pixels,
                                bool bLocalTable)
{
    m_data.push_back(',');
    _Word(nLeft);
    _Word(nTop);
    _Word(nWidth);
    _Word(nHeight);
    m_data.push_back(bLocalTable ? '\x81' : '\0');
    if (bLocalTable)
        m_data.append(reinterpret_cast<const char*>(kPalette), sizeof(kPalette));
    m_data.push_back(static_cast<char>(kMinimumCodeSize));
    _SubBlocks(EncodePixels(pixels));
    return *this;
}

CGifBuilder& CGifBuilder::Comment(const std::string& text)
{
    m_data += "\x21\xFE";
    _SubBlocks(text);
    return *this;
}

CGifBuilder& CGifBuilder::Application()
{
    m_data += "\x21\xFF\x0BNETSCAPE2.0";
    _SubBlocks(std::string("\x01\x00\x00", 3));
    return *this;
}

CGifBuilder& CGifBuilder::PlainText(const std::string& text)
{
    m_data += "\x21\x01\x0C";
    m_data += std::string(12, '\x01');
    _SubBlocks(text);
    return *this;
}

CGifBuilder& CGifBuilder::Raw(const std::string& bytes)
{
    m_data += bytes;
    return *this;
}

CGifBuilder& CGifBuilder::Trailer()
{
    m_data.push_back(';');
    return *this;
}

void CGifBuilder::_Word(int value)
{
    m_data.push_back(static_cast<char>(value & 0xFF));
    m_data.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// Data blocks of at most 255 bytes each, then the empty block that ends them.
void CGifBuilder::_SubBlocks(const std::string& bytes)
{
    for (size_t n = 0; n < bytes.size(); n += 255) {
        std::string block = bytes.substr(n, 255);
        m_data.push_back(static_cast<char>(block.size()));
        m_data += block;
    }
    m_data.push_back('\0');
}
