// Draws every bitmap of the built-in skin at the size the skin expects and
// writes them as PNG files named by their resource number:
//     korvo_skinart OUTPUT_DIR
// Button images hold four frames side by side (normal, hover, pressed,
// disabled). Magenta (255,0,255) marks the pixels that colour-keyed
// controls leave transparent; anti-aliased edges are blended with the
// colour of the skin part the image sits on, so that no fringe shows.
#include "skin/SkinBitmapTable.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace {

using Background = std::function<QColor(int y)>;
using Glyph = std::function<void(QPainter&, const QRectF&, int nState)>;

const QColor kKey(255, 0, 255);
const QColor kAccent(97, 148, 221);
const QColor kAccentLight(138, 180, 240);
const QColor kGlyph(215, 220, 227);
const QColor kGlyphDisabled(92, 98, 108);
const QColor kCaptionTop(50, 55, 63);
const QColor kCaptionBottom(33, 37, 43);
const QColor kFrameTop(44, 48, 56);
const QColor kFrameBottom(27, 30, 35);
const QColor kBorder(21, 23, 27);
const QColor kPlaylistFrame(33, 37, 43);
// The light display behind the time slider and the (black) time text.
const QColor kDisplay(208, 218, 231);

enum { STATE_NORMAL, STATE_HOVER, STATE_PRESSED, STATE_DISABLED };

QColor Mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// Rows of the caption bar (26 high) and of the player's bottom frame (32 high).
QColor CaptionRow(int y)
{
    if (y <= 0)
        return QColor(72, 78, 88);
    if (y >= 25)
        return kBorder;
    return Mix(kCaptionTop, kCaptionBottom, y / 25.0);
}

QColor FrameRow(int y)
{
    if (y <= 0)
        return kBorder;
    if (y == 1)
        return QColor(64, 70, 80);
    return Mix(kFrameTop, kFrameBottom, std::min(1.0, (y - 2) / 29.0));
}

Background Offset(const std::function<QColor(int)>& rows, int dy)
{
    return [rows, dy](int y) { return rows(y + dy); };
}

Background Flat(const QColor& color)
{
    return [color](int) { return color; };
}

// Composes art drawn on a transparent canvas over the background rows;
// with bKeyOutside, pixels the art does not touch become the key colour.
QImage Flatten(const QImage& art, const Background& background, bool bKeyOutside)
{
    QImage out(art.size(), QImage::Format_RGB32);
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            QColor c = QColor::fromRgba(art.pixel(x, y));
            double a = c.alphaF();
            if (bKeyOutside && a < 0.06) {
                out.setPixel(x, y, kKey.rgb());
                continue;
            }
            out.setPixel(x, y, Mix(background(y), QColor(c.red(), c.green(), c.blue()), a).rgb());
        }
    }
    return out;
}

QImage Canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

