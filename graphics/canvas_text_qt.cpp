// Canvas text on the desktop: the toolkit's fonts (fontconfig finds the faces), drawn without
// antialiasing.
#include "graphics/canvas.h"

#include "graphics/blit.h"
#include "graphics/cp1252.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QStaticText>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace ludomat {

// Building a toolkit font and measuring text both cost far more than drawing it, and a text
// box switches fonts and back on every print; so each font used keeps its toolkit font,
// metrics and the widths of the texts measured in it.
struct Canvas::FontEntry {
    QFont font;
    QFontMetrics metrics;
    std::unordered_map<std::string, int> widths;
    std::unordered_map<std::string, QStaticText> layouts;  // shaped once, drawn many times
};

namespace {

// Scripts name the faces of the original platform; these Liberation faces have the same
// metrics, so text measures the same.
void installFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    });
}

}  // namespace

Canvas::FontEntry& Canvas::currentFont() const
{
    if (m_current) return *m_current;
    std::string key;
    if (FontEntry* known = rememberedFont(key)) return *known;

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

namespace {

int cachedWidth(Canvas::FontEntry& entry, const std::string& text, const QString& converted)
{
    // A bound on remembered texts keeps a script printing ever new numbers from growing it.
    constexpr size_t kMaxRememberedWidths = 4096;
    auto it = entry.widths.find(text);
    if (it != entry.widths.end()) return it->second;
    if (entry.widths.size() >= kMaxRememberedWidths) entry.widths.clear();
    int width = entry.metrics.horizontalAdvance(converted);
    entry.widths.emplace(text, width);
    return width;
}

}  // namespace

int Canvas::textHeight(const std::string&) const
{
    return currentFont().metrics.height();
}

int Canvas::textWidth(const std::string& text) const
{
    FontEntry& entry = currentFont();
    auto it = entry.widths.find(text);
    if (it != entry.widths.end()) return it->second;
    return cachedWidth(entry, text, fromCp1252(text));
}

void Canvas::textOut(int x, int y, const std::string& text)
{
    if (text.empty() || m_bitmap->isEmpty()) return;
    const QString s = fromCp1252(text);
    const int w = cachedWidth(currentFont(), text, s);
    const int h = currentFont().metrics.height();
    if (m_brushStyle == BrushStyle::Solid) ludomat::fillRect(*m_bitmap, Rect::fromXywh(x, y, w, h), m_brushColour);

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

}  // namespace ludomat
