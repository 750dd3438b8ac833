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

std::string PackageFor(const char* pszCaps)
{
    GstCaps* pCaps = gst_caps_from_string(pszCaps);
    std::string package = CMissingPlugin::PackageFor(pCaps);
    gst_caps_unref(pCaps);
    return package;
}

std::string DecoderName(const char* pszDescription, const char* pszCaps)
{
    GstCaps* pCaps = gst_caps_from_string(pszCaps);
    std::string name = CMissingPlugin::DecoderName(pszDescription, pCaps);
    gst_caps_unref(pCaps);
    return name;
}

TEST(MissingPluginTest, ThePackageFollowsTheFormat)
{
    InitMediaGraph();
    EXPECT_EQ(PackageFor("video/x-h265, stream-format=byte-stream"), "gstreamer1.0-libav");
    EXPECT_EQ(PackageFor("video/x-wmv, wmvversion=3"), "gstreamer1.0-libav");
    EXPECT_EQ(PackageFor("video/mpeg, mpegversion=4, systemstream=false"), "gstreamer1.0-libav");
    EXPECT_EQ(PackageFor("video/mpeg, mpegversion=2, systemstream=true"), "gstreamer1.0-plugins-bad");
    EXPECT_EQ(PackageFor("audio/mpeg, mpegversion=1, layer=3"), "gstreamer1.0-plugins-good");
    EXPECT_EQ(PackageFor("audio/mpeg, mpegversion=4, stream-format=raw"), "gstreamer1.0-libav");
    EXPECT_EQ(PackageFor("video/x-vp9"), "gstreamer1.0-plugins-good");
    EXPECT_EQ(PackageFor("audio/x-vorbis"), "gstreamer1.0-plugins-base");
    EXPECT_EQ(PackageFor("video/x-ms-asf"), "gstreamer1.0-plugins-ugly");
    // A format the table does not know, and caps that name no format.
    EXPECT_EQ(PackageFor("video/x-korvo"), "");
    EXPECT_EQ(PackageFor("ANY"), "");
    EXPECT_EQ(PackageFor("EMPTY"), "");
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
