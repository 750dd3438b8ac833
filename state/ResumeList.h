// Where each of the last files stopped or closed part-way was left, so that
// opening one again resumes there. A file left within kResumeMargin of
// either end is not kept (it was barely begun, or finished): it starts
// from the beginning next time. The list keeps the kMaxResumeFiles files
// left most recently; a file used again moves to the front.
#pragma once

#include "common/ComTypes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Positions and lengths are in 100-ns units, as the media graph gives them.
constexpr LONGLONG kResumeMargin = 10LL * 10000000;
constexpr size_t kMaxResumeFiles = 200;

struct ResumePoint {
    std::string file;
    LONGLONG llPosition = 0;
    LONGLONG llLength = 0;
};

class CResumeList {
public:
    // The file was left at llPosition of llLength: kept, or forgotten when
    // the position is near either end or the length is unknown.
    void Note(const std::string& file, LONGLONG llPosition, LONGLONG llLength);
    void Forget(const std::string& file);
    std::optional<LONGLONG> Find(const std::string& file) const;

    // Most recent first.
    const std::vector<ResumePoint>& Points() const { return m_points; }
    // Replaces the list with `points` (most recent first), dropping what
    // could not have been noted.
    void Assign(const std::vector<ResumePoint>& points);

private:
    static bool Keeps(const ResumePoint& point);

    std::vector<ResumePoint> m_points;
};
