#pragma once

namespace ludomat {

// A rectangle by its corners, as the platform's drawing calls take it: it covers the pixels
// left .. right-1 and top .. bottom-1. Width or height may be negative where a call says so
// (a copy mirrors then); see stretchCopy().
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect fromXywh(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }

    // The same pixels with left <= right and top <= bottom.
    constexpr Rect normalized() const
    {
        Rect r = *this;
        if (r.right < r.left) {
            r.left = right;
            r.right = left;
        }
        if (r.bottom < r.top) {
            r.top = bottom;
            r.bottom = top;
        }
        return r;
    }

    constexpr bool operator==(const Rect&) const = default;
};

} // namespace ludomat
