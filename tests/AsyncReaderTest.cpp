#include "DebugCapture.h"
#include "ReaderTestSupport.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// A file of `cb` bytes whose first bytes are `header`, zeros after it.
std::string HeaderFile(const CTempDir& dir, const std::string& header, size_t cb = kTypeProbeSize)
{
    std::string content(cb, '\0');
    content.replace(0, header.size(), header);
    return dir.WriteFile("probe.bin", content);
}

struct GuessCase {
    const char* name;
    std::string header;
    GUID subtype;
};

void PrintTo(const GuessCase& param, std::ostream* pOut)
{
    *pOut << param.name;
}

class ContainerGuessTest : public ReaderTest, public ::testing::WithParamInterface<GuessCase> {};

TEST_P(ContainerGuessTest, ChoosesTheSubtypeFromTheFirstBytes)
{
    ASSERT_EQ(Load(HeaderFile(m_dir, GetParam().header)), S_OK);
    AM_MEDIA_TYPE mt = MediaType();
    EXPECT_EQ(mt.majortype, MEDIATYPE_Stream);
    EXPECT_EQ(mt.subtype, GetParam().subtype);
    EXPECT_TRUE(mt.bFixedSizeSamples);
    EXPECT_TRUE(mt.bTemporalCompression);
    EXPECT_EQ(mt.lSampleSize, 1u);
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ContainerGuessTest,
    ::testing::Values(GuessCase{"Avi", "RIFF" + Bytes({1, 2, 3, 4}) + "AVI LIST", MEDIASUBTYPE_Avi},
                      GuessCase{"WaveIsNoAvi", "RIFF" + Bytes({1, 2, 3, 4}) + "WAVEfmt ", GUID_NULL},
                      GuessCase{"PackHeader", Bytes({0, 0, 1, 0xBA}), MEDIASUBTYPE_MPEG1System},
                      GuessCase{"SequenceHeader", Bytes({0, 0, 1, 0xB3}), MEDIASUBTYPE_MPEG1System},
                      GuessCase{"OtherStartCode", Bytes({0, 0, 1, 0xB9}), GUID_NULL},
                      GuessCase{"Id3", "ID3", MEDIASUBTYPE_MPEG1Audio},
                      GuessCase{"FrameAfterZeros", std::string(100, '\0') + Bytes({0xFF, 0xFB}),
                                MEDIASUBTYPE_MPEG1Audio},
                      GuessCase{"Mpeg2Frame", Bytes({0xFF, 0xF2}), MEDIASUBTYPE_MPEG1Audio},
                      GuessCase{"ReservedVersion", Bytes({0xFF, 0xEA}), GUID_NULL},
                      GuessCase{"ReservedLayer", Bytes({0xFF, 0xE1}), GUID_NULL},
                      GuessCase{"SyncOnlyInLastByte", std::string(8191, '\0') + Bytes({0xFF}), GUID_NULL},
                      GuessCase{"Zeros", "", GUID_NULL}),
    [](const ::testing::TestParamInfo<GuessCase>& param) { return std::string(param.param.name); });

TEST_F(ReaderTest, AFileShorterThanTheProbeLoadsWithoutAUsableType)
{
    CDebugCapture capture;
    ASSERT_EQ(Load(HeaderFile(m_dir, "ID3", kTypeProbeSize - 1)), S_OK);
    EXPECT_EQ(LastReport(), "Message\t: 스트림으로부터 8192 바이트를 읽을 수 없습니다\n"
                            "Reason\t: The system cannot read from the specified device.\n"
                            "Code\t: 30(0x0000001E)");
    EXPECT_EQ(capture.TracesAfterReport(),
              std::vector<std::string>{"from CAsyncFileSourceFilterOutputPin::_GetMediaType()"});
    EXPECT_EQ(m_pFilter->GetPinCount(), 1);
    AM_MEDIA_TYPE mt = MediaType();
    EXPECT_EQ(mt.majortype, GUID_NULL);
    EXPECT_EQ(mt.lSampleSize, 1u);
    AM_MEDIA_TYPE stream{MEDIATYPE_Stream, GUID_NULL, 1, 0, 1};
    EXPECT_EQ(Pin()->CheckMediaType(&stream), S_FALSE);
}

TEST_F(ReaderTest, AMissingFileFailsTheLoadWithItsTrail)
{
    std::string missing = m_dir.Path() + "/missing.avi";
    CDebugCapture capture;
    EXPECT_EQ(Load(missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"from CreateFile()", "from CFileStream::Init()",
                                        "from CAsyncFileSourceFilter::CreateOutputPin()",
                                        "from CFileSourceFilter::Load()", "from CAsyncFileSourceFilter::Load()"}));
    EXPECT_EQ(m_pFilter->GetPinCount(), 0);
    char* pszName = nullptr;
    ASSERT_EQ(m_pFilter->GetCurFile(&pszName, nullptr), S_OK);
    EXPECT_STREQ(pszName, missing.c_str());
    CoTaskMemFree(pszName);
}

