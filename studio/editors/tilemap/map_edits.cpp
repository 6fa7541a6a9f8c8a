#include "studio/editors/tilemap/map_edits.h"

#include <algorithm>

namespace ludomat {

void CellEdit::add(int column, int row, const std::string& before)
{
    uint32_t index = uint32_t(row) * uint32_t(m_columns) + uint32_t(column);
    if (!m_runs.empty() && m_runs.back().first + m_runs.back().count == index) ++m_runs.back().count;
    else m_runs.push_back({index, 1});
    if (!m_befores.empty() && m_befores.back().second == before) ++m_befores.back().first;
    else m_befores.emplace_back(1, before);
    ++m_count;
}

void CellEdit::forEach(const std::function<void(int, int, const std::string&)>& visit) const
{
    auto before = m_befores.begin();
    uint32_t leftInBefore = before == m_befores.end() ? 0 : before->first;
    for (const Run& run : m_runs) {
        for (uint32_t index = run.first; index < run.first + run.count; ++index) {
            if (leftInBefore == 0) leftInBefore = (++before)->first;
            --leftInBefore;
            visit(int(index % uint32_t(m_columns)), int(index / uint32_t(m_columns)), before->second);
        }
    }
}

PaintTile::PaintTile(MapGrid& grid, CellEdit cells, std::string after, bool applied, std::function<void()> changed,
                     const QString& text)
    : QUndoCommand(text), m_grid(grid), m_cells(std::move(cells)), m_after(std::move(after)), m_skipRedo(applied),
      m_changed(std::move(changed))
{
}

void PaintTile::redo()
{
    if (m_skipRedo) {
        m_skipRedo = false;
        return;
    }
    m_cells.forEach([this](int c, int r, const std::string&) { m_grid.setCellText(c, r, m_after); });
    m_changed();
}

void PaintTile::undo()
{
    // Steps are undone in order, so the map has the size it had when this one was made.
    m_cells.forEach([this](int c, int r, const std::string& before) { m_grid.setCellText(c, r, before); });
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

PaintPixels::PaintPixels(TileSet& tiles, Bitmap before, Bitmap after, std::function<void()> changed)
    : QUndoCommand("pixels do tile"), m_tiles(tiles), m_before(std::move(before)), m_after(std::move(after)),
      m_changed(std::move(changed))
{
}

void PaintPixels::redo()
{
    if (m_skipRedo) {
        m_skipRedo = false;
        return;
    }
    m_tiles.setPicture(m_after);
    m_changed();
}

void PaintPixels::undo()
{
    m_tiles.setPicture(m_before);
    m_changed();
}

CellEdit rectangleFill(const MapGrid& grid, int c0, int r0, int c1, int r1, const std::string& text)
{
    CellEdit out(grid.columns());
    int left = std::max(std::min(c0, c1), 0), right = std::min(std::max(c0, c1), grid.columns() - 1);
    int top = std::max(std::min(r0, r1), 0), bottom = std::min(std::max(r0, r1), grid.rows() - 1);
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c)
            if (grid.cellText(c, r) != text) out.add(c, r, grid.cellText(c, r));
    return out;
}

CellEdit bucketFill(const MapGrid& grid, int column, int row, const std::string& text)
{
    CellEdit out(grid.columns());
    if (!grid.contains(column, row)) return out;
    const std::string target = grid.cellText(column, row);
    if (target == text) return out;
    // Span by span with an explicit stack: a million-cell region must not recurse.
    const int columns = grid.columns(), rows = grid.rows();
    std::vector<char> inRegion(size_t(columns) * size_t(rows), 0);
    auto index = [columns](int c, int r) { return size_t(r) * size_t(columns) + size_t(c); };
    auto fillable = [&](int c, int r) { return !inRegion[index(c, r)] && grid.cellText(c, r) == target; };
    std::vector<std::pair<int, int>> seeds{{column, row}};
    while (!seeds.empty()) {
        auto [c, r] = seeds.back();
        seeds.pop_back();
        if (!fillable(c, r)) continue;
        int left = c, right = c;
        while (left > 0 && fillable(left - 1, r)) --left;
        while (right < columns - 1 && fillable(right + 1, r)) ++right;
        std::fill(inRegion.begin() + ptrdiff_t(index(left, r)), inRegion.begin() + ptrdiff_t(index(right, r)) + 1, 1);
        for (int next : {r - 1, r + 1}) {
            if (next < 0 || next >= rows) continue;
            // One seed at the start of each stretch of fillable cells over the span.
            bool inStretch = false;
            for (int x = left; x <= right; ++x) {
                bool ok = fillable(x, next);
                if (ok && !inStretch) seeds.push_back({x, next});
                inStretch = ok;
            }
        }
    }
    // In index order, so the region becomes a few runs.
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (inRegion[index(c, r)]) out.add(c, r, target);
    return out;
}

}  // namespace ludomat
