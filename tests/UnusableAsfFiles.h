// ASF files whose header is fine but whose data nothing can be read from,
// made from the test media by editing their bytes.
#pragma once

#include "TempDir.h"

#include <string>
#include <vector>

// The whole file as bytes.
std::string ReadFile(const std::string& path);

// A file whose packets are 0 bytes long, one whose packets are 7 bytes long
// (shorter than any packet header), and one whose data object holds no
// packet (the last), written into `dir`.
std::vector<std::string> FilesWithoutUsableData(const CTempDir& dir);
