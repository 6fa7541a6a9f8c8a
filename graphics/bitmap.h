#pragma once

#include "graphics/colour.h"

#ifndef LUDOMAT_NO_QT
#include <QImage>
#endif
#include <cstdint>
#include <string>
#include <vector>

namespace ludomat {

// A 24-bit picture kept as one 32-bit word per pixel (0xFFRRGGBB, Qt's Format_RGB32), rows
// top-down with no padding. Every pixel keeps its top byte at 0xFF, so comparing whole words
// compares colours. A 0 x 0 bitmap is valid and draws nothing.
class Bitmap
{
public:
    Bitmap() = default;
    Bitmap(int width, int height, Rgb fill = 0xFFFFFF);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }
    bool contains(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    }

    // Keeps the top-left part that still fits; new pixels are white, as a resized
    // platform bitmap is. Negative sizes count as 0.
    void resize(int width, int height);
    void fill(Rgb colour);

    // Outside the bitmap: kInvalidColour.
    Rgb pixel(int x, int y) const
    {
        return contains(x, y) ? (m_pixels[index(x, y)] & 0xFFFFFFu) : kInvalidColour;
    }
    // Outside the bitmap: ignored.
    void setPixel(int x, int y, Rgb colour)
    {
        if (contains(x, y))
            m_pixels[index(x, y)] = toPixel(colour);
    }

    std::uint32_t* scanLine(int y) { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    const std::uint32_t* scanLine(int y) const
    {
        return m_pixels.data() + std::size_t(y) * std::size_t(m_width);
    }
    int bytesPerLine() const { return m_width * 4; }

    // Whether draws of this bitmap skip pixels of its transparent colour.
    bool isTransparent() const { return m_transparent; }
    void setTransparent(bool on) { m_transparent = on; }

    // The see-through colour: the fixed key (magenta unless set), or, in automatic mode, the
    // colour of the bottom-left pixel at the time of asking.
    Rgb transparentKey() const;
    void setTransparentKey(Rgb key);
    void setAutomaticTransparentKey();
    bool hasAutomaticTransparentKey() const { return m_automaticKey; }

#ifndef LUDOMAT_NO_QT
    // A QImage over this bitmap's own memory, valid until the bitmap is resized or destroyed.
    // The non-const view is for QPainter; the const one copies on write.
    QImage view();
    QImage view() const;

    // Converts any QImage to 24 bits; alpha is dropped, not blended.
    static Bitmap fromImage(const QImage& image);
#endif

    // Writes a 24-bit file: a Windows bitmap when the name ends in ".bmp" (any case), else PNG.
    // Throws PictureError when the file cannot be written.
    void save(const std::string& path) const;
    // The same 24-bit Windows bitmap file, in memory.
    std::string encodeBmp() const;

    bool operator==(const Bitmap& other) const
    {
        return m_width == other.m_width && m_height == other.m_height && m_pixels == other.m_pixels;
    }

private:
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(m_width) + std::size_t(x); }

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
    bool m_transparent = false;
    bool m_automaticKey = false;
    Rgb m_transparentKey = kTransparentKey;
};

} // namespace ludomat
