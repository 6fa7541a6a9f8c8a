#pragma once
// The sizes the plot and drawing commands share with the figure and tile-map editors: the plot
// (and tile) size, the pixel size and pen width, and the cursor "lineplot" draws from. They live
// as long as the program; a new run does not reset them.

#include "graphics/plot_matrix.h"
#include "graphics/screen_buffers.h"

#include <algorithm>

namespace ludomat {

constexpr int kStartPlotSide = 5;
// The matrix has one cell for every 4 x 4 block of the screen, so no plot may be smaller.
constexpr int kMinPlotSide = 4;
static_assert(kBaseWidth / kMinPlotSide == kPlotColumns && kBaseHeight / kMinPlotSide == kPlotRows);
constexpr int kStartPixelSize = 1;

// Column and row of the plot grid where "lineplot" draws its next row.
struct PlotCursor {
    int column = 0;
    int row = 0;
};

class PlotSettings {
public:
    int plotWidth() const { return m_plotWidth; }
    int plotHeight() const { return m_plotHeight; }
    // Sides below the smallest plot become the smallest plot.
    void setPlotSize(int width, int height)
    {
        m_plotWidth = std::max(width, kMinPlotSide);
        m_plotHeight = std::max(height, kMinPlotSide);
    }

    // The grid laid over the screen: 760 div width columns and 420 div height rows, never more
    // than the matrix holds.
    int gridColumns() const { return kBaseWidth / m_plotWidth; }
    int gridRows() const { return kBaseHeight / m_plotHeight; }
    // The cells "setplot", "getplot" and "ifplot" accept: those of the grid on the screen.
    bool inGrid(long long column, long long row) const
    {
        return column >= 0 && column < gridColumns() && row >= 0 && row < gridRows();
    }

    // Side of a drawn pixel block and pen width of lines and outlines; any value is kept.
    int pixelSize() const { return m_pixelSize; }
    void setPixelSize(int size) { m_pixelSize = size; }

    PlotCursor& plotCursor() { return m_cursor; }
    const PlotCursor& plotCursor() const { return m_cursor; }

private:
    int m_plotWidth = kStartPlotSide;
    int m_plotHeight = kStartPlotSide;
    int m_pixelSize = kStartPixelSize;
    PlotCursor m_cursor;
};

}  // namespace ludomat
