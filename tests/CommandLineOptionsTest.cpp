// The options the program answers before it starts: parsed, and answered
// by the real program, which opens no window and leaves a running player
// alone.
#include "TempDir.h"
#include "app/CommandLineOptions.h"
#include "instance/InstanceNames.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>

namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLineOptionsTest, OnlyTheFirstArgumentIsAnOption)
{
    EXPECT_EQ(CCommandLineOptions({"korvoplayer"}).ExitCode(), std::nullopt);
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "--help"}).ExitCode(), 0);
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "-h"}).ExitCode(), 0);
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "--version"}).ExitCode(), 0);
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "--bogus"}).ExitCode(), 2);
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "-x", "clip.avi"}).ExitCode(), 2);

    // Files and the second argument are kept as they are.
    CCommandLineOptions plain({"korvoplayer", "clip.avi", "--version"});
    EXPECT_EQ(plain.ExitCode(), std::nullopt);
    EXPECT_EQ(plain.PlayerArguments(), (Arguments{"korvoplayer", "clip.avi", "--version"}));
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "-"}).ExitCode(), std::nullopt);
    // The player's own option may come first, and the first option after it
    // is answered.
    CCommandLineOptions ratio({"korvoplayer", "--user-ratio", "2:1", "clip.avi"});
    EXPECT_EQ(ratio.ExitCode(), std::nullopt);
    EXPECT_EQ(ratio.PlayerArguments(), (Arguments{"korvoplayer", "--user-ratio", "2:1", "clip.avi"}));
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "--user-ratio", "2:1", "--bogus"}).ExitCode(), 2);
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "--user-ratio"}).ExitCode(), 2);
    CCommandLineOptions skin({"korvoplayer", "--skin", "dark.zip", "--user-ratio", "2:1", "clip.avi"});
    EXPECT_EQ(skin.ExitCode(), std::nullopt);
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "--skin", "dark.zip", "--help"}).ExitCode(), 0);
    CCommandLineOptions noResume({"korvoplayer", "--no-resume", "--skin", "dark.zip", "clip.avi"});
    EXPECT_EQ(noResume.ExitCode(), std::nullopt);
    EXPECT_EQ(noResume.PlayerArguments(), (Arguments{"korvoplayer", "--no-resume", "--skin", "dark.zip", "clip.avi"}));
    EXPECT_EQ(CCommandLineOptions({"korvoplayer", "--no-resume", "--bogus"}).ExitCode(), 2);
    CCommandLineOptions ratioDashed({"korvoplayer", "--user-ratio", "2:1", "--", "-clip.avi"});
    EXPECT_EQ(ratioDashed.PlayerArguments(), (Arguments{"korvoplayer", "--user-ratio", "2:1", "-clip.avi"}));
    CCommandLineOptions dashed({"korvoplayer", "--", "--help", "-x"});
    EXPECT_EQ(dashed.ExitCode(), std::nullopt);
    EXPECT_EQ(dashed.PlayerArguments(), (Arguments{"korvoplayer", "--help", "-x"}));
}

std::string Answer(const CCommandLineOptions& options, bool bError)
{
    char* pBuffer = nullptr;
    size_t cb = 0;
    std::FILE* pStream = ::open_memstream(&pBuffer, &cb);
    std::FILE* pNull = std::fopen("/dev/null", "w");
    options.Answer(bError ? pNull : pStream, bError ? pStream : pNull);
    std::fclose(pNull);
    std::fclose(pStream);
    std::string text(pBuffer, cb);
    std::free(pBuffer);
    return text;
}

TEST(CommandLineOptionsTest, AnUnknownOptionGetsOneLine)
{
    std::string message = Answer(CCommandLineOptions({"korvoplayer", "--bad\noption"}), true);
    EXPECT_EQ(message, "korvoplayer: unknown option '--bad?option' (try 'korvoplayer --help')\n");
    EXPECT_EQ(Answer(CCommandLineOptions({"korvoplayer", "--bad"}), false), "");
}

// The real program, with no display and a tag of its own: it answers and
// creates no shared record, so it neither needed nor touched a player.
int RunProgram(const std::string& arguments, std::string& output)
{
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY KORVOPLAYER_INSTANCE_TAG=optiontest " +
                          std::string(KORVOPLAYER_PATH) + " " + arguments + " 2>&1";
    std::FILE* pOutput = ::popen(command.c_str(), "r");
    if (pOutput == nullptr)
        return -1;
    char szBuffer[4096];
    output.clear();
    for (size_t cb; (cb = std::fread(szBuffer, 1, sizeof szBuffer, pOutput)) > 0;)
        output.append(szBuffer, cb);
    int nStatus = ::pclose(pOutput);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

TEST(CommandLineOptionsTest, TheProgramAnswersWithoutAWindowOrAPlayer)
{
    std::string output;
    EXPECT_EQ(RunProgram("--version", output), 0);
    EXPECT_EQ(output, "korvoplayer " KORVOPLAYER_VERSION "\n");
    EXPECT_EQ(RunProgram("--help", output), 0);
    EXPECT_NE(output.find("Usage: korvoplayer"), std::string::npos);
    EXPECT_EQ(RunProgram("--frobnicate somefile", output), 2);
    EXPECT_EQ(output, "korvoplayer: unknown option '--frobnicate' (try 'korvoplayer --help')\n");

    ::setenv("KORVOPLAYER_INSTANCE_TAG", "optiontest", 1);
    EXPECT_EQ(::shm_open(SharedRecordName().c_str(), O_RDONLY, 0), -1);
    EXPECT_EQ(errno, ENOENT);
    ::unsetenv("KORVOPLAYER_INSTANCE_TAG");
}

} // namespace
