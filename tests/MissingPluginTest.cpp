// A file that needs a decoder that is not installed: the decoder is named,
// with the Debian package that brings it.
#include "HiddenDecoders.h"
#include "MediaTestSetup.h"
#include "TestMedia.h"
#include "TestScreenWindow.h"
#include "common/Report.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"
#include "playback/MissingPlugin.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// What `read` makes of caps given as a string.
template <typename Read>
std::string OfCaps(const char* pszCaps, Read read)
{
    GstCaps* pCaps = gst_caps_from_string(pszCaps);
    std::string result = read(pCaps);
    gst_caps_unref(pCaps);
    return result;
}

std::string PackageFor(const char* pszCaps)
{
    return OfCaps(pszCaps, [](const GstCaps* pCaps) { return CMissingPlugin::PackageFor(pCaps); });
}

std::string DecoderName(const char* pszDescription, const char* pszCaps)
{
    return OfCaps(pszCaps, [&](const GstCaps* pCaps) { return CMissingPlugin::DecoderName(pszDescription, pCaps); });
}

TEST(MissingPluginTest, ThePackageFollowsTheFormat)
{
    InitMediaGraph();
    const std::pair<const char*, const char*> cases[] = {
        {"video/x-h265, stream-format=byte-stream", "gstreamer1.0-libav"},
        {"video/x-wmv, wmvversion=3", "gstreamer1.0-libav"},
        {"video/mpeg, mpegversion=4, systemstream=false", "gstreamer1.0-libav"},
        {"video/mpeg, mpegversion=2, systemstream=true", "gstreamer1.0-plugins-bad"},
        {"audio/mpeg, mpegversion=1, layer=3", "gstreamer1.0-plugins-good"},
        {"audio/mpeg, mpegversion=4, stream-format=raw", "gstreamer1.0-libav"},
        {"video/x-vp9", "gstreamer1.0-plugins-good"},
        {"audio/x-vorbis", "gstreamer1.0-plugins-base"},
        {"video/x-ms-asf", "gstreamer1.0-plugins-ugly"},
        // A format the table does not know, and caps that name no format.
        {"video/x-korvo", ""},
        {"ANY", ""},
        {"EMPTY", ""},
    };
    for (const auto& [pszCaps, pszPackage] : cases)
        EXPECT_EQ(PackageFor(pszCaps), pszPackage) << pszCaps;
}

TEST(MissingPluginTest, TheDecoderSaysWhatItDecodes)
{
    InitMediaGraph();
    EXPECT_EQ(DecoderName("H.265 (Main Profile) decoder", "video/x-h265"), "H.265 (Main Profile) video decoder");
    EXPECT_EQ(DecoderName("MPEG-1 Layer 3 (MP3) decoder", "audio/mpeg, mpegversion=1"),
              "MPEG-1 Layer 3 (MP3) audio decoder");
    // Said already, or not a stream of pictures or sound.
    EXPECT_EQ(DecoderName("MPEG-4 Video (Simple Profile) decoder", "video/mpeg, mpegversion=4"),
              "MPEG-4 Video (Simple Profile) decoder");
    EXPECT_EQ(DecoderName("MPEG-2 System Stream demuxer", "video/mpeg, systemstream=true"),
              "MPEG-2 System Stream demuxer");
    EXPECT_EQ(DecoderName("MPEG-2 decoder", "video/mpeg, systemstream=true"), "MPEG-2 decoder");
    EXPECT_EQ(DecoderName("Subtitle decoder", "application/x-subtitle"), "Subtitle decoder");
}

class MissingDecoderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    void SetUp() override { ASSERT_EQ(m_graph.Init(&m_screen), S_OK); }

    void TearDown() override { m_graph.Stop(); }

    CTestScreenWindow m_screen;
    CDirectShow m_graph{std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()};
};

// The design's report stays; GStreamer's text and the missing decoders
// come with it as its details.
TEST_F(MissingDecoderTest, AFileWithoutAnyDecoderNamesThemAndTheirPackages)
{
    const std::string path = TestMediaPath(TestMedia::Avi);
    CHiddenDecoders hidden{"video/mpeg, mpegversion=4, systemstream=false", "audio/mpeg, mpegversion=1, layer=3"};
    ASSERT_TRUE(hidden.Any());
    EXPECT_EQ(m_graph.Play(path.c_str()), kNothingToRender);
    const PlaybackError& error = m_graph.LastError();
    EXPECT_EQ(error.hr, kNothingToRender);
    EXPECT_EQ(error.text, LastReport());
    EXPECT_NE(error.text.find("There is no filter to rendering"), std::string::npos) << error.text;
    EXPECT_NE(error.missingPlugin.find("MPEG-4 Video"), std::string::npos) << error.missingPlugin;
    EXPECT_NE(error.missingPlugin.find("audio decoder"), std::string::npos) << error.missingPlugin;
    // In order of their names, whichever stream found its decoder missing
    // first.
    EXPECT_EQ(error.package, "gstreamer1.0-plugins-good, gstreamer1.0-libav");
    EXPECT_EQ(error.Details().rfind("This file needs an MPEG-1 Layer 3 (MP3) audio decoder and MPEG-4 Video", 0), 0u)
        << error.Details();
    EXPECT_NE(error.gstMessage.find("missing a plug-in"), std::string::npos) << error.gstMessage;
}

// Without its picture's decoder the file plays its sound, and a later file
// that fails for another reason does not name that decoder.
TEST_F(MissingDecoderTest, AFileMissingOnlyItsPictureDecoderPlaysItsSound)
{
    {
        CHiddenDecoders hidden{"video/mpeg, mpegversion=4, systemstream=false"};
        ASSERT_EQ(m_graph.Play(TestMediaPath(TestMedia::Avi).c_str()), S_OK) << LastReport();
        EXPECT_FALSE(m_graph.HasVideo());
        EXPECT_EQ(m_graph.Stop(), S_OK);
    }
    EXPECT_NE(m_graph.Play("/nonexistent/korvo.avi"), S_OK);
    EXPECT_EQ(m_graph.LastError().missingPlugin, "");
}

} // namespace
