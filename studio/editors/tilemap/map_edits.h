#pragma once
// The tile-map editor's edits as undo steps on the map and the tile strip, and the fills that
// compute which cells an edit changes. Each step calls `changed` after doing or undoing, so the
// page repaints whatever it shows.

#include "graphics/bitmap.h"
#include "graphics/map_grid.h"
#include "graphics/tile_set.h"

#include <QUndoCommand>

#include <functional>
#include <string>
#include <vector>

namespace ludomat {

// Undo keeps at least this many steps; a 1000 x 1000 bucket fill is about 20 MB of history.
constexpr int kMapUndoLimit = 200;

// One map cell's text before and after an edit.
struct CellChange {
    int column = 0;
    int row = 0;
    std::string before;
    std::string after;
};

// Cells of one stroke, typed cell, rectangle or bucket fill: one undo step.
class PaintTile : public QUndoCommand {
public:
    // `applied`: the cells already hold their new text (a stroke painted as the mouse moved).
    PaintTile(MapGrid& grid, std::vector<CellChange> changes, bool applied, std::function<void()> changed,
              const QString& text = "pintar tiles");
    void redo() override;
    void undo() override;

private:
    MapGrid& m_grid;
    std::vector<CellChange> m_changes;
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

// The cells of the rectangle between two corners (inclusive, either order, cut to the map)
// that would change to `text`.
std::vector<CellChange> rectangleFill(const MapGrid& grid, int c0, int r0, int c1, int r1, const std::string& text);
// The cells connected to (column, row) through its four sides that hold the same text as it.
std::vector<CellChange> bucketFill(const MapGrid& grid, int column, int row, const std::string& text);

}  // namespace ludomat
