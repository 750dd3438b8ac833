#include "SubtitleFormatDetector.h"

#include "LineReader.h"
#include "SubtitleTime.h"
#include "TextScan.h"

namespace {

bool IsMicroDvdLine(std::string_view sLine)
{
    if (sLine.size() < 4 || sLine[0] != '{')
        return false;
    size_t close = sLine.find('}');
    if (close < 2 || close == std::string_view::npos || close + 1 >= sLine.size() || sLine[close + 1] != '{')
        return false;
    return sLine.substr(1, close - 1).find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsTimingLine(std::string_view sLine)
{
    size_t arrow = sLine.find("-->");
    LONGLONG rt = 0;
    return arrow != std::string_view::npos && CSubtitleTime::Parse(sLine.substr(0, arrow), &rt) != 0 &&
           CSubtitleTime::Parse(sLine.substr(arrow + 3), &rt) != 0;
}

} // namespace

SubtitleFormat CSubtitleFormatDetector::Detect(std::string_view sText, std::string_view sExtension)
{
    std::string_view sSample = sText.substr(0, kSampleBytes);
    if (sSample.starts_with("\xEF\xBB\xBF"))
        sSample.remove_prefix(3);
    if (CTextScan::StartsWithNoCase(CTextScan::Trimmed(sSample), "webvtt"))
        return SubtitleFormat::WebVtt;
    if (CTextScan::FindNoCase(sSample, "<sami") != std::string_view::npos ||
        CTextScan::FindNoCase(sSample, "<sync") != std::string_view::npos)
        return SubtitleFormat::Sami;
    if (CTextScan::FindNoCase(sSample, "[script info]") != std::string_view::npos ||
        CTextScan::FindNoCase(sSample, "[events]") != std::string_view::npos)
        return SubtitleFormat::SubStation;
    SubtitleFormat format = _FromLines(sSample);
    return format != SubtitleFormat::Unknown ? format : FromExtension(sExtension);
}

SubtitleFormat CSubtitleFormatDetector::_FromLines(std::string_view sSample)
{
    CLineReader lines(sSample);
    std::string_view sLine;
    while (lines.Next(&sLine)) {
        std::string_view s = CTextScan::Trimmed(sLine);
        if (IsMicroDvdLine(s))
            return SubtitleFormat::MicroDvd;
        if (IsTimingLine(s))
            return SubtitleFormat::SubRip;
        if (CTextScan::StartsWithNoCase(s, "dialogue:"))
            return SubtitleFormat::SubStation;
    }
    return SubtitleFormat::Unknown;
}

SubtitleFormat CSubtitleFormatDetector::FromExtension(std::string_view sExtension)
{
    std::string sLower = CTextScan::Lower(sExtension);
    if (sLower == "srt")
        return SubtitleFormat::SubRip;
    if (sLower == "smi" || sLower == "sami")
        return SubtitleFormat::Sami;
    if (sLower == "ass" || sLower == "ssa")
        return SubtitleFormat::SubStation;
    if (sLower == "vtt")
        return SubtitleFormat::WebVtt;
    if (sLower == "sub")
        return SubtitleFormat::MicroDvd;
    return SubtitleFormat::Unknown;
}
