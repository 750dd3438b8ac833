// Subtitles on the picture as the X server shows it, on each video path
// (this program is built once and run once per path, KORVOPLAYER_VIDEO_SINK
// forcing it). The clips are black: every light pixel is the text's. Times
// are checked on a paused picture, one picture (40 ms) either side of a
// cue's start and end, so that no timing of the machine decides them.
#include "DebugCapture.h"
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "SubpictureClip.h"
#include "TempDir.h"
#include "TestScreenWindow.h"
#include "playback/AudioTracks.h"
#include "playback/DirectShow.h"
#include "playback/MediaGraph.h"
#include "playback/SubtitleOverlay.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPainter>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace {

constexpr LONGLONG kUnitsPerMs = 10000;

class CBlackScreenWindow : public CTestScreenWindow {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }
};

// Light pixels in a rectangle of a shot.
int LightPixels(const QImage& shot, const QRect& area)
{
    int n = 0;
    const QRect inside = area & shot.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += qGray(shot.pixel(x, y)) > 180 ? 1 : 0;
    return n;
}

// Pixels of a rectangle of a shot that are `colour` (red or yellow, the
// colours the styled and the bitmap subtitles are drawn in).
enum class Colour { Red, Yellow };
int PixelsOf(Colour colour, const QImage& shot, const QRect& area)
{
    int n = 0;
    const QRect inside = area & shot.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb pixel = shot.pixel(x, y);
            const bool bGreen = colour == Colour::Red ? qGreen(pixel) < 90 : qGreen(pixel) > 150;
            n += qRed(pixel) > 150 && bGreen && qBlue(pixel) < 90 ? 1 : 0;
        }
    return n;
}

// One SubStation cue from 1 s to 3 s in a style of its own: red, at the top
// of the picture, where text drawn without its style would be white at the
// bottom.
const char* const kStyledSubStation =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n"
    "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, "
    "Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, "
    "MarginL, MarginR, MarginV, Encoding\n"
    "Style: Top,DejaVu Sans,36,&H000000FF,&H000000FF,&H000000FF,&H00000000,1,0,0,0,100,100,0,0,1,0,0,8,10,10,10,1\n\n"
    "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
    "Dialogue: 0,0:00:01.00,0:00:03.00,Top,,0,0,0,,WWWWW\n";

const char* const kSubRip = "1\n00:00:01,000 --> 00:00:02,000\nHello subtitle\n\n"
                            "2\n00:00:03,000 --> 00:00:04,000\n\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94\n";

class SubtitlePictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    void SetUp() override
    {
        m_screen.resize(480, 360);
        ASSERT_EQ(m_graph.Init(&m_screen), S_OK);
    }

    // A 5 s black clip of 320x240 at 25 pictures a second, with `extra`
    // ffmpeg inputs and options before the output.
    std::string MakeClip(const std::string& name, const std::string& inputs, const std::string& options)
    {
        const std::string path = m_dir.Path() + "/" + name;
        const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i color=c=black:s=320x240:r=25:d=5 " +
                                    inputs + " -map 0:v -c:v mpeg4 -q:v 2 " + options + " '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }

    void PlayPaused(const std::string& path)
    {
        ASSERT_EQ(m_graph.Play(path.c_str()), S_OK) << LastReport();
        ASSERT_EQ(m_graph.SetScreenSize(RECT::FromQRect(m_screen.rect())), S_OK) << LastReport();
        ASSERT_EQ(m_graph.Pause(), S_OK) << LastReport();
        int nState = State_Stopped;
        ASSERT_EQ(m_graph.GetState(10000, &nState), S_OK);
    }

    QImage Screenshot()
    {
        const QPoint origin = m_screen.mapToGlobal(QPoint(0, 0));
        return m_screen.screen()->grabWindow(0, origin.x(), origin.y(), m_screen.width(), m_screen.height()).toImage();
    }

    // The text in the lower part of the picture, where subtitles go, and
    // light pixels anywhere else of the picture.
    QRect TextArea() const
    {
        const double r = m_screen.devicePixelRatioF();
        return QRect(0, static_cast<int>(m_screen.height() * r * 0.6), static_cast<int>(m_screen.width() * r),
                     static_cast<int>(m_screen.height() * r * 0.4));
    }

    // Whether text shows once the paused picture at `ms` is on screen; the
    // picture is given time to be drawn before an absence counts.
    bool ShowsTextAt(LONGLONG ms)
    {
        EXPECT_EQ(m_graph.SetPosition(ms * kUnitsPerMs), S_OK);
        int nState = State_Stopped;
        m_graph.GetState(10000, &nState);
        const bool bShown = ComesToShow([&](const QImage& shot) { return LightPixels(shot, TextArea()) > 20; });
        const QImage shot = Screenshot();
        const QRect above(0, 0, shot.width(), TextArea().top());
        EXPECT_EQ(LightPixels(shot, above), 0) << "light pixels above the text area at " << ms << " ms";
        return bShown;
    }

    // Plays from `msFrom` until past `msTo` and pauses there.
    void PlayTo(LONGLONG msFrom, LONGLONG msTo)
    {
        EXPECT_EQ(m_graph.SetPosition(msFrom * kUnitsPerMs), S_OK);
        EXPECT_EQ(m_graph.Resume(), S_OK) << LastReport();
        EXPECT_TRUE(WaitFor([&] {
            LONGLONG llPosition = 0;
            return m_graph.GetPosition(&llPosition) == S_OK && llPosition >= msTo * kUnitsPerMs;
        }));
        EXPECT_EQ(m_graph.Pause(), S_OK) << LastReport();
        int nState = State_Stopped;
        m_graph.GetState(10000, &nState);
    }

    // Whether the picture comes to show `colour` in `area` (device pixels).
    bool Shows(Colour colour, const QRect& area)
    {
        return ComesToShow([&](const QImage& shot) { return PixelsOf(colour, shot, area) > 40; });
    }

    // Whether the screen comes to show what `shows` looks for, within 3 s:
    // yes as soon as it does; no once the screen has stayed the same for
    // 600 ms without it. The paused picture asked for is drawn before the
    // pause takes effect, which the callers wait for, and text or bitmaps
    // are blended into that picture, never drawn after it.
    bool ComesToShow(const std::function<bool(const QImage&)>& shows)
    {
        constexpr int kStillMs = 600;
        bool bShown = false;
        QImage last;
        QDeadlineTimer still(kStillMs);
        WaitFor(
            [&] {
                const QImage shot = Screenshot();
                bShown = shows(shot);
                if (shot != last) {
                    last = shot;
                    still.setRemainingTime(kStillMs);
                }
                return bShown || still.hasExpired();
            },
            3000);
        return bShown;
    }

    // The top and the bottom half of the picture, in device pixels.
    QRect Half(bool bTop) const
    {
        const double r = m_screen.devicePixelRatioF();
        const int nHalf = static_cast<int>(m_screen.height() * r / 2);
        return QRect(0, bTop ? 0 : nHalf, static_cast<int>(m_screen.width() * r), nHalf);
    }

    CTempDir m_dir;
    CBlackScreenWindow m_screen;
    CDirectShow m_graph{std::filesystem::path(BRELMSOURCE_PATH).parent_path().string()};
};

