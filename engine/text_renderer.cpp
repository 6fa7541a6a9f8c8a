#include "engine/text_renderer.h"

#include "engine/plot_drawing.h"

#include "graphics/screen_geometry.h"

#include <algorithm>
#include <limits>

namespace ludomat {

namespace {

// A place `offset` from `origin`, clamped as every drawing coordinate is: boxes and sizes may
// be far off, and the text's own extent is added to it later.
int offsetClamped(long long origin, long long offset)
{
    return int(std::clamp(origin + offset, -kCoordinateLimit, kCoordinateLimit));
}

}  // namespace

std::vector<PlacedToken> TextRenderer::render(std::string_view text, const TextBoxRect& box, const TextBoxStyle& style)
{
    text = trimBlanks(text);
    if (text.empty()) return {};

    m_canvas.setFont(Font{m_settings.fontFace, box.size, style.ink, style.bold, style.italic, style.underline});
    m_canvas.setBrushColour(style.paper.value_or(m_settings.paper()));
    m_canvas.setBrushStyle(style.paper ? BrushStyle::Solid : BrushStyle::Clear);

    // Every character takes at least a pixel of width, and no screen is wider than
    // kWidestScreen: a word longer than that shows only its start, and a line of the box no
    // more than the box's width plus one such word. A huge text is cut there instead of being
    // split and measured word by word.
    constexpr size_t kWidestScreen = 16384;
    const size_t lines = size_t(std::max(box.height, 0)) / size_t(std::max(lineStep(box.size), 1)) + 1;
    text = text.substr(0, lines * (size_t(std::max(box.width, 0)) + kWidestScreen + 2));
    std::vector<TextToken> tokens = splitTextTokens(text);
    for (TextToken& token : tokens)
        if (token.text.size() > kWidestScreen + 1) token.text.resize(kWidestScreen + 1);
    auto measure = [this](const std::string& s) { return m_canvas.textWidth(s); };
    std::vector<PlacedToken> placed = layoutTextTokens(tokens, box.width, box.height, box.size, measure);
    for (const PlacedToken& p : placed) {
        const TextToken& token = tokens[p.token];
        // A box far off the screen may place a word past the int range: it is clamped there.
        int x = offsetClamped(box.x, p.x), y = offsetClamped(box.y, p.y);
        if (token.kind == TextToken::Kind::Link)
            drawLink(token, x, y, p.width, box, style);
        else
            m_canvas.textOut(x, y, token.text);
    }
    return placed;
}

void TextRenderer::drawLink(const TextToken& link, int x, int y, int width, const TextBoxRect& box,
                            const TextBoxStyle& style)
{
    m_canvas.setFontColour(m_settings.link());
    m_canvas.textOut(x, y, link.text);
    m_canvas.setFontColour(style.ink);

    Hotspot spot;
    spot.x = x;
    spot.y = y;
    spot.width = width;
    spot.height = m_canvas.textHeight(link.text);
    spot.cursor = kLinkCursor;
    spot.text = link.text;
    spot.target = link.target;
    m_hotspots.add(std::move(spot));

    // The line sits just under the letters: one and a half text sizes down, less two pixels.
    long long below = (long long)box.size / 2 + box.size - 2 + scaledLength(m_settings.underlineOffset, m_scale);
    m_canvas.setPenColour(m_settings.linkLine());
    m_canvas.setPenWidth(scaledLength(m_settings.underlineWidth, m_scale));
    m_canvas.moveTo(x, offsetClamped(y, below));
    m_canvas.lineTo(offsetClamped(x, width), offsetClamped(y, below));
}

}  // namespace ludomat
