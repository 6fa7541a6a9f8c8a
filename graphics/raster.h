#pragma once

#include "graphics/bitmap.h"
#include "graphics/rect.h"

namespace ludomat {

// Pen-drawn shapes with the platform's pixel rules. A pen of width 0 or 1 draws the thin
// one-pixel path. A wider pen is a disc of that diameter centred on every pixel of the thin
// path (round ends and round corners, as the platform's wide solid pens have); it reaches
// width/2 pixels outside the path on either side.

// A line from (x0, y0) towards (x1, y1). A thin line excludes its end point, so a chain of
// lines sets each joint once; a wide line ends in a round cap on both points.
void drawLine(Bitmap& dest, int x0, int y0, int x1, int y1, Rgb colour, int penWidth);

// The outline of the box whose thin path covers left .. right-1 and top .. bottom-1 of the
// normalised corners. With a fill colour the box is filled first.
void drawRectangle(Bitmap& dest, const Rect& corners, Rgb pen, int penWidth, const Rgb* fill);

// The ellipse inscribed in the same box: it touches all four sides, and is symmetric about
// both centre lines. With a fill colour its inside is filled first.
void drawEllipse(Bitmap& dest, const Rect& corners, Rgb pen, int penWidth, const Rgb* fill);

} // namespace ludomat
