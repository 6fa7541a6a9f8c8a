#pragma once
// The one routine that draws a window of the tile map onto the ScreenBuffer, shared by the
// "tilemap" command and the tile-map editor's "ver", so both show a map the same way.

#include "graphics/map_grid.h"

namespace ludomat {

class Engine;

// Draws map cells (first column, first row) onward into plot cells (px, py) onward, `width` x
// `height` cells, with the magenta key see-through. Empty cells ("0") and cells beyond the map
// are left alone. With `recordTiles` each drawn tile number also goes into the plot matrix.
// A cell that is not a number throws the conversion ScriptError.
void drawMapWindow(Engine& engine, const MapView& view, bool recordTiles);

}  // namespace ludomat