void Antialias(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QColor GlyphColor(int nState)
{
    switch (nState) {
    case STATE_HOVER:
        return Qt::white;
    case STATE_PRESSED:
        return kAccentLight;
    case STATE_DISABLED:
        return kGlyphDisabled;
    default:
        return kGlyph;
    }
}

// A strip of four frames; each frame gets a soft rounded plate on hover and
// press, then the glyph.
QImage Strip(int w, int h, const Background& background, bool bKeyOutside, const Glyph& glyph, double radius = 4)
{
    QImage art = Canvas(w, h);
    QPainter p(&art);
    Antialias(p);
    const double fw = w / 4;
    for (int state = 0; state < 4; ++state) {
        QRectF frame(state * fw, 0, fw, h);
        QRectF plate = frame.adjusted(1, 1, -1, -1);
        if (state == STATE_HOVER || state == STATE_PRESSED) {
            QColor fill = state == STATE_HOVER ? QColor(255, 255, 255, 34) : QColor(0, 0, 0, 90);
            p.setPen(QPen(state == STATE_HOVER ? QColor(255, 255, 255, 40) : QColor(97, 148, 221, 150), 1));
            p.setBrush(fill);
            p.drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        }
        glyph(p, state == STATE_PRESSED ? frame.translated(0, 1) : frame, state);
    }
    return Flatten(art, background, bKeyOutside);
}

// --- glyphs -------------------------------------------------------------

void Pen(QPainter& p, const QColor& color, double width)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

Glyph CloseGlyph()
{
    return [](QPainter& p, const QRectF& r, int s) {
        QPointF c = r.center();
        Pen(p, s == STATE_HOVER ? QColor(240, 110, 100) : GlyphColor(s), 1.6);
        p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
        p.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
    };
}

Glyph MaximizeGlyph()
{
    return [](QPainter& p, const QRectF& r, int s) {
        Pen(p, GlyphColor(s), 1.4);
        p.drawRoundedRect(QRectF(r.center() - QPointF(4.5, 4), QSizeF(9, 8)), 1.5, 1.5);
        p.drawLine(r.center() + QPointF(-4.5, -2), r.center() + QPointF(4.5, -2));
    };
}

Glyph MinimizeGlyph()
{
    return [](QPainter& p, const QRectF& r, int s) {
        Pen(p, GlyphColor(s), 1.6);
        p.drawLine(r.center() + QPointF(-4, 3), r.center() + QPointF(4, 3));
    };
}

void Triangle(QPainter& p, QPointF c, double size, double dir, const QColor& color)
{
    QPainterPath path;
    path.moveTo(c + QPointF(-size * 0.45 * dir, -size * 0.55));
    path.lineTo(c + QPointF(size * 0.6 * dir, 0));
    path.lineTo(c + QPointF(-size * 0.45 * dir, size * 0.55));
    path.closeSubpath();
    p.setPen(QPen(color, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(color);
    p.drawPath(path);
}

// The round main button of the bottom frame, with its symbol.
Glyph RoundButton(const std::function<void(QPainter&, QPointF, const QColor&)>& symbol)
{
    return [symbol](QPainter& p, const QRectF& r, int s) {
        QPointF c = r.center();
        double radius = std::min(r.width(), r.height()) / 2 - 2;
        QRadialGradient g(c - QPointF(0, radius * 0.6), radius * 2);
        QColor top = s == STATE_DISABLED ? QColor(70, 76, 86) : (s == STATE_HOVER ? kAccentLight : kAccent);
        if (s == STATE_PRESSED)
            top = kAccent.darker(125);
        g.setColorAt(0, top);
        g.setColorAt(1, top.darker(150));
        p.setPen(QPen(QColor(0, 0, 0, 110), 1));
        p.setBrush(g);
        p.drawEllipse(c, radius, radius);
        symbol(p, c, s == STATE_DISABLED ? QColor(140, 146, 156) : Qt::white);
    };
}

void PlaySymbol(QPainter& p, QPointF c, const QColor& color)
{
    Triangle(p, c + QPointF(1, 0), 11, 1, color);
}

void PauseSymbol(QPainter& p, QPointF c, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(c.x() - 4.5, c.y() - 5.5, 3.4, 11), 1, 1);
    p.drawRoundedRect(QRectF(c.x() + 1.1, c.y() - 5.5, 3.4, 11), 1, 1);
}

Glyph StopGlyph()
{
    return [](QPainter& p, const QRectF& r, int s) {
        p.setPen(Qt::NoPen);
        p.setBrush(GlyphColor(s));
        p.drawRoundedRect(QRectF(r.center() - QPointF(5, 5), QSizeF(10, 10)), 1.5, 1.5);
    };
}

Glyph SkipGlyph(double dir)
{
    return [dir](QPainter& p, const QRectF& r, int s) {
        QPointF c = r.center();
        QColor color = GlyphColor(s);
        Triangle(p, c + QPointF(-2.5 * dir, 0), 8, dir, color);
        Triangle(p, c + QPointF(3.0 * dir, 0), 8, dir, color);
        p.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(7.5 * dir, -4.5), c + QPointF(7.5 * dir, 4.5));
    };
}

Glyph MuteGlyph()
{
    return [](QPainter& p, const QRectF& r, int s) {
        QColor color = GlyphColor(s);
        QPointF c = r.center();
        QPainterPath path;
        path.moveTo(c + QPointF(-4, -1.5));
        path.lineTo(c + QPointF(-2, -1.5));
        path.lineTo(c + QPointF(1, -4.5));
        path.lineTo(c + QPointF(1, 4.5));
        path.lineTo(c + QPointF(-2, 1.5));
        path.lineTo(c + QPointF(-4, 1.5));
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(path);
        Pen(p, color, 1.0);
        p.drawArc(QRectF(c + QPointF(-1, -3), QSizeF(5, 6)), -60 * 16, 120 * 16);
    };
}

// A small text label button (playlist, repeat); `bLit` draws it switched on.
Glyph LabelGlyph(const QString& text, bool bLit)
{
    return [text, bLit](QPainter& p, const QRectF& r, int s) {
        QRectF pill = r.adjusted(1.5, 1.5, -1.5, -1.5);
        p.setPen(QPen(bLit ? kAccent : QColor(255, 255, 255, s == STATE_DISABLED ? 20 : 45), 1));
        p.setBrush(bLit ? QColor(97, 148, 221, 70) : Qt::NoBrush);
        p.drawRoundedRect(pill, 3, 3);
        QFont font("DejaVu Sans");
        font.setPixelSize(7);
        font.setBold(true);
        p.setFont(font);
        p.setPen(bLit ? kAccentLight : GlyphColor(s));
        p.drawText(r, Qt::AlignCenter, text);
    };
}

Glyph ArrowGlyph(double dir)
{
    return [dir](QPainter& p, const QRectF& r, int s) {
        QPointF c = r.center();
        Pen(p, GlyphColor(s), 1.5);
        p.drawLine(c + QPointF(-3.5, 1.8 * dir), c + QPointF(0, -1.8 * dir));
        p.drawLine(c + QPointF(0, -1.8 * dir), c + QPointF(3.5, 1.8 * dir));
    };
}

Glyph PlusMinusGlyph(bool bPlus)
{
    return [bPlus](QPainter& p, const QRectF& r, int s) {
        QPointF c = r.center();
        Pen(p, GlyphColor(s), 1.5);
        p.drawLine(c + QPointF(-3.5, 0), c + QPointF(3.5, 0));
        if (bPlus)
            p.drawLine(c + QPointF(0, -3.5), c + QPointF(0, 3.5));
    };
}

// --- frames, panels and sliders ------------------------------------------

QImage Rows(int w, int h, const Background& rows)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, rows(y).rgb());
    }
    return img;
}

