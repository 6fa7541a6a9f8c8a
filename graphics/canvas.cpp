#include "graphics/canvas.h"

#include "graphics/blit.h"
#include "graphics/cp1252.h"
#include "graphics/raster.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstdlib>
#include <mutex>

namespace ludomat {

namespace {

// Scripts name the faces of the original platform; these Liberation faces have the same
// metrics, so text measures the same.
void installFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                                  QStringLiteral("Liberation Serif"));
    });
}

} // namespace

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
    if (!(sameColour == m_font))
        m_current.reset();
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

Canvas::FontEntry& Canvas::currentFont() const
{
    if (m_current) return *m_current;
    std::string key = m_font.face;
    key += '\0';
    key += std::to_string(m_font.size);
    key += m_font.bold ? 'b' : '-';
    key += m_font.italic ? 'i' : '-';
    key += m_font.underline ? 'u' : '-';
    auto found = m_fonts->find(key);
    if (found != m_fonts->end()) {
        m_current = found->second;
        return *m_current;
    }
    // A script that keeps changing sizes must not grow the cache without end.
    constexpr size_t kMaxRememberedFonts = 32;
    if (m_fonts->size() >= kMaxRememberedFonts) m_fonts->clear();

    installFontSubstitutions();
    QFont f(fromCp1252(m_font.face));
    f.setPixelSize(pointsToPixels(m_font.size));
    f.setBold(m_font.bold);
    f.setItalic(m_font.italic);
    f.setUnderline(m_font.underline);
    // Text is drawn without antialiasing: every text pixel is exactly the font colour,
    // so drawings are deterministic (golden pictures compare exactly) and text on a
    // magenta-keyed picture leaves no pink fringe. No kerning: widths are the sum of the
    // character advances, as the platform measures them.
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    m_current = std::make_shared<FontEntry>(FontEntry{f, QFontMetrics(f), {}, {}});
    m_fonts->emplace(std::move(key), m_current);
    return *m_current;
}

const QFont& Canvas::qtFont() const
{
    return currentFont().font;
}

int Canvas::cachedWidth(const std::string& text, const QString& converted) const
{
    // A bound on remembered texts keeps a script printing ever new numbers from growing it.
    constexpr size_t kMaxRememberedWidths = 4096;
    FontEntry& entry = currentFont();
    auto it = entry.widths.find(text);
    if (it != entry.widths.end()) return it->second;
    if (entry.widths.size() >= kMaxRememberedWidths) entry.widths.clear();
    int width = entry.metrics.horizontalAdvance(converted);
    entry.widths.emplace(text, width);
    return width;
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
    m_penPos = QPoint(x, y);
}

void Canvas::rectangle(int x1, int y1, int x2, int y2)
{
    const bool solid = m_brushStyle == BrushStyle::Solid;
    drawRectangle(*m_bitmap, {x1, y1, x2, y2}, m_penColour, m_penWidth,
                  solid ? &m_brushColour : nullptr);
}

void Canvas::ellipse(int x1, int y1, int x2, int y2)
{
    const bool solid = m_brushStyle == BrushStyle::Solid;
    drawEllipse(*m_bitmap, {x1, y1, x2, y2}, m_penColour, m_penWidth,
                solid ? &m_brushColour : nullptr);
}

int Canvas::textWidth(const std::string& text) const
{
    FontEntry& entry = currentFont();
    auto it = entry.widths.find(text);
    if (it != entry.widths.end()) return it->second;
    return cachedWidth(text, fromCp1252(text));
}

int Canvas::textHeight(const std::string&) const
{
    return metrics().height();
}

void Canvas::textOut(int x, int y, const std::string& text)
{
    if (text.empty() || m_bitmap->isEmpty())
        return;
    const QString s = fromCp1252(text);
    const int w = cachedWidth(text, s);
    const int h = metrics().height();
    if (m_brushStyle == BrushStyle::Solid)
        ludomat::fillRect(*m_bitmap, Rect::fromXywh(x, y, w, h), m_brushColour);

    QImage image = m_bitmap->view();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(qtFont());
    painter.setPen(QColor::fromRgb(toPixel(m_font.colour)));
    // Text is anchored at its top-left corner as the platform does. Drawing at the baseline
    // point (one ascent down) skips the line layout a rectangle needs and gives the same
    // letters; underlined text keeps the rectangle form, which places the underline where the
    // toolkit's line layout puts it. The rectangle is only an anchor, so an italic overhang
    // is not clipped.
    FontEntry& entry = currentFont();
    auto found = entry.layouts.find(text);
    if (found == entry.layouts.end()) {
        constexpr size_t kMaxRememberedLayouts = 1024;
        if (entry.layouts.size() >= kMaxRememberedLayouts) entry.layouts.clear();
        QStaticText layout(s);
        layout.setTextFormat(Qt::PlainText);
        layout.prepare(QTransform(), entry.font);
        found = entry.layouts.emplace(text, std::move(layout)).first;
    }
    painter.drawStaticText(QPoint(x, y), found->second);
}

} // namespace ludomat
