#include "TestMedia.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <mutex>
#include <unistd.h>

namespace {

struct Recipe {
    const char* name;
    const char* arguments;
};

constexpr const char* kPicture = "-f lavfi -i testsrc=size=320x240:rate=25:duration=";
constexpr const char* kTone = "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=";

std::string Sources(int seconds, bool picture, int tones)
{
    std::string sources;
    if (picture)
        sources += std::string(kPicture) + std::to_string(seconds) + " ";
    for (int i = 0; i < tones; ++i)
        sources += std::string(kTone) + std::to_string(seconds) + " ";
    return sources;
}

std::string Command(TestMedia media)
{
    const std::string longComment = "-metadata comment=" + std::string(12000, 'x') + " ";
    switch (media) {
    case TestMedia::Mp3:
        return Sources(5, false, 1) + "-c:a libmp3lame -b:a 128k -id3v2_version 0 -write_xing 0 -f mp3";
    case TestMedia::Mp3WithId3:
        return Sources(5, false, 1) + "-c:a libmp3lame -b:a 128k -metadata title=tone -f mp3";
    case TestMedia::Mp3WithBigId3:
        return Sources(5, false, 1) + "-c:a libmp3lame -b:a 128k " + longComment + "-f mp3";
    case TestMedia::Avi:
        return Sources(5, true, 1) + "-c:v mpeg4 -c:a libmp3lame -f avi";
    case TestMedia::MpegProgram:
        return Sources(5, true, 1) + "-c:v mpeg1video -c:a mp2 -f mpeg";
    case TestMedia::Wmv:
        return Sources(5, true, 1) + "-c:v wmv2 -c:a wmav2 -f asf";
    case TestMedia::WmvVideoOnly:
        return Sources(5, true, 0) + "-c:v wmv2 -f asf";
    case TestMedia::WmvAudioOnly:
        return Sources(5, false, 1) + "-c:a wmav2 -f asf";
    case TestMedia::WmvTwoAudio:
        return Sources(5, true, 2) + "-map 0:v -map 1:a -map 2:a -c:v wmv2 -c:a wmav2 -f asf";
    case TestMedia::Wmv20s:
        return Sources(20, true, 1) + "-c:v wmv2 -g 25 -c:a wmav2 -f asf";
    case TestMedia::AsfMpeg4Mp3:
        return Sources(5, true, 1) + "-c:v msmpeg4 -c:a libmp3lame -f asf";
    }
    return {};
}

const char* Extension(TestMedia media)
{
    switch (media) {
    case TestMedia::Mp3:
    case TestMedia::Mp3WithId3:
    case TestMedia::Mp3WithBigId3:
        return ".mp3";
    case TestMedia::Avi:
        return ".avi";
    case TestMedia::MpegProgram:
        return ".mpg";
    default:
        return ".wmv";
    }
}

class CMediaCache {
public:
    CMediaCache()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvomedia-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_directory = pattern;
    }
    ~CMediaCache()
    {
        std::error_code ignored;
        if (!m_directory.empty())
            std::filesystem::remove_all(m_directory, ignored);
    }

    std::string Path(TestMedia media)
    {
        std::lock_guard lock(m_lock);
        auto it = m_paths.find(media);
        if (it != m_paths.end())
            return it->second;
        std::string path = m_directory + "/media" + std::to_string(static_cast<int>(media)) + Extension(media);
        std::string command = "ffmpeg -nostdin -v error -y " + Command(media) + " '" + path + "'";
        if (m_directory.empty() || std::system(command.c_str()) != 0) {
            ADD_FAILURE() << "could not make test media: " << command;
            return {};
        }
        m_paths[media] = path;
        return path;
    }

private:
    std::mutex m_lock;
    std::string m_directory;
    std::map<TestMedia, std::string> m_paths;
};

CMediaCache& Cache()
{
    static CMediaCache cache;
    return cache;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string CopyWith(const std::string& path, const std::string& suffix, const std::string& content)
{
    std::string copy = path + suffix;
    std::ofstream(copy, std::ios::binary) << content;
    return copy;
}

} // namespace

std::string TestMediaPath(TestMedia media)
{
    return Cache().Path(media);
}

std::string TruncatedCopy(const std::string& path, size_t cb)
{
    return CopyWith(path, ".cut" + std::to_string(cb), ReadAll(path).substr(0, cb));
}

std::string CorruptedCopy(const std::string& path, size_t offset, size_t cb)
{
    std::string content = ReadAll(path);
    uint32_t state = 0x2545F491;
    for (size_t i = offset; i < offset + cb && i < content.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        content[i] = static_cast<char>(state >> 24);
    }
    return CopyWith(path, ".bad" + std::to_string(offset) + "_" + std::to_string(cb), content);
}
