#pragma once
// The bitmaps a running script draws through: the off-screen ScreenBuffer, the second page
// BackBuffer, the picture of the run-time screen Tela, and the staging pictures for shapes,
// frame strips and backgrounds. Canvases keep their pen, brush and font between commands.

#include "graphics/bitmap.h"
#include "graphics/canvas.h"
#include "graphics/frame_strip.h"
#include "graphics/screen_geometry.h"

namespace ludomat {

enum class ScrollDirection { Up, Down, Left, Right };

class ScreenBuffers {
public:
    ScreenBuffers();
    ScreenBuffers(const ScreenBuffers&) = delete;
    ScreenBuffers& operator=(const ScreenBuffers&) = delete;

    Bitmap screenBuffer;
    Bitmap backBuffer;
    Bitmap tela;
    Bitmap shapeBuffer;
    FrameStrip frameStrip;
    Bitmap backgroundBuffer;

    Canvas screenCanvas{screenBuffer};
    Canvas backCanvas{backBuffer};
    Canvas telaCanvas{tela};
    Canvas shapeCanvas{shapeBuffer};

    // New size for the buffer and the screen picture (a mode switch); the top-left part that
    // still fits is kept, new pixels are white. The BackBuffer keeps its size.
    void resizeScreen(int width, int height);
    // Back from the full-screen mode: the screen picture is shrunk into the base size, so the
    // last picture stays visible, and the buffer takes the base size too.
    void returnToBaseSize();

    // The buffer onto the screen picture: all of it at (0, 0), or one rectangle to the same
    // place. Plain copies, no transparency.
    void refresh();
    void refresh(const Rect& area);
    // The screen picture back into the buffer, the same two ways.
    void copyScreenToBuffer();
    void copyScreenToBuffer(const Rect& area);
    // Between the buffer and the BackBuffer: the whole source at (0, 0), or one rectangle.
    void copyBufferToBack();
    void copyBufferToBack(const Rect& area);
    void copyBackToBuffer();
    void copyBackToBuffer(const Rect& area);
    // Exchanges one rectangle of the buffer and the BackBuffer through the ShapeBuffer. The
    // rectangle is first cut to both bitmaps, so no size asks for more memory than they hold.
    void swapWithBack(const Rect& area);

    // Moves the area by `step` pixels and fills the uncovered strip with the buffer's brush.
    // A step of the area's full extent or more leaves the whole area filled; a negative step
    // moves nothing.
    void scroll(ScrollDirection direction, const Rect& area, int step);
    // Mirrors the whole buffer left to right, or top to bottom.
    void flip(bool horizontal);

    // Frame n of the strip through the ShapeBuffer onto the buffer, scaled into `dest`, with
    // the magenta key see-through. A frame that does not exist draws nothing.
    void drawFrame(int n, const Rect& dest);
};

}  // namespace ludomat
