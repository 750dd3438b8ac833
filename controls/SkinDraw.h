// Image transfers of the skinned controls. Images of colour-keyed records
// already carry transparency for their key colour, so a keyed transfer and
// a plain copy are the same drawing call.
#pragma once

#include "winsys/Rect.h"

class QPainter;
class QPixmap;

namespace skindraw {

// Copies the source part (sx, sy, sw, sh) of `image` stretched onto
// (x, y, w, h). Empty or inverted parts draw nothing.
void Stretch(QPainter* pDC, int x, int y, int w, int h, const QPixmap& image, int sx, int sy, int sw, int sh);

// Fills `rc` with `image` cut into nine pieces: corners keep their size,
// edges stretch along their length, the centre both ways. `fixed` gives
// the left, top, right and bottom border widths that are not stretched.
void NinePiece(QPainter* pDC, const QPixmap& image, const RECT& rc, const int fixed[4]);

} // namespace skindraw
