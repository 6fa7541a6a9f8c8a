#pragma once
// The bitmaps a running script draws through: the off-screen ScreenBuffer, the second page
// BackBuffer, the picture of the run-time screen Tela, and the staging pictures for shapes,
// frame strips and backgrounds. Canvases keep their pen, brush and font between commands.

#include "graphics/bitmap.h"
#include "graphics/canvas.h"

namespace ludomat {

// The script screen: every script coordinate refers to this size.
constexpr int kBaseWidth = 760;
constexpr int kBaseHeight = 420;

class ScreenBuffers {
public:
    ScreenBuffers();
    ScreenBuffers(const ScreenBuffers&) = delete;
    ScreenBuffers& operator=(const ScreenBuffers&) = delete;

    Bitmap screenBuffer;
    Bitmap backBuffer;
    Bitmap tela;
    Bitmap shapeBuffer;
    Bitmap frameStrip;
    Bitmap backgroundBuffer;

    Canvas screenCanvas{screenBuffer};
    Canvas backCanvas{backBuffer};
    Canvas telaCanvas{tela};
    Canvas shapeCanvas{shapeBuffer};
};

}  // namespace ludomat
