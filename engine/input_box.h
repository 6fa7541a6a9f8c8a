#pragma once
// The text box a script can place over the run-time screen ("input="): where it is, how it
// looks, which register receives the answer and what starts when Enter is pressed. The window
// (or the headless runner) shows it; the engine keeps its state.

#include "graphics/colour.h"

#include <string>

namespace ludomat {

struct InputBoxStyle {
    std::string fontFace = "Courier New";
    int fontSize = 16;  // points, already multiplied by the scale factor
    Rgb background = 0xFFFFFF;
    Rgb ink = 0x000000;
    bool border = true;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

struct InputBox {
    bool visible = false;
    int registerIndex = 0;
    // ":" + label, a script name (optionally with "&" arguments), or empty: only store the text.
    std::string target;
    bool upperCase = false;
    // Screen-picture pixels, already multiplied by the scale factor.
    int left = 0;
    int top = 0;
    int width = 100;
    int height = 30;
    // What the box holds when shown: the register's old text, offered for editing (CP1252).
    std::string text;
    InputBoxStyle style;
};

}  // namespace ludomat
