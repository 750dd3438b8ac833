// Error reports and trace lines: the one way both deliverables describe a
// failure. A failing step reports once where it happens; every function on
// the way up adds one "from %s" trace naming itself.
#pragma once

#include "ComTypes.h"

#include <cstdint>
#include <functional>
#include <string>

constexpr size_t kCallerTextSize = 4096;
constexpr size_t kSystemTextSize = 4096;
constexpr size_t kReportSize = 8192;
constexpr size_t kTraceSize = 8192;

// Composes a report from `code` alone (Message and Code lines), stores it as
// the last report, writes it to the debug output and returns `code`.
HRESULT ReportError(HRESULT code);

// Same with a caller text formatted by printf rules (Message, Reason and
// Code lines).
HRESULT ReportError(HRESULT code, const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

// An interface call failed where the caller has no text of its own: reports
// `code` alone and traces the caller's source module and the line of the
// call ("%s(%d) : error = %d"). Returns `code`.
HRESULT ReportCallError(HRESULT code, const char* pszModule, int nLine);

// Formats one line and writes it to the debug output; nothing is added.
void Trace(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

// Adds the "from %s" trace of `pszFunction` when `hr` is not S_OK, and
// returns `hr`, so that a function can pass a callee's result on.
HRESULT TraceFrom(HRESULT hr, const char* pszFunction);

// A bad argument: reports 87 alone, traces the arguments formatted by printf
// rules, then "from %s" with `pszFunction`. Returns 87.
HRESULT ArgumentFault(const char* pszFunction, const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

// The most recent report of this process, empty before the first one.
std::string LastReport();

// The most recent report made on the calling thread, whatever other threads
// reported since: what a streaming thread passes on as its own failure.
std::string LastReportOfThisThread();

// Pointers appear in argument traces as hexadecimal numbers ("pv = %llx").
inline unsigned long long Hex(const void* p)
{
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p));
}

// Where reports and traces go: one call per report or trace. Standard error
// (one line per call) unless replaced; returns the previous sink. An empty
// function restores standard error.
using DebugOutputSink = std::function<void(const char* pszText)>;
DebugOutputSink SetDebugOutput(DebugOutputSink sink);

// Writes one text to the current sink, as reports and traces do; lets a
// loaded library send its own reports to the program's debug output.
void WriteDebugOutput(const char* pszText);
