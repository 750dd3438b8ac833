#include "LineReader.h"

bool CLineReader::Next(std::string_view* pLine)
{
    if (m_i >= m_sText.size())
        return false;
    size_t end = m_i;
    while (end < m_sText.size() && m_sText[end] != '\n' && m_sText[end] != '\r')
        ++end;
    *pLine = m_sText.substr(m_i, end - m_i);
    m_i = end;
    if (m_i < m_sText.size() && m_sText[m_i] == '\r')
        ++m_i;
    if (m_i < m_sText.size() && m_sText[m_i] == '\n')
        ++m_i;
    return true;
}
