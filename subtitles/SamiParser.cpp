#include "SamiParser.h"

#include "HtmlTag.h"
#include "PangoMarkup.h"
#include "SubtitleTime.h"
#include "TaggedText.h"
#include "TextScan.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

constexpr size_t kMaxTagBytes = 512;

bool IsClassChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-';
}

// The milliseconds of a Start attribute ("1000", "'1000'", "1000ms"), -1
// when it has no number.
long long StartMilliseconds(std::string_view sValue)
{
    std::string_view s = CTextScan::Trimmed(sValue);
    long long ms = 0;
    size_t cDigits = 0;
    for (char c : s) {
        if (c < '0' || c > '9' || cDigits == 12)
            break;
        ms = ms * 10 + (c - '0');
        ++cDigits;
    }
    return cDigits == 0 ? -1 : ms;
}

// The tag that starts at s[i] ('<'), or an empty view when it does not
// close within kMaxTagBytes.
std::string_view TagAt(std::string_view s, size_t i)
{
    size_t end = s.substr(i, kMaxTagBytes).find('>');
    return end == std::string_view::npos ? std::string_view() : s.substr(i + 1, end - 1);
}

// The next "<P" paragraph tag (not <pre> or the like) in s from iFrom on.
size_t FindParagraph(std::string_view s, size_t iFrom)
{
    size_t i = CTextScan::FindNoCase(s, "<p", iFrom);
    while (i != std::string_view::npos && i + 2 < s.size() && IsClassChar(s[i + 2]))
        i = CTextScan::FindNoCase(s, "<p", i + 2);
    return i;
}

// One class's track being built and its cue still open.
struct CLASSTRACK {
    std::string sKey;
    CSubtitleTrack track;
    LONGLONG rtPending = -1;
    std::string sPending;
};

class CSyncReader {
public:
    explicit CSyncReader(std::vector<CLASSTRACK>* pClasses) : m_pClasses(pClasses) {}

    // One sync's body: its paragraphs by class, each ending that class's
    // open cue and opening the next. Paragraphs of one class in one sync
    // are one cue, a line each.
    void Read(LONGLONG rtStart, std::string_view sBody)
    {
        std::vector<std::pair<std::string, std::string>> parts;
        size_t i = FindParagraph(sBody, 0);
        // Text before the first paragraph counts only when it shows, or
        // when the sync has no paragraph at all (a bare &nbsp; clears).
        std::string_view sBefore = sBody.substr(0, i);
        if (i == std::string_view::npos || !_Markup(sBefore).empty())
            _AddPart(&parts, m_sLastKey, sBefore);
        while (i != std::string_view::npos) {
            std::string_view sTag = TagAt(sBody, i);
            size_t iContent = sTag.empty() ? i + 2 : i + sTag.size() + 2;
            size_t next = FindParagraph(sBody, iContent);
            m_sLastKey = CTextScan::Lower(CHtmlTag(sTag).Attribute("class"));
            _AddPart(&parts, m_sLastKey,
                     sBody.substr(iContent, next == std::string_view::npos ? next : next - iContent));
            i = next;
        }
        for (auto& [sKey, sContent] : parts)
            _Paragraph(rtStart, sKey, _Markup(sContent));
    }

private:
    static void _AddPart(std::vector<std::pair<std::string, std::string>>* pParts, const std::string& sKey,
                         std::string_view sContent)
    {
        for (auto& [sPartKey, sPartContent] : *pParts) {
            if (sPartKey == sKey) {
                sPartContent += "<br>";
                sPartContent += sContent;
                return;
            }
        }
        // No more classes than could become tracks, so that a hostile sync
        // of many classes stays linear.
        if (pParts->size() < CSamiParser::kMaxClasses)
            pParts->emplace_back(sKey, std::string(sContent));
    }

    static std::string _Markup(std::string_view sContent)
    {
        CPangoMarkup markup;
        CTaggedText::Append(sContent, CTaggedText::Space::Html, &markup);
        return markup.Finish();
    }

    void _Paragraph(LONGLONG rtStart, const std::string& sKey, std::string sMarkup)
    {
        CLASSTRACK* pClass = _Class(sKey, !sMarkup.empty());
        if (pClass == nullptr)
            return;
        if (pClass->rtPending >= 0)
            pClass->track.AddCue(pClass->rtPending, rtStart, std::move(pClass->sPending));
        pClass->rtPending = sMarkup.empty() ? -1 : rtStart;
        pClass->sPending = std::move(sMarkup);
    }

