// Splits decoded text into lines at "\n", "\r\n" or a lone "\r", without
// copying; the line ends are not part of the lines.
#pragma once

#include <string_view>

class CLineReader {
public:
    explicit CLineReader(std::string_view sText) : m_sText(sText) {}

    // The next line into *pLine; false at the end of the text.
    bool Next(std::string_view* pLine);
    // The text from the start of the next line on.
    std::string_view Rest() const { return m_sText.substr(m_i); }

private:
    std::string_view m_sText;
    size_t m_i = 0;
};
