#include "TestMedia.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
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

// The ffmpeg arguments of a disc clip, without the output file.
std::string DiscCommand(TestMedia container, int width, int height, int parN, int parD)
{
    // In stored pixels a round disc is narrower by the pixels' width.
    const double p = static_cast<double>(parN) / parD;
    const double r = 0.4 * std::min(static_cast<double>(height), width * p);
    char filter[256];
    std::snprintf(filter, sizeof filter,
                  "format=yuv420p,geq=lum='if(lte(pow((X-W/2)*%.6f,2)+pow(Y-H/2,2),%.3f),16,235)':cb=128:cr=128,"
                  "setsar=%d/%d",
                  p, r * r, parN, parD);
    std::string codecs = container == TestMedia::Avi           ? "-c:v mpeg4 -q:v 2 -c:a libmp3lame -f avi"
                         : container == TestMedia::MpegProgram ? "-c:v mpeg2video -q:v 2 -c:a mp2 -f vob"
                                                               : "-c:v wmv2 -q:v 2 -c:a wmav2 -f asf";
    return "-f lavfi -i color=c=white:size=" + std::to_string(width) + "x" + std::to_string(height) +
           ":rate=25:duration=2 " + Sources(2, false, 1) + "-vf \"" + filter + "\" " + codecs;
}

// A short, stable name for the arguments that made a file, so that a file
// made by other arguments is never taken for it (FNV-1a, 64 bits).
std::string Fingerprint(const std::string& text)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

// Makes `path` by `make` (given a temporary name in the same directory, with
// the same extension) and renames the result into place, so that a process
// beside this one sees the file whole or not at all. A file already there is
// taken as it is: every maker of one name makes the same file.
bool MakeAtomically(const std::filesystem::path& path, const std::function<bool(const std::string&)>& make)
{
    if (std::filesystem::exists(path))
        return true;
    const std::filesystem::path temporary = path.parent_path() / ("." + path.stem().string() + "." +
                                                                  std::to_string(::getpid()) + path.extension().string());
    std::error_code error;
    const bool isMade = make(temporary.string()) && (std::filesystem::rename(temporary, path, error), !error);
    std::filesystem::remove(temporary, error);
    return isMade;
}

// The media of this process. Where KORVO_TEST_MEDIA_DIR names a folder, the
// files are kept there, for every test process of a run to share (a test
// program runs once for each of its tests); otherwise in a folder of this
// process's own, removed at exit.
class CMediaCache {
public:
    CMediaCache()
    {
        const char* pszShared = std::getenv("KORVO_TEST_MEDIA_DIR");
        std::error_code error;
        if (pszShared != nullptr && *pszShared != '\0' && (std::filesystem::create_directories(pszShared, error), !error)) {
            m_directory = pszShared;
            m_isShared = true;
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "korvomedia-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_directory = pattern;
    }
    ~CMediaCache()
    {
        std::error_code ignored;
        if (!m_directory.empty() && !m_isShared)
            std::filesystem::remove_all(m_directory, ignored);
    }

    // The file `name` + `extension`, made by ffmpeg with `arguments` (or
    // by `make` from the path) unless it is there already.
    std::string Path(const std::string& name, const char* pszExtension, const std::string& arguments,
                     const std::function<bool(const std::string&)>& make = {})
    {
        std::lock_guard lock(m_lock);
        const std::string path = m_directory + "/" + name + "-" + Fingerprint(arguments) + pszExtension;
        auto run = [&](const std::string& output) {
            const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " '" + output + "'";
            return std::system(command.c_str()) == 0;
        };
        if (m_directory.empty() || !MakeAtomically(path, make ? make : run)) {
            ADD_FAILURE() << "could not make test media: " << name << " from " << arguments;
            return {};
        }
        return path;
    }

private:
    std::mutex m_lock;
    std::string m_directory;
    bool m_isShared = false;
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
    MakeAtomically(copy, [&](const std::string& temporary) {
        return static_cast<bool>(std::ofstream(temporary, std::ios::binary) << content);
    });
    return copy;
}

} // namespace

std::string MadeMedia(const std::string& name, const std::string& arguments)
{
    const std::filesystem::path file(name);
    return Cache().Path(file.stem().string(), file.extension().c_str(), arguments);
}

std::string TestMediaPath(TestMedia media)
{
    return Cache().Path("media" + std::to_string(static_cast<int>(media)), Extension(media), Command(media));
}

std::string DiscClipPath(TestMedia container, int width, int height, int parN, int parD)
{
    std::string name = "disc" + std::to_string(static_cast<int>(container)) + "_" + std::to_string(width) + "x" +
                       std::to_string(height) + "_" + std::to_string(parN) + "_" + std::to_string(parD);
    return Cache().Path(name, Extension(container), DiscCommand(container, width, height, parN, parD));
}

std::string ShapeChangingClipPath()
{
    std::string first = DiscClipPath(TestMedia::MpegProgram, 320, 240, 1, 1);
    std::string second = DiscClipPath(TestMedia::MpegProgram, 352, 288, 16, 11);
    return Cache().Path("shapechange", ".mpg", {}, [&](const std::string& path) {
        std::ofstream(path, std::ios::binary) << ReadAll(first) << ReadAll(second);
        return !first.empty() && !second.empty();
    });
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
