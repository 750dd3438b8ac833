#include "SkinDraw.h"

#include <QPainter>
#include <QPixmap>

namespace skindraw {

void Stretch(QPainter* pDC, int x, int y, int w, int h, const QPixmap& image, int sx, int sy, int sw, int sh)
{
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0)
        return;
    pDC->drawPixmap(QRect(x, y, w, h), image, QRect(sx, sy, sw, sh));
}

void NinePiece(QPainter* pDC, const QPixmap& image, const RECT& rc, const int fixed[4])
{
    const int l = fixed[0];
    const int t = fixed[1];
    const int r = fixed[2];
    const int b = fixed[3];
    const int X = rc.left;
    const int Y = rc.top;
    const int R = rc.right;
    const int B = rc.bottom;
    const int W = rc.Width();
    const int H = rc.Height();
    const int bw = image.width();
    const int bh = image.height();
    if (l > 0 && t > 0)
        Stretch(pDC, X, Y, l, t, image, 0, 0, l, t);
    if (l > 0)
        Stretch(pDC, X, Y + t, l, H - t - b, image, 0, t, l, bh - t - b);
    if (l > 0 && b > 0)
        Stretch(pDC, X, B - b, l, b, image, 0, bh - b, l, b);
    if (t > 0)
        Stretch(pDC, X + l, Y, W - l - r, t, image, l, 0, bw - l - r, t);
    if (b > 0)
        Stretch(pDC, X + l, B - b, W - l - r, b, image, l, bh - b, bw - l - r, b);
    if (r > 0 && t > 0)
        Stretch(pDC, R - r, Y, r, t, image, bw - r, 0, r, t);
    if (r > 0)
        Stretch(pDC, R - r, Y + t, r, H - t - b, image, bw - r, t, r, bh - t - b);
    if (r > 0 && b > 0)
        Stretch(pDC, R - r, B - b, r, b, image, bw - r, bh - b, r, b);
    Stretch(pDC, X + l, Y + t, W - l - r, H - t - b, image, l, t, bw - l - r, bh - t - b);
}

} // namespace skindraw