TEST_F(ReaderTest, ADirectoryFailsTheLoad)
{
    CDebugCapture capture;
    EXPECT_NE(Load(m_dir.Path()), S_OK);
    EXPECT_EQ(m_pFilter->GetPinCount(), 0);
}

TEST_F(ReaderTest, LoadingAgainReplacesTheFile)
{
    ASSERT_EQ(Load(HeaderFile(m_dir, "ID3")), S_OK);
    std::string avi = m_dir.WriteFile("second.avi", "RIFF" + std::string(4, 'x') + "AVI LIST" + PatternBytes(9000));
    ASSERT_EQ(m_pFilter->Load(avi.c_str(), nullptr), S_OK);
    EXPECT_EQ(MediaType().subtype, MEDIASUBTYPE_Avi);
    LONGLONG total = 0;
    LONGLONG available = 0;
    ASSERT_EQ(Pin()->Length(&total, &available), S_OK);
    EXPECT_EQ(total, 9016);
}

TEST_F(ReaderTest, MediaTypeQueriesAnswerByPosition)
{
    ASSERT_EQ(Load(HeaderFile(m_dir, "ID3")), S_OK);
    AM_MEDIA_TYPE mt{};
    CDebugCapture capture;
    EXPECT_EQ(Pin()->GetMediaType(1, &mt), VFW_S_NO_MORE_ITEMS);
    EXPECT_TRUE(capture.Lines().empty());
    EXPECT_EQ(Pin()->GetMediaType(-1, &mt), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Pin()->GetMediaType(0, nullptr), E_INVALIDARG);
    EXPECT_EQ(capture.TracesAfterReport(),
              std::vector<std::string>{"from CAsyncFileSourceFilterOutputPin::GetMediaType()"});
}

TEST_F(ReaderTest, CheckMediaTypeAcceptsAnySubtypeOnlyForAnUntypedStream)
{
    AM_MEDIA_TYPE avi{MEDIATYPE_Stream, MEDIASUBTYPE_Avi, 1, 1, 1};
    AM_MEDIA_TYPE video{MEDIATYPE_Video, MEDIASUBTYPE_Avi, 1, 1, 1};
    ASSERT_EQ(Load(HeaderFile(m_dir, "")), S_OK);
    EXPECT_EQ(Pin()->CheckMediaType(&avi), S_OK);
    EXPECT_EQ(Pin()->CheckMediaType(&video), S_FALSE);

    ASSERT_EQ(Load(HeaderFile(m_dir, "ID3")), S_OK);
    EXPECT_EQ(Pin()->CheckMediaType(&avi), S_FALSE);
    AM_MEDIA_TYPE audio{MEDIATYPE_Stream, MEDIASUBTYPE_MPEG1Audio, 0, 0, 0};
    EXPECT_EQ(Pin()->CheckMediaType(&audio), S_OK);

    CDebugCapture capture;
    EXPECT_EQ(Pin()->CheckMediaType(nullptr), S_FALSE);
    EXPECT_EQ(capture.TracesAfterReport(), std::vector<std::string>{"pmt = 0"});
}

TEST_F(ReaderTest, RequestCutAtTheEndOfTheFileSaysWhichBytesItHolds)
{
    std::string content = PatternBytes(1500);
    ASSERT_EQ(Load(m_dir.WriteFile("short.bin", content)), S_OK);
    std::vector<BYTE> buffer(1000, 0xEE);
    SamplePtr pSample = MakeSample(buffer, 1000, 2000);
    ASSERT_EQ(Pin()->Request(pSample.get(), 42), S_OK);

    IMediaSample* pDone = nullptr;
    DWORD dwUser = 0;
    ASSERT_EQ(Pin()->WaitForNext(0, &pDone, &dwUser), S_OK);
    EXPECT_EQ(pDone, pSample.get());
    EXPECT_EQ(dwUser, 42u);
    EXPECT_EQ(SampleRange(pDone), Range(1000, 1500));
    EXPECT_EQ(std::memcmp(buffer.data(), content.data() + 1000, 500), 0);
    EXPECT_EQ(buffer[500], 0xEE);
}

TEST_F(ReaderTest, SyncReadAlignedPastTheEndHoldsNothing)
{
    ASSERT_EQ(Load(m_dir.WriteFile("short.bin", PatternBytes(1500))), S_OK);
    std::vector<BYTE> buffer(100);
    SamplePtr pSample = MakeSample(buffer, 1600, 1700);
    EXPECT_EQ(Pin()->SyncReadAligned(pSample.get()), S_OK);
    EXPECT_EQ(SampleRange(pSample.get()), Range(1600, 1600));
    pSample = MakeSample(buffer, 1500, 1600);
    EXPECT_EQ(Pin()->SyncReadAligned(pSample.get()), S_OK);
    EXPECT_EQ(SampleRange(pSample.get()), Range(1500, 1500));
}

