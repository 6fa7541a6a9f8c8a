#include "graphics/screen_buffers.h"

namespace ludomat {

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
}

}  // namespace ludomat
