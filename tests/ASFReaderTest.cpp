#include "DebugCapture.h"
#include "TempDir.h"
#include "TestMedia.h"
#include "common/FileStream.h"
#include "filters/ASFReader.h"

extern "C" {
#include <libavcodec/packet.h>
}

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <thread>

namespace {

constexpr LONGLONG kSecond = 10000000;

struct Sample {
    HRESULT hr = S_OK;
    DWORD cbLength = 0;
    LONGLONG cnsTime = 0;
    LONGLONG cnsDuration = 0;
};

using SampleMethod = HRESULT (CASFReader::*)(BYTE**, DWORD*, LONGLONG*, LONGLONG*);

// A copy of the file whose second stream carries the first stream's number,
// which sits in the low seven bits at byte 72 of a stream properties object.
std::string RenumberedCopy(const std::string& path, const CTempDir& dir)
{
    std::ifstream in(path, std::ios::binary);
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string streamProperties("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);
    size_t first = content.find(streamProperties);
    size_t second = content.find(streamProperties, first + 1);
    EXPECT_NE(second, std::string::npos);
    content[second + 72] = content[first + 72];
    return dir.WriteFile("renumbered.wmv", content);
}

class ASFReaderTest : public ::testing::Test {
protected:
    ~ASFReaderTest() override
    {
        if (m_pStream != nullptr)
            m_pStream->Release();
    }

    HRESULT Open(const std::string& path)
    {
        m_pStream = new CFileStream();
        HRESULT hr = m_pStream->Init(path.c_str());
        return hr != S_OK ? hr : m_reader.Init(m_pStream);
    }

    Sample Next(SampleMethod method)
    {
        Sample sample;
        BYTE* pbBuffer = nullptr;
        sample.hr = (m_reader.*method)(&pbBuffer, &sample.cbLength, &sample.cnsTime, &sample.cnsDuration);
        if (sample.hr == S_OK && sample.cbLength > 0) {
            EXPECT_NE(pbBuffer, nullptr);
        }
        return sample;
    }
    Sample NextVideo() { return Next(&CASFReader::GetVideoSample); }
    Sample NextAudio() { return Next(&CASFReader::GetAudioSample); }

    // Reads the stream to its end (or a failure) and returns what it read.
    std::vector<Sample> ReadToEnd(SampleMethod method)
    {
        std::vector<Sample> samples;
        for (Sample sample = Next(method); sample.hr == S_OK; sample = Next(method))
            samples.push_back(sample);
        return samples;
    }

    const VIDEOINFOHEADER& VideoFormat() const
    {
        return *reinterpret_cast<const VIDEOINFOHEADER*>(m_reader.GetVideoMediaType()->pbFormat);
    }
    const WAVEFORMATEX& AudioFormat() const
    {
        return *reinterpret_cast<const WAVEFORMATEX*>(m_reader.GetAudioMediaType()->pbFormat);
    }

    CStream* m_pStream = nullptr;
    CASFReader m_reader;
};

TEST_F(ASFReaderTest, FindsBothStreamsTheirTypesAndThePlayTime)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::Wmv)), S_OK);
    EXPECT_NE(m_reader.GetVideoStreamNumber(), 0);
    EXPECT_NE(m_reader.GetAudioStreamNumber(), 0);
    EXPECT_NE(m_reader.GetVideoStreamNumber(), m_reader.GetAudioStreamNumber());
    EXPECT_GE(m_reader.GetPlayTime(), 49 * kSecond / 10);
    EXPECT_LE(m_reader.GetPlayTime(), 52 * kSecond / 10);

    const WM_MEDIA_TYPE& video = *m_reader.GetVideoMediaType();
    EXPECT_EQ(video.majortype, WMMEDIATYPE_Video);
    EXPECT_EQ(video.subtype, FourccGuid(0x32564D57)); // "WMV2"
    EXPECT_EQ(video.formattype, WMFORMAT_VideoInfo);
    EXPECT_TRUE(video.bTemporalCompression);
    EXPECT_GT(video.lSampleSize, 0u);
    const BITMAPINFOHEADER& header = VideoFormat().bmiHeader;
    EXPECT_EQ(header.biWidth, 320);
    EXPECT_EQ(header.biHeight, 240);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, 0x32564D57u);
    EXPECT_EQ(header.biSizeImage, 230400u);
    // The codec's private data follows the header and is counted in biSize.
    EXPECT_EQ(video.cbFormat, sizeof(VIDEOINFOHEADER) + header.biSize - sizeof(BITMAPINFOHEADER));

    const WM_MEDIA_TYPE& audio = *m_reader.GetAudioMediaType();
    EXPECT_EQ(audio.majortype, WMMEDIATYPE_Audio);
    EXPECT_EQ(audio.subtype, FourccGuid(0x161));
    EXPECT_EQ(audio.formattype, WMFORMAT_WaveFormatEx);
    const WAVEFORMATEX& wave = AudioFormat();
    EXPECT_EQ(wave.wFormatTag, 0x161);
    EXPECT_EQ(wave.nChannels, 1);
    EXPECT_EQ(wave.nSamplesPerSec, 44100u);
    EXPECT_GT(wave.nBlockAlign, 0);
    EXPECT_EQ(audio.cbFormat, sizeof(WAVEFORMATEX) + wave.cbSize);
    EXPECT_GE(audio.lSampleSize, wave.nBlockAlign);
}

