// Canvas text where there is no toolkit (the web runtime): the same Liberation faces the desktop
// resolves, rasterised by stb_truetype and thresholded to one colour, since the desktop draws
// text without antialiasing. Metrics follow the desktop's rounding (ascent and descent rounded
// up, advances rounded to whole pixels), so layouts measure alike; the letters themselves are
// not hinted and may differ by a pixel here and there.
#include "graphics/canvas.h"

#include "graphics/blit.h"
#include "graphics/cp1252.h"

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <vector>

namespace ludomat {

namespace {

std::string g_fontFolder = "/fonts";

// One face file, loaded once for the life of the program.
struct FaceFile {
    std::vector<unsigned char> bytes;
    stbtt_fontinfo info{};
    bool valid = false;
};

std::string faceFileName(const std::string& face, bool bold, bool italic)
{
    std::string lower;
    for (char c : face) lower.push_back(char(std::tolower(static_cast<unsigned char>(c))));
    // The faces scripts name, and their metric-compatible twins; anything else is the sans face.
    std::string family = "LiberationSans";
    if (lower == "courier new" || lower == "courier" || lower == "liberation mono" || lower == "monospace")
        family = "LiberationMono";
    else if (lower == "times new roman" || lower == "times" || lower == "liberation serif" || lower == "serif")
        family = "LiberationSerif";
    const char* style = bold && italic ? "-BoldItalic" : bold ? "-Bold" : italic ? "-Italic" : "-Regular";
    return family + style + ".ttf";
}

const FaceFile& loadFace(const std::string& fileName)
{
    static std::unordered_map<std::string, std::unique_ptr<FaceFile>> faces;
    auto& slot = faces[fileName];
    if (slot) return *slot;
    slot = std::make_unique<FaceFile>();
    std::ifstream in(g_fontFolder + "/" + fileName, std::ios::binary);
    slot->bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!slot->bytes.empty())
        slot->valid =
            stbtt_InitFont(&slot->info, slot->bytes.data(), stbtt_GetFontOffsetForIndex(slot->bytes.data(), 0)) != 0;
    return *slot;
}

struct Glyph {
    int advance = 0;
    int left = 0;  // from the pen position
    int top = 0;   // from the baseline, negative upwards
    int width = 0;
    int height = 0;
    std::vector<unsigned char> mask;  // one byte a pixel, 0 or 1
};

}  // namespace

struct Canvas::FontEntry {
    const FaceFile* face = nullptr;
    float scale = 0;
    int ascent = 0;
    int descent = 0;
    bool underline = false;
    int underlineOffset = 1;
    int underlineThickness = 1;
    std::unordered_map<char32_t, Glyph> glyphs;

    const Glyph& glyph(char32_t codePoint)
    {
        auto found = glyphs.find(codePoint);
        if (found != glyphs.end()) return found->second;
        Glyph g;
        if (face->valid) {
            int advance = 0, bearing = 0;
            stbtt_GetCodepointHMetrics(&face->info, int(codePoint), &advance, &bearing);
            g.advance = int(std::lround(advance * scale));
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            stbtt_GetCodepointBitmapBox(&face->info, int(codePoint), scale, scale, &x0, &y0, &x1, &y1);
            g.left = x0;
            g.top = y0;
            g.width = std::max(0, x1 - x0);
            g.height = std::max(0, y1 - y0);
            g.mask.assign(size_t(g.width) * size_t(g.height), 0);
            if (!g.mask.empty()) {
                stbtt_MakeCodepointBitmap(&face->info, g.mask.data(), g.width, g.height, g.width, scale, scale,
                                          int(codePoint));
                // Half coverage or more is ink, as a one-bit rasteriser decides.
                for (unsigned char& m : g.mask) m = m >= 128 ? 1 : 0;
            }
        }
        return glyphs.emplace(codePoint, std::move(g)).first->second;
    }
};

void setFontFolder(const std::string& folder)
{
    g_fontFolder = folder;
}

Canvas::FontEntry& Canvas::currentFont() const
{
    if (m_current) return *m_current;
    std::string key;
    if (FontEntry* known = rememberedFont(key)) return *known;

    auto entry = std::make_shared<FontEntry>();
    entry->face = &loadFace(faceFileName(m_font.face, m_font.bold, m_font.italic));
    entry->underline = m_font.underline;
    const int pixels = pointsToPixels(m_font.size);
    if (entry->face->valid) {
        // The pixel size is the em, as the toolkit's pixel size is.
        entry->scale = stbtt_ScaleForMappingEmToPixels(&entry->face->info, float(pixels));
        int ascent = 0, descent = 0, gap = 0;
        stbtt_GetFontVMetrics(&entry->face->info, &ascent, &descent, &gap);
        entry->ascent = int(std::ceil(ascent * entry->scale - 1e-4f));
        entry->descent = int(std::ceil(-descent * entry->scale - 1e-4f));
    } else {
        entry->ascent = pixels;
    }
    entry->underlineThickness = std::max(1, int(std::lround(pixels / 14.0)));
    entry->underlineOffset = std::max(1, int(std::lround(pixels / 10.0)));
    m_current = entry;
    m_fonts->emplace(std::move(key), m_current);
    return *m_current;
}

int Canvas::textHeight(const std::string&) const
{
    const FontEntry& entry = currentFont();
    return entry.ascent + entry.descent;
}

int Canvas::textWidth(const std::string& text) const
{
    FontEntry& entry = currentFont();
    int width = 0;
    for (char c : text) width += entry.glyph(cp1252ToUnicode(static_cast<unsigned char>(c))).advance;
    return width;
}

void Canvas::textOut(int x, int y, const std::string& text)
{
    if (text.empty() || m_bitmap->isEmpty()) return;
    const int w = textWidth(text);
    FontEntry& entry = currentFont();
    if (m_brushStyle == BrushStyle::Solid)
        ludomat::fillRect(*m_bitmap, Rect::fromXywh(x, y, w, entry.ascent + entry.descent), m_brushColour);
    const int baseline = y + entry.ascent;
    int pen = x;
    for (char c : text) {
        const Glyph& g = entry.glyph(cp1252ToUnicode(static_cast<unsigned char>(c)));
        for (int row = 0; row < g.height; ++row) {
            const unsigned char* mask = g.mask.data() + size_t(row) * size_t(g.width);
            for (int col = 0; col < g.width; ++col)
                if (mask[col]) m_bitmap->setPixel(pen + g.left + col, baseline + g.top + row, m_font.colour);
        }
        pen += g.advance;
    }
    if (entry.underline)
        ludomat::fillRect(*m_bitmap, Rect::fromXywh(x, baseline + entry.underlineOffset, w, entry.underlineThickness),
                          m_font.colour);
}

}  // namespace ludomat
