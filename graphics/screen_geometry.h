#pragma once
// The script screen and its scaled full-screen form: every script coordinate refers to the
// 760 x 420 screen, and the full-screen mode multiplies coordinates by one factor.

#include <algorithm>
#include <climits>
#include <cmath>

namespace ludomat {

// The script screen: every script coordinate refers to this size.
constexpr int kBaseWidth = 760;
constexpr int kBaseHeight = 420;

// A script coordinate or size in screen pixels: trunc(value x scale). The product is nudged by
// a relative 1e-12 away from zero before truncating, so a factor such as 1920 / 760 gives back
// exactly 1920 for 760 whatever rounding the division left; every scaled value goes through here.
inline int scaledLength(double value, double scale)
{
    double product = value * scale;
    product = std::trunc(product + product * 1e-12);
    return int(std::clamp(product, double(INT_MIN), double(INT_MAX)));
}

// Where the scaled screen sits on a display of the given size in the full-screen mode.
struct FullScreenGeometry {
    double scale = 1.0;
    int width = kBaseWidth;
    int height = kBaseHeight;
    int left = 0;
    int top = 0;
};

// The largest factor that fits the display, the screen at that size, centred.
inline FullScreenGeometry fullScreenGeometry(int displayWidth, int displayHeight)
{
    FullScreenGeometry g;
    // A display smaller than one pixel would give a zero or negative screen.
    displayWidth = std::max(displayWidth, 1);
    displayHeight = std::max(displayHeight, 1);
    g.scale = std::min(double(displayWidth) / kBaseWidth, double(displayHeight) / kBaseHeight);
    g.width = std::max(scaledLength(kBaseWidth, g.scale), 1);
    g.height = std::max(scaledLength(kBaseHeight, g.scale), 1);
    g.left = (displayWidth - g.width) / 2;
    g.top = (displayHeight - g.height) / 2;
    return g;
}

}  // namespace ludomat