// A sample taken from the reader keeps its bytes while both streams read
// on, and holds what the pointer form hands out for the same sample.
TEST_F(ASFReaderTest, TakenSamplesStayValidAndMatchTheSamplesHandedOut)
{
    const std::string path = TestMediaPath(TestMedia::Wmv);
    ASSERT_EQ(Open(path), S_OK);
    std::vector<SampleBuffer> taken;
    std::vector<LONGLONG> times;
    for (int i = 0; i < 4; ++i) {
        for (auto take : {&CASFReader::TakeVideoSample, &CASFReader::TakeAudioSample}) {
            SampleBuffer pSample;
            LONGLONG cnsTime = 0;
            LONGLONG cnsDuration = 0;
            ASSERT_EQ((m_reader.*take)(&pSample, &cnsTime, &cnsDuration), S_OK);
            taken.push_back(std::move(pSample));
            times.push_back(cnsTime);
        }
    }
    CASFReader other;
    auto* pStream = new CFileStream();
    ASSERT_EQ(pStream->Init(path.c_str()), S_OK);
    ASSERT_EQ(other.Init(pStream), S_OK);
    for (size_t i = 0; i < taken.size(); ++i) {
        BYTE* pbBuffer = nullptr;
        DWORD cbLength = 0;
        LONGLONG cnsTime = 0;
        LONGLONG cnsDuration = 0;
        SampleMethod get = i % 2 == 0 ? &CASFReader::GetVideoSample : &CASFReader::GetAudioSample;
        ASSERT_EQ((other.*get)(&pbBuffer, &cbLength, &cnsTime, &cnsDuration), S_OK);
        EXPECT_EQ(cnsTime, times[i]) << i;
        ASSERT_EQ(static_cast<int>(cbLength), taken[i]->size) << i;
        EXPECT_EQ(std::memcmp(pbBuffer, taken[i]->data, cbLength), 0) << i;
    }
    other.Close();
    pStream->Release();
    CDebugCapture capture;
    LONGLONG cnsTime = 0;
    EXPECT_EQ(m_reader.TakeVideoSample(nullptr, &cnsTime, &cnsTime), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CASFReader::TakeVideoSample()");
}

// Formats without codec data and audio that the demuxer splits into frames.
TEST_F(ASFReaderTest, ReadsMpeg4VideoWithMp3Audio)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::AsfMpeg4Mp3)), S_OK);
    EXPECT_EQ(m_reader.GetVideoMediaType()->subtype, FourccGuid(0x3334504D)); // "MP43"
    EXPECT_EQ(m_reader.GetVideoMediaType()->cbFormat, sizeof(VIDEOINFOHEADER));
    EXPECT_EQ(VideoFormat().bmiHeader.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(AudioFormat().wFormatTag, 0x55);
    EXPECT_EQ(ReadToEnd(&CASFReader::GetVideoSample).size(), 125u);
    std::vector<Sample> audio = ReadToEnd(&CASFReader::GetAudioSample);
    ASSERT_GT(audio.size(), 100u);
    for (size_t i = 1; i < audio.size(); ++i) {
        EXPECT_LE(audio[i].cbLength, m_reader.GetAudioMediaType()->lSampleSize);
        EXPECT_GT(audio[i].cnsTime, audio[i - 1].cnsTime) << i;
        EXPECT_GT(audio[i].cnsDuration, 0) << i;
    }
}

TEST_F(ASFReaderTest, WithTwoAudioStreamsTheLastOneIsUsed)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::WmvTwoAudio)), S_OK);
    // The muxer numbers the streams 1 (video), 2 and 3 (audio) in order.
    EXPECT_EQ(m_reader.GetVideoStreamNumber(), 1);
    EXPECT_EQ(m_reader.GetAudioStreamNumber(), 3);
    std::vector<Sample> audio = ReadToEnd(&CASFReader::GetAudioSample);
    EXPECT_GT(audio.size(), 100u);
    EXPECT_EQ(NextAudio().hr, NS_E_NO_MORE_SAMPLES);
}

