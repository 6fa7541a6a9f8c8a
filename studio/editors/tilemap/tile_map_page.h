#pragma once
// The page "TileMap": draws the tiles of its tile strip pixel by pixel, paints their numbers
// into its map, saves both into the game folder, shows the map on the run-time screen through
// the engine's own tile drawing, and writes the two "tilemap" lines of the script. The page
// edits a document of its own (map, strip, history); the engine's map and strip take it over
// when it is saved. Every edit is one undo step.

#include "graphics/colour.h"
#include "graphics/map_grid.h"
#include "studio/editors/editor_support.h"
#include "studio/editors/tilemap/map_edits.h"
#include "studio/editors/tilemap/tile_map_document.h"

#include <optional>

#include <QPoint>
#include <QRect>
#include <QWidget>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QUndoStack;

namespace ludomat {

class MapGridView;
class TileStripView;
class TileZoomView;

class TileMapPage : public QWidget {
    Q_OBJECT
public:
    // How a left press on the map acts.
    enum class Tool { Select, Brush, Rectangle, Bucket };

    TileMapPage(const EditorContext& context, QWidget* parent = nullptr);

    // Opens the page: first time the intro on the screen, labels and fields from the shared
    // state, the file list re-read and, unless the document has unsaved edits, the map file read
    // again and the engine's strip taken over.
    void enter();
    // Before the document is replaced or the studio goes on without it (a run, closing): when
    // it holds unsaved edits, asks "Salvar as alterações em NOME?". False when the user cancels
    // or the save fails; then nothing changed.
    bool settleChanges();

    // The page's buttons, callable from code.
    bool saveMap();
    bool saveTiles();
    void addTile();
    void addRow();
    void addColumn();
    void clearMap();
    void showMap();         // "ver"
    void showGrid();        // "grid": the plot grid over the screen
    void writeLoadLine();   // the word "tilemap" of the load row
    void writeViewLine();   // the word "tilemap" of the view row
    void loadMapField();    // Enter in "mapa"
    void loadTilesField();  // Enter in "tiles"
    void openListedFile(const QString& name);  // double click in the file list
    void selectTile(int tile);
    void setCurrentColour(Rgb colour);
    void setTool(Tool tool);
    // Ctrl+Z and Ctrl+Shift+Z / Ctrl+Y, and the page's two buttons.
    void undo();
    void redo();

    int currentTile() const { return m_currentTile; }
    Rgb currentColour() const { return m_colour; }
    QUndoStack& undoStack() { return m_document.undoStack(); }
    TileMapDocument& document() { return m_document; }
    // The names of the files the unsaved edits belong to ("" when there are none).
    QString changedFilesName() const;
    MapGridView& mapView() { return *m_grid; }
    // The last message of the page (errors of loads and saves), also shown in Stx.
    QString message() const;

private:
    void buildLoadRows();
    void buildTileTools();
    void buildMapTools();
    QLineEdit* field(const char* name, const QRect& place, const QString& text = {});
    // A message on the page and in Stx: an error in red, a success in green.
    void tellUser(const QString& text, bool success = false);
    void refreshLabels();
    void mapEdited();
    void stripEdited();
    void rereadFiles();
    bool readMap(const QString& name);
    bool readTiles(const QString& name);
    // settleChanges() for the map, the strip or both.
    bool settleChanges(bool map, bool tiles);
    // The file a part's unsaved edits are saved to, and that save.
    QString documentFileName(TileMapDocument::Part part) const;
    bool saveDocumentPart(TileMapDocument::Part part);
    // The engine's map and strip become the document's (after a save).
    void publish(TileMapDocument::Part part);
    // Names the first cell of `area` (map cells) that is no tile number 0..255, and selects it.
    void reportBadCell(const QString& what, const QRect& area);
    // Map gestures.
    void cellPressed(QPoint cell, Qt::MouseButton button);
    void cellDragged(QPoint cell);
    void cellReleased(QPoint cell);
    void cellHovered(QPoint cell);
    void cellTyped(QPoint cell, const QString& text);
    void paintCell(QPoint cell);
    void pushPaint(CellEdit cells, std::string after, bool applied, const QString& what);
    void placeOnSelectedCell();
    MapView viewFromFields(bool* drawTiles);

    EditorContext m_context;
    TileMapDocument m_document;
    QUndoStack* m_undo = nullptr;
    int m_currentTile = 0;
    Rgb m_colour = 0xFFFFFF;
    Tool m_tool = Tool::Select;
    bool m_introShown = false;
    bool m_replacing = false;  // another map or strip is being read over the document
    // The stroke being painted: cells changed since the press, one undo step on release.
    std::optional<CellEdit> m_stroke;
    QPoint m_strokeCell{-1, -1};  // the cell the stroke reached last
    QPoint m_rectangleStart{-1, -1};
    QPoint m_rectangleEnd{-1, -1};
    // The strip as a pixel stroke in the zoom view found it.
    Bitmap m_pixelsBefore;

    QLabel* m_sizeLabel = nullptr;   // lbTMdef
    QLabel* m_tileCount = nullptr;   // lbTMtls
    QLabel* m_tileLabel = nullptr;   // tile: n
    QLabel* m_swatch = nullptr;
    QLabel* m_hover = nullptr;
    QLabel* m_message = nullptr;
    QLineEdit* m_mapField = nullptr;    // mapa
    QLineEdit* m_tilesName = nullptr;  // tiles
    QLineEdit* m_viewFields[6] = {};
    QLineEdit* m_background = nullptr;  // fundo:
    QLineEdit* m_colourField = nullptr;
    QListWidget* m_files = nullptr;
    TileStripView* m_strip = nullptr;
    TileZoomView* m_zoom = nullptr;
    MapGridView* m_grid = nullptr;
    QButtonGroup* m_tools = nullptr;
};

}  // namespace ludomat
