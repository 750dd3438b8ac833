#include "DebugCapture.h"
#include "TempDir.h"
#include "common/FileStream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterStreamKind(new CFileStream()); }

    void TearDown() override
    {
        if (m_pStream != nullptr)
            m_pStream->Release();
        ReleaseStreamKinds();
    }

    // Opens a stream on `path` through the factory.
    HRESULT Open(const std::string& path)
    {
        HRESULT hr = CStream::CreateInstance(path.c_str(), &m_pStream);
        return hr != S_OK ? hr : m_pStream->Init(path.c_str());
    }

    LONGLONG Available()
    {
        LONGLONG total = 0;
        LONGLONG available = 0;
        EXPECT_EQ(m_pStream->GetLength(&total, &available), S_OK);
        return available;
    }

    CTempDir m_dir;
    CStream* m_pStream = nullptr;
};

std::string Bytes(size_t cb)
{
    std::string content(cb, '\0');
    for (size_t i = 0; i < cb; ++i)
        content[i] = static_cast<char>(i * 7);
    return content;
}

TEST_F(StreamTest, FactoryMakesAClosedStreamForAnyNameAndInitReportsTheFailure)
{
    std::string missing = m_dir.Path() + "/missing.mp3";
    ASSERT_EQ(CStream::CreateInstance(missing.c_str(), &m_pStream), S_OK);
    ASSERT_NE(m_pStream, nullptr);

    CDebugCapture capture;
    EXPECT_EQ(m_pStream->Init(missing.c_str()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(LastReport(), "Message\t: Can not open " + missing + " file. error = 2\n"
                            "Reason\t: The system cannot find the file specified.\n"
                            "Code\t: 2(0x00000002)");
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"from CreateFile()", "from CFileStream::Init()"}));
}

TEST_F(StreamTest, FactoryRejectsANullOutput)
{
    CDebugCapture capture;
    EXPECT_EQ(CStream::CreateInstance("clip.avi", nullptr), ERROR_INVALID_PARAMETER);
    auto traces = capture.TracesAfterReport();
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_NE(traces[0].find(", ppStream = 0"), std::string::npos);
    EXPECT_EQ(traces[1], "from CStream::CreateInstance()");
}