// A sound-only or a picture-only file is read as such: the stream it lacks
// has number 0 and no media type.
TEST_F(ASFReaderTest, AFileWithOneStreamIsReadWithThatStreamAlone)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::WmvAudioOnly)), S_OK);
    EXPECT_EQ(m_reader.GetVideoStreamNumber(), 0);
    EXPECT_NE(m_reader.GetAudioStreamNumber(), 0);
    EXPECT_EQ(m_reader.GetVideoMediaType(), nullptr);
    ASSERT_NE(m_reader.GetAudioMediaType(), nullptr);
    EXPECT_EQ(m_reader.GetAudioMediaType()->formattype, WMFORMAT_WaveFormatEx);
    EXPECT_GT(ReadToEnd(&CASFReader::GetAudioSample).size(), 100u);

    CASFReader videoReader;
    CStream* pStream = new CFileStream();
    ASSERT_EQ(pStream->Init(TestMediaPath(TestMedia::WmvVideoOnly).c_str()), S_OK);
    ASSERT_EQ(videoReader.Init(pStream), S_OK);
    EXPECT_EQ(videoReader.GetAudioStreamNumber(), 0);
    EXPECT_EQ(videoReader.GetAudioMediaType(), nullptr);
    ASSERT_NE(videoReader.GetVideoMediaType(), nullptr);
    EXPECT_EQ(reinterpret_cast<const VIDEOINFOHEADER*>(videoReader.GetVideoMediaType()->pbFormat)->bmiHeader.biSizeImage,
              230400u);
    videoReader.Close();
    pStream->Release();
}

// The demuxer gives a repeated number's samples to the last stream with it:
// the earlier stream (here the video) is not there to be read, so the file
// is read as a sound-only one.
TEST_F(ASFReaderTest, AStreamWhoseNumberIsRepeatedIsNotUsed)
{
    CTempDir dir;
    ASSERT_EQ(Open(RenumberedCopy(TestMediaPath(TestMedia::Wmv), dir)), S_OK);
    EXPECT_EQ(m_reader.GetVideoStreamNumber(), 0);
    EXPECT_EQ(m_reader.GetAudioStreamNumber(), 1);
    EXPECT_EQ(m_reader.GetVideoMediaType(), nullptr);
    EXPECT_EQ(NextAudio().hr, S_OK);
}

TEST_F(ASFReaderTest, OtherFilesAndMissingStreamsAreRefused)
{
    CDebugCapture capture;
    EXPECT_EQ(m_reader.Init(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport(), (std::vector<std::string>{"pStream = 0", "from CASFReader::Init()"}));
    EXPECT_EQ(m_reader.Reset(nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CASFReader::Reset()");

    EXPECT_EQ(Open(TestMediaPath(TestMedia::Mp3)), NS_E_INVALID_INPUT_FORMAT);
    EXPECT_NE(LastReport().find("Message\t: 스트림을 열 수 없습니다\n"
                                "Reason\t: The input media format is invalid."),
              std::string::npos);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"from IWMSyncReader::OpenStream()", "from CASFReader::Init()"}));

    // Without an open file there are no samples and no range to set.
    Sample sample = NextVideo();
    EXPECT_EQ(sample.hr, NS_E_INVALID_REQUEST);
    EXPECT_NE(LastReport().find("IWMSyncReader 객체로부터 다음 샘플을 가져올 수 없습니다"), std::string::npos);
    EXPECT_EQ(capture.TracesAfterReport(), (std::vector<std::string>{"from IWMSyncReader::GetNextSample()",
                                                                     "from CASFReader::GetVideoSample()"}));
    EXPECT_EQ(m_reader.SetRange(0, 0), NS_E_INVALID_REQUEST);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"qwStartTime = 0, llDuration = 0", "from IWMSyncReader::SetRange()",
                                        "from CASFReader::SetRange()"}));
    EXPECT_EQ(m_reader.Close(), S_OK);

    DWORD cbLength = 0;
    LONGLONG cnsTime = 0;
    EXPECT_EQ(m_reader.GetAudioSample(nullptr, &cbLength, &cnsTime, &cnsTime), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(capture.TracesAfterReport().back(), "from CASFReader::GetAudioSample()");
}

