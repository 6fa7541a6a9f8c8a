#include "studio/editors/tilemap/map_edits.h"

#include <algorithm>

namespace ludomat {

PaintTile::PaintTile(MapGrid& grid, std::vector<CellChange> changes, bool applied, std::function<void()> changed,
                     const QString& text)
    : QUndoCommand(text), m_grid(grid), m_changes(std::move(changes)), m_skipRedo(applied),
      m_changed(std::move(changed))
{
}

void PaintTile::redo()
{
    if (m_skipRedo) {
        m_skipRedo = false;
        return;
    }
    for (const CellChange& change : m_changes) m_grid.setCellText(change.column, change.row, change.after);
    m_changed();
}

void PaintTile::undo()
{
    // Backwards, so a cell painted twice in one stroke gets its first text back.
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) m_grid.setCellText(it->column, it->row, it->before);
    m_changed();
}

ResizeMap::ResizeMap(MapGrid& grid, Kind kind, std::function<void()> changed)
    : m_grid(grid), m_kind(kind), m_changed(std::move(changed))
{
    setText(kind == Kind::AddRow ? "+ linha" : kind == Kind::AddColumn ? "+ coluna" : "clearmap");
    if (kind == Kind::Clear) m_before = grid;
}

void ResizeMap::redo()
{
    switch (m_kind) {
    case Kind::AddRow: m_grid.addRow(); break;
    case Kind::AddColumn: m_grid.addColumn(); break;
    case Kind::Clear: {
        std::string name = m_grid.name();
        m_grid.clear();
        m_grid.setName(name);
        break;
    }
    }
    m_changed();
}

void ResizeMap::undo()
{
    switch (m_kind) {
    case Kind::AddRow: m_grid.resize(m_grid.columns(), m_grid.rows() - 1); break;
    case Kind::AddColumn: m_grid.resize(m_grid.columns() - 1, m_grid.rows()); break;
    case Kind::Clear: {
        std::string name = m_grid.name();
        m_grid = m_before;
        m_grid.setName(name);
        break;
    }
    }
    m_changed();
}

AddTile::AddTile(TileSet& tiles, int tileWidth, int tileHeight, Rgb colour, std::function<void()> changed)
    : QUndoCommand("[ + ]"), m_tiles(tiles), m_tileWidth(tileWidth), m_tileHeight(tileHeight), m_colour(colour),
      m_changed(std::move(changed))
{
}

void AddTile::redo()
{
    m_before = m_tiles.picture();
    const Bitmap& old = m_before;
    Bitmap wider(old.width() + m_tileWidth, std::max(old.height(), m_tileHeight), m_colour);
    for (int y = 0; y < old.height(); ++y) std::copy_n(old.scanLine(y), old.width(), wider.scanLine(y));
    m_tiles.setPicture(std::move(wider));
    m_changed();
}

void AddTile::undo()
{
    m_tiles.setPicture(m_before);
    m_changed();
}

std::vector<CellChange> rectangleFill(const MapGrid& grid, int c0, int r0, int c1, int r1, const std::string& text)
{
    std::vector<CellChange> out;
    int left = std::max(std::min(c0, c1), 0), right = std::min(std::max(c0, c1), grid.columns() - 1);
    int top = std::max(std::min(r0, r1), 0), bottom = std::min(std::max(r0, r1), grid.rows() - 1);
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c)
            if (grid.cellText(c, r) != text) out.push_back({c, r, grid.cellText(c, r), text});
    return out;
}

std::vector<CellChange> bucketFill(const MapGrid& grid, int column, int row, const std::string& text)
{
    std::vector<CellChange> out;
    if (!grid.contains(column, row)) return out;
    const std::string target = grid.cellText(column, row);
    if (target == text) return out;
    // An explicit stack and a visited map: a million-cell region must not recurse.
    const int columns = grid.columns();
    std::vector<char> seen(size_t(columns) * size_t(grid.rows()), 0);
    std::vector<std::pair<int, int>> stack{{column, row}};
    seen[size_t(row) * size_t(columns) + size_t(column)] = 1;
    while (!stack.empty()) {
        auto [c, r] = stack.back();
        stack.pop_back();
        out.push_back({c, r, target, text});
        const std::pair<int, int> next[] = {{c + 1, r}, {c - 1, r}, {c, r + 1}, {c, r - 1}};
        for (auto [nc, nr] : next) {
            if (!grid.contains(nc, nr)) continue;
            char& mark = seen[size_t(nr) * size_t(columns) + size_t(nc)];
            if (mark || grid.cellText(nc, nr) != target) continue;
            mark = 1;
            stack.push_back({nc, nr});
        }
    }
    return out;
}

}  // namespace ludomat
