#pragma once
// The plot grid: the thin grey lines that show where the plot cells of the screen lie, drawn by
// the figure editor's "Matriz plot / unplot" button and the tile-map page's "grid" button.

#include "graphics/bitmap.h"

namespace ludomat {

// The grid's colour, a mid grey that shows on black paper and on white alike.
inline constexpr Rgb kPlotGridColour = 0x808080;

// Draws the grid over what `target` already holds (nothing is cleared first): vertical lines
// from top to bottom at x = i * plotWidth for i = 0 .. screenWidth div plotWidth, horizontal
// lines from left to right at y = j * plotHeight for j = 0 .. screenHeight div plotHeight,
// one pixel wide, each screenWidth x screenHeight long (the last ones may fall just outside
// the bitmap and are then clipped). The screen size is the 760 x 420 script screen unless
// given. Sides below 1 draw nothing.
void drawPlotGrid(Bitmap& target, int plotWidth, int plotHeight, int screenWidth = 760, int screenHeight = 420);

}  // namespace ludomat
