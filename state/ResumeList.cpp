#include "ResumeList.h"

#include <algorithm>

void CResumeList::Note(const std::string& file, LONGLONG llPosition, LONGLONG llLength)
{
    Forget(file);
    const ResumePoint point{file, llPosition, llLength};
    if (!Keeps(point))
        return;
    m_points.insert(m_points.begin(), point);
    if (m_points.size() > kMaxResumeFiles)
        m_points.resize(kMaxResumeFiles);
}

void CResumeList::Forget(const std::string& file)
{
    std::erase_if(m_points, [&](const ResumePoint& point) { return point.file == file; });
}

std::optional<LONGLONG> CResumeList::Find(const std::string& file) const
{
    const auto it = std::find_if(m_points.begin(), m_points.end(),
                                 [&](const ResumePoint& point) { return point.file == file; });
    if (it == m_points.end())
        return std::nullopt;
    return it->llPosition;
}

void CResumeList::Assign(const std::vector<ResumePoint>& points)
{
    m_points.clear();
    for (const ResumePoint& point : points) {
        if (m_points.size() == kMaxResumeFiles)
            break;
        if (Keeps(point) && !Find(point.file))
            m_points.push_back(point);
    }
}

bool CResumeList::Keeps(const ResumePoint& point)
{
    return !point.file.empty() && point.llLength > 2 * kResumeMargin && point.llPosition >= kResumeMargin &&
           point.llPosition <= point.llLength - kResumeMargin;
}
