#pragma once
// The current text style: the colours, font and style flags that text boxes, the clear commands
// and the drawing commands take their paper and ink from. They live as long as the program and
// are not reset by a run.

#include "engine/text_values.h"
#include "graphics/colour.h"

#include <string>

namespace ludomat {

// The size text starts with, in points.
constexpr int kStartTextSize = 16;
constexpr const char* kStartFontFace = "Courier New";

struct TextSettings {
    // Colours are kept as the script wrote them (six hex digits, red-green-blue) and converted
    // when applied, so an invalid text ends the run where it is used.
    std::string paperColour = "000000";
    std::string inkColour = "FFFFFF";
    std::string linkColour = "FFFFFF";
    std::string linkLineColour = "FFFFFF";
    std::string fontFace = kStartFontFace;
    int textSize = kStartTextSize;
    bool textBold = false;
    bool textItalic = false;
    bool textUnderline = false;
    // The line under link words: its width and extra downward offset, both multiplied by the
    // scale factor when used. A run sets them back to 1 and 0.
    int underlineWidth = 1;
    int underlineOffset = 0;

    // The colours as bitmap colours (0x00RRGGBB); invalid texts end the run.
    Rgb paper() const { return bgrToRgb(uint32_t(toColour(paperColour))); }
    Rgb ink() const { return bgrToRgb(uint32_t(toColour(inkColour))); }
    Rgb link() const { return bgrToRgb(uint32_t(toColour(linkColour))); }
    Rgb linkLine() const { return bgrToRgb(uint32_t(toColour(linkLineColour))); }
};

}  // namespace ludomat
