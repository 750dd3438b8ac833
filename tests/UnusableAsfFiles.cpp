#include "UnusableAsfFiles.h"

#include "TestMedia.h"

#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

// ASF object identifiers as they stand in the file.
constexpr unsigned char kFilePropertiesObject[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                     0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr unsigned char kDataObject[16] = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                           0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
// Where the packet sizes lie in the file properties object, and how long
// the data object's own header is.
constexpr size_t kMinPacketSizeOffset = 92;
constexpr size_t kDataObjectHeaderSize = 50;

size_t FindObject(const std::string& content, const unsigned char (&id)[16])
{
    size_t at = content.find(std::string(reinterpret_cast<const char*>(id), sizeof id));
    EXPECT_NE(at, std::string::npos);
    return at;
}

void PutLittleEndian(std::string* pContent, size_t at, uint64_t value, size_t cb)
{
    for (size_t i = 0; i < cb; ++i)
        (*pContent)[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Files whose header is fine but whose data nothing can be read from.
std::vector<std::string> FilesWithoutUsableData(const CTempDir& dir)
{
    const std::string wmv = ReadFile(TestMediaPath(TestMedia::Wmv));
    std::vector<std::string> files;
    for (uint32_t cbPacket : {0u, 7u}) {
        std::string content = wmv;
        size_t at = FindObject(content, kFilePropertiesObject) + kMinPacketSizeOffset;
        PutLittleEndian(&content, at, cbPacket, 4);
        PutLittleEndian(&content, at + 4, cbPacket, 4);
        files.push_back(dir.WriteFile("packet" + std::to_string(cbPacket) + ".wmv", content));
    }
    const size_t data = FindObject(wmv, kDataObject);
    std::string empty = wmv.substr(0, data + kDataObjectHeaderSize);
    PutLittleEndian(&empty, data + 16, kDataObjectHeaderSize, 8);
    PutLittleEndian(&empty, data + 40, 0, 8);
    files.push_back(dir.WriteFile("empty-data.wmv", empty));
    return files;
}
