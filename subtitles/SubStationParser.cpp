#include "SubStationParser.h"

#include "PangoMarkup.h"
#include "LineReader.h"
#include "SubtitleTime.h"
#include "TextScan.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxFields = 32;

// Fields of the events when the section has no Format line.
const std::vector<std::string> kDefaultFormat = {"layer",   "start",   "end",     "style",  "name",
                                                 "marginl", "marginr", "marginv", "effect", "text"};

// Splits s at commas into at most cMax fields, the last taking the rest.
std::vector<std::string_view> Fields(std::string_view s, size_t cMax)
{
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < cMax) {
        size_t comma = s.find(',');
        if (comma == std::string_view::npos)
            break;
        fields.push_back(s.substr(0, comma));
        s.remove_prefix(comma + 1);
    }
    fields.push_back(s);
    return fields;
}

size_t FieldIndex(const std::vector<std::string>& format, const char* pszName)
{
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == pszName)
            return i;
    }
    return format.size();
}

// A field that holds a time and nothing else.
LONGLONG FieldTime(std::string_view sField)
{
    LONGLONG rt = -1;
    std::string_view s = CTextScan::Trimmed(sField);
    return CSubtitleTime::Parse(s, &rt) == s.size() && !s.empty() ? rt : -1;
}

// The number after a one-letter override name ("b1", "i0"), or -1 when the
// tag is a longer name ("blur", "bord") or has no number.
long TagNumber(std::string_view sTag, char name)
{
    if (sTag.size() < 2 || sTag[0] != name || sTag.size() > 8)
        return -1;
    long value = 0;
    for (char c : sTag.substr(1)) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

void Toggle(CPangoMarkup* pMarkup, CPangoMarkup::Style style, long value)
{
    if (value == 0)
        pMarkup->Close(style);
    else if (value > 0)
        pMarkup->Open(style);
}

// "&HBBGGRR&" (or with alpha, "&HAABBGGRR&") as "#rrggbb".
bool AssColor(std::string_view sValue, std::string* pHex)
{
    std::string sDigits;
    for (char c : sValue) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            sDigits += c;
        else if (c != '&' && c != 'H' && c != 'h')
            return false;
    }
    if (sDigits.empty() || sDigits.size() > 8)
        return false;
    unsigned long bgr = std::stoul(sDigits, nullptr, 16);
    char sz[8];
    std::snprintf(sz, sizeof sz, "#%02lx%02lx%02lx", bgr & 0xFF, bgr >> 8 & 0xFF, bgr >> 16 & 0xFF);
    *pHex = sz;
    return true;
}

// "\c&H...&", "\1c&H...&", or either without a value (back to the style's).
bool IsColorTag(std::string_view sTag)
{
    size_t cbName = sTag.starts_with("1c") ? 2 : sTag.starts_with("c") ? 1 : 0;
    return cbName > 0 && (sTag.size() == cbName || sTag[cbName] == '&');
}

} // namespace

void CSubStationParser::Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const
{
    CSubtitleTrack track("", "", SubtitleFormat::SubStation, SubtitleKind::External);
    std::vector<std::string> format = kDefaultFormat;
    bool bEvents = false;
    CLineReader lines(sText);
    std::string_view sLine;
    while (lines.Next(&sLine)) {
        sLine = CTextScan::Trimmed(sLine);
        if (!sLine.empty() && sLine[0] == '[') {
            bEvents = CTextScan::StartsWithNoCase(sLine, "[events]");
        } else if (bEvents && CTextScan::StartsWithNoCase(sLine, "format:")) {
            format.clear();
            for (std::string_view sField : Fields(sLine.substr(7), kMaxFields))
                format.push_back(CTextScan::Lower(CTextScan::Trimmed(sField)));
        } else if (bEvents && CTextScan::StartsWithNoCase(sLine, "dialogue:")) {
            std::vector<std::string_view> fields = Fields(sLine.substr(9), format.size());
            size_t iStart = FieldIndex(format, "start");
            size_t iEnd = FieldIndex(format, "end");
            size_t iText = FieldIndex(format, "text");
            if (iStart >= fields.size() || iEnd >= fields.size() || iText >= fields.size()) {
                track.AddCue(-1, -1, std::string());
                continue;
            }
            track.AddCue(FieldTime(fields[iStart]), FieldTime(fields[iEnd]), Markup(fields[iText]));
        }
    }
    track.Finish();
    pTracks->push_back(std::move(track));
}

std::string CSubStationParser::Markup(std::string_view sText)
{
    CPangoMarkup markup;
    bool bDrawing = false;
    size_t iClose = 0;
    size_t i = 0;
    while (i < sText.size()) {
        if (sText[i] == '{') {
            // The next '}' is looked for once per block, so that a line of
            // unclosed braces stays linear.
            if (iClose <= i)
                iClose = std::min(sText.find('}', i), sText.size());
            if (iClose < sText.size()) {
                _ApplyOverrides(sText.substr(i + 1, iClose - i - 1), &markup, &bDrawing);
                i = iClose + 1;
                continue;
            }
        }
        if (sText[i] == '\\' && i + 1 < sText.size() && (sText[i + 1] == 'N' || sText[i + 1] == 'n' || sText[i + 1] == 'h')) {
            if (!bDrawing) {
                if (sText[i + 1] == 'N')
                    markup.AppendLineBreak();
                else
                    markup.AppendText(sText[i + 1] == 'h' ? "\xC2\xA0" : " ");
            }
            i += 2;
            continue;
        }
        size_t end = std::min(sText.find_first_of("{\\", i + 1), sText.size());
        if (!bDrawing)
            markup.AppendText(sText.substr(i, end - i));
        i = end;
    }
    return markup.Finish();
}

void CSubStationParser::_ApplyOverrides(std::string_view sBlock, CPangoMarkup* pMarkup, bool* pbDrawing)
{
    size_t i = sBlock.find('\\');
    while (i != std::string_view::npos) {
        size_t next = sBlock.find('\\', i + 1);
        std::string_view sTag = CTextScan::Trimmed(sBlock.substr(i + 1, next == std::string_view::npos ? next : next - i - 1));
        i = next;
        std::string sColor;
        if (sTag == "r") {
            pMarkup->CloseAll();
        } else if (TagNumber(sTag, 'p') >= 0) {
            *pbDrawing = TagNumber(sTag, 'p') > 0;
        } else if (IsColorTag(sTag)) {
            pMarkup->Close(CPangoMarkup::Style::Color);
            if (AssColor(sTag.substr(sTag[0] == '1' ? 2 : 1), &sColor))
                pMarkup->Open(CPangoMarkup::Style::Color, sColor);
        } else {
            Toggle(pMarkup, CPangoMarkup::Style::Bold, TagNumber(sTag, 'b'));
            Toggle(pMarkup, CPangoMarkup::Style::Italic, TagNumber(sTag, 'i'));
            Toggle(pMarkup, CPangoMarkup::Style::Underline, TagNumber(sTag, 'u'));
        }
    }
}
