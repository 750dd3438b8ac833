// Draws the frames of the player's built-in logo animation as PNG files:
//   korvo_logo_frames DIRECTORY
// A play emblem in a ring on a dark ground, with sound waves rippling out of
// it and a row of level bars breathing beneath. Every motion runs a whole
// number of cycles over the frames, so the animation loops without a seam.
// tools/make-logo.sh turns the frames into resources/logo/logo.gif.
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrames = 32;

constexpr QPointF kCentre(160, 98);
constexpr double kRingRadius = 38;
constexpr int kRipples = 3;
constexpr double kRippleReach = 74;

constexpr int kBars = 23;
constexpr double kBarWidth = 4;
constexpr double kBarGap = 3;
constexpr double kBarBase = 196;
constexpr double kBarMaxHeight = 26;

const QColor kGroundCentre(0x17, 0x21, 0x2c);
const QColor kGroundEdge(0x0a, 0x0e, 0x13);
const QColor kAccent(0x3c, 0xc8, 0xf0);
const QColor kAccentDeep(0x2f, 0x7f, 0xe0);
const QColor kAccentLight(0x9b, 0xe8, 0xff);

constexpr double kTau = 2 * std::numbers::pi;

QColor WithAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
    return colour;
}

void DrawGround(QPainter& painter)
{
    QRadialGradient glow(kCentre, kWidth * 0.62);
    glow.setColorAt(0, kGroundCentre);
    glow.setColorAt(1, kGroundEdge);
    painter.fillRect(QRectF(0, 0, kWidth, kHeight), glow);
}

// Rings leave the emblem, widen and fade; `t` runs from 0 to 1 over the loop.
void DrawRipples(QPainter& painter, double t)
{
    for (int i = 0; i < kRipples; ++i) {
        double phase = std::fmod(t + static_cast<double>(i) / kRipples, 1.0);
        double radius = kRingRadius + 4 + kRippleReach * phase;
        double alpha = 0.55 * std::pow(1 - phase, 1.6);
        painter.setPen(QPen(WithAlpha(kAccent, alpha), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(kCentre, radius, radius);
    }
}

void DrawEmblem(QPainter& painter, double t)
{
    // The ring brightens gently once per loop.
    double pulse = 0.5 + 0.5 * std::cos(kTau * t);
    QRadialGradient halo(kCentre, kRingRadius + 14);
    halo.setColorAt(0.70, WithAlpha(kAccent, 0.10 + 0.10 * pulse));
    halo.setColorAt(1.00, WithAlpha(kAccent, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(halo);
    painter.drawEllipse(kCentre, kRingRadius + 14, kRingRadius + 14);

    painter.setBrush(kGroundCentre.darker(115));
    painter.setPen(QPen(kAccent.lighter(100 + static_cast<int>(25 * pulse)), 3.0));
    painter.drawEllipse(kCentre, kRingRadius, kRingRadius);

    // A play triangle, nudged right so that it looks centred in the ring.
    QPainterPath play;
    QPointF tip = kCentre + QPointF(20, 0);
    play.moveTo(kCentre + QPointF(-12, -20));
    play.lineTo(tip);
    play.lineTo(kCentre + QPointF(-12, 20));
    play.closeSubpath();
    QLinearGradient fill(kCentre + QPointF(0, -20), kCentre + QPointF(0, 20));
    fill.setColorAt(0, kAccentLight);
    fill.setColorAt(1, kAccentDeep);
    painter.setPen(QPen(fill, 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(play);
}

// The level of bar `i` at time `t`: two waves travelling across the row under
// a bell-shaped envelope, so the middle bars move most.
double BarLevel(int i, double t)
{
    double x = static_cast<double>(i) / (kBars - 1);
    double envelope = 0.35 + 0.65 * std::exp(-std::pow((x - 0.5) / 0.28, 2));
    double wave = 0.5 + 0.3 * std::sin(kTau * (t * 2 - x * 1.5)) + 0.2 * std::sin(kTau * (t * 3 + x * 2.5));
    return envelope * std::clamp(wave, 0.0, 1.0);
}

void DrawBars(QPainter& painter, double t)
{
    double rowWidth = kBars * kBarWidth + (kBars - 1) * kBarGap;
    double left = (kWidth - rowWidth) / 2;
    QLinearGradient fill(0, kBarBase - kBarMaxHeight, 0, kBarBase);
    fill.setColorAt(0, kAccentLight);
    fill.setColorAt(1, kAccentDeep);
    QLinearGradient mirror(0, kBarBase + 2, 0, kBarBase + 14);
    mirror.setColorAt(0, WithAlpha(kAccentDeep, 0.35));
    mirror.setColorAt(1, WithAlpha(kAccentDeep, 0));
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < kBars; ++i) {
        double height = 3 + (kBarMaxHeight - 3) * BarLevel(i, t);
        double x = left + i * (kBarWidth + kBarGap);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(x, kBarBase - height, kBarWidth, height), 1.5, 1.5);
        painter.setBrush(mirror);
        painter.drawRoundedRect(QRectF(x, kBarBase + 2, kBarWidth, height * 0.45), 1.5, 1.5);
    }
}

QImage DrawFrame(int nFrame)
{
    double t = static_cast<double>(nFrame) / kFrames;
    QImage frame(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawGround(painter);
    DrawRipples(painter, t);
    DrawEmblem(painter, t);
    DrawBars(painter, t);
    return frame;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    QDir directory(QString::fromLocal8Bit(argv[1]));
    if (!directory.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "can not create %s\n", argv[1]);
        return 1;
    }
    for (int i = 0; i < kFrames; ++i) {
        QString name = directory.filePath(QStringLiteral("frame%1.png").arg(i, 2, 10, QLatin1Char('0')));
        if (!DrawFrame(i).save(name)) {
            std::fprintf(stderr, "can not write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
