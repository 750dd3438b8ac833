// Finds the subtitle files beside a video: files in its folder named after
// it, "movie.srt" or with a language infix "movie.ko.srt", the base name and
// the extension matched ignoring case. They are tried in this order: no
// infix first, then the locale's language ("ko", "ko-KR", "kor"), then the
// other infixes; within each, by extension smi, sami, srt, ass, ssa, vtt,
// sub; then a base name of the same case first; then by name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CSubtitleFinder {
public:
    // Entries of the folder looked at, at most.
    static constexpr size_t kMaxEntries = 20000;
    static constexpr size_t kMaxInfixBytes = 32;

    // The files beside sVideoPath in the order to try them; sLanguage is the
    // locale's language ("ko"), may be empty.
    static std::vector<std::string> Find(const std::string& sVideoPath, const std::string& sLanguage);

    // Where a name stands in that order, or -1 when it is not a subtitle
    // file of the video with base name sStem. Lower ranks are tried first.
    static long Rank(std::string_view sName, std::string_view sStem, const std::string& sLanguage);
    // Whether a file's name has the extension of a subtitle format (any case).
    static bool IsSubtitleName(std::string_view sName);
};
