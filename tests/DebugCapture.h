// Collects what reports and traces write to the debug output while in scope.
#pragma once

#include "common/Report.h"

#include <mutex>
#include <string>
#include <vector>

class CDebugCapture {
public:
    CDebugCapture();
    ~CDebugCapture();
    CDebugCapture(const CDebugCapture&) = delete;
    CDebugCapture& operator=(const CDebugCapture&) = delete;

    // Every call of the debug output so far, in order.
    std::vector<std::string> Lines() const;

    // The traces written after the last report, in order.
    std::vector<std::string> TracesAfterReport() const;

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_lines;
    DebugOutputSink m_previous;
};
