#include "SubtitleFinder.h"

#include "TextScan.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <utility>

namespace {

constexpr const char* kExtensions[] = {"smi", "sami", "srt", "ass", "ssa", "vtt", "sub"};
constexpr long kExtensionCount = static_cast<long>(std::size(kExtensions));

struct THREELETTER {
    const char* pszTwo;
    const char* pszThree;
};

// The three-letter codes files are also tagged with.
constexpr THREELETTER kThreeLetter[] = {{"ko", "kor"}, {"en", "eng"}, {"ja", "jpn"}, {"zh", "chi"}, {"zh", "zho"},
                                        {"fr", "fre"}, {"fr", "fra"}, {"de", "ger"}, {"de", "deu"}, {"es", "spa"}};

bool IsInfix(std::string_view sInfix)
{
    return sInfix.size() <= CSubtitleFinder::kMaxInfixBytes &&
           std::all_of(sInfix.begin(), sInfix.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
           });
}

bool IsLanguage(const std::string& sInfix, const std::string& sLanguage)
{
    if (sLanguage.empty())
        return false;
    if (sInfix == sLanguage || sInfix.starts_with(sLanguage + "-") || sInfix.starts_with(sLanguage + "_"))
        return true;
    return std::any_of(std::begin(kThreeLetter), std::end(kThreeLetter), [&](const THREELETTER& code) {
        return sLanguage == code.pszTwo && sInfix == code.pszThree;
    });
}

} // namespace

long CSubtitleFinder::Rank(std::string_view sName, std::string_view sStem, const std::string& sLanguage)
{
    if (sName.size() <= sStem.size() + 1 || !CTextScan::StartsWithNoCase(sName, sStem) || sName[sStem.size()] != '.')
        return -1;
    std::string sRest = CTextScan::Lower(sName.substr(sStem.size() + 1));
    size_t dot = sRest.rfind('.');
    std::string sExtension = dot == std::string::npos ? sRest : sRest.substr(dot + 1);
    std::string sInfix = dot == std::string::npos ? std::string() : sRest.substr(0, dot);
    auto it = std::find(std::begin(kExtensions), std::end(kExtensions), sExtension);
    if (it == std::end(kExtensions) || !IsInfix(sInfix))
        return -1;
    long group = sInfix.empty() ? 0 : IsLanguage(sInfix, sLanguage) ? 1 : 2;
    long sameCase = sName.substr(0, sStem.size()) == sStem ? 0 : 1;
    return (group * kExtensionCount + (it - std::begin(kExtensions))) * 2 + sameCase;
}

bool CSubtitleFinder::IsSubtitleName(std::string_view sName)
{
    const size_t dot = sName.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string sExtension = CTextScan::Lower(sName.substr(dot + 1));
    return std::find(std::begin(kExtensions), std::end(kExtensions), sExtension) != std::end(kExtensions);
}

std::vector<std::string> CSubtitleFinder::Find(const std::string& sVideoPath, const std::string& sLanguage)
{
    namespace fs = std::filesystem;
    const fs::path video(sVideoPath);
    const std::string sStem = video.stem().string();
    std::vector<std::pair<long, std::string>> found;
    std::error_code error;
    fs::directory_iterator it(video.has_parent_path() ? video.parent_path() : fs::path("."), error);
    for (size_t cSeen = 0; !error && it != fs::directory_iterator() && cSeen < kMaxEntries; it.increment(error), ++cSeen) {
        const std::string sName = it->path().filename().string();
        long rank = Rank(sName, sStem, sLanguage);
        std::error_code typeError;
        if (rank >= 0 && it->is_regular_file(typeError))
            found.emplace_back(rank, it->path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& [rank, sPath] : found)
        paths.push_back(std::move(sPath));
    return paths;
}
