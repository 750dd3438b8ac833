#include "DebugCapture.h"
#include "common/Report.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

// A code that no table knows.
constexpr HRESULT kUnknownCode = 0x1234;

TEST(ReportTest, WithoutCallerTextHasMessageAndCodeLinesOnly)
{
    CDebugCapture capture;
    EXPECT_EQ(ReportError(kUnknownCode), kUnknownCode);
    const std::string expected = "Message\t: Error message not found\nCode\t: 4660(0x00001234)";
    EXPECT_EQ(LastReport(), expected);
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0], expected);
}

TEST(ReportTest, WithCallerTextHasMessageReasonAndCode)
{
    ReportError(ERROR_FILE_NOT_FOUND, "Can not open %s", "clip.avi");
    EXPECT_EQ(LastReport(), "Message\t: Can not open clip.avi\n"
                            "Reason\t: The system cannot find the file specified.\n"
                            "Code\t: 2(0x00000002)");
}

TEST(ReportTest, NegativeCodesPrintSignedAndHexadecimal)
{
    EXPECT_EQ(ReportError(E_FAIL), E_FAIL);
    EXPECT_EQ(LastReport(), "Message\t: Unspecified error\nCode\t: -2147467259(0x80004005)");
}

TEST(ReportTest, LastReportHoldsOnlyTheNewest)
{
    ReportError(ERROR_INVALID_PARAMETER, "first");
    ReportError(ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(LastReport().find("first"), std::string::npos);
    EXPECT_NE(LastReport().find("Code\t: 8(0x00000008)"), std::string::npos);
}

// Two streaming threads fail one after the other: each passes on its own
// report, not the one the other made since.
TEST(ReportTest, EachThreadKeepsItsOwnLastReport)
{
    CDebugCapture quiet;
    ReportError(ERROR_INVALID_PARAMETER, "the test's own");
    std::string first;
    std::thread([&] {
        ReportError(ERROR_READ_FAULT, "the first stream's");
        std::thread([] { ReportError(ERROR_BAD_FORMAT, "the second stream's"); }).join();
        first = LastReportOfThisThread();
    }).join();
    EXPECT_NE(first.find("the first stream's"), std::string::npos) << first;
    EXPECT_NE(LastReport().find("the second stream's"), std::string::npos) << LastReport();
    EXPECT_NE(LastReportOfThisThread().find("the test's own"), std::string::npos);
    // A thread that reported nothing has nothing of its own to pass on.
    std::string none = "unset";
    std::thread([&] { none = LastReportOfThisThread(); }).join();
    EXPECT_EQ(none, "");
}

TEST(ReportTest, ACallErrorNamesTheModuleAndLine)
{
    CDebugCapture capture;
    EXPECT_EQ(ReportCallError(NS_E_INVALID_STREAM, "CASFReader", 42), NS_E_INVALID_STREAM);
    EXPECT_EQ(LastReport(), "Message\t: The specified stream does not exist.\nCode\t: -1072889796(0xC00D003C)");
    EXPECT_EQ(capture.TracesAfterReport(), (std::vector<std::string>{"CASFReader(42) : error = -1072889796"}));
}

TEST(ReportTest, TraceWritesTheLineAsFormatted)
{
    CDebugCapture capture;
    Trace("from %s", "CStream::_ReadFile()");
    Trace("pv = %llx, cb = %d", Hex(nullptr), 0);
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"from CStream::_ReadFile()", "pv = 0, cb = 0"}));
}

TEST(ReportTest, LongTextsAreCutToTheirBuffersAtCharacterBoundaries)
{
    CDebugCapture capture;
    // Two-byte characters: 4095 bytes would split one, so 4094 are kept.
    std::string accented;
    for (int i = 0; i < 3000; ++i)
        accented += "\xC3\xA9";
    ReportError(kUnknownCode, "%s", accented.c_str());
    std::string report = LastReport();
    size_t reason = report.find("\nReason\t: ");
    ASSERT_NE(reason, std::string::npos);
    EXPECT_EQ(reason - std::string("Message\t: ").size(), 4094u);

    std::string longLine(20000, 'x');
    Trace("%s", longLine.c_str());
    EXPECT_EQ(capture.Lines().back().size(), kTraceSize - 1);
}

// One whole report of a worker of the test below, nothing mixed in.
bool IsWorkerReport(const std::string& report)
{
    const std::string head = "Message\t: worker ";
    const std::string tail = "\nReason\t: The parameter is incorrect.\nCode\t: 87(0x00000057)";
    return report.size() == head.size() + 1 + tail.size() && report.starts_with(head) && report.ends_with(tail);
}

TEST(ReportTest, ConcurrentReportsNeverMixInTheLastReport)
{
    std::atomic<bool> bad{false};
    CDebugCapture capture;
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([w] {
            for (int i = 0; i < 500; ++i)
                ReportError(ERROR_INVALID_PARAMETER, "worker %d", w);
        });
    std::thread reader([&] {
        for (int i = 0; i < 500; ++i) {
            std::string report = LastReport();
            if (!report.empty() && report.find("worker") != std::string::npos && !IsWorkerReport(report))
                bad = true;
        }
    });
    for (auto& worker : workers)
        worker.join();
    reader.join();
    EXPECT_FALSE(bad);
    for (const std::string& line : capture.Lines())
        EXPECT_TRUE(IsWorkerReport(line)) << line;
}

} // namespace