// A SubRip file beside the clip: the cue is on the pictures from its start
// to its end, not on the one before or the one at its end, at any rate, and
// a delay moves it.
TEST_F(SubtitlePictureTest, AFileBesideTheClipShowsEachCueFromItsStartToItsEnd)
{
    const std::string clip = MakeClip("film.mkv", "", "");
    m_dir.WriteFile("film.srt", kSubRip);
    PlayPaused(clip);
    ASSERT_NE(m_graph.Subtitles(), nullptr);
    ASSERT_EQ(m_graph.Subtitles()->TrackLabels().size(), 1u);
    EXPECT_FALSE(ShowsTextAt(960));
    EXPECT_TRUE(ShowsTextAt(1000));
    EXPECT_TRUE(ShowsTextAt(1960));
    EXPECT_FALSE(ShowsTextAt(2000));
    EXPECT_TRUE(ShowsTextAt(3500)) << "the Korean cue";

    m_graph.Subtitles()->SetDelay(500 * kUnitsPerMs);
    EXPECT_FALSE(ShowsTextAt(1480));
    EXPECT_TRUE(ShowsTextAt(1520));
    m_graph.Subtitles()->SetDelay(0);
    // At twice the speed the cues keep their times in the file.
    ASSERT_EQ(m_graph.SetRate(2.0), S_OK) << LastReport();
    EXPECT_FALSE(ShowsTextAt(960));
    EXPECT_TRUE(ShowsTextAt(1000));
    EXPECT_FALSE(ShowsTextAt(2000));
    m_graph.Subtitles()->Show(false);
    EXPECT_FALSE(ShowsTextAt(1500));
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

// A SAMI file in the legacy Korean code page, written by hand with two
// language classes: each class is a track of its own, the Korean one is
// shown first and in Korean, and the English one when chosen.
TEST_F(SubtitlePictureTest, AKoreanSamiFileInTheLegacyCodePageShowsItsClassesAsTracks)
{
    const std::string clip = MakeClip("drama.mkv", "", "");
    m_dir.WriteFile("drama.smi", "<SAMI><HEAD><STYLE TYPE=\"text/css\"><!--\n"
                                 ".KRCC { Name:Korean; lang:ko-KR; }\n.ENCC { Name:English; lang:en-US; }\n"
                                 "--></STYLE></HEAD><BODY>\n"
                                 "<SYNC Start=1000><P Class=KRCC>\xBE\xC8\xB3\xE7\xC7\xCF\xBC\xBC\xBF\xE4\n"
                                 "<SYNC Start=2000><P Class=KRCC>&nbsp;\n"
                                 "<SYNC Start=3000><P Class=ENCC>Hello\n"
                                 "<SYNC Start=4000><P Class=ENCC>&nbsp;\n</BODY></SAMI>\n");
    PlayPaused(clip);
    ASSERT_NE(m_graph.Subtitles(), nullptr);
    const std::vector<std::string> labels = m_graph.Subtitles()->TrackLabels();
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0], "Korean (SAMI) - external");
    EXPECT_EQ(labels[1], "English (SAMI) - external");
    EXPECT_TRUE(ShowsTextAt(1500));
    EXPECT_FALSE(ShowsTextAt(2500));
    EXPECT_FALSE(ShowsTextAt(3500)) << "the English class is another track";
    ASSERT_TRUE(m_graph.Subtitles()->Choose(1));
    EXPECT_TRUE(ShowsTextAt(3500));
    EXPECT_FALSE(ShowsTextAt(1500));
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