TEST_F(ReaderTest, RangesThatAreNoByteRangeOrExceedTheBufferAreRefused)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(5000))), S_OK);
    std::vector<BYTE> buffer(100, 0xEE);
    CDebugCapture capture;
    SamplePtr pTooLong = MakeSample(buffer, 0, 4000);
    EXPECT_EQ(Pin()->Request(pTooLong.get(), 0), ERROR_INVALID_PARAMETER);
    SamplePtr pBackwards = MakeSample(buffer, 200, 100);
    EXPECT_EQ(Pin()->SyncReadAligned(pBackwards.get()), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(buffer, std::vector<BYTE>(100, 0xEE));

    SamplePtr pNoTimes(new CMediaSample(buffer.data(), 100));
    EXPECT_EQ(Pin()->Request(pNoTimes.get(), 0), VFW_E_SAMPLE_TIME_NOT_SET);
    EXPECT_EQ(Pin()->Request(nullptr, 0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport(), std::vector<std::string>{"pSample = 0"});

    IMediaSample* pDone = nullptr;
    DWORD dwUser = 0;
    EXPECT_EQ(Pin()->WaitForNext(0, &pDone, &dwUser), VFW_E_TIMEOUT);
}

TEST_F(ReaderTest, WaitForNextOnAnEmptyQueueTimesOut)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(100))), S_OK);
    IMediaSample* pDone = reinterpret_cast<IMediaSample*>(1);
    DWORD dwUser = 7;
    EXPECT_EQ(Pin()->WaitForNext(0, &pDone, &dwUser), VFW_E_TIMEOUT);
    EXPECT_EQ(pDone, nullptr);
    EXPECT_EQ(dwUser, 0u);
    CDebugCapture capture;
    EXPECT_EQ(Pin()->WaitForNext(0, nullptr, &dwUser), ERROR_INVALID_PARAMETER);
}

TEST_F(ReaderTest, BeginFlushWakesAWaiterAndEndFlushLetsRequestsThrough)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(100))), S_OK);
    HRESULT hrWait = S_OK;
    IMediaSample* pDone = nullptr;
    DWORD dwUser = 0;
    std::thread waiter([&] { hrWait = Pin()->WaitForNext(INFINITE, &pDone, &dwUser); });
    // The flush must wake the waiter whether it is already waiting or not.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Pin()->BeginFlush(), S_OK);
    waiter.join();
    EXPECT_EQ(hrWait, VFW_E_WRONG_STATE);
    EXPECT_EQ(pDone, nullptr);
    EXPECT_EQ(Pin()->EndFlush(), S_OK);

    std::vector<BYTE> buffer(10);
    SamplePtr pSample = MakeSample(buffer, 0, 10);
    ASSERT_EQ(Pin()->Request(pSample.get(), 5), S_OK);
    EXPECT_EQ(Pin()->WaitForNext(INFINITE, &pDone, &dwUser), S_OK);
    EXPECT_EQ(pDone, pSample.get());
    EXPECT_EQ(dwUser, 5u);
}

TEST_F(ReaderTest, CompletedRequestsSurviveAFlush)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(100))), S_OK);
    std::vector<BYTE> buffer(10);
    SamplePtr pSample = MakeSample(buffer, 0, 10);
    ASSERT_EQ(Pin()->Request(pSample.get(), 1), S_OK);
    Pin()->BeginFlush();
    Pin()->EndFlush();
    IMediaSample* pDone = nullptr;
    DWORD dwUser = 0;
    EXPECT_EQ(Pin()->WaitForNext(0, &pDone, &dwUser), S_OK);
    EXPECT_EQ(pDone, pSample.get());
}

