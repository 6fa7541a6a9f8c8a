#pragma once
// The figure editor's pictures, drawn in code like the window's skin: the tool buttons (up and
// down), the kind title pictures, the intro pictures shown on the screen and the palette.

#include "studio/editors/drawing/figure_lines.h"

#include <QImage>
#include <QPixmap>

namespace ludomat::drawing_art {

inline constexpr QSize kToolButtonSize{35, 23};
inline constexpr QSize kTitleSize{100, 40};
inline constexpr int kPaletteSide = 100;

// Tool 1..7 as its button shows it, raised or pressed.
QPixmap toolButton(int tool, bool down);
// The kind's title: a pictogram and the kind's name.
QPixmap kindTitle(FigureKind kind, QSize size = kTitleSize);
// The small picture that opens the tile-map editor.
QPixmap tileMapPicture(QSize size);
// 760 x 420, shown on the screen the first time a kind is opened.
QImage introPicture(FigureKind kind);
// 100 x 100 in blocks of 10 x 10: ten hues across, from light down to dark in nine rows, and a
// row of greys from white to black at the bottom. Exact colours, no smoothing, so a pick is
// the colour the user sees.
QImage palette();

}  // namespace ludomat::drawing_art
