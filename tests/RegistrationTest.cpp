#include "TempDir.h"
#include "common/FilterInterfaces.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// Registration against a user folder of the test's own.
class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("XDG_DATA_HOME", m_home.Path().c_str(), 1);
        void* pModule = ::dlopen(BRELMSOURCE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(pModule, nullptr) << ::dlerror();
        m_pfnRegister = reinterpret_cast<DllRegisterServerFn>(::dlsym(pModule, "DllRegisterServer"));
        m_pfnUnregister = reinterpret_cast<DllRegisterServerFn>(::dlsym(pModule, "DllUnregisterServer"));
        ASSERT_NE(m_pfnRegister, nullptr);
        ASSERT_NE(m_pfnUnregister, nullptr);
    }

    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }

    std::filesystem::path PluginDir() const { return m_home.Path() + "/gstreamer-1.0/plugins"; }
    std::string Inspect(const char* pszFactory) const;

    CTempDir m_home;
    DllRegisterServerFn m_pfnRegister = nullptr;
    DllRegisterServerFn m_pfnUnregister = nullptr;
};

TEST_F(RegistrationTest, RegisteringTwiceLeavesOneLinkToTheLibrary)
{
    ASSERT_EQ(m_pfnRegister(), S_OK);
    ASSERT_EQ(m_pfnRegister(), S_OK);
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(PluginDir()))
        entries.push_back(entry.path().filename());
    EXPECT_EQ(entries, std::vector<std::filesystem::path>{"libBrelmSource.so"});
    EXPECT_EQ(std::filesystem::read_symlink(PluginDir() / "libBrelmSource.so"),
              std::filesystem::canonical(BRELMSOURCE_PATH));
}

TEST_F(RegistrationTest, UnregisteringWhatWasNeverRegisteredSucceeds)
{
    EXPECT_EQ(m_pfnUnregister(), S_OK);
    ASSERT_EQ(m_pfnRegister(), S_OK);
    EXPECT_EQ(m_pfnUnregister(), S_OK);
    EXPECT_FALSE(std::filesystem::exists(PluginDir() / "libBrelmSource.so"));
    EXPECT_EQ(m_pfnUnregister(), S_OK);
}

TEST_F(RegistrationTest, AFolderThatCannotBeMadeFailsInTheWin32Facility)
{
    std::ofstream(m_home.Path() + "/gstreamer-1.0") << "a file where the folder belongs";
    HRESULT hr = m_pfnRegister();
    EXPECT_EQ(static_cast<uint32_t>(hr) & 0xFFFF0000u, 0x80070000u);
}

// What gst-inspect-1.0 says of an element factory, with this test's home.
std::string RegistrationTest::Inspect(const char* pszFactory) const
{
    std::string command = "XDG_CACHE_HOME='" + m_home.Path() + "/cache' gst-inspect-1.0 " + pszFactory + " 2>&1";
    FILE* pOutput = ::popen(command.c_str(), "r");
    if (pOutput == nullptr)
        return "popen failed";
    std::string text;
    std::array<char, 4096> chunk{};
    while (size_t cb = std::fread(chunk.data(), 1, chunk.size(), pOutput))
        text.append(chunk.data(), cb);
    EXPECT_EQ(::pclose(pOutput), 0) << text;
    return text;
}

TEST_F(RegistrationTest, GStreamerToolsFindTheElementsAfterRegistration)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "an instrumented library loads only into instrumented programs";
#endif
    ASSERT_EQ(m_pfnRegister(), S_OK);
    std::string text = Inspect("brelmasyncfilesrc");
    EXPECT_NE(text.find("Brelm Async File Source Filter"), std::string::npos) << text;
    EXPECT_NE(text.find("Rank                     none (0)"), std::string::npos) << text;
    EXPECT_NE(text.find("SRC template: 'src'"), std::string::npos) << text;
    text = Inspect("brelmasfsrc");
    EXPECT_NE(text.find("Brelm ASF Source Filter"), std::string::npos) << text;
    EXPECT_NE(text.find("SRC template: 'video'"), std::string::npos) << text;
    EXPECT_NE(text.find("SRC template: 'audio'"), std::string::npos) << text;
    // Each stream's pad comes only with a file that has the stream.
    EXPECT_NE(text.find("Availability: Sometimes"), std::string::npos) << text;
}

} // namespace
