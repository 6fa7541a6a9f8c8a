#pragma once
// The tile map shared by the tile-map commands and the tile-map editor: a grid of cells, each
// holding a tile number as decimal text ("0" is an empty cell). Cells are text because the
// editor lets the user type into them; they are read as numbers only when drawn or saved.
// The editor's header row and column (0, 1, 2, ...) are not stored: they follow from the size.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ludomat {

// Where the map was last drawn: the start cell on the screen grid (px, py), the size of the
// window in cells and the map cell shown at its top-left.
struct MapView {
    int px = 0;
    int py = 0;
    // One cell until a script or the editor says otherwise, so the editor's first "ver" shows something.
    int width = 1;
    int height = 1;
    int firstRow = 0;
    int firstColumn = 0;

    bool operator==(const MapView&) const = default;
};

// Maps larger than this either way are refused, so a damaged or hostile file cannot take the
// memory of a million-cell grid times its text; a map this size is some 500 screens already.
constexpr int kMaxMapColumns = 1000;
constexpr int kMaxMapRows = 1000;

class MapGrid {
public:
    // A fresh map: one empty cell, as the editor's "clearmap" leaves it.
    MapGrid() { clear(); }

    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    // The editor's grid, headers included: one more row and one more column than the map.
    int gridColumns() const { return m_columns + 1; }
    int gridRows() const { return m_rows + 1; }
    bool contains(long long column, long long row) const
    {
        return column >= 0 && column < m_columns && row >= 0 && row < m_rows;
    }

    // Cell text of map column, row; outside the map, empty.
    const std::string& cellText(int column, int row) const;
    // Ignored outside the map.
    void setCellText(int column, int row, std::string_view text);
    void setTile(int column, int row, int tile);
    // The cell as a whole decimal number; nullopt for text that is not one.
    std::optional<int> tile(int column, int row) const;

    // New size, both sides limited to 0..kMax; kept cells stay, new cells are "0".
    void resize(int columns, int rows);
    // One empty cell.
    void clear();
    // The editor's " + linha" and " + coluna": one more row or column of empty cells.
    void addRow() { resize(m_columns, m_rows + 1); }
    void addColumn() { resize(m_columns + 1, m_rows); }

    // The name of the map file this grid was last read from ("" when none).
    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    bool operator==(const MapGrid& other) const
    {
        return m_columns == other.m_columns && m_rows == other.m_rows && m_cells == other.m_cells;
    }

private:
    size_t index(int column, int row) const { return size_t(row) * size_t(m_columns) + size_t(column); }

    int m_columns = 0;
    int m_rows = 0;
    std::vector<std::string> m_cells;  // row by row
    std::string m_name;
};

}  // namespace ludomat
