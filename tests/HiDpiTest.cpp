// The player on a high-density display (a device pixel ratio of 1.5 or 2,
// and 1 for comparison):
// the skin and the layout stay in logical pixels, and the picture covers
// the device pixels of its area, in a window and in full screen. The
// picture is a flat magenta clip, found in the X server's screenshot by its
// colour. Screenshots go to HIDPI_ARTIFACT_DIR.
#include "EventLoopWait.h"
#include "MediaTestSetup.h"
#include "app/CommandLine.h"
#include "app/KorvoPlayerDlg.h"
#include "app/ScreenWnd.h"
#include "app/VideoGeometry.h"
#include "playback/MediaGraph.h"
#include "TestMedia.h"

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Qt places native windows by rounding each one's position and size; a
// child's device rectangle may stray that far from the scaled one.
constexpr int kRoundingSlack = 2;

std::string MagentaClip()
{
    return MadeMedia("magenta-320x240.avi",
                     "-f lavfi -i color=c=magenta:size=320x240:rate=10:duration=60 -c:v mpeg4 -q:v 2 -f avi");
}

bool IsMagenta(QRgb pixel)
{
    return qRed(pixel) > 180 && qGreen(pixel) < 80 && qBlue(pixel) > 180;
}

// The smallest rectangle holding every magenta pixel of the shot.
QRect MagentaBox(const QImage& shot)
{
    QRect box;
    for (int y = 0; y < shot.height(); ++y) {
        const auto* pLine = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x)
            if (IsMagenta(pLine[x]))
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

bool Near(const QRect& a, const QRect& b)
{
    return std::abs(a.left() - b.left()) <= kRoundingSlack && std::abs(a.top() - b.top()) <= kRoundingSlack &&
           std::abs(a.right() - b.right()) <= kRoundingSlack && std::abs(a.bottom() - b.bottom()) <= kRoundingSlack;
}

std::string Describe(const QRect& rc)
{
    return "(" + std::to_string(rc.x()) + "," + std::to_string(rc.y()) + " " + std::to_string(rc.width()) + "x" +
           std::to_string(rc.height()) + ")";
}

class HiDpi : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrepareMediaPlayback(); }

    ~HiDpi() override
    {
        m_pDlg.reset();
        SetCommandLine(0, nullptr);
    }

    CKorvoPlayerDlg& Start(const std::string& file)
    {
        std::string program = "korvoplayer";
        char* argv[] = {program.data(), const_cast<char*>(file.c_str())};
        SetCommandLine(2, argv);
        m_pDlg = std::make_unique<CKorvoPlayerDlg>(std::filesystem::path(BRELMSOURCE_PATH).parent_path().string());
        m_pDlg->move(100, 80);
        m_pDlg->show();
        EXPECT_TRUE(WaitFor([&] {
            int nState = State_Stopped;
            m_pDlg->Graph().GetState(0, &nState);
            return nState == State_Running;
        }));
        return *m_pDlg;
    }

    double Ratio() const { return m_pDlg->devicePixelRatioF(); }

    // The picture's rectangle on the display, in device pixels, from the
    // logical one the player laid out.
    QRect ExpectedPicture() const
    {
        const CScreenWnd* pScreen = m_pDlg->ScreenWnd();
        const QRect picture = pScreen->PictureRect().ToQRect().translated(pScreen->mapToGlobal(QPoint(0, 0)));
        const double r = Ratio();
        return QRect(QPoint(static_cast<int>(std::lround(picture.left() * r)), static_cast<int>(std::lround(picture.top() * r))),
                     QPoint(static_cast<int>(std::lround((picture.right() + 1) * r)) - 1,
                            static_cast<int>(std::lround((picture.bottom() + 1) * r)) - 1));
    }

    QImage Shot() const { return m_pDlg->screen()->grabWindow(0).toImage(); }

    // Waits until the magenta on screen covers the expected rectangle,
    // then keeps that shot under `name`.
    bool ShowsThePictureWhereLaidOut(const std::string& name)
    {
        QImage shot;
        QRect box;
        const bool bShown = WaitFor([&] {
            QTest::qWait(100);
            shot = Shot();
            box = MagentaBox(shot);
            return Near(box, ExpectedPicture());
        }, 20000);
        std::filesystem::create_directories(HIDPI_ARTIFACT_DIR);
        shot.save(QString::fromStdString(std::string(HIDPI_ARTIFACT_DIR) + "/" + Tag() + "-" + name));
        if (!bShown)
            ADD_FAILURE() << name << ": magenta at " << Describe(box) << ", laid out at " << Describe(ExpectedPicture())
                          << " at ratio " << Ratio();
        return bShown;
    }

    // The ratio the run's environment asks Qt for.
    static double AskedRatio()
    {
        if (const char* pszDpi = std::getenv("KORVO_TEST_XFT_DPI"))
            return std::atof(pszDpi) / 96.0;
        const char* pszScale = std::getenv("QT_SCALE_FACTOR");
        return pszScale != nullptr ? std::atof(pszScale) : 1.0;
    }

    // Which run made a screenshot: the ratio and how it was set.
    static std::string Tag()
    {
        if (const char* pszDpi = std::getenv("KORVO_TEST_XFT_DPI"))
            return std::string("xftdpi") + pszDpi;
        const char* pszScale = std::getenv("QT_SCALE_FACTOR");
        return std::string("scale") + (pszScale != nullptr ? pszScale : "1");
    }

    std::unique_ptr<CKorvoPlayerDlg> m_pDlg;
};

TEST_F(HiDpi, ThePictureCoversItsAreaInAWindowAndInFullScreen)
{
    CKorvoPlayerDlg& dlg = Start(MagentaClip());
    ASSERT_DOUBLE_EQ(Ratio(), AskedRatio()) << "the ratio the run asks for";
    EXPECT_TRUE(ShowsThePictureWhereLaidOut("window.png"));

    QApplication::setActiveWindow(&dlg);
    QTest::keyClick(&dlg, Qt::Key_Return);
    ASSERT_EQ(dlg.Geometry().FullScreenMode(), kFullScreenKeepRatio);
    const QRect display = dlg.screen()->geometry();
    ASSERT_TRUE(WaitFor([&] { return dlg.ScreenWnd()->size() == display.size(); }));
    EXPECT_TRUE(ShowsThePictureWhereLaidOut("fullscreen.png"));
    // 4:3 on a 16:10 display: the full height, black at both sides.
    const QImage shot = Shot();
    const QRect box = MagentaBox(shot);
    EXPECT_LE(box.top(), kRoundingSlack) << Describe(box);
    EXPECT_GE(box.bottom(), shot.height() - 1 - kRoundingSlack) << Describe(box);
    EXPECT_EQ(shot.pixelColor(box.left() / 2, shot.height() / 2), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor((box.right() + shot.width()) / 2, shot.height() / 2), QColor(Qt::black));

    // The ×2.0 scale, back in a window.
    QTest::keyClick(&dlg, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !dlg.isFullScreen(); }));
    QTest::keyClick(&dlg, Qt::Key_4);
    EXPECT_TRUE(ShowsThePictureWhereLaidOut("scale2.png"));
}

} // namespace
