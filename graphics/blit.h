#pragma once

#include "graphics/bitmap.h"
#include "graphics/rect.h"

namespace ludomat {

// Copies sourceRect of source into destRect of dest, stretching with nearest-neighbour
// sampling: the i-th destination pixel of a row takes source pixel floor(i * |sw| / |dw|),
// so whole-number enlargements repeat each pixel and reductions drop pixels evenly.
//
// A positive width w starting at left covers left .. left+w-1; a negative one covers left,
// left-1, .. left+w+1 in that order. When source and destination run in opposite directions
// the copy is mirrored, so the source rectangle (W-1, 0, -1, H) flips a W-wide picture onto
// (0, 0, W, H). Pixels that would come from outside the source, or land outside dest, are left
// alone. Source and dest may be the same bitmap and may overlap.
//
// With a skip colour, source pixels of exactly that colour are not copied.
void stretchCopy(Bitmap& dest, const Rect& destRect, const Bitmap& source, const Rect& sourceRect,
                 const Rgb* skipColour = nullptr);

// Fills the rectangle (normalised, right and bottom edges excluded), clipped to the bitmap.
void fillRect(Bitmap& dest, const Rect& rect, Rgb colour);

} // namespace ludomat
