#include "DebugCapture.h"
#include "SubtitleTestSupport.h"
#include "TempDir.h"
#include "subtitles/PangoMarkup.h"
#include "subtitles/SubtitleFinder.h"
#include "subtitles/SubtitleLoader.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "안녕하세요".
const std::string kKoreanHello = "\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94";

std::string Sami(const std::string& sKorean)
{
    return "<SAMI><HEAD><STYLE><!--\n.KRCC { Name:Korean; lang:ko-KR; }\n.ENCC { Name:English; lang:en-US; }\n"
           "--></STYLE></HEAD><BODY>\n"
           "<SYNC Start=1000><P Class=KRCC>" + sKorean + "<P Class=ENCC>Hello\n"
           "<SYNC Start=4000><P Class=KRCC>&nbsp;<P Class=ENCC>&nbsp;\n</BODY></SAMI>\n";
}

std::string SrtTime(size_t ms)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%02zu:%02zu:%02zu,%03zu", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return sz;
}

// cCues cues of sText, cue i from i to i + 1 milliseconds.
std::string Srt(size_t cCues, const std::string& sText)
{
    std::string s;
    for (size_t i = 0; i < cCues; ++i)
        s += std::to_string(i + 1) + "\n" + SrtTime(i) + " --> " + SrtTime(i + 1) + "\n" + sText + "\n\n";
    return s;
}

class SubtitleLoaderTest : public ::testing::Test {
protected:
    SUBTITLEFILE m_file;
    CTempDir m_dir;
    CDebugCapture m_capture;
};

TEST_F(SubtitleLoaderTest, LoadsAKoreanSamiFileBesideTheVideo)
{
    m_dir.WriteFile("Movie.avi", "video");
    std::string sPath = m_dir.WriteFile("Movie.SMI", Encoded(Sami(kKoreanHello), "CP949"));
    ASSERT_EQ(CSubtitleLoader("ko_KR.UTF-8").LoadBeside(m_dir.Path() + "/Movie.avi", &m_file), S_OK);
    EXPECT_EQ(m_file.sPath, sPath);
    EXPECT_EQ(m_file.sEncoding, "CP949");
    EXPECT_EQ(m_file.format, SubtitleFormat::Sami);
    ASSERT_EQ(m_file.tracks.size(), 2u);
    EXPECT_EQ(m_file.tracks[0].Language(), "ko-KR");
    EXPECT_EQ(m_file.tracks[0].MarkupAt(2000 * kSubtitleUnitsPerMs), kKoreanHello);
    EXPECT_EQ(m_file.tracks[0].MarkupAt(4000 * kSubtitleUnitsPerMs), "");
    EXPECT_EQ(m_file.tracks[1].MarkupAt(2000 * kSubtitleUnitsPerMs), "Hello");
}

TEST_F(SubtitleLoaderTest, FindsFilesInADefinedOrder)
{
    for (const char* pszName : {"movie.mkv", "movie.en.srt", "movie.srt", "MOVIE.smi", "movie.smi", "movie.ko.ass",
                                "movie.kor.vtt", "movie.txt", "movie2.srt", "movie.idx", "other.srt", "movie.Korean.SRT",
                                "movie.sub"})
        m_dir.WriteFile(pszName, "x");
    std::filesystem::create_directory(m_dir.Path() + "/movie.vtt");
    std::vector<std::string> names;
    for (const std::string& sPath : CSubtitleFinder::Find(m_dir.Path() + "/movie.mkv", "ko"))
        names.push_back(std::filesystem::path(sPath).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"movie.smi", "MOVIE.smi", "movie.srt", "movie.sub", "movie.ko.ass",
                                               "movie.kor.vtt", "movie.Korean.SRT", "movie.en.srt"}));
    EXPECT_TRUE(CSubtitleFinder::Find(m_dir.Path() + "/missing/movie.mkv", "ko").empty());
}

TEST_F(SubtitleLoaderTest, TakesTheFirstFileThatHoldsACue)
{
    m_dir.WriteFile("clip.smi", "");
    m_dir.WriteFile("clip.srt", "1\n00:00:01,000 --> 00:00:02,000\nfrom srt\n");
    ASSERT_EQ(CSubtitleLoader("C").LoadBeside(m_dir.Path() + "/clip.webm", &m_file), S_OK);
    EXPECT_EQ(m_file.format, SubtitleFormat::SubRip);
    EXPECT_EQ(m_file.tracks.at(0).MarkupAt(1500 * kSubtitleUnitsPerMs), "from srt");
    EXPECT_EQ(CSubtitleLoader("C").LoadBeside(m_dir.Path() + "/none.webm", &m_file), ERROR_NOT_FOUND);
}

