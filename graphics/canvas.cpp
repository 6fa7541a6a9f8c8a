#include "graphics/canvas.h"

#include "graphics/blit.h"
#include "graphics/raster.h"

#include <cstdlib>

namespace ludomat {

int pointsToPixels(int points)
{
    // Rounded to nearest like the platform's MulDiv(points, 96, 72); a negative size is taken
    // by its magnitude, and nothing is smaller than one pixel.
    const long long p = std::llabs((long long)points);
    const long long pixels = (p * 96 + 36) / 72;
    return pixels < 1 ? 1 : (pixels > 4096 ? 4096 : int(pixels));
}

void Canvas::setFont(const Font& font)
{
    Font sameColour = font;
    sameColour.colour = m_font.colour;
    // The colour is not part of the toolkit font; only other changes rebuild it.
    if (!(sameColour == m_font)) m_current.reset();
    m_font = font;
    m_font.colour &= 0xFFFFFFu;
}

void Canvas::setFontFace(const std::string& face)
{
    Font f = m_font;
    f.face = face;
    setFont(f);
}

void Canvas::setFontSize(int points)
{
    Font f = m_font;
    f.size = points;
    setFont(f);
}

void Canvas::setFontColour(Rgb colour)
{
    m_font.colour = colour & 0xFFFFFFu;
}

void Canvas::setFontStyle(bool bold, bool italic, bool underline)
{
    Font f = m_font;
    f.bold = bold;
    f.italic = italic;
    f.underline = underline;
    setFont(f);
}

Canvas::FontEntry* Canvas::rememberedFont(std::string& key) const
{
    key = m_font.face;
    key += '\0';
    key += std::to_string(m_font.size);
    key += m_font.bold ? 'b' : '-';
    key += m_font.italic ? 'i' : '-';
    key += m_font.underline ? 'u' : '-';
    auto found = m_fonts->find(key);
    if (found != m_fonts->end()) {
        m_current = found->second;
        return m_current.get();
    }
    // A script that keeps changing sizes must not grow the cache without end.
    constexpr size_t kMaxRememberedFonts = 32;
    if (m_fonts->size() >= kMaxRememberedFonts) m_fonts->clear();
    return nullptr;
}

void Canvas::fillRect(const Rect& rect)
{
    ludomat::fillRect(*m_bitmap, rect, m_brushColour);
}

void Canvas::copyRect(const Rect& destRect, const Bitmap& source, const Rect& sourceRect)
{
    stretchCopy(*m_bitmap, destRect, source, sourceRect);
}

void Canvas::draw(int x, int y, const Bitmap& picture)
{
    stretchDraw(Rect::fromXywh(x, y, picture.width(), picture.height()), picture);
}

void Canvas::stretchDraw(const Rect& destRect, const Bitmap& picture)
{
    const Rect whole{0, 0, picture.width(), picture.height()};
    if (picture.isTransparent()) {
        const Rgb key = picture.transparentKey();
        stretchCopy(*m_bitmap, destRect, picture, whole, &key);
    } else {
        stretchCopy(*m_bitmap, destRect, picture, whole);
    }
}

void Canvas::lineTo(int x, int y)
{
    drawLine(*m_bitmap, m_penPos.x(), m_penPos.y(), x, y, m_penColour, m_penWidth);
    m_penPos = PenPoint(x, y);
}

void Canvas::rectangle(int x1, int y1, int x2, int y2)
{
    const bool solid = m_brushStyle == BrushStyle::Solid;
    drawRectangle(*m_bitmap, {x1, y1, x2, y2}, m_penColour, m_penWidth, solid ? &m_brushColour : nullptr);
}

void Canvas::ellipse(int x1, int y1, int x2, int y2)
{
    const bool solid = m_brushStyle == BrushStyle::Solid;
    drawEllipse(*m_bitmap, {x1, y1, x2, y2}, m_penColour, m_penWidth, solid ? &m_brushColour : nullptr);
}

}  // namespace ludomat
