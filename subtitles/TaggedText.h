// Turns the HTML-like text of SubRip, SAMI and WebVTT cues into Pango markup:
// <b>/<strong>, <i>/<em>, <u>, <font color=…> and WebVTT colour classes
// (<c.yellow>) become styles, <br> a line break; every other tag, comments,
// WebVTT time stamps and SubStation override blocks ({\an8}) are dropped,
// never shown. Entities are decoded (named ones subtitle files use, and
// numeric ones). A '<' that starts no tag within kMaxTagBytes is text.
#pragma once

#include <cstddef>
#include <string_view>

class CPangoMarkup;

class CTaggedText {
public:
    // Html: runs of white space (line ends included) are one space, as in
    // HTML. Lines: line ends are line breaks.
    enum class Space { Html, Lines };

    static constexpr size_t kMaxTagBytes = 512;

    static void Append(std::string_view sText, Space space, CPangoMarkup* pMarkup);
};