TEST_F(ReaderTest, TheRequestAfterAFullQueueWaitsUntilOneIsTaken)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(kRequestQueueSize + 1))), S_OK);
    std::vector<std::vector<BYTE>> buffers(kRequestQueueSize + 1, std::vector<BYTE>(1));
    std::vector<SamplePtr> samples;
    for (size_t i = 0; i < buffers.size(); ++i)
        samples.push_back(MakeSample(buffers[i], static_cast<LONGLONG>(i), static_cast<LONGLONG>(i) + 1));
    for (size_t i = 0; i < kRequestQueueSize; ++i)
        ASSERT_EQ(Pin()->Request(samples[i].get(), static_cast<DWORD>(i)), S_OK);

    std::atomic<bool> isQueued{false};
    std::thread requester([&] {
        EXPECT_EQ(Pin()->Request(samples.back().get(), static_cast<DWORD>(kRequestQueueSize)), S_OK);
        isQueued = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(isQueued);

    IMediaSample* pDone = nullptr;
    DWORD dwUser = 0;
    ASSERT_EQ(Pin()->WaitForNext(INFINITE, &pDone, &dwUser), S_OK);
    EXPECT_EQ(dwUser, 0u);
    requester.join();
    EXPECT_TRUE(isQueued);
    // Entries come out in the order they went in, the 257th last.
    for (size_t i = 1; i <= kRequestQueueSize; ++i) {
        ASSERT_EQ(Pin()->WaitForNext(0, &pDone, &dwUser), S_OK);
        EXPECT_EQ(dwUser, i);
        EXPECT_EQ(buffers[i][0], static_cast<BYTE>(i * 7));
    }
}

TEST_F(ReaderTest, DestroyingThePinReleasesUntakenRequests)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(100))), S_OK);
    std::vector<BYTE> buffer(10);
    IMediaSample* pSample = MakeSample(buffer, 0, 10).release();
    pSample->AddRef();
    ASSERT_EQ(Pin()->Request(pSample, 0), S_OK);
    m_pFilter->Release();
    m_pFilter = nullptr;
    // Only the reference taken above is left.
    EXPECT_EQ(pSample->Release(), 0u);
}

TEST_F(ReaderTest, SyncReadNeedsTheWholeRange)
{
    std::string content = PatternBytes(1000);
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", content)), S_OK);
    std::vector<BYTE> buffer(100);
    EXPECT_EQ(Pin()->SyncRead(900, 100, buffer.data()), S_OK);
    EXPECT_EQ(std::memcmp(buffer.data(), content.data() + 900, 100), 0);
    CDebugCapture capture;
    EXPECT_EQ(Pin()->SyncRead(1000, 10, buffer.data()), S_FALSE);
    EXPECT_EQ(Pin()->SyncRead(950, 100, buffer.data()), S_FALSE);
    EXPECT_EQ(Pin()->SyncRead(2000, 10, buffer.data()), S_FALSE);
    EXPECT_EQ(Pin()->SyncRead(0, -5, buffer.data()), S_FALSE);
    EXPECT_EQ(Pin()->SyncRead(0, 10, nullptr), S_FALSE);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"llPosition = 0, lLength = 10, pbBuffer = 0",
                                        "from CAsyncFileSourceFilterOutputPin::SyncRead()"}));
}

TEST_F(ReaderTest, LengthGivesTheTotalAndWhatFollowsThePosition)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(10000))), S_OK);
    LONGLONG total = 0;
    LONGLONG available = 0;
    ASSERT_EQ(Pin()->Length(&total, &available), S_OK);
    EXPECT_EQ(total, 10000);
    // The type probe put the position back at the start.
    EXPECT_EQ(available, 10000);
    CDebugCapture capture;
    EXPECT_EQ(Pin()->Length(&total, nullptr), E_INVALIDARG);
}

TEST_F(ReaderTest, RequestAllocatorPrefersTheClientsAllocator)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(100))), S_OK);
    HRESULT hr = S_OK;
    auto* pPreferred = new CMemAllocator("client", &hr);
    ALLOCATOR_PROPERTIES props{4, 4096, 0, 0};
    IMemAllocator* pActual = nullptr;
    ASSERT_EQ(Pin()->RequestAllocator(pPreferred, &props, &pActual), S_OK);
    EXPECT_EQ(pActual, pPreferred);
    EXPECT_EQ(props.cbAlign, 1);
    pActual->Release();
    pPreferred->Release();

    ASSERT_EQ(Pin()->RequestAllocator(nullptr, &props, &pActual), S_OK);
    EXPECT_EQ(static_cast<CMemAllocator*>(pActual)->Name(), "Brelm DRM Allocator");
    IMediaSample* pSample = nullptr;
    ASSERT_EQ(pActual->GetBuffer(&pSample), S_OK);
    EXPECT_EQ(pSample->GetSize(), 4096);
    pSample->Release();
    pActual->Release();
}

TEST_F(ReaderTest, RequestAllocatorReportsAnAllocatorThatRefusesTheProperties)
{
    ASSERT_EQ(Load(m_dir.WriteFile("data.bin", PatternBytes(100))), S_OK);
    ALLOCATOR_PROPERTIES props{0, 4096, 16, 0};
    IMemAllocator* pActual = nullptr;
    CDebugCapture capture;
    EXPECT_EQ(Pin()->RequestAllocator(nullptr, &props, &pActual), VFW_E_SIZENOTSET);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"from IMemAllocator::SetProperties()",
                                        "from CAsyncFileSourceFilterOutputPin::RequestAllocator()"}));
    EXPECT_EQ(pActual, nullptr);
}

} // namespace
