#include "graphics/bitmap.h"

#include "graphics/picture_error.h"

#include <algorithm>
#include <cstring>

namespace ludomat {

Bitmap::Bitmap(int width, int height, Rgb fill)
{
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_pixels.assign(std::size_t(m_width) * std::size_t(m_height), toPixel(fill));
}

void Bitmap::resize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == m_width && height == m_height)
        return;
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height), toPixel(0xFFFFFF));
    const int keepWidth = std::min(width, m_width);
    const int keepHeight = std::min(height, m_height);
    for (int y = 0; keepWidth > 0 && y < keepHeight; ++y) {
        std::memcpy(pixels.data() + std::size_t(y) * std::size_t(width), scanLine(y),
                    std::size_t(keepWidth) * 4);
    }
    m_pixels.swap(pixels);
    m_width = width;
    m_height = height;
}

void Bitmap::fill(Rgb colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), toPixel(colour));
}

Rgb Bitmap::transparentKey() const
{
    if (!m_automaticKey)
        return m_transparentKey;
    // An empty bitmap has no bottom-left pixel; the invalid colour then matches nothing.
    return pixel(0, m_height - 1);
}

void Bitmap::setTransparentKey(Rgb key)
{
    m_transparentKey = key & 0xFFFFFFu;
    m_automaticKey = false;
}

void Bitmap::setAutomaticTransparentKey()
{
    m_automaticKey = true;
}

} // namespace ludomat
