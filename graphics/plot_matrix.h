#pragma once
// The grid of big "plots" laid over the screen: which cells are set, and the tile numbers the
// tile-map commands draw. 190 x 105 is the 760 x 420 screen divided by the smallest plot, 4 x 4.

#include <array>
#include <cstddef>
#include <cstdint>

namespace ludomat {

constexpr int kPlotColumns = 190;
constexpr int kPlotRows = 105;

// The value "plot", "lineplot" and "scanplot" give a set cell; 0 is an empty one.
constexpr uint8_t kPlotSet = 255;

class PlotMatrix {
public:
    // Wide integers, so callers can ask about computed cells (a cursor plus an offset) without
    // overflowing first.
    static bool contains(long long column, long long row)
    {
        return column >= 0 && column < kPlotColumns && row >= 0 && row < kPlotRows;
    }
    // Cells outside the matrix read as 0 and are never written.
    uint8_t cell(long long column, long long row) const
    {
        return contains(column, row) ? m_cells[index(column, row)] : 0;
    }
    void setCell(long long column, long long row, uint8_t value)
    {
        if (contains(column, row)) m_cells[index(column, row)] = value;
    }
    void clear() { m_cells.fill(0); }

private:
    static size_t index(long long column, long long row) { return size_t(column) * kPlotRows + size_t(row); }
    std::array<uint8_t, kPlotColumns * kPlotRows> m_cells{};
};

}  // namespace ludomat
