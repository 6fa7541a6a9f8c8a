#include "graphics/plot_grid.h"

#include "graphics/blit.h"

namespace ludomat {

void drawPlotGrid(Bitmap& target, int plotWidth, int plotHeight, int screenWidth, int screenHeight)
{
    if (plotWidth < 1 || plotHeight < 1) return;
    for (int i = 0; i <= screenWidth / plotWidth; ++i)
        fillRect(target, Rect::fromXywh(i * plotWidth, 0, 1, screenHeight), kPlotGridColour);
    for (int j = 0; j <= screenHeight / plotHeight; ++j)
        fillRect(target, Rect::fromXywh(0, j * plotHeight, screenWidth, 1), kPlotGridColour);
}

}  // namespace ludomat
