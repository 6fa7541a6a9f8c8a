#pragma once
// The editor pages' own pictures, drawn in code in the studio's look: the intro pictures shown on
// the run-time screen the first time a page opens, and the colour palette.

#include <QImage>

namespace ludomat::editor_art {

// 760 x 420: the tile-map editor's intro, a small level built of tiles with the page's steps.
QImage tileMapIntro();
// 760 x 420: the sprite editor's intro, a sheet of frames and a collision box.
QImage spriteIntro();
// A square palette: hues across, light to dark down, and a strip of greys at the bottom.
QImage colourPalette(int side);

}  // namespace ludomat::editor_art