QImage Caption()
{
    QImage art = Canvas(492, 26);
    QPainter p(&art);
    Antialias(p);
    QRectF badge(8, 4, 18, 18);
    QLinearGradient g(badge.topLeft(), badge.bottomLeft());
    g.setColorAt(0, kAccentLight);
    g.setColorAt(1, kAccent.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(badge, 5, 5);
    Triangle(p, badge.center() + QPointF(1, 0), 8, 1, Qt::white);
    QFont font("DejaVu Sans");
    font.setPixelSize(9);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    p.setFont(font);
    p.setPen(QColor(160, 168, 180));
    p.drawText(QRectF(31, 3, 40, 12), Qt::AlignLeft | Qt::AlignVCenter, "KORVO");
    p.end();
    return Flatten(art, CaptionRow, false);
}

QImage BottomFrame()
{
    QImage art = Canvas(492, 32);
    QPainter p(&art);
    Antialias(p);
    // The time display, and a recessed well behind the volume control.
    p.setPen(QPen(QColor(10, 12, 15), 1));
    p.setBrush(kDisplay);
    p.drawRoundedRect(QRectF(150.5, 5.5, 174, 23), 4, 4);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawLine(QPointF(154, 27.5), QPointF(321, 27.5));
    p.setPen(QPen(QColor(0, 0, 0, 70), 1));
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawRoundedRect(QRectF(396.5, 12.5, 87, 15), 4, 4);
    p.end();
    return Flatten(art, FrameRow, false);
}

QImage Border(int h, const QColor& inner)
{
    QImage img(2, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        img.setPixel(0, y, kBorder.rgb());
        img.setPixel(1, y, inner.rgb());
    }
    return img;
}

QImage MirrorBorder(int h, const QColor& inner)
{
    return Border(h, inner).mirrored(true, false);
}

// A slider channel: a rounded track centred in the image, empty or filled.
QImage Channel(int w, int h, double track, bool bFill, const Background& background, bool bLight = false)
{
    QImage art = Canvas(w, h);
    QPainter p(&art);
    Antialias(p);
    QRectF r(0.5, (h - track) / 2.0, w - 1.0, track);
    if (bFill) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, kAccentLight);
        g.setColorAt(1, kAccent);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
    } else {
        p.setPen(QPen(QColor(0, 0, 0, 120), 1));
        p.setBrush(bLight ? QColor(150, 162, 178) : QColor(14, 16, 19));
    }
    p.drawRoundedRect(r, track / 2, track / 2);
    p.end();
    return Flatten(art, background, false);
}

