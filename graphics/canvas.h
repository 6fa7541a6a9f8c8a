#pragma once

#include "graphics/bitmap.h"
#include "graphics/rect.h"

#ifndef LUDOMAT_NO_QT
#include <QFont>
#include <QPoint>
#endif
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace ludomat {

#ifdef LUDOMAT_NO_QT
// The pen position: a pair with the toolkit point's accessors, so callers read it the same way.
class PenPoint {
public:
    constexpr PenPoint(int x = 0, int y = 0) : m_x(x), m_y(y) {}
    constexpr int x() const { return m_x; }
    constexpr int y() const { return m_y; }
    bool operator==(const PenPoint&) const = default;

private:
    int m_x;
    int m_y;
};
#else
using PenPoint = QPoint;
#endif

enum class BrushStyle { Solid, Clear };

// The canvas font. Sizes are points at 96 dots an inch (16 pt is a 21-pixel em); the face is
// a Windows-1252 name, and "Arial", "Courier New" and "Times New Roman" resolve to the
// metric-compatible Liberation faces.
struct Font {
    std::string face = "Arial";
    int size = 10;
    Rgb colour = 0x000000;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const Font&) const = default;
};

// Drawing state (pen, brush, font) over a bitmap, with the platform's pixel rules: fills
// exclude the right and bottom edge, thin lines exclude their end point, outlines lie inside
// their two corners, copies mirror on negative sizes, transparent pictures skip their key
// colour. The bitmap is not owned and must outlive the canvas; it may be resized between
// calls. Text needs a QGuiApplication (fonts come from the toolkit).
class Canvas {
public:
    explicit Canvas(Bitmap& target) : m_bitmap(&target) {}

    Bitmap& bitmap() { return *m_bitmap; }
    const Bitmap& bitmap() const { return *m_bitmap; }
    void setBitmap(Bitmap& target) { m_bitmap = &target; }

    // The drawable area: the whole bitmap.
    Rect clipRect() const { return {0, 0, m_bitmap->width(), m_bitmap->height()}; }

    Rgb penColour() const { return m_penColour; }
    void setPenColour(Rgb colour) { m_penColour = colour & 0xFFFFFFu; }
    // 0 and 1 both mean the thinnest pen.
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int width) { m_penWidth = width < 0 ? 0 : width; }
    PenPoint penPos() const { return m_penPos; }

    Rgb brushColour() const { return m_brushColour; }
    void setBrushColour(Rgb colour) { m_brushColour = colour & 0xFFFFFFu; }
    BrushStyle brushStyle() const { return m_brushStyle; }
    void setBrushStyle(BrushStyle style) { m_brushStyle = style; }

    const Font& font() const { return m_font; }
    void setFont(const Font& font);
    void setFontFace(const std::string& face);
    void setFontSize(int points);
    void setFontColour(Rgb colour);
    void setFontStyle(bool bold, bool italic, bool underline);

    // Fills with the brush colour whatever the brush style, as the platform's rectangle fill.
    void fillRect(const Rect& rect);

    // Stretch-copies sourceRect of source into destRect of this canvas's bitmap; no
    // transparency. See stretchCopy() for mirroring and sampling.
    void copyRect(const Rect& destRect, const Bitmap& source, const Rect& sourceRect);
    // The picture at its own size; a transparent picture skips its key colour.
    void draw(int x, int y, const Bitmap& picture);
    // The picture scaled into destRect; a transparent picture skips its key colour.
    void stretchDraw(const Rect& destRect, const Bitmap& picture);

    // kInvalidColour outside the bitmap.
    Rgb pixel(int x, int y) const { return m_bitmap->pixel(x, y); }
    void setPixel(int x, int y, Rgb colour) { m_bitmap->setPixel(x, y, colour); }

    void moveTo(int x, int y) { m_penPos = PenPoint(x, y); }
    // A line in the pen colour and width from the pen position; the end becomes the position.
    void lineTo(int x, int y);
    // Outline in the pen colour and width between two corners; filled first when the brush is
    // solid.
    void rectangle(int x1, int y1, int x2, int y2);
    void ellipse(int x1, int y1, int x2, int y2);

    // Writes Windows-1252 text with its top-left corner at (x, y) in the font colour; with a
    // solid brush the measured box behind it is filled with the brush colour first.
    void textOut(int x, int y, const std::string& text);
    int textWidth(const std::string& text) const;
    // The font's full line height (ascent plus descent), whatever the text.
    int textHeight(const std::string& text) const;

#ifndef LUDOMAT_NO_QT
    // The toolkit font that text is drawn with.
    const QFont& qtFont() const;
#endif

    // One font's rasteriser state and remembered measurements; defined by the text backend
    // (the toolkit's on the desktop, a TrueType rasteriser on the web).
    struct FontEntry;

private:
    Bitmap* m_bitmap;
    Rgb m_penColour = 0x000000;
    int m_penWidth = 1;
    PenPoint m_penPos;
    Rgb m_brushColour = 0xFFFFFF;
    BrushStyle m_brushStyle = BrushStyle::Solid;
    Font m_font;
    // Each font used keeps its entry, so switching fonts and back costs nothing.
    using FontCache = std::unordered_map<std::string, std::shared_ptr<FontEntry>>;
    mutable std::shared_ptr<FontEntry> m_current;
    // Shared by copies, so a canvas saved and restored around a text box keeps what it learnt.
    std::shared_ptr<FontCache> m_fonts = std::make_shared<FontCache>();
    FontEntry& currentFont() const;
    // The entry already made for the current font, now current; else nullptr, with `key` set
    // to the name the new entry is kept under and room made for it.
    FontEntry* rememberedFont(std::string& key) const;
};

#ifdef LUDOMAT_NO_QT
// Where the TrueType files of the Liberation faces are (default "/fonts").
void setFontFolder(const std::string& folder);
#endif

// The pixel em height of a font size in points at 96 dots an inch, rounded as the platform
// rounds it (16 pt -> 21 px).
int pointsToPixels(int points);

}  // namespace ludomat
