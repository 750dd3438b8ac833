// Both windows of the built-in skin built, laid out and composed into one
// picture at their minimum size and at 800x600. The pictures are kept as
// test artefacts in SKIN_ARTIFACT_DIR.
#include "DebugCapture.h"
#include "controls/BitmapSlider.h"
#include "controls/HoverButton.h"
#include "controls/TransparentStatic.h"
#include "skinui/KorvoUIManager.h"

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct SkinnedWindow {
    QWidget window;
    CKorvoUIManager manager;

    HRESULT Build(const char* pszName)
    {
        return manager.Init(&window, pszName, nullptr);
    }

    // Lays out and composes the window at its minimum size first (which
    // fixes the base video area), then at `size`.
    QImage Render(QSize size)
    {
        int cx = 0;
        int cy = 0;
        manager.GetMinimunSize(&cx, &cy);
        window.resize(cx, cy);
        manager.Dock(0);
        window.resize(size.expandedTo(QSize(cx, cy)));
        manager.Dock(0);
        manager.Paint();
        return manager.GetPicture().toImage();
    }
};

void Keep(const QImage& image, const QString& name)
{
    QDir().mkpath(SKIN_ARTIFACT_DIR);
    image.save(QString(SKIN_ARTIFACT_DIR) + "/" + name);
}

QColor At(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

int DistinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    }
    return static_cast<int>(colours.size());
}

} // namespace

TEST(SkinRender, PlayerWindowAtMinimumAndLargeSize)
{
    for (QSize size : {QSize(492, 302), QSize(800, 600)}) {
        SkinnedWindow w;
        ASSERT_EQ(w.Build("korvoplayer"), S_OK);
        QImage image = w.Render(size);
        Keep(image, QString("korvoplayer-%1x%2.png").arg(size.width()).arg(size.height()));
        ASSERT_EQ(image.size(), size);
        EXPECT_GT(DistinctColours(image), 50);
        // The video panel's colour fills the area between the borders.
        EXPECT_EQ(At(image, 4, 40), QColor(97, 148, 221));
        EXPECT_EQ(At(image, size.width() - 4, size.height() - 40), QColor(97, 148, 221));
        // Borders, caption and bottom frame are where the layout puts them.
        EXPECT_NE(At(image, 0, 100), QColor(97, 148, 221));
        EXPECT_NE(At(image, size.width() - 1, 100), QColor(97, 148, 221));
        EXPECT_LT(At(image, 200, 20).lightness(), 80);
        EXPECT_LT(At(image, 200, size.height() - 3).lightness(), 80);
        RECT area;
        w.manager.GetAvailableScreenRect(&area);
        EXPECT_EQ(area, (RECT{2, 26, size.width() - 2, size.height() - 32}));
    }
}

TEST(SkinRender, DockedControlsPaintTheSameLook)
{
    SkinnedWindow w;
    ASSERT_EQ(w.Build("korvoplayer"), S_OK);
    QImage composed = w.Render(QSize(800, 600));
    w.window.show();
    w.manager.Dock(0);
    auto* pTitle = qobject_cast<CTransparentStatic*>(w.manager.GetControl(1016));
    pTitle->SetText("재생 목록의 첫 곡 - a long title & more");
    qobject_cast<CTransparentStatic*>(w.manager.GetControl(1007))->SetText("00:01:23 / 00:04:56");
    auto* pTime = qobject_cast<CBitmapSlider*>(w.manager.GetControl(1003));
    pTime->SetRangeMinMax(0, 296, false);
    pTime->SetPos(83);
    qobject_cast<CBitmapSlider*>(w.manager.GetControl(1009))->SetPos(70);
    w.manager.OnPlaying();
    QImage docked = w.window.grab().toImage();
    Keep(docked, "korvoplayer-docked-playing-800x600.png");
    // Frame pieces painted by the controls themselves match the composed look.
    for (QPoint pt : {QPoint(0, 300), QPoint(799, 300), QPoint(300, 5), QPoint(300, 598)})
        EXPECT_EQ(docked.pixelColor(pt), composed.pixelColor(pt)) << pt.x() << "," << pt.y();
    // The play button shows the pause strip while playing.
    EXPECT_NE(docked.pixelColor(30, 584), composed.pixelColor(30, 584));
}

TEST(SkinRender, PlaylistWindowAtMinimumAndLargeSize)
{
    for (QSize size : {QSize(238, 302), QSize(800, 600)}) {
        SkinnedWindow w;
        ASSERT_EQ(w.Build("korvoplaylist"), S_OK);
        QImage image = w.Render(size);
        Keep(image, QString("korvoplaylist-%1x%2.png").arg(size.width()).arg(size.height()));
        ASSERT_EQ(image.size(), size);
        EXPECT_LT(At(image, size.width() / 2, 10).lightness(), 80);
        EXPECT_LT(At(image, size.width() / 2, size.height() - 5).lightness(), 80);
        EXPECT_NE(At(image, 0, 150), QColor(Qt::white));
        EXPECT_NE(At(image, size.width() - 1, 150), QColor(Qt::white));
    }
}

// The time text holds the longest time the player writes, whole, at the
// window's minimum size, on the light time display of the bottom frame and
// clear of the slider and the repeat button.
TEST(SkinRender, TheTimeTextFitsItsDisplayAtTheMinimumSize)
{
    SkinnedWindow w;
    ASSERT_EQ(w.Build("korvoplayer"), S_OK);
    const QImage composed = w.Render(QSize(492, 302));
    w.window.show();
    w.manager.Dock(0);
    QWidget* pTime = w.manager.GetControl(1007);
    QWidget* pSlider = w.manager.GetControl(1003);
    QWidget* pRepeat = w.manager.GetControl(1027);
    ASSERT_TRUE(pTime != nullptr && pSlider != nullptr && pRepeat != nullptr);
    const auto inWindow = [&](QWidget* p) { return QRect(p->mapTo(&w.window, QPoint(0, 0)), p->size()); };
    const QRect time = inWindow(pTime);
    const int nText = QFontMetrics(pTime->font()).horizontalAdvance("88:88:88/88:88:88");
    ASSERT_LE(nText, time.width());
    const int nLeft = time.left() + (time.width() - nText) / 2;
    const QColor display(208, 218, 231);
    for (int x = nLeft; x < nLeft + nText; ++x)
        ASSERT_EQ(At(composed, x, time.center().y()), display) << "x " << x;
    EXPECT_LT(inWindow(pSlider).right(), time.left());
    EXPECT_LT(time.right(), inWindow(pRepeat).left());
    EXPECT_GT(pSlider->width(), 40);
}
