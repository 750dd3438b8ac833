// Draws the bitmaps of a skin from one set of drawing routines and a theme
// (its colours and bar heights):
//     korvo_skinart OUTPUT_DIR                 the built-in skin's bitmaps, at
//                                              the sizes it expects, as PNG files
//                                              named by their resource number
//     korvo_skinart --theme ember OUTPUT_DIR   the compact dark skin's bitmaps,
//                                              under the names its skin.xml uses
// Button images hold four frames side by side (normal, hover, pressed,
// disabled). Magenta (255,0,255) marks the pixels that colour-keyed
// controls leave transparent; anti-aliased edges are blended with the
// colour of the skin part the image sits on, so that no fringe shows.
#include "skin/SkinBitmapTable.h"

#include <QDir>
#include <QFileInfo>
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

// The colours and bar heights one skin's bitmaps are drawn with.
struct Theme {
    QColor accent, accentLight;
    QColor glyph, glyphDisabled;
    QColor captionHighlight, captionTop, captionBottom;
    QColor frameHighlight, frameTop, frameBottom;
    QColor border;
    QColor playlistHighlight, playlistFrame;
    // The light display behind the built-in skin's time slider and (black) time text.
    QColor display;
    // The video panel's colour, into which the logo's glow fades, and the glow's centre.
    QColor panel, logoCentre;
    QColor listChannel;
    int nCaptionHeight;
    int nFrameHeight;
    // The top of the "KORVO" label in the caption.
    double captionLabelTop;
};

// The built-in skin: a blue accent on slate bars.
const Theme kBuiltInTheme{.accent = {97, 148, 221},
                          .accentLight = {138, 180, 240},
                          .glyph = {215, 220, 227},
                          .glyphDisabled = {92, 98, 108},
                          .captionHighlight = {72, 78, 88},
                          .captionTop = {50, 55, 63},
                          .captionBottom = {33, 37, 43},
                          .frameHighlight = {64, 70, 80},
                          .frameTop = {44, 48, 56},
                          .frameBottom = {27, 30, 35},
                          .border = {21, 23, 27},
                          .playlistHighlight = {58, 64, 74},
                          .playlistFrame = {33, 37, 43},
                          .display = {208, 218, 231},
                          .panel = {97, 148, 221},
                          .logoCentre = {138, 180, 240},
                          .listChannel = {18, 20, 24},
                          .nCaptionHeight = 26,
                          .nFrameHeight = 32,
                          .captionLabelTop = 3};

// "ember": compact and nearly black, with an amber accent.
const Theme kEmberTheme{.accent = {232, 142, 44},
                        .accentLight = {250, 184, 100},
                        .glyph = {204, 204, 209},
                        .glyphDisabled = {78, 78, 84},
                        .captionHighlight = {58, 58, 64},
                        .captionTop = {37, 37, 41},
                        .captionBottom = {25, 25, 28},
                        .frameHighlight = {52, 52, 58},
                        .frameTop = {33, 33, 37},
                        .frameBottom = {19, 19, 22},
                        .border = {7, 7, 9},
                        .playlistHighlight = {44, 44, 50},
                        .playlistFrame = {23, 23, 26},
                        .display = {19, 19, 22},
                        .panel = {11, 11, 13},
                        .logoCentre = {78, 50, 22},
                        .listChannel = {16, 16, 18},
                        .nCaptionHeight = 20,
                        .nFrameHeight = 30,
                        .captionLabelTop = 4};

// The theme being drawn; chosen once, before any drawing.
const Theme* g_pTheme = &kBuiltInTheme;

const Theme& T()
{
    return *g_pTheme;
}

QColor WithAlpha(QColor color, int nAlpha)
{
    color.setAlpha(nAlpha);
    return color;
}

enum { STATE_NORMAL, STATE_HOVER, STATE_PRESSED, STATE_DISABLED };

QColor Mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// Rows of the caption bar and of the player's bottom frame, at the theme's heights.
QColor CaptionRow(int y)
{
    const int nLast = T().nCaptionHeight - 1;
    if (y <= 0)
        return T().captionHighlight;
    if (y >= nLast)
        return T().border;
    return Mix(T().captionTop, T().captionBottom, y / static_cast<double>(nLast));
}

QColor FrameRow(int y)
{
    if (y <= 0)
        return T().border;
    if (y == 1)
        return T().frameHighlight;
    return Mix(T().frameTop, T().frameBottom, std::min(1.0, (y - 2) / (T().nFrameHeight - 3.0)));
}

