// Collects what reports and traces write to the debug output while in scope.
#pragma once

#include "common/Report.h"

#include <memory>
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
    // Guards m_lines. On the heap: std::mutex ends without telling the
    // thread checker, which then takes a later mutex at the same stack
    // address (another test's) for this one and reports a lock-order
    // inversion between the two; freed heap memory forgets its locks.
    std::unique_ptr<std::mutex> m_pLock = std::make_unique<std::mutex>();
    std::vector<std::string> m_lines;
    DebugOutputSink m_previous;
};
