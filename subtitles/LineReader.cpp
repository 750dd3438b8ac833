#include "LineReader.h"

bool CLineReader::Next(std::string_view* pLine)
{
    if (m_i >= m_sText.size())
        return false;
    size_t end = m_sText.find_first_of("\r\n", m_i);
    if (end == std::string_view::npos)
        end = m_sText.size();
    *pLine = m_sText.substr(m_i, end - m_i);
    m_i = end;
    if (m_i < m_sText.size() && m_sText[m_i] == '\r')
        ++m_i;
    if (m_i < m_sText.size() && m_sText[m_i] == '\n')
        ++m_i;
    return true;
}