// Rows of the playlist's top bar, `h` high: the caption's shading spread over it.
QColor PlaylistTopRow(int y, int h)
{
    return y >= h - 1 ? T().border : CaptionRow(y * (T().nCaptionHeight - 1) / (h - 1));
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
        return T().accentLight;
    case STATE_DISABLED:
        return T().glyphDisabled;
    default:
        return T().glyph;
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
            p.setPen(QPen(state == STATE_HOVER ? QColor(255, 255, 255, 40) : WithAlpha(T().accent, 150), 1));
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
        QColor top = s == STATE_DISABLED ? QColor(70, 76, 86) : (s == STATE_HOVER ? T().accentLight : T().accent);
        if (s == STATE_PRESSED)
            top = T().accent.darker(125);
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
        p.setPen(QPen(bLit ? T().accent : QColor(255, 255, 255, s == STATE_DISABLED ? 20 : 45), 1));
        p.setBrush(bLit ? WithAlpha(T().accent, 70) : Qt::NoBrush);
        p.drawRoundedRect(pill, 3, 3);
        QFont font("DejaVu Sans");
        font.setPixelSize(7);
        font.setBold(true);
        p.setFont(font);
        p.setPen(bLit ? T().accentLight : GlyphColor(s));
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

// The caption bar, the theme's caption height high: a badge and the "KORVO" label.
QImage Caption(int w)
{
    const int h = T().nCaptionHeight;
    QImage art = Canvas(w, h);
    QPainter p(&art);
    Antialias(p);
    const double side = h - 8;
    QRectF badge(8, 4, side, side);
    QLinearGradient g(badge.topLeft(), badge.bottomLeft());
    g.setColorAt(0, T().accentLight);
    g.setColorAt(1, T().accent.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(badge, side * 5 / 18, side * 5 / 18);
    Triangle(p, badge.center() + QPointF(1, 0), side * 8 / 18, 1, Qt::white);
    QFont font("DejaVu Sans");
    font.setPixelSize(9);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    p.setFont(font);
    p.setPen(QColor(160, 168, 180));
    p.drawText(QRectF(badge.right() + 5, T().captionLabelTop, 40, 12), Qt::AlignLeft | Qt::AlignVCenter, "KORVO");
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
    p.setBrush(T().display);
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
        img.setPixel(0, y, T().border.rgb());
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
        g.setColorAt(0, T().accentLight);
        g.setColorAt(1, T().accent);
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
    p.setBrush(T().accent);
    p.drawRoundedRect(QRectF(3, 0, w - 6.0, h), 2, 2);
    p.end();
    return Flatten(art, Flat(T().listChannel), false);
}

QImage ScreenLogo(int w, int h)
{
    QImage art(w, h, QImage::Format_RGB32);
    QPainter p(&art);
    Antialias(p);
    // Fades into the video panel's own colour at the edges.
    const double cy = h / 2.0;
    QRadialGradient glow(QPointF(w / 2.0, cy), cy - 1);
    glow.setColorAt(0, T().logoCentre);
    glow.setColorAt(0.55, Mix(T().logoCentre, T().panel, 0.6));
    glow.setColorAt(1, T().panel);
    p.fillRect(art.rect(), glow);
    QPointF c(w / 2.0, cy - 22);
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
    p.drawText(QRectF(0, cy + 42, w, 34), Qt::AlignCenter, "korvoplayer");
    font.setPixelSize(11);
    font.setBold(false);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 190));
    p.drawText(QRectF(0, cy + 76, w, 18), Qt::AlignCenter, "MEDIA PLAYER");
    p.end();
    return art;
}

// The playlist's top bar with its list symbol.
QImage PlaylistTop(int w, int h)
{
    QImage art = Canvas(w, h);
    QPainter p(&art);
    Antialias(p);
    p.setPen(QPen(T().accent, 1.6, Qt::SolidLine, Qt::RoundCap));
    const double top = (h - 11) / 2 + 0.5;
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(10, top + i * 4), QPointF(20, top + i * 4));
    p.end();
    return Flatten(art, [h](int y) { return PlaylistTopRow(y, h); }, false);
}

QImage PlaylistBottom(int w, int h)
{
    return Rows(w, h, [](int y) { return y == 0 ? T().border : (y == 1 ? T().playlistHighlight : T().playlistFrame); });
}

