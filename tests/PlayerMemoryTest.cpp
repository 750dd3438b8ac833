// What the player remembers between runs: the file it keeps, what it keeps
// of part-played files, and what a broken or unwritable file does.
#include "DebugCapture.h"
#include "TempDir.h"
#include "state/AtomicFile.h"
#include "state/PlayerMemory.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>

namespace {

constexpr LONGLONG kSecond = 10000000;

std::filesystem::path StateFile(const CTempDir& dir)
{
    return std::filesystem::path(dir.Path()) / "korvoplayer" / "state.json";
}

TEST(ResumeList, KeepsFilesLeftPartWayAndForgetsTheEnds)
{
    CResumeList list;
    list.Note("/films/a.avi", 600 * kSecond, 3600 * kSecond);
    list.Note("/films/begun.avi", 9 * kSecond, 3600 * kSecond);
    list.Note("/films/ended.avi", 3591 * kSecond, 3600 * kSecond);
    list.Note("/films/unknown.avi", 600 * kSecond, 0);
    list.Note("/films/short.avi", 10 * kSecond, 20 * kSecond);
    EXPECT_EQ(list.Find("/films/a.avi"), 600 * kSecond);
    for (const char* pszFile : {"/films/begun.avi", "/films/ended.avi", "/films/unknown.avi", "/films/short.avi"})
        EXPECT_FALSE(list.Find(pszFile)) << pszFile;
    // Watched to the end later: forgotten.
    list.Note("/films/a.avi", 3599 * kSecond, 3600 * kSecond);
    EXPECT_FALSE(list.Find("/films/a.avi"));
}

TEST(ResumeList, HoldsTheLastTwoHundredMostRecentFirst)
{
    CResumeList list;
    for (int i = 0; i < 250; ++i)
        list.Note("/films/" + std::to_string(i), 60 * kSecond, 3600 * kSecond);
    list.Note("/films/100", 120 * kSecond, 3600 * kSecond);
    ASSERT_EQ(list.Points().size(), kMaxResumeFiles);
    EXPECT_EQ(list.Points().front().file, "/films/100");
    EXPECT_EQ(list.Find("/films/100"), 120 * kSecond);
    EXPECT_TRUE(list.Find("/films/51"));
    EXPECT_FALSE(list.Find("/films/49"));
}

TEST(PlayerMemory, WhatWasSavedIsLoadedByTheNextRun)
{
    CTempDir dir;
    CPlayerMemory memory(StateFile(dir));
    memory.SetVolume(135);
    memory.SetSkin("/home/u/skins/dark.zip");
    memory.Resume().Note("/films/\"quoted\"\n name.avi", 1234567890, 3600 * kSecond);
    ASSERT_TRUE(memory.Save());

    CPlayerMemory next(StateFile(dir));
    next.Load();
    EXPECT_EQ(next.Volume(), 100);
    EXPECT_EQ(next.Skin(), "/home/u/skins/dark.zip");
    EXPECT_EQ(next.Resume().Find("/films/\"quoted\"\n name.avi"), 1234567890);
}

TEST(PlayerMemory, AFirstRunRemembersNothingAndSaysNothing)
{
    CTempDir dir;
    CDebugCapture capture;
    CPlayerMemory memory(StateFile(dir));
    memory.Load();
    EXPECT_FALSE(memory.Volume());
    EXPECT_TRUE(memory.Skin().empty());
    EXPECT_TRUE(memory.Resume().Points().empty());
    EXPECT_TRUE(capture.Lines().empty());
}

// Each broken file is ignored with one trace, and the next save replaces it.
TEST(PlayerMemory, ABrokenFileIsIgnoredWithATrace)
{
    const std::string cases[] = {
        "not json at all",
        "{\"format\": 1, \"volume\": 50, \"resume\": [",
        "[1, 2, 3]",
        "{\"format\": 99, \"volume\": 50}",
        std::string("{\"format\": 1,\0 \"volume\": 50}", 29),
        std::string(5 * 1024 * 1024, ' '),
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 40));
        CTempDir dir;
        std::filesystem::create_directories(StateFile(dir).parent_path());
        dir.WriteFile("korvoplayer/state.json", text);
        CDebugCapture capture;
        CPlayerMemory memory(StateFile(dir));
        memory.Load();
        EXPECT_FALSE(memory.Volume());
        ASSERT_EQ(capture.Lines().size(), 1u);
        EXPECT_NE(capture.Lines().front().find("cannot be read"), std::string::npos);
        memory.SetVolume(40);
        ASSERT_TRUE(memory.Save());
        CPlayerMemory next(StateFile(dir));
        next.Load();
        EXPECT_EQ(next.Volume(), 40);
    }
}

