#pragma once
// Draws a word-wrapped text box onto a canvas: words in the box's ink, link words in the link
// colour with a line under them, each link entering the hotspot table with where it was drawn.

#include "engine/hotspot_table.h"
#include "engine/text_settings.h"
#include "graphics/canvas.h"
#include "graphics/text_layout.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ludomat {

// Where text boxes start before any box is drawn: the left and top insets of the screen.
constexpr int kTextInsetLeft = 5;
constexpr int kTextInsetTop = 8;

// The box being filled, in screen pixels, with its text size in points (both already scaled).
struct TextBoxRect {
    int x = kTextInsetLeft;
    int y = kTextInsetTop;
    int width = 0;
    int height = 0;
    int size = kStartTextSize;
};

// How one box's words look. A paper colour draws the words on that paper; without one they
// are drawn over the picture.
struct TextBoxStyle {
    Rgb ink = 0xFFFFFF;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::optional<Rgb> paper;
};

class TextRenderer {
public:
    // `scale` multiplies the link underline's width and offset.
    TextRenderer(Canvas& canvas, const TextSettings& settings, HotspotTable& hotspots, double scale)
        : m_canvas(canvas), m_settings(settings), m_hotspots(hotspots), m_scale(scale)
    {
    }

    // Lays out and draws the text (blanks around it removed) in the box; returns the tokens
    // as placed. The canvas keeps the box's font and brush afterwards: callers restore it.
    std::vector<PlacedToken> render(std::string_view text, const TextBoxRect& box, const TextBoxStyle& style);

private:
    void drawLink(const TextToken& link, int x, int y, int width, const TextBoxRect& box, const TextBoxStyle& style);

    Canvas& m_canvas;
    const TextSettings& m_settings;
    HotspotTable& m_hotspots;
    double m_scale;
};

}  // namespace ludomat
