#pragma once

#include "graphics/bitmap.h"
#include "graphics/rect.h"

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// One row of a keyed copy: n pixels from `from` to `to`, those equal to `key` left out. `to`
// must not lie inside (from, from + n): rows of two bitmaps, or a copy towards the left, as
// each block of four is read before it is written. Four at a time every destination word is
// rewritten, with its own value where the source holds the key: a select without branches.
// Inline, as tiles and sprites call it for every short row.
inline void copyKeyedPixels(std::uint32_t* to, const std::uint32_t* from, int n, std::uint32_t key)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i keys = _mm_set1_epi32(int(key));
    for (; x + 4 <= n; x += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + x));
        const __m128i skip = _mm_cmpeq_epi32(s, keys);
        const __m128i mixed = _mm_or_si128(_mm_and_si128(skip, d), _mm_andnot_si128(skip, s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x), mixed);
    }
#endif
    for (; x < n; ++x) {
        if (from[x] != key)
            to[x] = from[x];
    }
}

// Keyed rows of a rectangle: `rows` runs of n pixels as copyKeyedPixels copies them, the next
// run `toStride` and `fromStride` pixels further on. Eight at a time where the processor can.
void copyKeyedRows(std::uint32_t* to, std::ptrdiff_t toStride, const std::uint32_t* from,
                   std::ptrdiff_t fromStride, int n, int rows, std::uint32_t key);

// Fills the rectangle (normalised, right and bottom edges excluded), clipped to the bitmap.
void fillRect(Bitmap& dest, const Rect& rect, Rgb colour);

} // namespace ludomat
