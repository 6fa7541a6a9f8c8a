#pragma once
// What the tile-map page edits: its own map and tile strip, apart from the engine's, with the
// undo history of both. It knows, for the map and the strip each, whether it differs from what
// was last read or saved, so nothing unsaved is thrown away without asking.

#include "graphics/map_grid.h"
#include "graphics/tile_set.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <memory>

namespace ludomat {

class TileMapDocument {
public:
    enum class Part { Map, Tiles };

    TileMapDocument();

    MapGrid& map() { return m_map; }
    const MapGrid& map() const { return m_map; }
    TileSet& tiles() { return m_tiles; }
    const TileSet& tiles() const { return m_tiles; }
    QUndoStack& undoStack() { return m_undo; }

    // Pushes one edit of `part` as an undo step; the document remembers which state of that part
    // the step leads to and from.
    void push(Part part, QUndoCommand* edit);

    bool isModified() const { return mapModified() || tilesModified(); }
    bool mapModified() const { return m_revision[0] != m_saved[0]; }
    bool tilesModified() const { return m_revision[1] != m_saved[1]; }
    // The part now matches its file (just read or saved).
    void markSaved(Part part);

    // A map or strip read from elsewhere replaces the part; the history made on the old one goes.
    void replaceMap(MapGrid map);
    void replaceTiles(TileSet tiles);

private:
    friend class DocumentStep;
    static int index(Part part) { return part == Part::Map ? 0 : 1; }

    MapGrid m_map;
    TileSet m_tiles;
    QUndoStack m_undo;
    // Every state a part reaches gets a number; saved[] is the number of the state on disk.
    long long m_revision[2] = {0, 0};
    long long m_saved[2] = {0, 0};
    long long m_nextRevision = 1;
};

}  // namespace ludomat
