#include "DebugCapture.h"
#include "EventLoopWait.h"
#include "GifBuilder.h"
#include "winsys/WindowSystem.h"
#include "controls/AnimatedLogo.h"
#include "controls/GifBlockWalker.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QPalette>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);

std::string Encoded(const QImage& image, const char* pszFormat)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, pszFormat);
    return bytes.toStdString();
}

// Left half red, right half blue.
QImage Halves(int nWidth, int nHeight)
{
    QImage image(nWidth, nHeight, QImage::Format_RGB32);
    image.fill(kRed);
    for (int y = 0; y < nHeight; ++y)
        for (int x = nWidth / 2; x < nWidth; ++x)
            image.setPixel(x, y, kBlue);
    return image;
}

class AnimatedLogoTest : public ::testing::Test {
protected:
    bool Load(const std::string& data) { return m_logo.LoadFromMemory(data.data(), static_cast<DWORD>(data.size())); }

    // What the widget paints.
    QRgb Pixel(int x, int y) { return m_logo.grab().toImage().pixel(x, y); }

    bool WaitForPixel(int x, int y, QRgb colour)
    {
        return WaitFor([&] { return Pixel(x, y) == colour; });
    }

    QRgb Background() const { return m_logo.palette().color(QPalette::Button).rgb(); }

    void ExpectEmpty()
    {
        EXPECT_EQ(m_logo.GetPictureSize(), QSize(0, 0));
        EXPECT_FALSE(m_logo.IsAnimated());
        EXPECT_FALSE(m_logo.StartAnimation());
        EXPECT_FALSE(m_logo.IsPlaying());
    }

    CAnimatedLogo m_logo;
};

TEST(AnimatedLogoTiming, FrameDelaysInHundredthsBecomeWaits)
{
    for (uint32_t delay : {0u, 1u, 4u, 10u})
        EXPECT_EQ(CAnimatedLogo::FrameWaitMilliseconds(delay), 100u) << delay;
    EXPECT_EQ(CAnimatedLogo::FrameWaitMilliseconds(5), 50u);
    EXPECT_EQ(CAnimatedLogo::FrameWaitMilliseconds(25), 250u);
    EXPECT_EQ(CAnimatedLogo::FrameWaitMilliseconds(0xFFFF), 655350u);
    // No graphic control extension: the frame stays until the animation stops.
    EXPECT_EQ(CAnimatedLogo::FrameWaitMilliseconds(kGifNoDelay), 4294967286u);
}

TEST_F(AnimatedLogoTest, AnimatedGifTakesItsLogicalScreenSize)
{
    ASSERT_TRUE(Load(CGifBuilder(12, 9).Control(1, 0).Image(0, 0, 12, 9, kGifRed).Image(2, 2, 3, 3, kGifGreen)
                         .Trailer().Data()));
    EXPECT_TRUE(m_logo.IsAnimated());
    EXPECT_EQ(m_logo.GetPictureSize(), QSize(12, 9));
    EXPECT_EQ(m_logo.size(), QSize(12, 9));
    EXPECT_FALSE(m_logo.IsPlaying());
}

TEST_F(AnimatedLogoTest, AnyVersionAfterGifIsDecodedAsGif)
{
    ASSERT_TRUE(Load(CGifBuilder(4, 4, "12z").Image(0, 0, 4, 4, kGifRed).Image(0, 0, 4, 4, kGifBlue).Trailer().Data()));
    EXPECT_TRUE(m_logo.IsAnimated());
    ASSERT_TRUE(m_logo.StartAnimation());
    EXPECT_TRUE(WaitForPixel(1, 1, kRed));
}

