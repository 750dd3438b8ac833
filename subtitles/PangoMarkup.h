// Builds the Pango markup of one cue from text and style changes as a parser
// meets them. Text is escaped, control characters dropped, and the result is
// always balanced: a style closed out of order closes the styles opened after
// it and opens them again, a style closed that is not open is ignored, and
// Finish() closes what is still open. A style is written only once text
// follows it, so styles around nothing leave no tags. Lines are trimmed of white space, and
// line breaks before the first visible character and after the last one are
// dropped. At most kMaxTextBytes of text are kept (cut at a character
// boundary) and style changes stop once the markup holds kMaxMarkupBytes or
// kMaxDepth styles are open; the rest of a longer cue is lost.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CPangoMarkup {
public:
    enum class Style { Bold, Italic, Underline, Color };

    static constexpr size_t kMaxTextBytes = 8192;
    static constexpr size_t kMaxMarkupBytes = 32768;
    static constexpr size_t kMaxDepth = 8;

    // Appends UTF-8 text as it should show.
    void AppendText(std::string_view sText);
    void AppendLineBreak();
    // Opens a style; sColor is "#rrggbb" for Style::Color.
    void Open(Style style, const std::string& sColor = std::string());
    void Close(Style style);
    void CloseAll();

    // Whether any character other than white space was appended.
    bool HasVisibleText() const { return m_bVisible; }
    // The balanced markup; empty when nothing visible was appended.
    std::string Finish();

private:
    // The styles written form the bottom of the stack of open ones.
    struct OPENSTYLE {
        Style style;
        std::string sColor;
        bool bWritten;
    };

    void _WriteOpens();
    void _WriteCloses(size_t iDownTo);
    void _FlushSpace();
    bool _AppendCharacter(std::string_view sCharacter);
    bool _IsFull() const { return m_sMarkup.size() >= kMaxMarkupBytes; }

    std::string m_sMarkup;
    std::vector<OPENSTYLE> m_open;
    size_t m_cbText = 0;
    size_t m_cPendingBreaks = 0;
    std::string m_sPendingSpace;
    bool m_bVisible = false;
};