TEST_F(StreamTest, ReadAndLengthFollowThePosition)
{
    std::string content = Bytes(1000);
    ASSERT_EQ(Open(m_dir.WriteFile("clip.mpg", content)), S_OK);

    char buffer[100];
    ULONG cbRead = 0;
    ASSERT_EQ(m_pStream->Read(buffer, sizeof buffer, &cbRead), S_OK);
    EXPECT_EQ(cbRead, 100u);
    EXPECT_EQ(std::string(buffer, 100), content.substr(0, 100));
    LONGLONG total = 0;
    LONGLONG available = 0;
    ASSERT_EQ(m_pStream->GetLength(&total, &available), S_OK);
    EXPECT_EQ(total, 1000);
    EXPECT_EQ(available, 900);

    ULONGLONG position = 0;
    ASSERT_EQ(m_pStream->Seek(0, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 1000u);
    EXPECT_EQ(Available(), 0);
    // At the end a read succeeds with nothing read.
    cbRead = 77;
    EXPECT_EQ(m_pStream->Read(buffer, sizeof buffer, &cbRead), S_OK);
    EXPECT_EQ(cbRead, 0u);
    // Past the end nothing is available, never a negative count.
    ASSERT_EQ(m_pStream->Seek(500, STREAM_SEEK_CUR, nullptr), S_OK);
    EXPECT_EQ(Available(), 0);
}

TEST_F(StreamTest, ArgumentFaultsAre87AndLeaveTheStreamUsable)
{
    ASSERT_EQ(Open(m_dir.WriteFile("clip.avi", Bytes(1000))), S_OK);
    char buffer[16];
    ASSERT_EQ(m_pStream->Seek(10, STREAM_SEEK_SET, nullptr), S_OK);

    CDebugCapture capture;
    EXPECT_EQ(m_pStream->Read(buffer, 0, nullptr), ERROR_INVALID_PARAMETER);
    auto traces = capture.TracesAfterReport();
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_NE(traces[0].find(", cb = 0, pcbRead = 0"), std::string::npos);
    EXPECT_EQ(traces[1], "from CFileStream::Read()");
    EXPECT_EQ(m_pStream->Seek(0, 3, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CFileStream::Seek()");
    EXPECT_EQ(Available(), 990);
    // A seek before the start fails at the system and moves nothing either.
    EXPECT_NE(m_pStream->Seek(-20, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CFileStream::Seek()");
    EXPECT_EQ(Available(), 990);

    LONGLONG total = 0;
    EXPECT_EQ(m_pStream->GetLength(&total, nullptr), ERROR_INVALID_PARAMETER);
    STATSTG stat{};
    EXPECT_EQ(m_pStream->Stat(&stat, STATFLAG_DEFAULT), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(m_pStream->Stat(nullptr, STATFLAG_NONAME), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(m_pStream->CanOpen(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(m_pStream->Init(nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(StreamTest, StatFollowsAGrowingFile)
{
    std::string path = m_dir.WriteFile("growing.mp3", Bytes(10));
    ASSERT_EQ(Open(path), S_OK);
    STATSTG stat{};
    ASSERT_EQ(m_pStream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.type, STGTY_STREAM);
    EXPECT_EQ(stat.cbSize, 10u);
    EXPECT_EQ(stat.pwcsName, nullptr);
    m_dir.WriteFile("growing.mp3", Bytes(300));
    ASSERT_EQ(m_pStream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize, 300u);
}

TEST_F(StreamTest, UnsupportedOperationsAndAlignment)
{
    ASSERT_EQ(Open(m_dir.WriteFile("a.mp3", Bytes(4))), S_OK);
    EXPECT_EQ(m_pStream->Write("x", 1, nullptr), E_NOTIMPL);
    EXPECT_EQ(m_pStream->SetSize(0), E_NOTIMPL);
    EXPECT_EQ(m_pStream->Commit(0), E_NOTIMPL);
    EXPECT_EQ(m_pStream->Clone(nullptr), E_NOTIMPL);
    EXPECT_EQ(m_pStream->GetAlignment(), 1);
    EXPECT_TRUE(m_pStream->IsAligned(LONGLONG{12345}));
    EXPECT_TRUE(m_pStream->IsAligned(ULONG{7}));
}

TEST_F(StreamTest, ReferenceCountingAnswersTheConstantUntilTheLastRelease)
{
    ASSERT_EQ(Open(m_dir.WriteFile("a.mp3", Bytes(4))), S_OK);
    void* pUnknown = nullptr;
    ASSERT_EQ(m_pStream->QueryInterface(IID_IStream, &pUnknown), S_OK);
    EXPECT_EQ(pUnknown, m_pStream);
    void* pOther = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_pStream->QueryInterface(GUID{1, 2, 3, {}}, &pOther), E_NOINTERFACE);
    EXPECT_EQ(pOther, nullptr);
    EXPECT_EQ(m_pStream->AddRef(), 3u);
    EXPECT_EQ(m_pStream->Release(), kReleaseStillReferenced);
    EXPECT_EQ(m_pStream->Release(), kReleaseStillReferenced);
    EXPECT_EQ(m_pStream->Release(), 0u);
    m_pStream = nullptr;
}

TEST_F(StreamTest, SpecialFilesAreRefusedWithoutHanging)
{
    EXPECT_EQ(Open(m_dir.Path()), ERROR_ACCESS_DENIED);
    m_pStream->Release();
    m_pStream = nullptr;
    std::string fifo = m_dir.Path() + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Open(fifo), ERROR_NOT_SUPPORTED);
}

TEST_F(StreamTest, UnreadableFileIsAccessDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    std::string path = m_dir.WriteFile("locked.avi", Bytes(10));
    ::chmod(path.c_str(), 0);
    EXPECT_EQ(Open(path), ERROR_ACCESS_DENIED);
}

TEST_F(StreamTest, AFileThatVanishesOrShrinksWhileOpenEndsCleanly)
{
    std::string path = m_dir.WriteFile("vanish.mp3", Bytes(1000));
    ASSERT_EQ(Open(path), S_OK);
    ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    char buffer[512];
    ULONG cbRead = 0;
    ASSERT_EQ(m_pStream->Seek(50, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(m_pStream->Read(buffer, sizeof buffer, &cbRead), S_OK);
    EXPECT_EQ(cbRead, 50u);
    ASSERT_EQ(m_pStream->Seek(800, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(m_pStream->Read(buffer, sizeof buffer, &cbRead), S_OK);
    EXPECT_EQ(cbRead, 0u);
}

TEST_F(StreamTest, ReadFileFromStartOrEnd)
{
    std::string content = Bytes(1000);
    std::string path = m_dir.WriteFile("clip.wmv", content);
    char buffer[16];
    ASSERT_EQ(CStream::_ReadFile(path.c_str(), buffer, sizeof buffer, STREAM_SEEK_SET), S_OK);
    EXPECT_EQ(std::string(buffer, 16), content.substr(0, 16));
    ASSERT_EQ(CStream::_ReadFile(path.c_str(), buffer, sizeof buffer, STREAM_SEEK_END), S_OK);
    EXPECT_EQ(std::string(buffer, 16), content.substr(984, 16));
}

TEST_F(StreamTest, ReadFileOfAShortFileFailsAndZeroFills)
{
    std::string path = m_dir.WriteFile("short.mp3", "0123456789");
    char buffer[16];
    CDebugCapture capture;
    EXPECT_EQ(CStream::_ReadFile(path.c_str(), buffer, sizeof buffer, STREAM_SEEK_END), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_NE(LastReport().find("The length of " + path + " is less than 16 bytes"), std::string::npos);
    EXPECT_EQ(capture.TracesAfterReport(), (std::vector<std::string>{"from CStream::_ReadFile()"}));
    EXPECT_EQ(std::string(buffer, 16), std::string(16, '\0'));

    // From the start the file ends early: a failure of its own, never success.
    EXPECT_EQ(CStream::_ReadFile(path.c_str(), buffer, sizeof buffer, STREAM_SEEK_SET), ERROR_HANDLE_EOF);
    EXPECT_EQ(capture.TracesAfterReport(), (std::vector<std::string>{"from ReadFile()", "from CStream::_ReadFile()"}));
    EXPECT_EQ(CStream::_ReadFile((m_dir.Path() + "/none").c_str(), buffer, sizeof buffer, 0), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(capture.TracesAfterReport(), (std::vector<std::string>{"from CreateFile()", "from CStream::_ReadFile()"}));
}

// A stream kind that recognises nothing, or fails to say.
class CPickyStream : public CFileStream {
public:
    explicit CPickyStream(HRESULT answer) : m_answer(answer) {}
    HRESULT IsCompatible(const char*, BOOL* pisCompatible) override
    {
        *pisCompatible = 0;
        return m_answer;
    }

private:
    HRESULT m_answer;
};

TEST_F(StreamTest, FactoryWalksTheKindsInOrder)
{
    ReleaseStreamKinds();
    RegisterStreamKind(new CPickyStream(S_OK));
    RegisterStreamKind(new CFileStream());
    EXPECT_EQ(CStream::CreateInstance("x", &m_pStream), S_OK);
    EXPECT_NE(m_pStream, nullptr);

    ReleaseStreamKinds();
    CStream* pStream = nullptr;
    EXPECT_EQ(CStream::CreateInstance("x", &pStream), S_OK);
    EXPECT_EQ(pStream, nullptr);

    RegisterStreamKind(new CPickyStream(E_FAIL));
    RegisterStreamKind(new CFileStream());
    CDebugCapture capture;
    EXPECT_EQ(CStream::CreateInstance("x", &pStream), E_FAIL);
    EXPECT_EQ(pStream, nullptr);
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"from CStream::CreateInstance()"}));
}

TEST_F(StreamTest, AFullKindListRefusesMoreKinds)
{
    for (size_t i = 1; i < kMaxStreamKinds; ++i)
        ASSERT_EQ(RegisterStreamKind(nullptr), S_OK);
    EXPECT_EQ(RegisterStreamKind(new CFileStream()), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(CStream::CreateInstance("x", &m_pStream), S_OK);
    EXPECT_NE(m_pStream, nullptr);
}

} // namespace
