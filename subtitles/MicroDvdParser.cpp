#include "MicroDvdParser.h"

#include "HtmlColor.h"
#include "LineReader.h"
#include "PangoMarkup.h"
#include "SubtitleTime.h"
#include "TextScan.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr size_t kMaxFrameDigits = 9;
constexpr size_t kMaxCodeBytes = 64;

bool ValidRate(double dRate)
{
    return dRate >= 1 && dRate <= 1000;
}

// "{123}" at the start of *ps: the number (-1 for "{}"); false when *ps does
// not start with a frame field.
bool TakeFrame(std::string_view* ps, long long* pFrame)
{
    std::string_view s = *ps;
    if (s.empty() || s[0] != '{')
        return false;
    size_t close = s.substr(0, kMaxFrameDigits + 2).find('}');
    if (close == std::string_view::npos)
        return false;
    long long frame = close == 1 ? -1 : 0;
    for (char c : s.substr(1, close - 1)) {
        if (c < '0' || c > '9')
            return false;
        frame = frame * 10 + (c - '0');
    }
    *pFrame = frame;
    ps->remove_prefix(close + 1);
    return true;
}

LONGLONG FrameTime(long long frame, double dRate)
{
    double rt = std::round(static_cast<double>(frame) * kSubtitleUnitsPerSecond / dRate);
    return rt > static_cast<double>(CSubtitleTime::kMaxTime) ? CSubtitleTime::kMaxTime : static_cast<LONGLONG>(rt);
}

} // namespace

CMicroDvdParser::CMicroDvdParser(double dFrameRate) : m_dFrameRate(ValidRate(dFrameRate) ? dFrameRate : kDefaultFrameRate)
{
}

void CMicroDvdParser::Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const
{
    CSubtitleTrack track("", "", SubtitleFormat::MicroDvd, SubtitleKind::External);
    double dRate = m_dFrameRate;
    bool bFirst = true;
    CLineReader lines(sText);
    std::string_view sLine;
    while (lines.Next(&sLine)) {
        std::string_view s = CTextScan::Trimmed(sLine);
        long long start = 0;
        long long end = 0;
        if (s.empty())
            continue;
        if (!TakeFrame(&s, &start) || !TakeFrame(&s, &end) || start < 0) {
            track.AddCue(-1, -1, std::string());
            continue;
        }
        if (bFirst && start == 1 && end == 1) {
            // The frame-rate header.
            double dHeader = std::strtod(std::string(s.substr(0, 16)).c_str(), nullptr);
            bFirst = false;
            if (ValidRate(dHeader)) {
                dRate = dHeader;
                continue;
            }
        }
        bFirst = false;
        LONGLONG rtStart = FrameTime(start, dRate);
        LONGLONG rtEnd = end < 0 ? rtStart + kOpenEndDuration : FrameTime(end, dRate);
        track.AddCue(rtStart, rtEnd, _Markup(s));
    }
    track.Finish();
    pTracks->push_back(std::move(track));
}

std::string CMicroDvdParser::_Markup(std::string_view sText)
{
    CPangoMarkup markup;
    std::vector<CPangoMarkup::Style> cueStyles;
    sText = _TakeCodes(sText, &markup, true, &cueStyles);
    bool bFirstLine = true;
    while (true) {
        size_t bar = sText.find('|');
        if (!bFirstLine)
            markup.AppendLineBreak();
        bFirstLine = false;
        // Line styles end with the line; the cue's stay open.
        std::vector<CPangoMarkup::Style> lineStyles;
        markup.AppendText(_TakeCodes(sText.substr(0, bar), &markup, false, &lineStyles));
        for (auto it = lineStyles.rbegin(); it != lineStyles.rend(); ++it)
            markup.Close(*it);
        if (bar == std::string_view::npos)
            break;
        sText.remove_prefix(bar + 1);
    }
    return markup.Finish();
}

// Applies the "{x:value}" codes at the start of sLine and adds the styles
// opened to *pOpened; at the start of a cue (bCueWide) only the upper-case,
// cue-wide ones. Returns the line after them.
std::string_view CMicroDvdParser::_TakeCodes(std::string_view sLine, CPangoMarkup* pMarkup, bool bCueWide,
                                             std::vector<CPangoMarkup::Style>* pOpened)
{
    while (sLine.size() >= 4 && sLine[0] == '{' && sLine[2] == ':') {
        size_t close = sLine.substr(0, kMaxCodeBytes).find('}');
        const char code = sLine[1];
        if (close == std::string_view::npos || (bCueWide && std::isupper(static_cast<unsigned char>(code)) == 0))
            break;
        std::string sValue = CTextScan::Lower(sLine.substr(3, close - 3));
        std::string sColor;
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(code)));
        if (lower == 'y') {
            const std::pair<char, CPangoMarkup::Style> kFlags[] = {
                {'b', CPangoMarkup::Style::Bold}, {'i', CPangoMarkup::Style::Italic}, {'u', CPangoMarkup::Style::Underline}};
            for (const auto& [flag, style] : kFlags) {
                if (sValue.find(flag) != std::string::npos) {
                    pMarkup->Open(style);
                    pOpened->push_back(style);
                }
            }
        } else if (lower == 'c' && sValue.size() == 7 && sValue[0] == '$' &&
                   CHtmlColor::Parse(sValue.substr(5, 2) + sValue.substr(3, 2) + sValue.substr(1, 2), &sColor)) {
            pMarkup->Open(CPangoMarkup::Style::Color, sColor);
            pOpened->push_back(CPangoMarkup::Style::Color);
        }
        sLine.remove_prefix(close + 1);
    }
    return sLine;
}
