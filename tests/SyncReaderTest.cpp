#include "TempDir.h"
#include "TestMedia.h"
#include "common/FileStream.h"
#include "filters/SyncReader.h"

extern "C" {
#include <libavcodec/packet.h>
}

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace {

class SyncReaderTest : public ::testing::Test {
protected:
    ~SyncReaderTest() override
    {
        m_reader.reset();
        if (m_pStream != nullptr)
            m_pStream->Release();
    }

    // Opens the 5-second WMV (video stream 1, audio stream 2).
    void Open(size_t cbMaxQueued = CSyncReader::kDefaultMaxQueuedBytes,
              const std::string& path = TestMediaPath(TestMedia::Wmv))
    {
        m_reader = std::make_unique<CSyncReader>(cbMaxQueued);
        m_pStream = new CFileStream();
        ASSERT_EQ(m_pStream->Init(path.c_str()), S_OK);
        ASSERT_EQ(m_reader->OpenStream(m_pStream), S_OK);
    }

    HRESULT Next(WORD wStreamNum, LONGLONG* pcnsTime = nullptr, DWORD* pdwFlags = nullptr)
    {
        SampleBuffer pSample;
        LONGLONG cnsTime = 0;
        LONGLONG cnsDuration = 0;
        DWORD dwFlags = 0;
        HRESULT hr = m_reader->GetNextSample(wStreamNum, &pSample, &cnsTime, &cnsDuration, &dwFlags);
        if (pcnsTime != nullptr)
            *pcnsTime = cnsTime;
        if (pdwFlags != nullptr)
            *pdwFlags = dwFlags;
        return hr;
    }

    CStream* m_pStream = nullptr;
    std::unique_ptr<CSyncReader> m_reader;
};

TEST_F(SyncReaderTest, ListsStreamsAndAnswersSizeQueries)
{
    Open();
    DWORD cStreams = 0;
    ASSERT_EQ(m_reader->GetStreamCount(&cStreams), S_OK);
    ASSERT_EQ(cStreams, 2u);
    GUID type = GUID_NULL;
    WORD wStreamNum = 0;
    ASSERT_EQ(m_reader->GetStream(0, &type, &wStreamNum), S_OK);
    EXPECT_EQ(type, WMMEDIATYPE_Video);
    EXPECT_EQ(wStreamNum, 1);
    ASSERT_EQ(m_reader->GetStream(1, &type, &wStreamNum), S_OK);
    EXPECT_EQ(type, WMMEDIATYPE_Audio);
    EXPECT_EQ(wStreamNum, 2);
    EXPECT_EQ(m_reader->GetStream(2, &type, &wStreamNum), E_INVALIDARG);

    DWORD cbType = 10;
    std::vector<char> block(10);
    EXPECT_EQ(m_reader->GetMediaType(2, reinterpret_cast<WM_MEDIA_TYPE*>(block.data()), &cbType),
              ASF_E_BUFFERTOOSMALL);
    EXPECT_GT(cbType, sizeof(WM_MEDIA_TYPE) + sizeof(WAVEFORMATEX));
    EXPECT_EQ(m_reader->GetMediaType(0, nullptr, &cbType), NS_E_INVALID_STREAM);
    EXPECT_EQ(m_reader->GetMediaType(9, nullptr, &cbType), NS_E_INVALID_STREAM);

    WMT_ATTR_DATATYPE attributeType = WMT_TYPE_DWORD;
    WORD cbValue = 4;
    BYTE value[8] = {};
    EXPECT_EQ(m_reader->GetAttributeByName(0, g_wszWMDuration, &attributeType, value, &cbValue),
              ASF_E_BUFFERTOOSMALL);
    EXPECT_EQ(cbValue, 8);
    EXPECT_EQ(attributeType, WMT_TYPE_QWORD);
    EXPECT_EQ(m_reader->GetAttributeByName(0, "Title", &attributeType, nullptr, &cbValue), ASF_E_NOTFOUND);
    EXPECT_EQ(m_reader->GetAttributeByName(1, g_wszWMDuration, &attributeType, nullptr, &cbValue), ASF_E_NOTFOUND);
}

TEST_F(SyncReaderTest, OnlySelectedStreamsDeliverAndTheFirstSamplesAreFlagged)
{
    Open();
    EXPECT_EQ(Next(1), NS_E_INVALID_REQUEST);
    ASSERT_EQ(m_reader->SetStreamsSelected(1, true), S_OK);
    DWORD dwFlags = 0;
    ASSERT_EQ(Next(1, nullptr, &dwFlags), S_OK);
    EXPECT_EQ(dwFlags, WM_SF_CLEANPOINT | WM_SF_DISCONTINUITY);
    ASSERT_EQ(Next(1, nullptr, &dwFlags), S_OK);
    EXPECT_EQ(dwFlags, 0u);
    EXPECT_EQ(Next(2), NS_E_INVALID_REQUEST);

    ASSERT_EQ(m_reader->SetRange(0, 0), S_OK);
    ASSERT_EQ(Next(1, nullptr, &dwFlags), S_OK);
    EXPECT_EQ(dwFlags, WM_SF_CLEANPOINT | WM_SF_DISCONTINUITY);
    EXPECT_EQ(m_reader->SetRange(-1, 0), E_INVALIDARG);

    m_reader->Close();
    m_reader->Close();
    EXPECT_EQ(Next(1), NS_E_INVALID_REQUEST);
    EXPECT_EQ(m_reader->SetRange(0, 0), NS_E_INVALID_REQUEST);
    DWORD cStreams = 0;
    EXPECT_EQ(m_reader->GetStreamCount(&cStreams), NS_E_INVALID_REQUEST);
}

// A file that ends shorter than it was when opened lost its rest: that end
// is a failure, not the end of the samples. One that was short from the
// start (cut before it was opened) ends as usual.
TEST_F(SyncReaderTest, AFileCutWhileOpenEndsInAFailure)
{
    CTempDir dir;
    const std::string path = dir.Path() + "/cut.wmv";
    std::filesystem::copy_file(TestMediaPath(TestMedia::Wmv), path);
    Open(CSyncReader::kDefaultMaxQueuedBytes, path);
    ASSERT_EQ(m_reader->SetStreamsSelected(1, true), S_OK);
    ASSERT_EQ(Next(1), S_OK);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(std::filesystem::file_size(path) / 2)), 0);
    HRESULT hr = S_OK;
    while ((hr = Next(1)) == S_OK) {
    }
    EXPECT_EQ(hr, ERROR_HANDLE_EOF);

    m_reader.reset();
    m_pStream->Release();
    m_pStream = nullptr;
    Open(CSyncReader::kDefaultMaxQueuedBytes, path);
    ASSERT_EQ(m_reader->SetStreamsSelected(1, true), S_OK);
    while ((hr = Next(1)) == S_OK) {
    }
    EXPECT_EQ(hr, NS_E_NO_MORE_SAMPLES);
}

// A selected stream that nobody reads keeps only its newest samples.
TEST_F(SyncReaderTest, TheQueueOfAStreamThatIsNotReadIsBounded)
{
    Open(8 * 1024);
    ASSERT_EQ(m_reader->SetStreamsSelected(1, true), S_OK);
    ASSERT_EQ(m_reader->SetStreamsSelected(2, true), S_OK);
    while (Next(1) == S_OK) {
    }
    LONGLONG cnsTime = 0;
    DWORD dwFlags = 0;
    ASSERT_EQ(Next(2, &cnsTime, &dwFlags), S_OK);
    EXPECT_GT(cnsTime, 4 * 10000000LL);
    EXPECT_NE(dwFlags & WM_SF_DISCONTINUITY, 0u);
    int cLeft = 0;
    while (Next(2) == S_OK)
        ++cLeft;
    EXPECT_LT(cLeft, 12);
}

} // namespace
