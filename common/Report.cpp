#include "Report.h"

#include "ErrorText.h"
#include "Utf8.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex g_reportLock;
char g_lastReport[kReportSize];
thread_local std::string t_lastReport;

std::mutex g_sinkLock;
DebugOutputSink g_sink;

void WriteToStandardError(const char* pszText)
{
    std::string line(pszText);
    line += '\n';
    // One write per line keeps lines of different threads apart.
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t written = ::write(STDERR_FILENO, p, left);
        if (written <= 0)
            return;
        p += written;
        left -= static_cast<size_t>(written);
    }
}

// printf into a fixed buffer; text that does not fit is cut at a character
// boundary so that the buffer always holds valid, terminated text.
__attribute__((format(printf, 3, 0))) size_t FormatInto(char* pBuffer, size_t cbBuffer, const char* pszFormat,
                                                        va_list args)
{
    int cch = std::vsnprintf(pBuffer, cbBuffer, pszFormat, args);
    if (cch < 0) {
        pBuffer[0] = '\0';
        return 0;
    }
    size_t len = static_cast<size_t>(cch);
    if (len < cbBuffer)
        return len;
    size_t cut = Utf8CompleteLength(pBuffer, cbBuffer - 1);
    pBuffer[cut] = '\0';
    return cut;
}

class ReportBuffer {
public:
    ReportBuffer(char* pBuffer, size_t cbBuffer) : m_pBuffer(pBuffer), m_cbBuffer(cbBuffer)
    {
        std::memset(m_pBuffer, 0, m_cbBuffer);
    }

    void Append(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, pszFormat);
        m_used += FormatInto(m_pBuffer + m_used, m_cbBuffer - m_used, pszFormat, args);
        va_end(args);
    }

private:
    char* m_pBuffer;
    size_t m_cbBuffer;
    size_t m_used = 0;
};

std::string SystemText(HRESULT code)
{
    std::string text = ErrorText(code);
    if (text.empty())
        return "Error message not found";
    text.resize(Utf8PrefixLength(text.data(), text.size(), kSystemTextSize - 1));
    return text;
}

HRESULT Compose(HRESULT code, const char* pszCallerText)
{
    std::string systemText = SystemText(code);
    std::lock_guard lock(g_reportLock);
    ReportBuffer report(g_lastReport, sizeof g_lastReport);
    if (pszCallerText != nullptr)
        report.Append("Message\t: %s\n", pszCallerText);
    report.Append(pszCallerText != nullptr ? "Reason\t: %s\n" : "Message\t: %s\n", systemText.c_str());
    report.Append("Code\t: %d(0x%08X)", code, static_cast<unsigned>(code));
    t_lastReport = g_lastReport;
    WriteDebugOutput(g_lastReport);
    return code;
}

} // namespace

HRESULT ReportError(HRESULT code)
{
    return Compose(code, nullptr);
}

HRESULT ReportError(HRESULT code, const char* pszFormat, ...)
{
    char callerText[kCallerTextSize];
    va_list args;
    va_start(args, pszFormat);
    FormatInto(callerText, sizeof callerText, pszFormat, args);
    va_end(args);
    return Compose(code, callerText);
}

HRESULT ReportCallError(HRESULT code, const char* pszModule, int nLine)
{
    ReportError(code);
    Trace("%s(%d) : error = %d", pszModule, nLine, code);
    return code;
}

namespace {

__attribute__((format(printf, 1, 0))) void TraceArguments(const char* pszFormat, va_list args)
{
    char line[kTraceSize];
    FormatInto(line, sizeof line, pszFormat, args);
    WriteDebugOutput(line);
}

} // namespace

void Trace(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    TraceArguments(pszFormat, args);
    va_end(args);
}

HRESULT TraceFrom(HRESULT hr, const char* pszFunction)
{
    if (hr != S_OK)
        Trace("from %s", pszFunction);
    return hr;
}

HRESULT ArgumentFault(const char* pszFunction, const char* pszFormat, ...)
{
    HRESULT hr = ReportError(ERROR_INVALID_PARAMETER);
    va_list args;
    va_start(args, pszFormat);
    TraceArguments(pszFormat, args);
    va_end(args);
    return TraceFrom(hr, pszFunction);
}

std::string LastReport()
{
    std::lock_guard lock(g_reportLock);
    return g_lastReport;
}

std::string LastReportOfThisThread()
{
    return t_lastReport;
}

void WriteDebugOutput(const char* pszText)
{
    std::lock_guard lock(g_sinkLock);
    if (g_sink)
        g_sink(pszText);
    else
        WriteToStandardError(pszText);
}

DebugOutputSink SetDebugOutput(DebugOutputSink sink)
{
    std::lock_guard lock(g_sinkLock);
    DebugOutputSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}
