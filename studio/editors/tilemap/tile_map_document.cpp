#include "studio/editors/tilemap/tile_map_document.h"

#include "studio/editors/tilemap/map_edits.h"

namespace ludomat {

// Wraps one edit and moves the part's revision with it, so undoing back to the saved state
// makes the part unchanged again.
class DocumentStep : public QUndoCommand {
public:
    DocumentStep(TileMapDocument& document, TileMapDocument::Part part, QUndoCommand* edit)
        : QUndoCommand(edit->text()),
          m_document(document),
          m_part(TileMapDocument::index(part)),
          m_edit(edit),
          m_before(document.m_revision[m_part]),
          m_after(document.m_nextRevision++)
    {
    }
    void redo() override
    {
        m_edit->redo();
        m_document.m_revision[m_part] = m_after;
    }
    void undo() override
    {
        m_edit->undo();
        m_document.m_revision[m_part] = m_before;
    }

private:
    TileMapDocument& m_document;
    int m_part;
    std::unique_ptr<QUndoCommand> m_edit;
    long long m_before;
    long long m_after;
};

TileMapDocument::TileMapDocument()
{
    m_undo.setUndoLimit(kMapUndoLimit);
}

void TileMapDocument::push(Part part, QUndoCommand* edit)
{
    m_undo.push(new DocumentStep(*this, part, edit));
}

void TileMapDocument::markSaved(Part part)
{
    m_saved[index(part)] = m_revision[index(part)];
    if (!isModified()) m_undo.setClean();
}

void TileMapDocument::replaceMap(MapGrid map)
{
    m_map = std::move(map);
    m_undo.clear();
    m_revision[0] = m_saved[0] = m_nextRevision++;
    // A strip edit still unsaved stays unsaved, though its steps are gone.
}

void TileMapDocument::replaceTiles(TileSet tiles)
{
    m_tiles = std::move(tiles);
    m_undo.clear();
    m_revision[1] = m_saved[1] = m_nextRevision++;
}

}  // namespace ludomat