    // The class's track, made when text first comes for it; null for one
    // past the bound or without text so far.
    CLASSTRACK* _Class(const std::string& sKey, bool bMake)
    {
        for (CLASSTRACK& entry : *m_pClasses) {
            if (entry.sKey == sKey)
                return &entry;
        }
        if (!bMake || m_pClasses->size() >= CSamiParser::kMaxClasses)
            return nullptr;
        m_pClasses->push_back({sKey, CSubtitleTrack(sKey, "", SubtitleFormat::Sami, SubtitleKind::External), -1, {}});
        return &m_pClasses->back();
    }

    std::vector<CLASSTRACK>* m_pClasses;
    std::string m_sLastKey;
};

} // namespace

void CSamiParser::Parse(std::string_view sText, std::vector<CSubtitleTrack>* pTracks) const
{
    std::vector<CLASSTRACK> classes;
    CSyncReader reader(&classes);
    size_t i = CTextScan::FindNoCase(sText, "<sync");
    while (i != std::string_view::npos) {
        std::string_view sTag = TagAt(sText, i);
        size_t iBody = sTag.empty() ? i + 5 : i + sTag.size() + 2;
        size_t next = CTextScan::FindNoCase(sText, "<sync", iBody);
        std::string_view sBody = sText.substr(iBody, next == std::string_view::npos ? next : next - iBody);
        sBody = sBody.substr(0, CTextScan::FindNoCase(sBody, "</body"));
        long long ms = sTag.empty() ? -1 : StartMilliseconds(CHtmlTag(sTag).Attribute("start"));
        if (ms >= 0)
            reader.Read(CSubtitleTime::FromMilliseconds(ms), sBody);
        i = next;
    }
    // Tracks in the order of the style rules, then the rest as they came.
    std::vector<CLASSINFO> styles = _ReadStyles(sText);
    std::vector<CLASSTRACK*> ordered;
    for (const CLASSINFO& info : styles) {
        for (CLASSTRACK& entry : classes) {
            if (entry.sKey == info.sKey) {
                entry.track.SetLabel(info.sName.empty() ? entry.track.Name() : info.sName, info.sLanguage);
                ordered.push_back(&entry);
            }
        }
    }
    for (CLASSTRACK& entry : classes) {
        if (std::find(ordered.begin(), ordered.end(), &entry) == ordered.end())
            ordered.push_back(&entry);
    }
    for (CLASSTRACK* pEntry : ordered) {
        if (pEntry->rtPending >= 0)
            pEntry->track.AddCue(pEntry->rtPending, pEntry->rtPending + kLastCueDuration, std::move(pEntry->sPending));
        pEntry->track.Finish();
        if (!pEntry->track.Cues().empty())
            pTracks->push_back(std::move(pEntry->track));
    }
}

std::vector<CSamiParser::CLASSINFO> CSamiParser::_ReadStyles(std::string_view sText)
{
    std::vector<CLASSINFO> classes;
    size_t start = CTextScan::FindNoCase(sText, "<style");
    if (start == std::string_view::npos)
        return classes;
    size_t end = CTextScan::FindNoCase(sText, "</style", start);
    _ReadRules(sText.substr(start, end == std::string_view::npos ? end : end - start), &classes);
    return classes;
}

// ".KRCC { Name: Korean; lang: ko-KR; SAMIType: CC; }"
void CSamiParser::_ReadRules(std::string_view sStyle, std::vector<CLASSINFO>* pClasses)
{
    size_t i = 0;
    while ((i = sStyle.find('.', i)) != std::string_view::npos && pClasses->size() < kMaxClasses) {
        size_t iName = ++i;
        while (i < sStyle.size() && IsClassChar(sStyle[i]))
            ++i;
        std::string_view sName = sStyle.substr(iName, i - iName);
        size_t open = sStyle.find_first_not_of(" \t\r\n", i);
        if (sName.empty() || open == std::string_view::npos || sStyle[open] != '{')
            continue;
        size_t close = sStyle.find('}', open);
        std::string_view sRule = sStyle.substr(open + 1, close == std::string_view::npos ? close : close - open - 1);
        CLASSINFO info{CTextScan::Lower(sName), "", ""};
        for (size_t iDecl = 0; iDecl <= sRule.size();) {
            size_t semi = std::min(sRule.find(';', iDecl), sRule.size());
            std::string_view sDecl = sRule.substr(iDecl, semi - iDecl);
            size_t colon = sDecl.find(':');
            if (colon != std::string_view::npos) {
                std::string sProperty = CTextScan::Lower(CTextScan::Trimmed(sDecl.substr(0, colon)));
                std::string sValue(CTextScan::Trimmed(sDecl.substr(colon + 1)));
                if (sProperty == "name")
                    info.sName = sValue;
                else if (sProperty == "lang")
                    info.sLanguage = sValue;
            }
            iDecl = semi + 1;
        }
        pClasses->push_back(std::move(info));
        i = close == std::string_view::npos ? sStyle.size() : close;
    }
}
