#pragma once
// The drawing behind the plot and pixel commands: scaled script coordinates, plot cells, pixel
// blocks, pattern rows and the picture-to-plots scan. Plain functions over bitmaps and the plot
// state, so the command handlers only read parameters and call them.

#include "engine/plot_settings.h"
#include "graphics/bitmap.h"
#include "graphics/plot_matrix.h"
#include "graphics/rect.h"
#include "graphics/screen_geometry.h"

#include <functional>
#include <string_view>

namespace ludomat {

// Coordinates are kept within this distance of the origin, far outside any bitmap, so that a
// corner plus a size still fits in an int. Anything beyond is off the bitmap either way.
constexpr long long kCoordinateLimit = 1LL << 29;

// The widest pen lines and outlines get. It reaches 4096 pixels each way, across the whole of
// any full-screen buffer up to 3500 pixels wide; wider pens would only cost time and memory.
constexpr int kMaxPenWidth = 8192;

// A script coordinate or size on the buffer: scaledLength (the one scaling rule of the screen
// commands) clamped to kCoordinateLimit.
int scaled(double value, double scale);

// A rectangle from its edges, each clamped to kCoordinateLimit.
Rect clampedRect(double left, double top, double right, double bottom);

// The buffer rectangle of plot cell (column, row): trunc(c x w x s), trunc(r x h x s) with a
// size of trunc(w x s) x trunc(h x s). A scale of 1 gives the unscaled cell.
Rect plotCellRect(const PlotSettings& settings, long long column, long long row, double scale);

// The pen width for lines and outlines: trunc(pixel size x scale), 0 (the thinnest pen) for
// negative sizes, at most kMaxPenWidth.
int penWidthFor(int pixelSize, double scale);

// A "pixel": n x n points with n = trunc(size x scale), point (i, j) at the scaled (x + i, y + j).
// At scale 1 that is a solid n x n block with its top-left corner at (x, y).
void drawPixelBlock(Bitmap& target, int x, int y, int size, double scale, Rgb colour);

// One row of a plot figure: character k (from 1) of the pattern, when "1" or "X", fills the
// scaled cell (cursor column + k, cursor row) in `colour` and sets it in the matrix. The cursor
// then moves one row down. Cells outside the matrix are drawn but not recorded.
void drawPatternRow(Bitmap& target, PlotMatrix& matrix, PlotCursor& cursor, const PlotSettings& settings,
                    std::string_view pattern, Rgb colour, double scale);

// Where the picture-to-plots scan has got to, for the caller's display.
enum class ScanPoint { Plot, RowEnd };

// Turns each pixel (i, j) of `picture`, row by row, into an unscaled plot of its colour at cell
// (column0 + i, row0 + j); the cell becomes 0 where the colour is `paper` and kPlotSet elsewhere.
// `step` runs after every plot and after every row; when it returns false the scan stops.
void scanPictureToPlots(const Bitmap& picture, Bitmap& target, PlotMatrix& matrix, const PlotSettings& settings,
                        long long column0, long long row0, Rgb paper, const std::function<bool(ScanPoint)>& step);

}  // namespace ludomat