TEST_F(ASFReaderTest, ReadsEverySampleOfBothStreamsToTheEndWithoutAReport)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::Wmv)), S_OK);
    // The two pins read in turns, as their threads would.
    std::vector<Sample> video;
    std::vector<Sample> audio;
    CDebugCapture capture;
    for (bool videoEnded = false, audioEnded = false; !videoEnded || !audioEnded;) {
        for (auto [method, samples, ended] : {std::tuple{&CASFReader::GetVideoSample, &video, &videoEnded},
                                              std::tuple{&CASFReader::GetAudioSample, &audio, &audioEnded}}) {
            Sample sample = Next(method);
            if (sample.hr == S_OK)
                samples->push_back(sample);
            else
                ASSERT_EQ(sample.hr, NS_E_NO_MORE_SAMPLES);
            *ended = sample.hr != S_OK;
        }
    }
    EXPECT_TRUE(capture.Lines().empty());
    EXPECT_EQ(NextVideo().hr, NS_E_NO_MORE_SAMPLES);
    EXPECT_EQ(NextAudio().hr, NS_E_NO_MORE_SAMPLES);

    EXPECT_EQ(video.size(), 125u);
    EXPECT_LT(video.front().cnsTime, kSecond / 10);
    for (auto [samples, cbBuffer] : {std::pair{&video, VideoFormat().bmiHeader.biSizeImage},
                                     std::pair{&audio, m_reader.GetAudioMediaType()->lSampleSize}}) {
        LONGLONG cnsTotal = 0;
        for (size_t i = 0; i < samples->size(); ++i) {
            const Sample& sample = (*samples)[i];
            EXPECT_LE(sample.cbLength, cbBuffer);
            EXPECT_GT(sample.cnsDuration, 0) << i;
            if (i > 0) {
                EXPECT_GT(sample.cnsTime, (*samples)[i - 1].cnsTime) << i;
            }
            cnsTotal += sample.cnsDuration;
        }
        // The durations add up to the play time, give or take a sample.
        EXPECT_NEAR(static_cast<double>(cnsTotal), static_cast<double>(m_reader.GetPlayTime()), 0.1 * kSecond);
    }
    // Video time stamps are in 100-ns units: 25 frames a second.
    EXPECT_EQ(video[1].cnsTime - video[0].cnsTime, 400000);
    EXPECT_EQ(video[0].cnsDuration, 400000);
}

TEST_F(ASFReaderTest, SetRangeRestartsBothStreamsAtTheKeyFrameBeforeTheStart)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::Wmv20s)), S_OK);
    LONGLONG cnsPlayTime = m_reader.GetPlayTime();
    EXPECT_GE(cnsPlayTime, 199 * kSecond / 10);
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(NextVideo().hr, S_OK);
        ASSERT_EQ(NextAudio().hr, S_OK);
    }

    ASSERT_EQ(m_reader.SetRange(5 * kSecond, cnsPlayTime - 5 * kSecond), S_OK);
    // Key frames come every second.
    for (Sample sample : {NextVideo(), NextAudio()}) {
        ASSERT_EQ(sample.hr, S_OK);
        EXPECT_LE(sample.cnsTime, 5 * kSecond);
        EXPECT_GT(sample.cnsTime, 4 * kSecond - kSecond / 10);
    }
    std::vector<Sample> video = ReadToEnd(&CASFReader::GetVideoSample);
    EXPECT_NEAR(static_cast<double>(video.size()), 15 * 25, 30);

    // Back to the start, reading to the end of the file.
    ASSERT_EQ(m_reader.SetRange(0, 0), S_OK);
    EXPECT_LT(NextVideo().cnsTime, kSecond / 10);
    EXPECT_LT(NextAudio().cnsTime, kSecond / 10);
}

TEST_F(ASFReaderTest, ARangeEndsTheStreamsAtItsEndAndPastTheFileAtOnce)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::Wmv20s)), S_OK);
    ASSERT_EQ(m_reader.SetRange(2 * kSecond, kSecond), S_OK);
    std::vector<Sample> video = ReadToEnd(&CASFReader::GetVideoSample);
    ASSERT_FALSE(video.empty());
    EXPECT_LT(video.back().cnsTime, 3 * kSecond);
    EXPECT_GE(video.back().cnsTime + video.back().cnsDuration, 3 * kSecond);
    std::vector<Sample> audio = ReadToEnd(&CASFReader::GetAudioSample);
    ASSERT_FALSE(audio.empty());
    EXPECT_LT(audio.back().cnsTime, 3 * kSecond);

    // Past the end of the file only what precedes the end is left.
    LONGLONG cnsPlayTime = m_reader.GetPlayTime();
    CDebugCapture capture;
    ASSERT_EQ(m_reader.SetRange(cnsPlayTime + 10 * kSecond, -10 * kSecond), S_OK);
    EXPECT_LE(ReadToEnd(&CASFReader::GetVideoSample).size(), 26u);
    EXPECT_EQ(NextVideo().hr, NS_E_NO_MORE_SAMPLES);
    EXPECT_TRUE(capture.Lines().empty());
}

