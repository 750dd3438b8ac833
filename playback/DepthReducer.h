// An element that brings pictures of 10 and 12 bits per sample (HEVC Main
// 10, VP9 profile 2, AV1 10-bit, as the decoders hand them over) down to
// the 8-bit format of the same layout, by rounding each sample; pictures
// of any other format pass through untouched. GStreamer's converter does
// the same through a general intermediate form, line by line, which costs
// a 2160p picture more than its decoding; this is a shift of each plane.
//
// Threads: the element has no state of its own beyond the shift chosen at
// negotiation, which the base class sets and reads on the streaming thread.
#pragma once

#include <gst/gst.h>

#include <cstddef>
#include <cstdint>

class CDepthReducer {
public:
    // A new element (floating reference), or nullptr without GStreamer's
    // video library.
    static GstElement* Make();
    // Rounds `nSamples` samples of `nShift` more bits than eight to eight
    // bits each, a sample above the format's range to 255.
    static void ReduceRow(const uint16_t* pSource, uint8_t* pTarget, std::size_t nSamples, unsigned nShift);
};
