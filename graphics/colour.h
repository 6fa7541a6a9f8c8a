#pragma once

#include <cstdint>

namespace ludomat {

// A colour as 0x00RRGGBB. Bitmaps store each pixel as 0xFFRRGGBB; the top byte of an Rgb
// given to a drawing call is ignored.
using Rgb = std::uint32_t;

// What reading a pixel outside a bitmap yields. No 0x00RRGGBB value has its top byte set,
// so it can never be mistaken for a real colour, and it stays itself through rgbToBgr().
inline constexpr Rgb kInvalidColour = 0xFFFFFFFFu;

// The colour loaded pictures treat as see-through: pure magenta.
inline constexpr Rgb kTransparentKey = 0xFF00FFu;

inline constexpr std::uint32_t kOpaque = 0xFF000000u;

// Script colours are the toolkit's 0x00BBGGRR integers; swapping red and blue converts
// either way. The invalid colour is passed through unchanged.
constexpr Rgb swapRedBlue(std::uint32_t c)
{
    if (c == kInvalidColour)
        return c;
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

constexpr Rgb bgrToRgb(std::uint32_t bgr) { return swapRedBlue(bgr); }
constexpr std::uint32_t rgbToBgr(Rgb rgb) { return swapRedBlue(rgb); }

constexpr Rgb makeRgb(int r, int g, int b)
{
    return (Rgb(r & 0xFF) << 16) | (Rgb(g & 0xFF) << 8) | Rgb(b & 0xFF);
}

// The pixel word a bitmap stores for a colour.
constexpr std::uint32_t toPixel(Rgb c) { return c | kOpaque; }

} // namespace ludomat