QImage Knob(int w, int h, const Background& background)
{
    QImage art = Canvas(w, h);
    QPainter p(&art);
    Antialias(p);
    QRectF r(0.5, 0.5, w - 1.0, h - 1.0);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(250, 251, 253));
    g.setColorAt(1, QColor(190, 198, 210));
    p.setPen(QPen(QColor(20, 24, 30, 160), 1));
    p.setBrush(g);
    double radius = std::min(w, h) / 2.0;
    p.drawRoundedRect(r, radius, radius);
    p.end();
    return Flatten(art, background, true);
}

QImage VerticalChannel(int w, int h)
{
    QImage art = Canvas(w, h);
    QPainter p(&art);
    Antialias(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(3, 0, w - 6.0, h), 2, 2);
    p.end();
    return Flatten(art, Flat(QColor(18, 20, 24)), false);
}

QImage ScreenLogo()
{
    QImage art(399, 244, QImage::Format_RGB32);
    QPainter p(&art);
    Antialias(p);
    // Fades into the video panel's own colour at the edges.
    QRadialGradient glow(QPointF(199.5, 122), 121);
    glow.setColorAt(0, kAccentLight);
    glow.setColorAt(0.55, Mix(kAccentLight, kAccent, 0.6));
    glow.setColorAt(1, kAccent);
    p.fillRect(art.rect(), glow);
    QPointF c(199.5, 100);
    p.setPen(QPen(QColor(255, 255, 255, 90), 3));
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(c, 52, 52);
    Triangle(p, c + QPointF(6, 0), 50, 1, Qt::white);
    QFont font("DejaVu Sans");
    font.setPixelSize(26);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 164, 399, 34), Qt::AlignCenter, "korvoplayer");
    font.setPixelSize(11);
    font.setBold(false);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 190));
    p.drawText(QRectF(0, 198, 399, 18), Qt::AlignCenter, "MEDIA PLAYER");
    p.end();
    return art;
}