TEST_F(AnimatedLogoTest, OneFrameGifIsAStillPicture)
{
    ASSERT_TRUE(Load(CGifBuilder(10, 8).Control(3, 2).Image(0, 0, 10, 8, kGifGreen).Trailer().Data()));
    EXPECT_FALSE(m_logo.IsAnimated());
    EXPECT_EQ(m_logo.GetPictureSize(), QSize(10, 8));
    EXPECT_NE(Pixel(5, 4), kGreen) << "nothing is drawn before the start";
    EXPECT_TRUE(m_logo.StartAnimation());
    EXPECT_FALSE(m_logo.IsPlaying()) << "a still picture needs no thread";
    EXPECT_EQ(Pixel(5, 4), kGreen);
}

TEST_F(AnimatedLogoTest, OtherPictureFormatsAreShownStillAtTheirOwnSize)
{
    for (const char* pszFormat : {"PNG", "BMP"}) {
        ASSERT_TRUE(Load(Encoded(Halves(6, 4), pszFormat))) << pszFormat;
        EXPECT_EQ(m_logo.GetPictureSize(), QSize(6, 4));
        EXPECT_FALSE(m_logo.IsAnimated());
        ASSERT_TRUE(m_logo.StartAnimation());
        EXPECT_EQ(Pixel(0, 0), kRed);
        EXPECT_EQ(Pixel(5, 3), kBlue);
    }
}

TEST_F(AnimatedLogoTest, PaintingStretchesThePictureOverTheWidget)
{
    ASSERT_TRUE(Load(Encoded(Halves(2, 2), "PNG")));
    ASSERT_TRUE(m_logo.StartAnimation());
    m_logo.resize(100, 50);
    EXPECT_EQ(Pixel(5, 25), kRed);
    EXPECT_EQ(Pixel(95, 25), kBlue);
}

TEST_F(AnimatedLogoTest, UndecodableDataLeavesTheControlEmptyWithAReport)
{
    const std::vector<std::string> bad = {
        CGifBuilder(4, 4).Trailer().Data(),                        // no frame
        CGifBuilder(4, 4).Control(10, 0).Trailer().Data(),         // a control extension alone
        "GIF",                                                     // a header cut short
        CGifBuilder(4, 4).Image(0, 0, 4, 4, kGifRed).Data().substr(0, 30),  // a frame cut short
        "This is not a picture at all",
        std::string(64, '\0'),
        CGifBuilder(0, 0).Image(0, 0, 1, 1, kGifRed).Trailer().Data(),  // no logical screen
    };
    for (const std::string& data : bad) {
        CDebugCapture capture;
        ASSERT_TRUE(Load(CGifBuilder(4, 4).Image(0, 0, 4, 4, kGifRed).Trailer().Data()));
        EXPECT_FALSE(Load(data)) << data;
        ExpectEmpty();
        EXPECT_NE(LastReport().find("Code\t: "), std::string::npos);
        ASSERT_FALSE(capture.TracesAfterReport().empty());
        EXPECT_EQ(capture.TracesAfterReport().back(), "from CAnimatedLogo::LoadFromMemory()");
    }
}

TEST_F(AnimatedLogoTest, NoFrameIsReportedAsABadFormat)
{
    CDebugCapture capture;
    std::string gif = CGifBuilder(4, 4).Trailer().Data();
    EXPECT_FALSE(Load(gif));
    EXPECT_EQ(LastReport(), "Message\t: There is no frame in the GIF data of 26 bytes\n"
                            "Reason\t: An attempt was made to load a program with an incorrect format.\n"
                            "Code\t: 11(0x0000000B)");
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"from CAnimatedLogo::_LoadGif()", "from CAnimatedLogo::LoadFromMemory()"}));
}

TEST_F(AnimatedLogoTest, NullDataIsAnInvalidParameter)
{
    CDebugCapture capture;
    EXPECT_FALSE(m_logo.LoadFromMemory(nullptr, 10));
    EXPECT_NE(LastReport().find("Code\t: 87(0x00000057)"), std::string::npos);
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"hData = 0, nSize = 10", "from CAnimatedLogo::LoadFromMemory()"}));
    EXPECT_FALSE(m_logo.LoadFromResource(IDR_LOGO_GIF, nullptr));
    ExpectEmpty();
}

