// Walks arbitrary bytes as GIF data: block by block, then frame by frame with
// the stand-alone GIF of each frame. Every frame must lie inside the data and
// both walks must agree on the number of frames.
#include "controls/GifBlockWalker.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CGifBlockWalker walker(pData, cbData);
    if (!walker.ReadHeader())
        return 0;
    while (walker.SkipBlock()) {
        if (walker.Offset() > cbData)
            __builtin_trap();
    }
    size_t nCounted = walker.CountFrames();
    walker.Rewind();
    size_t nFrames = 0;
    GifFrameInfo frame;
    while (walker.NextFrame(frame)) {
        ++nFrames;
        if (frame.length == 0 || frame.offset + frame.length > cbData || frame.offset + frame.length != walker.Offset())
            __builtin_trap();
        if (walker.StandaloneGif(frame).size() != 13 + walker.GlobalColorTableSize() + frame.length + 1)
            __builtin_trap();
    }
    if (nFrames != nCounted)
        __builtin_trap();
    return 0;
}
