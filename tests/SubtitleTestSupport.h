// What the subtitle tests share: checking that markup is what GStreamer's
// text overlays accept, and making text in the legacy and UTF-16 encodings.
#pragma once

#include <string>

// Whether sMarkup parses as Pango markup using only <b>, <i>, <u> and
// <span foreground="#rrggbb">, balanced.
bool IsOverlayMarkup(const std::string& sMarkup);

// UTF-8 text converted to sEncoding (an iconv name) by the C library.
std::string Encoded(const std::string& sUtf8, const char* pszEncoding);
