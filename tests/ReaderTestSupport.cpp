#include "ReaderTestSupport.h"

#include "common/FileStream.h"

std::string PatternBytes(size_t cb)
{
    std::string content(cb, '\0');
    for (size_t i = 0; i < cb; ++i)
        content[i] = static_cast<char>(i * 7);
    return content;
}

SamplePtr MakeSample(std::vector<BYTE>& buffer, LONGLONG first, LONGLONG last)
{
    SamplePtr pSample(new CMediaSample(buffer.data(), static_cast<LONGLONG>(buffer.size())));
    REFERENCE_TIME tStart = first * UNITS;
    REFERENCE_TIME tStop = last * UNITS;
    pSample->SetTime(&tStart, &tStop);
    return pSample;
}

std::pair<LONGLONG, LONGLONG> SampleRange(IMediaSample* pSample)
{
    REFERENCE_TIME tStart = 0;
    REFERENCE_TIME tStop = 0;
    EXPECT_EQ(pSample->GetTime(&tStart, &tStop), S_OK);
    return {tStart / UNITS, tStop / UNITS};
}

void ReaderTest::SetUp()
{
    RegisterStreamKind(new CFileStream());
}

void ReaderTest::TearDown()
{
    if (m_pFilter != nullptr)
        m_pFilter->Release();
    ReleaseStreamKinds();
}

HRESULT ReaderTest::Load(const std::string& path)
{
    if (m_pFilter != nullptr)
        m_pFilter->Release();
    m_pFilter = new CAsyncFileSourceFilter(nullptr);
    return m_pFilter->Load(path.c_str(), nullptr);
}

AM_MEDIA_TYPE ReaderTest::MediaType()
{
    AM_MEDIA_TYPE mt{};
    EXPECT_EQ(Pin()->GetMediaType(0, &mt), S_OK);
    return mt;
}
