// Loads subtitle files: bytes -> encoding -> format -> tracks. Files are read
// whole at once (so one that goes away later changes nothing) and at most
// kMaxFileBytes; parsers bound what they keep (cues per track, text per cue,
// cues on screen at once; see CSubtitleTrack and CPangoMarkup).
#pragma once

#include "common/ComTypes.h"
#include "subtitles/SubtitleFile.h"

#include <memory>
#include <string>
#include <string_view>

class CSubtitleParser;

class CSubtitleLoader {
public:
    static constexpr size_t kMaxFileBytes = 16u << 20;

    // sLocale decides the legacy encodings tried (CTextDecoder); dFrameRate
    // is the video's, for MicroDVD files without their own (0: default).
    explicit CSubtitleLoader(std::string sLocale, double dFrameRate = 0);

    // Decodes and parses sBytes; sExtension (no dot) helps only when the
    // content does not tell the format. Returns S_OK when at least one cue
    // was read, ERROR_INVALID_DATA (reported) otherwise. Any garbage is
    // safe to pass.
    HRESULT LoadBytes(std::string_view sBytes, std::string_view sExtension, SUBTITLEFILE* pFile) const;

    // Reads the file and loads it. ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED
    // or ERROR_READ_FAULT (reported) when it cannot be read, ERROR_INVALID_DATA
    // when it is larger than kMaxFileBytes or holds no cue.
    HRESULT LoadFile(const std::string& sPath, SUBTITLEFILE* pFile) const;

    // Loads the first of the subtitle files beside the video (CSubtitleFinder's
    // order) that holds a cue. ERROR_NOT_FOUND, not reported, when none does.
    HRESULT LoadBeside(const std::string& sVideoPath, SUBTITLEFILE* pFile) const;

    // The parser of a format, null for Unknown.
    std::unique_ptr<CSubtitleParser> CreateParser(SubtitleFormat format) const;

private:
    HRESULT _ReadFile(const std::string& sPath, std::string* pBytes) const;

    std::string m_sLocale;
    double m_dFrameRate;
};
