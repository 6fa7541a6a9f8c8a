#pragma once
// The tile-map editor's edits as undo steps on the map and the tile strip, and the fills that
// compute which cells an edit changes. Each step calls `changed` after doing or undoing, so the
// page repaints whatever it shows.

#include "graphics/bitmap.h"
#include "graphics/map_grid.h"
#include "graphics/tile_set.h"

#include <QUndoCommand>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ludomat {

// Undo keeps this many steps. A step holds its cells as runs, so even a fill of a whole
// 1000 x 1000 map costs a few bytes when the cells held one tile before.
constexpr int kMapUndoLimit = 200;

// The cells one edit changes, as runs of row-major cell indices, with the text each held
// before, run-length coded too: a stroke or a fill over like cells stays small.
class CellEdit {
public:
    explicit CellEdit(int columns = 0) : m_columns(columns) {}
    int columns() const { return m_columns; }
    bool isEmpty() const { return m_count == 0; }
    size_t size() const { return m_count; }
    void add(int column, int row, const std::string& before);
    // Calls `visit(column, row, before)` for every cell, in the order they were added.
    void forEach(const std::function<void(int, int, const std::string&)>& visit) const;

private:
    struct Run {
        uint32_t first;
        uint32_t count;
    };
    int m_columns;
    size_t m_count = 0;
    std::vector<Run> m_runs;
    std::vector<std::pair<uint32_t, std::string>> m_befores;  // (count, text)
};

// Cells of one stroke, typed cell, placed tile, rectangle or bucket fill, all given the same
// text: one undo step.
class PaintTile : public QUndoCommand {
public:
    // `applied`: the cells already hold their new text (a stroke painted as the mouse moved).
    PaintTile(MapGrid& grid, CellEdit cells, std::string after, bool applied, std::function<void()> changed,
              const QString& text = "pintar tiles");
    void redo() override;
    void undo() override;

private:
    MapGrid& m_grid;
    CellEdit m_cells;
    std::string m_after;
    bool m_skipRedo;
    std::function<void()> m_changed;
};

// " + linha", " + coluna" and "clearmap": the map's size (and for a clear its cells) change.
class ResizeMap : public QUndoCommand {
public:
    enum class Kind { AddRow, AddColumn, Clear };
    ResizeMap(MapGrid& grid, Kind kind, std::function<void()> changed);
    void redo() override;
    void undo() override;

private:
    MapGrid& m_grid;
    Kind m_kind;
    MapGrid m_before;  // the whole map, kept for a clear only
    std::function<void()> m_changed;
};

// "[ + ]": one more tile at the right of the strip, filled with a colour.
class AddTile : public QUndoCommand {
public:
    AddTile(TileSet& tiles, int tileWidth, int tileHeight, Rgb colour, std::function<void()> changed);
    void redo() override;
    void undo() override;

private:
    TileSet& m_tiles;
    int m_tileWidth;
    int m_tileHeight;
    Rgb m_colour;
    Bitmap m_before;
    std::function<void()> m_changed;
};

// A stroke of the pixel pen in the zoom view: the strip before and after it.
class PaintPixels : public QUndoCommand {
public:
    // The strip already holds `after`.
    PaintPixels(TileSet& tiles, Bitmap before, Bitmap after, std::function<void()> changed);
    void redo() override;
    void undo() override;

private:
    TileSet& m_tiles;
    Bitmap m_before;
    Bitmap m_after;
    bool m_skipRedo = true;
    std::function<void()> m_changed;
};

// The cells of the rectangle between two corners (inclusive, either order, cut to the map)
// that do not hold `text` yet.
CellEdit rectangleFill(const MapGrid& grid, int c0, int r0, int c1, int r1, const std::string& text);
// The cells connected to (column, row) through their sides that hold the same text as it
// (nothing when that is `text` already).
CellEdit bucketFill(const MapGrid& grid, int column, int row, const std::string& text);

}  // namespace ludomat
