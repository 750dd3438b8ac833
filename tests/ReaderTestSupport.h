// Helpers for tests that drive the asynchronous file source's classes
// directly: a filter loaded on a file, and samples over test-owned buffers.
#pragma once

#include "DebugCapture.h"
#include "TempDir.h"
#include "filters/AsyncFileSourceFilter.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Bytes that differ from their neighbours: byte i is (i * 7) mod 256, so the
// first byte is 0 and the second 7 (no container announces itself).
std::string PatternBytes(size_t cb);

struct SampleReleaser {
    void operator()(IMediaSample* pSample) const { pSample->Release(); }
};
using SamplePtr = std::unique_ptr<IMediaSample, SampleReleaser>;

// A sample over `buffer` asking for bytes [first, last).
SamplePtr MakeSample(std::vector<BYTE>& buffer, LONGLONG first, LONGLONG last);

inline std::pair<LONGLONG, LONGLONG> Range(LONGLONG first, LONGLONG last)
{
    return {first, last};
}

// The byte range a sample's times stand for.
std::pair<LONGLONG, LONGLONG> SampleRange(IMediaSample* pSample);

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new filter loaded on `path`; returns the Load result.
    HRESULT Load(const std::string& path);
    CAsyncFileSourceFilterOutputPin* Pin() { return m_pFilter->GetPin(0); }
    // The pin's media type.
    AM_MEDIA_TYPE MediaType();

    // Keeps the reports of files too short for the type probe off the output.
    CDebugCapture m_quiet;
    CTempDir m_dir;
    CAsyncFileSourceFilter* m_pFilter = nullptr;
};
