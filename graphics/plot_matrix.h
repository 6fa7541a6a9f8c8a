#pragma once
// The grid of big "plots" laid over the screen: which cells are set, and the tile numbers the
// tile-map commands draw. 190 x 105 is the 760 x 420 screen divided by the smallest plot, 4 x 4.

#include <array>
#include <cstdint>

namespace ludomat {

constexpr int kPlotColumns = 190;
constexpr int kPlotRows = 105;

class PlotMatrix {
public:
    static bool contains(int column, int row)
    {
        return column >= 0 && column < kPlotColumns && row >= 0 && row < kPlotRows;
    }
    // Cells outside the matrix read as 0 and are never written.
    uint8_t cell(int column, int row) const { return contains(column, row) ? m_cells[index(column, row)] : 0; }
    void setCell(int column, int row, uint8_t value)
    {
        if (contains(column, row)) m_cells[index(column, row)] = value;
    }
    void clear() { m_cells.fill(0); }

private:
    static size_t index(int column, int row) { return size_t(column) * kPlotRows + size_t(row); }
    std::array<uint8_t, kPlotColumns * kPlotRows> m_cells{};
};

}  // namespace ludomat