// A SubRip stream of the file itself is offered with its language and,
// once played through, shown at its times after seeks back too. (A seek
// into a cue not delivered yet shows it from the next cue on: the
// demultiplexer delivers a stream's cues from where it starts reading.)
TEST_F(SubtitlePictureTest, AnEmbeddedStreamIsATrackWithItsLanguageAndShows)
{
    const std::string srt = m_dir.WriteFile("cues.srt", kSubRip);
    const std::string clip =
        MakeClip("inner.mkv", "-i '" + srt + "'", "-map 1 -c:s srt -metadata:s:s:0 language=kor");
    ASSERT_EQ(m_graph.Play(clip.c_str()), S_OK) << LastReport();
    ASSERT_EQ(m_graph.SetScreenSize(RECT::FromQRect(m_screen.rect())), S_OK) << LastReport();
    // The position is the picture's, not that of the cues gathered ahead.
    LONGLONG llStart = 0;
    ASSERT_EQ(m_graph.GetPosition(&llStart), S_OK);
    EXPECT_LT(llStart, 900 * kUnitsPerMs);
    ASSERT_TRUE(WaitFor([&] {
        LONGLONG llPosition = 0;
        return m_graph.GetPosition(&llPosition) == S_OK && llPosition > 4200 * kUnitsPerMs;
    }));
    ASSERT_EQ(m_graph.Pause(), S_OK) << LastReport();
    ASSERT_NE(m_graph.Subtitles(), nullptr);
    EXPECT_TRUE(ShowsTextAt(3500));
    EXPECT_TRUE(ShowsTextAt(1500));
    EXPECT_FALSE(ShowsTextAt(2500));
    const std::vector<std::string> labels = m_graph.Subtitles()->TrackLabels();
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_NE(labels[0].find("Korean"), std::string::npos) << labels[0];
    EXPECT_NE(labels[0].find("embedded"), std::string::npos) << labels[0];
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

// A SubStation stream of the file is drawn with its own style (colour and
// place) at its times, hidden with the subtitles, and moved by the delay.
// The file plays up to each picture looked at: GStreamer's renderer keeps
// only the cues it was given since the last seek.
TEST_F(SubtitlePictureTest, AnEmbeddedSubStationStreamIsDrawnInItsOwnStyle)
{
    const std::string ass = m_dir.WriteFile("source.ass", kStyledSubStation);
    const std::string clip =
        MakeClip("styled.mkv", "-i '" + ass + "'", "-map 1 -c:s ass -metadata:s:s:0 language=eng");
    PlayPaused(clip);
    ASSERT_NE(m_graph.Subtitles(), nullptr);
    const std::vector<std::string> labels = m_graph.Subtitles()->TrackLabels();
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_NE(labels[0].find("English"), std::string::npos) << labels[0];
    EXPECT_EQ(m_graph.Subtitles()->ChosenTrack(), 0);
    PlayTo(0, 1400);
    EXPECT_TRUE(Shows(Colour::Red, Half(true)));
    EXPECT_FALSE(Shows(Colour::Red, Half(false))) << "drawn where its style puts it";
    PlayTo(1400, 3400);
    EXPECT_FALSE(Shows(Colour::Red, Half(true))) << "gone after its end";
    m_graph.Subtitles()->Show(false);
    PlayTo(0, 1400);
    EXPECT_FALSE(Shows(Colour::Red, Half(true))) << "hidden";
    ASSERT_TRUE(m_graph.Subtitles()->Choose(0));
    m_graph.Subtitles()->SetDelay(1000 * kUnitsPerMs);
    PlayTo(0, 1400);
    EXPECT_FALSE(Shows(Colour::Red, Half(true))) << "one second later";
    PlayTo(1400, 2400);
    EXPECT_TRUE(Shows(Colour::Red, Half(true)));
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

// A file whose SubStation stream comes first, before its picture, shows
// it too.
TEST_F(SubtitlePictureTest, ASubStationStreamBeforeThePictureShowsToo)
{
    const std::string ass = m_dir.WriteFile("source.ass", kStyledSubStation);
    const std::string clip = m_dir.Path() + "/first.mkv";
    const std::string command = "ffmpeg -nostdin -v error -y -i '" + ass +
                                "' -f lavfi -i color=c=black:s=320x240:r=25:d=5 -map 0 -map 1 -c:s ass -c:v mpeg4 '" +
                                clip + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    PlayPaused(clip);
    ASSERT_NE(m_graph.Subtitles(), nullptr);
    EXPECT_EQ(m_graph.Subtitles()->TrackLabels().size(), 1u);
    PlayTo(0, 1400);
    EXPECT_TRUE(Shows(Colour::Red, Half(true)));
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

// A DVD bitmap stream of the file is a track and is drawn at its time, in
// the colour of its palette, where its bitmap says.
TEST_F(SubtitlePictureTest, AnEmbeddedBitmapStreamIsDrawnAtItsTime)
{
    const std::string clip = m_dir.Path() + "/dvd.mkv";
    ASSERT_TRUE(WriteDvdSubtitleClip(clip));
    PlayPaused(clip);
    ASSERT_NE(m_graph.Subtitles(), nullptr);
    const std::vector<std::string> labels = m_graph.Subtitles()->TrackLabels();
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_NE(labels[0].find("English"), std::string::npos) << labels[0];
    PlayTo(0, 1300);
    EXPECT_TRUE(Shows(Colour::Yellow, Half(false)));
    EXPECT_FALSE(Shows(Colour::Yellow, Half(true)));
    PlayTo(1300, 2600);
    EXPECT_FALSE(Shows(Colour::Yellow, Half(false))) << "gone after its end";
    EXPECT_EQ(m_graph.Stop(), S_OK);
}

// The overlay's font has a glyph for every syllable of Hangul the cues use,
// so that Pango draws them and not boxes.
TEST(SubtitleFontTest, TheFontCoversHangul)
{
    ASSERT_TRUE(FcInit());
    const std::string font = CSubtitleOverlay::FontFor(360);
    const std::string family = font.substr(0, font.find(','));
    FcPattern* pPattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pPattern, FcMatchPattern);
    FcDefaultSubstitute(pPattern);
    FcResult result = FcResultNoMatch;
    FcPattern* pMatch = FcFontMatch(nullptr, pPattern, &result);
    ASSERT_NE(pMatch, nullptr);
    FcCharSet* pCharSet = nullptr;
    ASSERT_EQ(FcPatternGetCharSet(pMatch, FC_CHARSET, 0, &pCharSet), FcResultMatch);
    for (FcChar32 c : {0xC548u, 0xB155u, 0xD558u, 0xC138u, 0xC694u, 0xC790u, 0xB9C9u, 0x0041u})
        EXPECT_TRUE(FcCharSetHasChar(pCharSet, c)) << std::hex << c;
    FcPatternDestroy(pMatch);
    FcPatternDestroy(pPattern);
}

} // namespace
