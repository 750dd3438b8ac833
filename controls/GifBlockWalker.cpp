#include "GifBlockWalker.h"

#include <algorithm>

namespace {

// "GIF", the version, and the logical screen descriptor.
constexpr size_t kHeaderSize = 13;
// The separator, position, size and packed byte of an image descriptor.
constexpr size_t kImageDescriptorSize = 10;
// Fixed bytes of the extensions before their sub-block chains.
constexpr size_t kApplicationHead = 14;
constexpr size_t kCommentHead = 2;
constexpr size_t kPlainTextHead = 15;
constexpr size_t kGraphicControlSize = 8;

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;

// Bytes of the colour table that a packed byte announces (bit 7 set, size
// in the low three bits).
size_t ColorTableSize(uint8_t packed)
{
    return (packed & 0x80) != 0 ? size_t{3} << ((packed & 0x07) + 1) : 0;
}

GifBlock ExtensionKind(uint8_t label)
{
    switch (label) {
    case 0xFF:
        return GifBlock::Application;
    case 0xFE:
        return GifBlock::Comment;
    case 0xF9:
        return GifBlock::GraphicControl;
    case 0x01:
        return GifBlock::PlainText;
    default:
        return GifBlock::Unknown;
    }
}

} // namespace

CGifBlockWalker::CGifBlockWalker(const uint8_t* pData, size_t cbData) : m_pData(pData), m_cbData(cbData) {}

bool CGifBlockWalker::IsGif(const uint8_t* pData, size_t cbData)
{
    return cbData >= 3 && pData[0] == 'G' && pData[1] == 'I' && pData[2] == 'F';
}

bool CGifBlockWalker::ReadHeader()
{
    if (m_cbData < kHeaderSize)
        return false;
    m_nScreenWidth = _Word(6);
    m_nScreenHeight = _Word(8);
    m_cbGlobalColorTable = ColorTableSize(m_pData[10]);
    Rewind();
    return true;
}

void CGifBlockWalker::Rewind()
{
    // A colour table longer than the data leaves nothing to walk.
    m_nOffset = std::min(kHeaderSize + m_cbGlobalColorTable, m_cbData);
}

GifBlock CGifBlockWalker::BlockKind() const
{
    if (!_Has(1))
        return GifBlock::Unknown;
    switch (m_pData[m_nOffset]) {
    case kExtensionIntroducer:
        return _Has(2) ? ExtensionKind(m_pData[m_nOffset + 1]) : GifBlock::Unknown;
    case kImageSeparator:
        return GifBlock::Image;
    case kTrailer:
        return GifBlock::Trailer;
    default:
        return GifBlock::Unknown;
    }
}

size_t CGifBlockWalker::BlockLength() const
{
    auto withChain = [this](size_t cbHead) {
        size_t cbChain = _SubBlockChainLength(m_nOffset + cbHead);
        return cbChain != 0 ? cbHead + cbChain : 0;
    };
    switch (BlockKind()) {
    case GifBlock::Application:
        return withChain(kApplicationHead);
    case GifBlock::Comment:
        return withChain(kCommentHead);
    case GifBlock::GraphicControl:
        return kGraphicControlSize;
    case GifBlock::PlainText:
        return withChain(kPlainTextHead);
    case GifBlock::Image:
        if (!_Has(kImageDescriptorSize))
            return 0;
        // The descriptor, its local colour table and the LZW code size byte.
        return withChain(kImageDescriptorSize + ColorTableSize(m_pData[m_nOffset + 9]) + 1);
    case GifBlock::Trailer:
        return 1;
    default:
        return 0;
    }
}

bool CGifBlockWalker::SkipBlock()
{
    size_t cb = BlockLength();
    if (cb == 0 || !_Has(cb))
        return false;
    m_nOffset += cb;
    return true;
}

bool CGifBlockWalker::NextFrame(GifFrameInfo& frame)
{
    for (;;) {
        switch (BlockKind()) {
        case GifBlock::Application:
        case GifBlock::Comment:
            if (!SkipBlock())
                return false;
            break;
        case GifBlock::GraphicControl:
            return _TakeControlledFrame(frame);
        case GifBlock::Image:
        case GifBlock::PlainText: {
            GifFrameInfo found;
            found.offset = m_nOffset;
            if (!_TakeImage(found))
                return false;
            frame = found;
            return true;
        }
        default:
            return false;
        }
    }
}

size_t CGifBlockWalker::CountFrames()
{
    Rewind();
    size_t nFrames = 0;
    GifFrameInfo frame;
    while (NextFrame(frame))
        ++nFrames;
    return nFrames;
}

std::vector<uint8_t> CGifBlockWalker::StandaloneGif(const GifFrameInfo& frame) const
{
    std::vector<uint8_t> gif(m_pData, m_pData + std::min(kHeaderSize + m_cbGlobalColorTable, m_cbData));
    gif.insert(gif.end(), m_pData + frame.offset, m_pData + frame.offset + frame.length);
    gif.push_back(kTrailer);
    return gif;
}

// The graphic control extension at the read offset gives the delay and the
// disposal; the frame runs from it through its image, every block between
// them included.
bool CGifBlockWalker::_TakeControlledFrame(GifFrameInfo& frame)
{
    GifFrameInfo found;
    found.offset = m_nOffset;
    if (!SkipBlock())
        return false;
    found.delay = _Word(found.offset + 4);
    found.disposal = (m_pData[found.offset + 3] >> 2) & 0x07;
    for (GifBlock kind = BlockKind(); kind != GifBlock::Image && kind != GifBlock::PlainText; kind = BlockKind()) {
        if (kind == GifBlock::Trailer || !SkipBlock())
            return false;
    }
    if (!_TakeImage(found))
        return false;
    frame = found;
    return true;
}

// Moves past the image descriptor or plain text extension at the read offset
// and ends the frame there. A plain text frame has no position of its own; it
// covers the whole logical screen.
bool CGifBlockWalker::_TakeImage(GifFrameInfo& frame)
{
    size_t nBlock = m_nOffset;
    bool bImage = BlockKind() == GifBlock::Image;
    if (!SkipBlock())
        return false;
    frame.left = bImage ? _Word(nBlock + 1) : 0;
    frame.top = bImage ? _Word(nBlock + 3) : 0;
    frame.width = bImage ? _Word(nBlock + 5) : m_nScreenWidth;
    frame.height = bImage ? _Word(nBlock + 7) : m_nScreenHeight;
    frame.length = m_nOffset - frame.offset;
    return true;
}

// The length of the sub-blocks from `nOffset` through the terminating empty
// one, or 0 when the chain runs past the end of the data.
size_t CGifBlockWalker::_SubBlockChainLength(size_t nOffset) const
{
    size_t nPosition = nOffset;
    while (nPosition < m_cbData) {
        uint8_t cbBlock = m_pData[nPosition];
        nPosition += size_t{cbBlock} + 1;
        if (cbBlock == 0)
            return nPosition - nOffset;
    }
    return 0;
}

uint16_t CGifBlockWalker::_Word(size_t nOffset) const
{
    return static_cast<uint16_t>(m_pData[nOffset] | (m_pData[nOffset + 1] << 8));
}
