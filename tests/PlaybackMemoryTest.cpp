// What the player remembers, where it cannot be written: each change is
// kept for the run, and the failure is traced once, not at every change.
#include "DebugCapture.h"
#include "TempDir.h"
#include "memory/PlaybackMemory.h"
#include "playback/DirectShow.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(PlaybackMemory, AFolderThatCannotBeWrittenIsTracedOnce)
{
    CTempDir dir;
    const std::filesystem::path blocker = dir.WriteFile("not-a-folder", "");
    CDirectShow graph{std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()};
    CPlaybackMemory memory(graph, blocker / "korvoplayer" / "state.json");
    CDebugCapture capture;
    memory.NoteVolume(40);
    memory.NoteVolume(35);
    memory.SetResumeOn(false);
    EXPECT_FALSE(memory.IsResumeOn());
    const std::vector<std::string> lines = capture.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("not remembered") != std::string::npos; }),
              1);
}

} // namespace