// The built-in skin, by resource number.
std::map<int, QImage> DrawBuiltIn()
{
    const Background captionButtons = Offset(CaptionRow, 2);
    const Background playlistButtons = [](int y) { return PlaylistTopRow(y + 2, 31); };
    const Background playlistBottom = Flat(T().playlistFrame);
    std::map<int, QImage> images;
    images[136] = Strip(80, 24, captionButtons, true, CloseGlyph());
    images[137] = BottomFrame();
    images[138] = Border(244, T().frameTop);
    images[139] = Strip(80, 24, captionButtons, true, MaximizeGlyph());
    images[140] = Strip(80, 24, captionButtons, true, MinimizeGlyph());
    images[141] = Strip(192, 30, Offset(FrameRow, 1), false, RoundButton(PauseSymbol), 14);
    images[142] = Strip(192, 30, Offset(FrameRow, 1), false, RoundButton(PlaySymbol), 14);
    images[144] = Channel(268, 8, 4, false, Flat(T().display), true);
    images[145] = Knob(17, 8, Flat(T().display));
    images[146] = Channel(268, 8, 4, true, Flat(T().display), true);
    images[147] = Strip(124, 30, Offset(FrameRow, 1), false, SkipGlyph(1));
    images[148] = MirrorBorder(244, T().frameTop);
    images[149] = Channel(80, 7, 3, false, Offset(FrameRow, 16));
    images[150] = Channel(80, 7, 3, true, Offset(FrameRow, 16));
    images[152] = Knob(11, 7, Offset(FrameRow, 16));
    images[153] = Strip(42, 11, Offset(FrameRow, 12), false, MuteGlyph(), 2);
    images[154] = Strip(124, 30, Offset(FrameRow, 1), false, StopGlyph());
    images[155] = Caption(492);
    images[156] = Strip(124, 30, Offset(FrameRow, 1), false, SkipGlyph(-1));
    images[162] = ScreenLogo(399, 244);
    images[163] = Strip(104, 12, Offset(FrameRow, 9), false, LabelGlyph("PL", false), 3);
    images[164] = Strip(104, 12, Offset(FrameRow, 9), false, LabelGlyph("REP", false), 3);
    images[166] = PlaylistTop(238, 31);
    images[167] = Strip(80, 24, playlistButtons, true, CloseGlyph());
    images[168] = Strip(80, 24, playlistButtons, true, MinimizeGlyph());
    images[169] = Border(243, T().playlistFrame);
    images[170] = MirrorBorder(243, T().playlistFrame);
    images[171] = PlaylistBottom(238, 28);
    images[172] = Strip(120, 13, playlistBottom, false, PlusMinusGlyph(true), 3);
    images[173] = Strip(120, 13, playlistBottom, false, PlusMinusGlyph(false), 3);
    images[174] = Strip(112, 13, playlistBottom, false, ArrowGlyph(1), 3);
    images[175] = Strip(112, 13, playlistBottom, false, ArrowGlyph(-1), 3);
    images[176] = VerticalChannel(11, 243);
    images[177] = Knob(10, 27, Flat(T().listChannel));
    images[192] = Strip(104, 12, Offset(FrameRow, 9), false, LabelGlyph("REP", true), 3);
    return images;
}

