// Small files the player keeps between runs, written so that a crash, a
// full disk or a power cut leaves either the old file or the new one whole:
// the text goes to a new file beside the old, is flushed to the disk and
// then takes the old one's name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Writes `text` as `path`, making its folder if needed; on failure the old
// file is untouched and *pError says why.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& text, std::string* pError);

// The whole file, or nothing when it cannot be read or is longer than
// `nMaxBytes` (a file that large was not written by the player).
std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, size_t nMaxBytes);
