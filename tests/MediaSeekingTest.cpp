#include "DebugCapture.h"
#include "filters/MediaSeeking.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kAsfPinCapabilities = 0x37;

// Seeking for a pin of 100 s that records the hooks it is called through.
class CRecordingSeeking : public CMediaSeeking {
public:
    CRecordingSeeking() : CMediaSeeking(&m_lock, kAsfPinCapabilities) {}

    std::vector<std::string> m_calls;
    HRESULT m_stopResult = S_OK;

protected:
    LONGLONG GetMediaDuration() override { return 100 * UNITS; }
    HRESULT ChangeStart() override
    {
        m_calls.push_back("start");
        return S_OK;
    }
    HRESULT ChangeStop() override
    {
        m_calls.push_back("stop");
        return m_stopResult;
    }
    HRESULT ChangeRate() override
    {
        m_calls.push_back("rate");
        return S_OK;
    }

private:
    std::recursive_mutex m_lock;
};

std::pair<LONGLONG, LONGLONG> Range(LONGLONG start, LONGLONG stop)
{
    return {start, stop};
}

std::pair<LONGLONG, LONGLONG> Positions(CMediaSeeking& seeking)
{
    LONGLONG start = -1;
    LONGLONG stop = -1;
    EXPECT_EQ(seeking.GetPositions(&start, &stop), S_OK);
    return {start, stop};
}

TEST(MediaSeekingTest, StartsAtZeroWithTheLargestStopAndNormalRate)
{
    CRecordingSeeking seeking;
    EXPECT_EQ(Positions(seeking), Range(0, kUnsetStopPosition));
    double rate = 0;
    EXPECT_EQ(seeking.GetRate(&rate), S_OK);
    EXPECT_EQ(rate, 1.0);
    LONGLONG value = -1;
    EXPECT_EQ(seeking.GetPreroll(&value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(seeking.GetDuration(&value), S_OK);
    EXPECT_EQ(value, 100 * UNITS);
    LONGLONG earliest = -1;
    EXPECT_EQ(seeking.GetAvailable(&earliest, &value), S_OK);
    EXPECT_EQ(earliest, 0);
    EXPECT_EQ(value, 100 * UNITS);
    EXPECT_EQ(seeking.GetCurrentPosition(&value), E_NOTIMPL);
}

TEST(MediaSeekingTest, AnAbsoluteStartAloneCallsOnlyChangeStart)
{
    CRecordingSeeking seeking;
    LONGLONG start = 50000000;
    EXPECT_EQ(seeking.SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
    EXPECT_EQ(seeking.m_calls, std::vector<std::string>{"start"});
    EXPECT_EQ(Positions(seeking), Range(50000000, kUnsetStopPosition));
}

TEST(MediaSeekingTest, AnIncrementalStopCountsFromTheNewStart)
{
    CRecordingSeeking seeking;
    LONGLONG start = 30000000;
    ASSERT_EQ(seeking.SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, 0), S_OK);
    LONGLONG relative = 20000000;
    LONGLONG increment = 10000000;
    seeking.m_calls.clear();
    EXPECT_EQ(seeking.SetPositions(&relative, AM_SEEKING_RelativePositioning, &increment,
                                   AM_SEEKING_IncrementalPositioning),
              S_OK);
    EXPECT_EQ(Positions(seeking), Range(50000000, 60000000));
    EXPECT_EQ(seeking.m_calls, (std::vector<std::string>{"stop", "start"}));
    LONGLONG stop = 0;
    EXPECT_EQ(seeking.GetStopPosition(&stop), S_OK);
    EXPECT_EQ(stop, 60000000);
}

TEST(MediaSeekingTest, ExtraStopFlagsAreRefusedButExtraStartFlagsAccepted)
{
    CRecordingSeeking seeking;
    LONGLONG position = 10000000;
    CDebugCapture capture;
    EXPECT_EQ(seeking.SetPositions(nullptr, 0, &position,
                                   AM_SEEKING_AbsolutePositioning | AM_SEEKING_SeekToKeyFrame),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LastReport(), "Message\t: 5 정지 클래그는 지원하지 않습니다\n"
                            "Reason\t: The parameter is incorrect.\n"
                            "Code\t: 87(0x00000057)");
    EXPECT_EQ(capture.TracesAfterReport(), (std::vector<std::string>{"dwStopFlags = 5, dwStopPosBits = 1",
                                                                     "from CMediaSeeking::SetPositions()"}));
    EXPECT_EQ(Positions(seeking), Range(0, kUnsetStopPosition));
    EXPECT_TRUE(seeking.m_calls.empty());

    EXPECT_EQ(seeking.SetPositions(&position, AM_SEEKING_AbsolutePositioning | AM_SEEKING_SeekToKeyFrame,
                                   nullptr, 0),
              S_OK);
    EXPECT_EQ(Positions(seeking).first, 10000000);
}

TEST(MediaSeekingTest, BadStartBitsAndMissingPointersAreRefused)
{
    CRecordingSeeking seeking;
    LONGLONG position = 10000000;
    CDebugCapture capture;
    EXPECT_EQ(seeking.SetPositions(&position, AM_SEEKING_IncrementalPositioning, nullptr, 0),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LastReport(), "Message\t:  3 시작 플래그는 지원하지 않습니다\n"
                            "Reason\t: The parameter is incorrect.\n"
                            "Code\t: 87(0x00000057)");
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"dwStartPosBits = 3", "from CMediaSeeking::SetPositions()"}));
    EXPECT_EQ(seeking.SetPositions(nullptr, AM_SEEKING_AbsolutePositioning, nullptr, 0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(seeking.SetPositions(nullptr, 0, nullptr, AM_SEEKING_AbsolutePositioning), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(seeking.m_calls.empty());
}

TEST(MediaSeekingTest, AFailedHookIsReturned)
{
    CRecordingSeeking seeking;
    seeking.m_stopResult = E_FAIL;
    LONGLONG position = 10000000;
    CDebugCapture capture;
    EXPECT_EQ(seeking.SetPositions(&position, AM_SEEKING_AbsolutePositioning, &position,
                                   AM_SEEKING_AbsolutePositioning),
              E_FAIL);
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{"from CMediaSeeking::SetPositions()"});
}

TEST(MediaSeekingTest, OnlyMediaTimeIsServed)
{
    CRecordingSeeking seeking;
    EXPECT_EQ(seeking.SetTimeFormat(&TIME_FORMAT_FRAME), S_FALSE);
    GUID format = GUID_NULL;
    EXPECT_EQ(seeking.GetTimeFormat(&format), S_OK);
    EXPECT_EQ(format, TIME_FORMAT_MEDIA_TIME);
    EXPECT_EQ(seeking.QueryPreferredFormat(&format), S_OK);
    EXPECT_EQ(format, TIME_FORMAT_MEDIA_TIME);
    EXPECT_EQ(seeking.IsFormatSupported(&TIME_FORMAT_MEDIA_TIME), S_OK);
    EXPECT_EQ(seeking.IsFormatSupported(&TIME_FORMAT_FRAME), S_FALSE);
    EXPECT_EQ(seeking.IsUsingTimeFormat(&TIME_FORMAT_FRAME), S_FALSE);
    EXPECT_EQ(seeking.SetTimeFormat(&TIME_FORMAT_MEDIA_TIME), S_OK);
}

TEST(MediaSeekingTest, ConvertTimeFormatCopiesMediaTime)
{
    CRecordingSeeking seeking;
    LONGLONG target = 0;
    EXPECT_EQ(seeking.ConvertTimeFormat(&target, nullptr, 1234, nullptr), S_OK);
    EXPECT_EQ(target, 1234);
    CDebugCapture capture;
    EXPECT_EQ(seeking.ConvertTimeFormat(&target, &TIME_FORMAT_FRAME, 5, nullptr), E_INVALIDARG);
    EXPECT_EQ(target, 1234);
    EXPECT_EQ(seeking.ConvertTimeFormat(nullptr, nullptr, 5, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"pllTarget = 0", "from CMediaSeeking::ConvertTimeFormat()"}));
}