// The "ember" skin, by the names its skin.xml gives the bitmaps: a 416 x 270
// player with a 20-pixel caption, a 10-pixel seek strip over a 30-pixel
// control bar, and a 220 x 270 playlist.
std::map<QString, QImage> DrawEmber()
{
    const Background captionButtons = Offset(CaptionRow, 2);
    const Background seekStrip = [](int y) { return y == 0 ? T().border : T().frameTop; };
    const Background playlistButtons = [](int y) { return PlaylistTopRow(y + 2, 20); };
    const Background playlistBottom = Flat(T().playlistFrame);
    return {
        {"art/caption.png", Caption(416)},
        {"art/close.png", Strip(64, 16, captionButtons, true, CloseGlyph(), 3)},
        {"art/maximize.png", Strip(64, 16, captionButtons, true, MaximizeGlyph(), 3)},
        {"art/minimize.png", Strip(64, 16, captionButtons, true, MinimizeGlyph(), 3)},
        {"art/bar.png", Rows(416, 30, FrameRow)},
        {"art/play.png", Strip(112, 28, Offset(FrameRow, 1), false, RoundButton(PlaySymbol), 13)},
        {"art/pause.png", Strip(112, 28, Offset(FrameRow, 1), false, RoundButton(PauseSymbol), 13)},
        {"art/stop.png", Strip(96, 24, Offset(FrameRow, 3), false, StopGlyph())},
        {"art/previous.png", Strip(96, 24, Offset(FrameRow, 3), false, SkipGlyph(-1))},
        {"art/next.png", Strip(96, 24, Offset(FrameRow, 3), false, SkipGlyph(1))},
        {"art/mute.png", Strip(64, 16, Offset(FrameRow, 7), false, MuteGlyph(), 2)},
        {"art/list.png", Strip(96, 14, Offset(FrameRow, 8), false, LabelGlyph("PL", false), 3)},
        {"art/repeat.png", Strip(96, 14, Offset(FrameRow, 8), false, LabelGlyph("REP", false), 3)},
        {"art/repeat-on.png", Strip(96, 14, Offset(FrameRow, 8), false, LabelGlyph("REP", true), 3)},
        {"art/volume-fill.png", Channel(64, 6, 3, true, Offset(FrameRow, 12))},
        {"art/volume-empty.png", Channel(64, 6, 3, false, Offset(FrameRow, 12))},
        {"art/volume-knob.png", Knob(9, 6, Offset(FrameRow, 12))},
        {"art/seek.png", Rows(416, 10, seekStrip)},
        {"art/time-fill.png", Channel(400, 6, 4, true, seekStrip)},
        {"art/time-empty.png", Channel(400, 6, 4, false, seekStrip)},
        {"art/time-knob.png", Knob(12, 6, seekStrip)},
        {"art/left.png", Border(210, T().frameTop)},
        {"art/right.png", MirrorBorder(210, T().frameTop)},
        {"art/logo.png", ScreenLogo(360, 200)},
        {"art/playlist-top.png", PlaylistTop(220, 20)},
        {"art/playlist-close.png", Strip(64, 16, playlistButtons, true, CloseGlyph(), 3)},
        {"art/playlist-bottom.png", PlaylistBottom(220, 24)},
        {"art/playlist-left.png", Border(226, T().playlistFrame)},
        {"art/playlist-right.png", MirrorBorder(226, T().playlistFrame)},
        {"art/add.png", Strip(80, 16, playlistBottom, false, PlusMinusGlyph(true), 3)},
        {"art/remove.png", Strip(80, 16, playlistBottom, false, PlusMinusGlyph(false), 3)},
        {"art/up.png", Strip(80, 16, playlistBottom, false, ArrowGlyph(1), 3)},
        {"art/down.png", Strip(80, 16, playlistBottom, false, ArrowGlyph(-1), 3)},
    };
}

bool Save(const QImage& image, const QString& path)
{
    if (image.convertToFormat(QImage::Format_RGB888).save(path, "PNG", 9))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// Writes the built-in skin's bitmaps, each checked against the size the
// bitmap table gives it; returns the number of failures.
int WriteBuiltIn(const QDir& out)
{
    std::map<int, QImage> images = DrawBuiltIn();
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
        if (!Save(it->second, out.filePath(QString::number(entry.nID) + ".png")))
            ++nFailures;
    }
    return nFailures;
}

int WriteEmber(const QDir& out)
{
    g_pTheme = &kEmberTheme;
    int nFailures = 0;
    for (const auto& [name, image] : DrawEmber()) {
        const QString path = out.filePath(name);
        if (!out.mkpath(QFileInfo(path).path()) || !Save(image, path))
            ++nFailures;
    }
    return nFailures;
}

} // namespace

int main(int argc, char** argv)
{
    const bool bEmber = argc == 4 && std::string(argv[1]) == "--theme" && std::string(argv[2]) == "ember";
    if (argc != 2 && !bEmber) {
        std::fprintf(stderr, "usage: korvo_skinart [--theme ember] OUTPUT_DIR\n");
        return 2;
    }
    // Drawing needs fonts but no screen: the generator runs in builds without an X server.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const char* pszOut = argv[argc - 1];
    QDir out(QString::fromLocal8Bit(pszOut));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "cannot create %s\n", pszOut);
        return 1;
    }
    return (bEmber ? WriteEmber(out) : WriteBuiltIn(out)) == 0 ? 0 : 1;
}