// Values a hand-edited file may hold: kept where sound, dropped otherwise.
TEST(PlayerMemory, OddValuesAreDroppedOneByOne)
{
    CTempDir dir;
    std::filesystem::create_directories(StateFile(dir).parent_path());
    dir.WriteFile("korvoplayer/state.json",
                  "{\"format\": 1, \"volume\": 250, \"skin\": 7, \"resume\": [7, {\"file\": \"/a\", "
                  "\"position\": -5, \"length\": 1e300}, {\"file\": \"/b\", \"position\": 6e8, \"length\": 3.6e10},"
                  " {\"file\": \"/b\", \"position\": 7e8, \"length\": 3.6e10}]}");
    CPlayerMemory memory(StateFile(dir));
    memory.Load();
    EXPECT_FALSE(memory.Volume());
    EXPECT_TRUE(memory.Skin().empty());
    ASSERT_EQ(memory.Resume().Points().size(), 1u);
    EXPECT_EQ(memory.Resume().Find("/b"), 600000000);
}

// Resuming is on until switched off, and the switch is kept; a volume
// written with a fraction is rounded, not read as 0 (a muted player).
TEST(PlayerMemory, KeepsTheResumeSwitchAndRoundsTheVolume)
{
    CTempDir dir;
    std::filesystem::create_directories(StateFile(dir).parent_path());
    dir.WriteFile("korvoplayer/state.json", "{\"format\": 1, \"volume\": 50.6}");
    CPlayerMemory memory(StateFile(dir));
    memory.Load();
    EXPECT_TRUE(memory.ResumeOn());
    EXPECT_EQ(memory.Volume(), 51);
    memory.SetResumeOn(false);
    ASSERT_TRUE(memory.Save());
    CPlayerMemory next(StateFile(dir));
    next.Load();
    EXPECT_FALSE(next.ResumeOn());
    EXPECT_EQ(next.Volume(), 51);
}

// The quiet save says why it failed and leaves the tracing to its caller.
TEST(PlayerMemory, AQuietSaveTellsWhyWithoutATrace)
{
    CTempDir dir;
    const std::string blocker = dir.WriteFile("not-a-folder", "");
    CPlayerMemory memory(std::filesystem::path(blocker) / "korvoplayer" / "state.json");
    CDebugCapture capture;
    std::string error;
    EXPECT_FALSE(memory.Save(&error));
    EXPECT_NE(error.find("not-a-folder"), std::string::npos) << error;
    EXPECT_TRUE(capture.Lines().empty());
}

// A disk that fills up half-way through the save (a file-size limit stands
// in for it): the save fails with a trace and the file that was there stays
// whole, with no scrap beside it.
TEST(PlayerMemory, AFailedSaveLeavesTheOldFileWhole)
{
    CTempDir dir;
    CPlayerMemory memory(StateFile(dir));
    memory.SetVolume(30);
    ASSERT_TRUE(memory.Save());
    memory.SetVolume(70);
    for (int i = 0; i < 50; ++i)
        memory.Resume().Note("/films/" + std::to_string(i), 60 * kSecond, 3600 * kSecond);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{64, old.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    CDebugCapture capture;
    const bool bSaved = memory.Save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(bSaved);
    EXPECT_EQ(capture.Lines().size(), 1u);
    CPlayerMemory next(StateFile(dir));
    next.Load();
    EXPECT_EQ(next.Volume(), 30);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(StateFile(dir).parent_path()), {}), 1);
}

TEST(AtomicFile, ReplacesTheWholeFileAndRefusesWhatIsTooLong)
{
    CTempDir dir;
    const std::filesystem::path path = std::filesystem::path(dir.Path()) / "deep" / "er" / "f";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "first, longer text", &error)) << error;
    ASSERT_TRUE(WriteFileAtomically(path, "second", &error)) << error;
    EXPECT_EQ(ReadSmallFile(path, 100), "second");
    EXPECT_FALSE(ReadSmallFile(path, 5));
    EXPECT_FALSE(ReadSmallFile(path.parent_path() / "missing", 100));
    EXPECT_FALSE(WriteFileAtomically(path / "under-a-file", "x", &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