TEST_F(SubtitleLoaderTest, RefusesWhatHoldsNoCue)
{
    CSubtitleLoader loader("ko_KR.UTF-8");
    EXPECT_EQ(loader.LoadFile(m_dir.WriteFile("empty.srt", ""), &m_file), ERROR_INVALID_DATA);
    std::mt19937 random(25);
    std::string sGarbage(256 * 1024, '\0');
    for (char& c : sGarbage)
        c = static_cast<char>(random());
    EXPECT_EQ(loader.LoadFile(m_dir.WriteFile("garbage.srt", sGarbage), &m_file), ERROR_INVALID_DATA);
    EXPECT_TRUE(m_file.tracks.empty());
    EXPECT_EQ(loader.LoadFile(m_dir.Path() + "/gone.srt", &m_file), ERROR_FILE_NOT_FOUND);
    std::filesystem::create_directory(m_dir.Path() + "/folder.srt");
    EXPECT_NE(loader.LoadFile(m_dir.Path() + "/folder.srt", &m_file), S_OK);
    std::string sBig = m_dir.WriteFile("big.srt", "");
    std::filesystem::resize_file(sBig, CSubtitleLoader::kMaxFileBytes + 1);
    EXPECT_EQ(loader.LoadFile(sBig, &m_file), ERROR_INVALID_DATA);
    std::string sLocked = m_dir.WriteFile("locked.srt", Srt(1, "x"));
    ::chmod(sLocked.c_str(), 0);
    if (::geteuid() != 0) {
        EXPECT_EQ(loader.LoadFile(sLocked, &m_file), ERROR_ACCESS_DENIED);
    }
}

TEST_F(SubtitleLoaderTest, ReadsAFileOnceSoThatItMayGoAway)
{
    std::string sPath = m_dir.WriteFile("film.srt", Srt(3, "still here"));
    ASSERT_EQ(CSubtitleLoader("C").LoadFile(sPath, &m_file), S_OK);
    std::filesystem::remove(sPath);
    EXPECT_EQ(m_file.tracks.at(0).Cues().size(), 3u);
    EXPECT_EQ(m_file.tracks.at(0).MarkupAt(1 * kSubtitleUnitsPerMs), "still here");
}

TEST_F(SubtitleLoaderTest, LoadsAHundredThousandCues)
{
    ASSERT_EQ(CSubtitleLoader("C").LoadBytes(Srt(100000, "cue"), "srt", &m_file), S_OK);
    const CSubtitleTrack& track = m_file.tracks.at(0);
    EXPECT_EQ(track.Cues().size(), 100000u);
    EXPECT_EQ(track.MarkupAt(99999 * kSubtitleUnitsPerMs), "cue");
    EXPECT_EQ(track.MarkupAt(100000 * kSubtitleUnitsPerMs), "");
}

TEST_F(SubtitleLoaderTest, CutsAMegabyteLineAndKeepsTheRest)
{
    std::string sLine(1 << 20, 'w');
    for (size_t i = 0; i < sLine.size(); i += 7)
        sLine[i] = ' ';
    std::string sText = Srt(1, sLine) + "2\n00:00:05,000 --> 00:00:06,000\nafter\n";
    for (const char* pszExtension : {"srt", "smi"}) {
        std::string sBytes = std::string(pszExtension) == "smi"
                                 ? "<SAMI><BODY><SYNC Start=0><P>" + sLine + "<SYNC Start=5000><P>after"
                                 : sText;
        ASSERT_EQ(CSubtitleLoader("C").LoadBytes(sBytes, pszExtension, &m_file), S_OK) << pszExtension;
        const auto& cues = m_file.tracks.at(0).Cues();
        ASSERT_EQ(cues.size(), 2u) << pszExtension;
        EXPECT_LE(cues[0].sMarkup.size(), CPangoMarkup::kMaxTextBytes) << pszExtension;
        EXPECT_EQ(cues[1].sMarkup, "after") << pszExtension;
    }
}

TEST_F(SubtitleLoaderTest, TellsTheFormatByContentWhateverTheName)
{
    std::string sPath = m_dir.WriteFile("mislabelled.srt", Encoded(Sami(kKoreanHello), "UTF-16LE"));
    ASSERT_EQ(CSubtitleLoader("ko_KR.UTF-8").LoadFile(sPath, &m_file), S_OK);
    EXPECT_EQ(m_file.format, SubtitleFormat::Sami);
    EXPECT_EQ(m_file.sEncoding, "UTF-16LE");
    EXPECT_EQ(m_file.tracks.at(0).MarkupAt(1000 * kSubtitleUnitsPerMs), kKoreanHello);
}

} // namespace
