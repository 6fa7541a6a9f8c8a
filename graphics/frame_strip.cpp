#include "graphics/frame_strip.h"

#include <algorithm>

namespace ludomat {

void FrameStrip::setLayout(int count, bool vertical)
{
    m_count = std::max(count, 1);
    m_vertical = vertical;
    m_width = vertical ? picture.width() : picture.width() / m_count;
    m_height = vertical ? picture.height() / m_count : picture.height();
}

Rect FrameStrip::frameRect(int n) const
{
    // 64-bit products: a huge index must not wrap into a real frame.
    long long x = m_vertical ? 0 : (long long)n * m_width;
    long long y = m_vertical ? (long long)n * m_height : 0;
    x = std::clamp<long long>(x, 0, picture.width());
    y = std::clamp<long long>(y, 0, picture.height());
    return Rect::fromXywh(int(x), int(y), m_width, m_height);
}

bool FrameStrip::isOpaqueAt(int n, int dx, int dy) const
{
    if (!hasFrame(n) || dx < 0 || dy < 0 || dx >= m_width || dy >= m_height) return false;
    Rect r = frameRect(n);
    return picture.pixel(r.left + dx, r.top + dy) != kTransparentKey;
}

}  // namespace ludomat
