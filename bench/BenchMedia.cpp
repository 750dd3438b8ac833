#include "BenchMedia.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

std::string MakeMedia(const std::string& dir, const std::string& name, const std::string& arguments)
{
    std::string path = dir + "/" + name;
    if (std::filesystem::exists(path))
        return path;
    // Made under another name first, so that an interrupted run leaves no
    // half-written file to be taken for a whole one next time.
    std::string partial = path + ".part";
    std::string command = "ffmpeg -nostdin -v error -y " + arguments + " '" + partial + "'";
    std::error_code error;
    if (std::system(command.c_str()) != 0 || (std::filesystem::rename(partial, path, error), error)) {
        std::fprintf(stderr, "cannot make %s\n", path.c_str());
        std::exit(1);
    }
    return path;
}

std::string PictureAndTone(const char* pszSize, int seconds)
{
    return "-f lavfi -i testsrc=size=" + std::string(pszSize) + ":rate=25:duration=" + std::to_string(seconds) +
           " " + Tone(seconds);
}

std::string Tone(int seconds)
{
    return "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds) + " ";
}

std::string MakeWmv720p(const std::string& dir, const std::string& name, int seconds)
{
    return MakeMedia(dir, name, PictureAndTone("1280x720", seconds) + "-c:v wmv2 -b:v 6M -c:a wmav2 -f asf");
}

void WarmPageCache(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chunk(1 << 20);
    // The last, shorter piece is read by the call that ends the loop.
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()))) {
    }
}