// Without its index and with a play time that no longer matches the file,
// a file cut short still seeks, and reads to where it ends.
TEST_F(ASFReaderTest, AFileCutShortSeeksAndReadsToItsEnd)
{
    std::string path = TestMediaPath(TestMedia::Wmv20s);
    ASSERT_EQ(Open(TruncatedCopy(path, std::filesystem::file_size(path) * 7 / 10)), S_OK);
    EXPECT_EQ(m_reader.GetPlayTime(), 0);
    ASSERT_EQ(m_reader.SetRange(5 * kSecond, m_reader.GetPlayTime() - 5 * kSecond), S_OK);
    Sample first = NextVideo();
    ASSERT_EQ(first.hr, S_OK);
    EXPECT_LE(first.cnsTime, 5 * kSecond);
    EXPECT_GT(first.cnsTime, 4 * kSecond - kSecond / 10);
    std::vector<Sample> video = ReadToEnd(&CASFReader::GetVideoSample);
    ASSERT_FALSE(video.empty());
    EXPECT_GT(video.back().cnsTime, 12 * kSecond);
    EXPECT_LT(video.back().cnsTime, 15 * kSecond);
}

TEST_F(ASFReaderTest, ResetOpensTheFileAgainFromTheStart)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::Wmv)), S_OK);
    Sample first = NextVideo();
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(NextVideo().hr, S_OK);
    // The stream is somewhere in the middle of the file now.
    ASSERT_EQ(m_reader.Reset(m_pStream), S_OK);
    EXPECT_EQ(VideoFormat().bmiHeader.biSizeImage, 230400u);
    Sample again = NextVideo();
    EXPECT_EQ(again.cnsTime, first.cnsTime);
    EXPECT_EQ(again.cbLength, first.cbLength);
    EXPECT_EQ(ReadToEnd(&CASFReader::GetVideoSample).size(), 124u);
}

TEST_F(ASFReaderTest, PinThreadsReadWhileTheApplicationSeeks)
{
    ASSERT_EQ(Open(TestMediaPath(TestMedia::Wmv)), S_OK);
    std::atomic<int> read{0};
    auto pin = [&](SampleMethod method) {
        for (Sample sample = Next(method); sample.hr == S_OK; sample = Next(method))
            ++read;
    };
    std::thread video(pin, &CASFReader::GetVideoSample);
    std::thread audio(pin, &CASFReader::GetAudioSample);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(m_reader.SetRange(i % 5 * kSecond, 0), S_OK);
    video.join();
    audio.join();
    EXPECT_GT(read.load(), 0);
}

// Damaged files play what can be read, then end or fail with a report.
TEST_F(ASFReaderTest, TruncatedAndCorruptedFilesEndCleanly)
{
    std::string path = TestMediaPath(TestMedia::Wmv);
    size_t cbFile = std::filesystem::file_size(path);
    std::vector<std::string> copies;
    for (size_t cb : {size_t{0}, size_t{16}, size_t{300}, size_t{1200}, cbFile / 3, cbFile - 100})
        copies.push_back(TruncatedCopy(path, cb));
    for (size_t offset : {size_t{30}, size_t{200}, size_t{700}, size_t{5000}, cbFile / 2})
        copies.push_back(CorruptedCopy(path, offset, 64));
    for (const std::string& copy : copies) {
        SCOPED_TRACE(copy);
        CDebugCapture capture;
        CASFReader reader;
        CStream* pStream = new CFileStream();
        ASSERT_EQ(pStream->Init(copy.c_str()), S_OK);
        HRESULT hr = reader.Init(pStream);
        if (hr != S_OK) {
            EXPECT_EQ(capture.TracesAfterReport().back(), "from CASFReader::Init()");
        } else {
            for (SampleMethod method : {&CASFReader::GetVideoSample, &CASFReader::GetAudioSample}) {
                BYTE* pbBuffer = nullptr;
                DWORD cbLength = 0;
                LONGLONG cnsTime = 0;
                LONGLONG cnsDuration = 0;
                int cSamples = 0;
                while ((hr = (reader.*method)(&pbBuffer, &cbLength, &cnsTime, &cnsDuration)) == S_OK)
                    ASSERT_LT(++cSamples, 100000);
                if (hr != NS_E_NO_MORE_SAMPLES) {
                    EXPECT_FALSE(LastReport().empty());
                }
            }
        }
        pStream->Release();
    }
}

} // namespace