TEST(MediaSeekingTest, CapabilitiesAreCheckedByAnyCommonBit)
{
    CRecordingSeeking seeking;
    DWORD caps = 0;
    EXPECT_EQ(seeking.GetCapabilities(&caps), S_OK);
    EXPECT_EQ(caps, kAsfPinCapabilities);
    caps = AM_SEEKING_CanGetCurrentPos;
    EXPECT_EQ(seeking.CheckCapabilities(&caps), S_FALSE);
    caps = AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanSeekAbsolute;
    EXPECT_EQ(seeking.CheckCapabilities(&caps), S_OK);
    EXPECT_EQ(caps, AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanSeekAbsolute);
}

TEST(MediaSeekingTest, SetRateStoresAnyRateAndCallsItsHook)
{
    CRecordingSeeking seeking;
    EXPECT_EQ(seeking.SetRate(-2.5), S_OK);
    double rate = 0;
    EXPECT_EQ(seeking.GetRate(&rate), S_OK);
    EXPECT_EQ(rate, -2.5);
    EXPECT_EQ(seeking.m_calls, std::vector<std::string>{"rate"});
    CDebugCapture capture;
    EXPECT_EQ(seeking.GetRate(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"pdRate = 0", "from CMediaSeeking::GetRate()"}));
    EXPECT_EQ(seeking.GetPreroll(nullptr), ERROR_INVALID_PARAMETER);
}

} // namespace