TEST_F(AnimatedLogoTest, FramesTheDecoderRejectsAreLeftOut)
{
    // The decoder draws no plain text: that frame has no picture.
    ASSERT_TRUE(Load(CGifBuilder(4, 4).Image(0, 0, 4, 4, kGifBlue).Control(1, 0).PlainText("words").Trailer().Data()));
    EXPECT_FALSE(m_logo.IsAnimated());
    ASSERT_TRUE(m_logo.StartAnimation());
    EXPECT_TRUE(WaitForPixel(2, 2, kBlue));
}

TEST_F(AnimatedLogoTest, TheWorkerShowsFrameAfterFrameUntilStopped)
{
    ASSERT_TRUE(Load(CGifBuilder(8, 8).Control(1, 0).Image(0, 0, 8, 8, kGifRed).Control(1, 0).Image(0, 0, 8, 8, kGifGreen)
                         .Trailer().Data()));
    ASSERT_TRUE(m_logo.StartAnimation());
    EXPECT_TRUE(m_logo.StartAnimation()) << "a second start keeps the running animation";
    // Playing as soon as started: a stop that asks right away ends the worker.
    EXPECT_TRUE(m_logo.IsPlaying());
    // Both frames come round, and the first again after the last.
    EXPECT_TRUE(WaitForPixel(4, 4, kRed));
    EXPECT_TRUE(WaitForPixel(4, 4, kGreen));
    EXPECT_TRUE(WaitForPixel(4, 4, kRed));
    m_logo.StopAnimation();
    EXPECT_FALSE(m_logo.IsPlaying());
    m_logo.StopAnimation();
}

TEST_F(AnimatedLogoTest, StopCutsAFrameWithoutDelayShortAndAStartResumes)
{
    // The second frame has no control extension: it stays until stopped.
    ASSERT_TRUE(Load(CGifBuilder(8, 8).Control(1, 0).Image(0, 0, 8, 8, kGifRed).Image(0, 0, 8, 8, kGifBlue)
                         .Trailer().Data()));
    ASSERT_TRUE(m_logo.StartAnimation());
    ASSERT_TRUE(WaitForPixel(4, 4, kBlue));
    m_logo.StopAnimation();
    EXPECT_FALSE(m_logo.IsPlaying());
    EXPECT_EQ(Pixel(4, 4), kBlue) << "the picture stays where it stopped";

    ASSERT_TRUE(m_logo.StartAnimation());
    EXPECT_TRUE(WaitFor([&] { return m_logo.IsPlaying(); }));
    EXPECT_EQ(Pixel(4, 4), kBlue);
    m_logo.StopAnimation();
}

TEST_F(AnimatedLogoTest, DisposalToBackgroundClearsTheFrameBeforeTheNext)
{
    // Red everywhere, cleared; then one blue pixel that stays.
    ASSERT_TRUE(Load(CGifBuilder(8, 8).Control(1, 2).Image(0, 0, 8, 8, kGifRed).Image(0, 0, 1, 1, kGifBlue)
                         .Trailer().Data()));
    ASSERT_TRUE(m_logo.StartAnimation());
    ASSERT_TRUE(WaitForPixel(0, 0, kBlue));
    EXPECT_EQ(Pixel(4, 4), Background());
}

TEST_F(AnimatedLogoTest, DisposalToPreviousRestoresWhatTheFrameCovered)
{
    ASSERT_TRUE(Load(CGifBuilder(8, 8)
                         .Control(1, 1)
                         .Image(0, 0, 8, 8, kGifRed)
                         .Control(1, 3)
                         .Image(2, 2, 4, 4, kGifGreen)
                         .Image(0, 0, 1, 1, kGifBlue)
                         .Trailer()
                         .Data()));
    ASSERT_TRUE(m_logo.StartAnimation());
    ASSERT_TRUE(WaitForPixel(0, 0, kBlue));
    EXPECT_EQ(Pixel(3, 3), kRed);
    EXPECT_EQ(Pixel(7, 7), kRed);
}

