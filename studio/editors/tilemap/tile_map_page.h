#pragma once
// The page "TileMap": draws the tiles of the shared tile strip pixel by pixel, paints their
// numbers into the shared map grid, saves both into the game folder, shows the map on the
// run-time screen through the engine's own tile drawing, and writes the two "tilemap" lines of
// the script. Every map edit is one undo step.

#include "graphics/colour.h"
#include "graphics/map_grid.h"
#include "studio/editors/editor_support.h"
#include "studio/editors/tilemap/map_edits.h"

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
    // state, the file list re-read and the map file read again (unless it has unsaved edits).
    void enter();

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
    QUndoStack& undoStack() { return *m_undo; }
    MapGridView& mapView() { return *m_grid; }
    // The last message of the page (errors of loads and saves), also shown in Stx.
    QString message() const;

private:
    void buildLoadRows();
    void buildTileTools();
    void buildMapTools();
    QLineEdit* field(const char* name, const QRect& place, const QString& text = {});
    void tellUser(const QString& text);
    void refreshLabels();
    void mapEdited();
    void stripEdited();
    void rereadFiles();
    bool readMap(const QString& name);
    bool readTiles(const QString& name);
    void rememberMapIdentity();
    // False (and the history dropped) when the map is no longer the one the history was made on.
    bool historyIsCurrent();
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
    QUndoStack* m_undo = nullptr;
    int m_currentTile = 0;
    Rgb m_colour = 0xFFFFFF;
    Tool m_tool = Tool::Select;
    bool m_introShown = false;
    // The stroke being painted: cells changed since the press, one undo step on release.
    std::optional<CellEdit> m_stroke;
    QPoint m_rectangleStart{-1, -1};
    QPoint m_rectangleEnd{-1, -1};
    // The strip as a pixel stroke in the zoom view found it.
    Bitmap m_pixelsBefore;
    // What the undo history belongs to: a run that loads another map makes it stale.
    std::string m_mapName;
    int m_mapColumns = -1;
    int m_mapRows = -1;

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
