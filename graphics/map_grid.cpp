#include "graphics/map_grid.h"

#include <algorithm>
#include <charconv>

namespace ludomat {

namespace {
const std::string kNoText;
const std::string kEmptyCell = "0";
}  // namespace

const std::string& MapGrid::cellText(int column, int row) const
{
    return contains(column, row) ? m_cells[index(column, row)] : kNoText;
}

void MapGrid::setCellText(int column, int row, std::string_view text)
{
    if (contains(column, row)) m_cells[index(column, row)].assign(text);
}

void MapGrid::setTile(int column, int row, int tile)
{
    if (contains(column, row)) m_cells[index(column, row)] = std::to_string(tile);
}

std::optional<int> MapGrid::tile(int column, int row) const
{
    const std::string& text = cellText(column, row);
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

void MapGrid::resize(int columns, int rows)
{
    columns = std::clamp(columns, 0, kMaxMapColumns);
    rows = std::clamp(rows, 0, kMaxMapRows);
    std::vector<std::string> cells(size_t(columns) * size_t(rows), kEmptyCell);
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        for (int c = 0; c < std::min(columns, m_columns); ++c)
            cells[size_t(r) * size_t(columns) + size_t(c)] = std::move(m_cells[index(c, r)]);
    m_cells = std::move(cells);
    m_columns = columns;
    m_rows = rows;
}

void MapGrid::clear()
{
    m_cells.assign(1, kEmptyCell);
    m_columns = 1;
    m_rows = 1;
}

}  // namespace ludomat