TEST_F(AnimatedLogoTest, TransparentPixelsShowThePreviousFrame)
{
    // The second frame is transparent but for its top row.
    std::vector<uint8_t> pixels(64, kGifBlack);
    for (int x = 0; x < 8; ++x)
        pixels[static_cast<size_t>(x)] = kGifGreen;
    ASSERT_TRUE(Load(CGifBuilder(8, 8)
                         .Control(1, 1)
                         .Image(0, 0, 8, 8, kGifRed)
                         .Control(1, 1, kGifBlack)
                         .Image(0, 0, 8, 8, pixels)
                         .Image(7, 7, 1, 1, kGifBlue)
                         .Trailer()
                         .Data()));
    ASSERT_TRUE(m_logo.StartAnimation());
    ASSERT_TRUE(WaitForPixel(7, 7, kBlue));
    EXPECT_EQ(Pixel(3, 0), kGreen);
    EXPECT_EQ(Pixel(3, 4), kRed);
}

TEST_F(AnimatedLogoTest, UnloadStopsAndEmptiesTheControl)
{
    ASSERT_TRUE(Load(CGifBuilder(8, 8).Control(1, 0).Image(0, 0, 8, 8, kGifRed).Image(0, 0, 8, 8, kGifBlue)
                         .Trailer().Data()));
    ASSERT_TRUE(m_logo.StartAnimation());
    ASSERT_TRUE(WaitFor([&] { return m_logo.IsPlaying(); }));
    m_logo.Unload();
    ExpectEmpty();
}

TEST(AnimatedLogoLifetime, DestroyingAnAnimatingLogoEndsItsThread)
{
    for (int round = 0; round < 20; ++round) {
        auto logo = std::make_unique<CAnimatedLogo>();
        std::string gif = CGifBuilder(8, 8).Control(0, 2).Image(0, 0, 8, 8, kGifRed).Control(0, 3)
                              .Image(1, 1, 2, 2, kGifGreen).Trailer().Data();
        ASSERT_TRUE(logo->LoadFromMemory(gif.data(), static_cast<DWORD>(gif.size())));
        ASSERT_TRUE(logo->StartAnimation());
        logo->show();
        QCoreApplication::processEvents();
    }
}

TEST_F(AnimatedLogoTest, BuiltInLogoIsAnAnimation)
{
    ASSERT_TRUE(m_logo.LoadFromResource(IDR_LOGO_GIF, "GIF"));
    EXPECT_TRUE(m_logo.IsAnimated());
    EXPECT_EQ(m_logo.GetPictureSize(), QSize(320, 240));
    ASSERT_TRUE(m_logo.StartAnimation());
    // A dark ground with the accent in the middle.
    ASSERT_TRUE(WaitFor([&] { return qGray(Pixel(4, 4)) < 40; }));
    QRgb emblem = Pixel(158, 98);
    EXPECT_GT(qBlue(emblem), 150);
    EXPECT_GT(qBlue(emblem), qRed(emblem) + 60);
}

TEST_F(AnimatedLogoTest, MissingResourceIsNotFound)
{
    CDebugCapture capture;
    EXPECT_FALSE(m_logo.LoadFromResource(999, "GIF"));
    EXPECT_EQ(LastReport(), "Message\t: Can not find resource 999 of type GIF\n"
                            "Reason\t: Element not found.\n"
                            "Code\t: 1168(0x00000490)");
    EXPECT_EQ(capture.TracesAfterReport(),
              (std::vector<std::string>{"from FindResource()", "from CAnimatedLogo::LoadFromResource()"}));
    ExpectEmpty();
}

} // namespace
