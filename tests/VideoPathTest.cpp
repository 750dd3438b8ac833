// The choice of the video path from what the display offers and what the
// user forced; no display needed.
#include "playback/VideoPath.h"

#include <gtest/gtest.h>

namespace {

CVideoPath::Abilities Display(const char* pszRenderer, bool bHasXv)
{
    return {pszRenderer, bHasXv};
}

TEST(VideoPathTest, HardwareOpenGLKeepsTheGLSinkWhateverXvOffers)
{
    for (bool bHasXv : {false, true}) {
        const CVideoPath::Choice choice = CVideoPath::Choose(nullptr, Display("AMD Radeon RX 6600 (radeonsi, navi23)", bHasXv));
        EXPECT_EQ(choice.path, VideoPath::Gl);
        EXPECT_NE(choice.reason.find("radeonsi"), std::string::npos) << choice.reason;
    }
}

TEST(VideoPathTest, SoftwareOpenGLOrNoneGoesToXvOrPlainImages)
{
    for (const char* pszRenderer : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer",
                                    "Mesa X11 SWRAST", ""}) {
        SCOPED_TRACE(pszRenderer);
        EXPECT_EQ(CVideoPath::Choose(nullptr, Display(pszRenderer, true)).path, VideoPath::Xv);
        const CVideoPath::Choice choice = CVideoPath::Choose(nullptr, Display(pszRenderer, false));
        EXPECT_EQ(choice.path, VideoPath::X);
        EXPECT_NE(choice.reason.find("no Xv adaptor"), std::string::npos) << choice.reason;
    }
    EXPECT_NE(CVideoPath::Choose(nullptr, Display("", false)).reason.find("no hardware OpenGL"), std::string::npos);
    EXPECT_NE(CVideoPath::Choose(nullptr, Display("llvmpipe", false)).reason.find("software"), std::string::npos);
}

TEST(VideoPathTest, AForcedValueWinsExceptXvWithoutAnAdaptor)
{
    const auto hardware = Display("NVIDIA GeForce GTX 1650/PCIe/SSE2", false);
    const auto software = Display("llvmpipe", true);
    EXPECT_EQ(CVideoPath::Choose("gl", software).path, VideoPath::Gl);
    EXPECT_EQ(CVideoPath::Choose("GL", software).path, VideoPath::Gl);
    EXPECT_EQ(CVideoPath::Choose("x", hardware).path, VideoPath::X);
    EXPECT_EQ(CVideoPath::Choose("xv", software).path, VideoPath::Xv);
    const CVideoPath::Choice noXv = CVideoPath::Choose("xv", hardware);
    EXPECT_EQ(noXv.path, VideoPath::X);
    EXPECT_NE(noXv.reason.find("KORVOPLAYER_VIDEO_SINK=xv"), std::string::npos) << noXv.reason;
    EXPECT_NE(noXv.reason.find("no Xv adaptor"), std::string::npos) << noXv.reason;
    // Anything else is said and ignored.
    const CVideoPath::Choice unknown = CVideoPath::Choose("vulkan", hardware);
    EXPECT_EQ(unknown.path, VideoPath::Gl);
    EXPECT_NE(unknown.reason.find("vulkan is not gl, xv or x"), std::string::npos) << unknown.reason;
    EXPECT_EQ(CVideoPath::Choose("", software).path, VideoPath::Xv);
}

TEST(VideoPathTest, EachSinkGivesWayToTheOneBelow)
{
    std::vector<std::string> order;
    VideoPath path = VideoPath::Gl;
    do
        order.push_back(CVideoPath::SinkFactoryName(path));
    while (CVideoPath::Below(path, &path));
    EXPECT_EQ(order, (std::vector<std::string>{"glimagesink", "xvimagesink", "ximagesink"}));
}

} // namespace
