#include "graphics/screen_buffers.h"

#include "graphics/blit.h"

#include <algorithm>

namespace ludomat {

namespace {

Rect wholeOf(const Bitmap& bitmap) { return {0, 0, bitmap.width(), bitmap.height()}; }

// The part of `area` that lies inside both bitmaps.
Rect clipToBoth(const Rect& area, const Bitmap& a, const Bitmap& b)
{
    Rect r = area.normalized();
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min({r.right, a.width(), b.width()});
    r.bottom = std::min({r.bottom, a.height(), b.height()});
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

}  // namespace

ScreenBuffers::ScreenBuffers()
    : screenBuffer(kBaseWidth, kBaseHeight, 0x000000),
      backBuffer(kBaseWidth, kBaseHeight, 0xFFFFFF),
      tela(kBaseWidth, kBaseHeight, 0x000000)
{
    // The screen starts with black paper and white "Courier New" ink at 16 points.
    screenCanvas.setBrushColour(0x000000);
    screenCanvas.setPenColour(0xFFFFFF);
    screenCanvas.setFont(Font{"Courier New", 16, 0xFFFFFF, false, false, false});
    telaCanvas.setBrushColour(0x000000);
    telaCanvas.setFont(Font{"Courier New", 16, 0xFFFFFF, false, false, false});
    // Until a picture is loaded into it, the staging picture is keyed by its bottom-left pixel.
    shapeBuffer.setTransparent(true);
    shapeBuffer.setAutomaticTransparentKey();
    frameStrip.picture.setTransparent(true);
}

void ScreenBuffers::resizeScreen(int width, int height)
{
    screenBuffer.resize(width, height);
    tela.resize(width, height);
}

void ScreenBuffers::returnToBaseSize()
{
    if (tela.width() != kBaseWidth || tela.height() != kBaseHeight) {
        Bitmap shrunk(kBaseWidth, kBaseHeight);
        stretchCopy(shrunk, wholeOf(shrunk), tela, wholeOf(tela));
        tela = std::move(shrunk);
    }
    screenBuffer.resize(kBaseWidth, kBaseHeight);
}

void ScreenBuffers::refresh()
{
    Rect all = wholeOf(screenBuffer);
    stretchCopy(tela, all, screenBuffer, all);
}

void ScreenBuffers::refresh(const Rect& area) { stretchCopy(tela, area, screenBuffer, area); }

void ScreenBuffers::copyScreenToBuffer()
{
    Rect all = wholeOf(tela);
    stretchCopy(screenBuffer, all, tela, all);
}

void ScreenBuffers::copyScreenToBuffer(const Rect& area) { stretchCopy(screenBuffer, area, tela, area); }

void ScreenBuffers::copyBufferToBack()
{
    Rect all = wholeOf(screenBuffer);
    stretchCopy(backBuffer, all, screenBuffer, all);
}

void ScreenBuffers::copyBufferToBack(const Rect& area) { stretchCopy(backBuffer, area, screenBuffer, area); }

void ScreenBuffers::copyBackToBuffer()
{
    Rect all = wholeOf(backBuffer);
    stretchCopy(screenBuffer, all, backBuffer, all);
}

void ScreenBuffers::copyBackToBuffer(const Rect& area) { stretchCopy(screenBuffer, area, backBuffer, area); }

void ScreenBuffers::swapWithBack(const Rect& area)
{
    Rect r = clipToBoth(area, screenBuffer, backBuffer);
    if (r.width() == 0 || r.height() == 0) return;
    Rect staged{0, 0, r.width(), r.height()};
    shapeBuffer.resize(r.width(), r.height());
    stretchCopy(shapeBuffer, staged, screenBuffer, r);
    stretchCopy(screenBuffer, r, backBuffer, r);
    stretchCopy(backBuffer, r, shapeBuffer, staged);
}

void ScreenBuffers::scroll(ScrollDirection direction, const Rect& area, int step)
{
    const int x = area.left, y = area.top, w = area.width(), h = area.height();
    const bool vertical = direction == ScrollDirection::Up || direction == ScrollDirection::Down;
    const int extent = vertical ? h : w;
    if (step < 0 || extent <= 0 || w <= 0 || h <= 0) return;
    const int d = std::min(step, extent);
    switch (direction) {
    case ScrollDirection::Up:
        stretchCopy(screenBuffer, Rect::fromXywh(x, y, w, h - d), screenBuffer, Rect::fromXywh(x, y + d, w, h - d));
        screenCanvas.fillRect(Rect::fromXywh(x, y + h - d, w, d));
        break;
    case ScrollDirection::Down:
        stretchCopy(screenBuffer, Rect::fromXywh(x, y + d, w, h - d), screenBuffer, Rect::fromXywh(x, y, w, h - d));
        screenCanvas.fillRect(Rect::fromXywh(x, y, w, d));
        break;
    case ScrollDirection::Left:
        stretchCopy(screenBuffer, Rect::fromXywh(x, y, w - d, h), screenBuffer, Rect::fromXywh(x + d, y, w - d, h));
        screenCanvas.fillRect(Rect::fromXywh(x + w - d, y, d, h));
        break;
    case ScrollDirection::Right:
        stretchCopy(screenBuffer, Rect::fromXywh(x + d, y, w - d, h), screenBuffer, Rect::fromXywh(x, y, w - d, h));
        screenCanvas.fillRect(Rect::fromXywh(x, y, d, h));
        break;
    }
}

void ScreenBuffers::flip(bool horizontal)
{
    const int w = screenBuffer.width(), h = screenBuffer.height();
    // A source running backwards mirrors the copy.
    Rect source = horizontal ? Rect{w - 1, 0, -1, h} : Rect{0, h - 1, w, -1};
    stretchCopy(screenBuffer, wholeOf(screenBuffer), screenBuffer, source);
}

void ScreenBuffers::drawFrame(int n, const Rect& dest)
{
    if (!frameStrip.hasFrame(n)) return;
    const int w = frameStrip.frameWidth(), h = frameStrip.frameHeight();
    shapeBuffer.resize(w, h);
    stretchCopy(shapeBuffer, {0, 0, w, h}, frameStrip.picture, frameStrip.frameRect(n));
    // Frames come from a loaded picture, so magenta is their see-through colour whatever the
    // staging picture held before.
    shapeBuffer.setTransparent(true);
    shapeBuffer.setTransparentKey(kTransparentKey);
    screenCanvas.stretchDraw(dest, shapeBuffer);
}

}  // namespace ludomat
