#include "DebugCapture.h"

CDebugCapture::CDebugCapture()
{
    m_previous = SetDebugOutput([this](const char* pszText) {
        std::lock_guard lock(*m_pLock);
        m_lines.emplace_back(pszText);
    });
}

CDebugCapture::~CDebugCapture()
{
    SetDebugOutput(std::move(m_previous));
}

std::vector<std::string> CDebugCapture::Lines() const
{
    std::lock_guard lock(*m_pLock);
    return m_lines;
}

std::vector<std::string> CDebugCapture::TracesAfterReport() const
{
    std::lock_guard lock(*m_pLock);
    std::vector<std::string> traces;
    for (const std::string& line : m_lines) {
        if (line.find("Code\t: ") != std::string::npos)
            traces.clear();
        else
            traces.push_back(line);
    }
    return traces;
}
