// Tells a subtitle file's format from its decoded text, the file name's
// extension deciding only when the content says nothing: WebVTT by its
// "WEBVTT" header, SAMI by <SAMI> or <SYNC, SubStation by [Script Info],
// [Events] or Dialogue lines, MicroDVD by lines "{n}{n}", SubRip by
// "h:mm:ss,mmm --> " timing lines. Looks at the first kSampleBytes.
#pragma once

#include "subtitles/SubtitleTypes.h"

#include <string_view>

class CSubtitleFormatDetector {
public:
    static constexpr size_t kSampleBytes = 64 * 1024;

    // sExtension without the dot, any case ("SMI"); may be empty.
    static SubtitleFormat Detect(std::string_view sText, std::string_view sExtension);
    static SubtitleFormat FromExtension(std::string_view sExtension);

private:
    static SubtitleFormat _FromLines(std::string_view sSample);
};
