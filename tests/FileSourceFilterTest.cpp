#include "DebugCapture.h"
#include "filters/FileSourceFilter.h"

#include <gtest/gtest.h>

namespace {

// A filter that only counts the pins it was asked to build.
class CCountingSource : public CFileSourceFilter {
public:
    CCountingSource() : CFileSourceFilter(&m_lock) {}
    ~CCountingSource() override = default;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }

    int m_pinsCreated = 0;
    HRESULT m_pinResult = S_OK;
    HRESULT m_typeResult = S_OK;
    using CFileSourceFilter::FileName;

protected:
    HRESULT CreateOutputPin() override
    {
        ++m_pinsCreated;
        return m_pinResult;
    }
    HRESULT GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt) override
    {
        EXPECT_EQ(iPosition, 0);
        pmt->majortype = MEDIATYPE_Stream;
        return m_typeResult;
    }

private:
    std::recursive_mutex m_lock;
};

TEST(FileSourceFilterTest, LoadKeepsAtMost4095BytesOfTheNameAndBuildsThePin)
{
    CCountingSource source;
    std::string longName(5000, 'n');
    EXPECT_EQ(source.Load(longName.c_str(), nullptr), S_OK);
    EXPECT_EQ(std::string(source.FileName()), longName.substr(0, 4095));
    EXPECT_EQ(source.m_pinsCreated, 1);
}

TEST(FileSourceFilterTest, LoadCutsTheNameBetweenCharacters)
{
    CCountingSource source;
    // 4094 ASCII bytes, then a three-byte character that does not fit.
    std::string name = std::string(4094, 'n') + "\xED\x95\x9C";
    ASSERT_EQ(source.Load(name.c_str(), nullptr), S_OK);
    EXPECT_EQ(std::string(source.FileName()), std::string(4094, 'n'));
}

TEST(FileSourceFilterTest, ANullNameIsRefusedAndAFailedPinKeepsTheName)
{
    CCountingSource source;
    CDebugCapture capture;
    EXPECT_EQ(source.Load(nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"lpwszFileName = 0", "from CFileSourceFilter::Load()"}));
    EXPECT_EQ(source.m_pinsCreated, 0);

    source.m_pinResult = E_FAIL;
    EXPECT_EQ(source.Load("/media/film.avi", nullptr), E_FAIL);
    char* pszName = nullptr;
    ASSERT_EQ(source.GetCurFile(&pszName, nullptr), S_OK);
    EXPECT_STREQ(pszName, "/media/film.avi");
    CoTaskMemFree(pszName);
}

TEST(FileSourceFilterTest, GetCurFileGivesTheNameAndTheMediaType)
{
    CCountingSource source;
    char* pszName = reinterpret_cast<char*>(1);
    EXPECT_EQ(source.GetCurFile(&pszName, nullptr), S_OK);
    EXPECT_EQ(pszName, nullptr);

    ASSERT_EQ(source.Load("/media/노래.mp3", nullptr), S_OK);
    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(source.GetCurFile(&pszName, &mt), S_OK);
    EXPECT_STREQ(pszName, "/media/노래.mp3");
    EXPECT_EQ(mt.majortype, MEDIATYPE_Stream);
    CoTaskMemFree(pszName);

    source.m_typeResult = E_UNEXPECTED;
    CDebugCapture capture;
    EXPECT_EQ(source.GetCurFile(&pszName, &mt), E_UNEXPECTED);
    EXPECT_EQ(pszName, nullptr);
    EXPECT_EQ(source.GetCurFile(nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(capture.TracesAfterReport(), std::vector<std::string>{"from CFileSourceFilter::GetCurFile()"});
}

} // namespace