QImage PlaylistTop()
{
    QImage art = Canvas(238, 31);
    QPainter p(&art);
    Antialias(p);
    p.setPen(QPen(kAccent, 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(10, 10.5 + i * 4), QPointF(20, 10.5 + i * 4));
    p.end();
    auto rows = [](int y) { return y >= 30 ? kBorder : CaptionRow(y * 25 / 30); };
    return Flatten(art, rows, false);
}

QImage PlaylistBottom()
{
    return Rows(238, 28, [](int y) { return y == 0 ? kBorder : (y == 1 ? QColor(58, 64, 74) : kPlaylistFrame); });
}

std::map<int, QImage> DrawAll()
{
    const Background captionButtons = Offset(CaptionRow, 2);
    const Background playlistButtons = [](int y) { return CaptionRow((y + 2) * 25 / 30); };
    const Background playlistBottom = Flat(kPlaylistFrame);
    std::map<int, QImage> images;
    images[136] = Strip(80, 24, captionButtons, true, CloseGlyph());
    images[137] = BottomFrame();
    images[138] = Border(244, QColor(44, 48, 56));
    images[139] = Strip(80, 24, captionButtons, true, MaximizeGlyph());
    images[140] = Strip(80, 24, captionButtons, true, MinimizeGlyph());
    images[141] = Strip(192, 30, Offset(FrameRow, 1), false, RoundButton(PauseSymbol), 14);
    images[142] = Strip(192, 30, Offset(FrameRow, 1), false, RoundButton(PlaySymbol), 14);
    images[144] = Channel(268, 8, 4, false, Flat(kDisplay), true);
    images[145] = Knob(17, 8, Flat(kDisplay));
    images[146] = Channel(268, 8, 4, true, Flat(kDisplay), true);
    images[147] = Strip(124, 30, Offset(FrameRow, 1), false, SkipGlyph(1));
    images[148] = MirrorBorder(244, QColor(44, 48, 56));
    images[149] = Channel(80, 7, 3, false, Offset(FrameRow, 16));
    images[150] = Channel(80, 7, 3, true, Offset(FrameRow, 16));
    images[152] = Knob(11, 7, Offset(FrameRow, 16));
    images[153] = Strip(42, 11, Offset(FrameRow, 12), false, MuteGlyph(), 2);
    images[154] = Strip(124, 30, Offset(FrameRow, 1), false, StopGlyph());
    images[155] = Caption();
    images[156] = Strip(124, 30, Offset(FrameRow, 1), false, SkipGlyph(-1));
    images[162] = ScreenLogo();
    images[163] = Strip(104, 12, Offset(FrameRow, 9), false, LabelGlyph("PL", false), 3);
    images[164] = Strip(104, 12, Offset(FrameRow, 9), false, LabelGlyph("REP", false), 3);
    images[166] = PlaylistTop();
    images[167] = Strip(80, 24, playlistButtons, true, CloseGlyph());
    images[168] = Strip(80, 24, playlistButtons, true, MinimizeGlyph());
    images[169] = Border(243, kPlaylistFrame);
    images[170] = MirrorBorder(243, kPlaylistFrame);
    images[171] = PlaylistBottom();
    images[172] = Strip(120, 13, playlistBottom, false, PlusMinusGlyph(true), 3);
    images[173] = Strip(120, 13, playlistBottom, false, PlusMinusGlyph(false), 3);
    images[174] = Strip(112, 13, playlistBottom, false, ArrowGlyph(1), 3);
    images[175] = Strip(112, 13, playlistBottom, false, ArrowGlyph(-1), 3);
    images[176] = VerticalChannel(11, 243);
    images[177] = Knob(10, 27, Flat(QColor(18, 20, 24)));
    images[192] = Strip(104, 12, Offset(FrameRow, 9), false, LabelGlyph("REP", true), 3);
    return images;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvo_skinart OUTPUT_DIR\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    std::map<int, QImage> images = DrawAll();
    int nFailures = 0;
    for (const SkinBitmapEntry& entry : SkinBitmapTable()) {
        auto it = images.find(entry.nID);
        if (entry.nWidth == 0)
            continue;
        if (it == images.end() || it->second.width() != entry.nWidth || it->second.height() != entry.nHeight) {
            std::fprintf(stderr, "%s: no image of %dx%d\n", entry.pszName, entry.nWidth, entry.nHeight);
            ++nFailures;
            continue;
        }
        QString path = out.filePath(QString::number(entry.nID) + ".png");
        if (!it->second.convertToFormat(QImage::Format_RGB888).save(path, "PNG", 9)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++nFailures;
        }
    }
    return nFailures == 0 ? 0 : 1;
}
