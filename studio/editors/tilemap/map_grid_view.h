#pragma once
// The map grid of the tile-map page: header row and column (0, 1, 2, ...) in silver that stay at
// the viewport's edges while the map scrolls, one cell a map cell showing its tile's picture and
// number. Ctrl+wheel zooms in steps around the mouse. Only the visible cells are painted, so a
// 1000 x 1000 map scrolls as fast as a small one. The view reports mouse gestures in map cells
// and typed cell text; what a gesture does is the page's business.

#include "graphics/map_grid.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QRect>

#include <vector>

class QLineEdit;

namespace ludomat {

class TileSet;

class MapGridView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // A map cell at zoom 1, and the header row's height and column's width at every zoom.
    static constexpr int kCellWidth = 30;
    static constexpr int kCellHeight = 18;
    static constexpr int kHeaderWidth = 30;
    static constexpr int kHeaderHeight = 18;
    // The zoom steps Ctrl+wheel walks: half size (a whole screen of a big map) to six times
    // (single tile pixels large enough to tell apart).
    static constexpr double kZoomSteps[] = {0.5, 0.75, 1.0, 1.5, 2.0, 3.0, 4.0, 6.0};
    static constexpr int kZoomStepCount = int(std::size(kZoomSteps));
    static constexpr int kStartZoomStep = 2;

    MapGridView(const MapGrid& grid, const TileSet& tiles, QWidget* parent = nullptr);

    // The map changed size or content: scroll range and picture follow.
    void mapChanged();
    // The tile strip's pixels or the tile size changed: the cell pictures follow.
    void tilesChanged(int tileWidth, int tileHeight);
    // The selected map cell (column, row), or (-1, -1).
    QPoint selectedCell() const { return m_selected; }
    void setSelectedCell(QPoint cell);
    // A rectangle of map cells drawn as a frame (rectangle fill in progress); null for none.
    void setMarkedArea(const QRect& cells);
    // The map cell under a point of the viewport, or (-1, -1) outside the map cells.
    QPoint cellAt(QPoint viewportPoint) const;
    // The viewport point of a map cell's centre (for tests and scrolling).
    QPoint cellCentre(QPoint cell) const;
    void scrollToCell(QPoint cell);
    // Starts typing into the selected cell, with `text` as its start.
    void editSelectedCell(const QString& text);

    double zoom() const { return kZoomSteps[m_zoomStep]; }
    int zoomStep() const { return m_zoomStep; }
    // Zooms to `step` (kept within the steps) so that the map point under `anchor`, a viewport
    // point, stays under it.
    void setZoomStep(int step, QPoint anchor);
    int cellWidth() const;
    int cellHeight() const;

signals:
    void cellPressed(QPoint cell, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // Only while a button is held; also reports the hovered cell.
    void cellDragged(QPoint cell);
    void cellReleased(QPoint cell);
    void cellHovered(QPoint cell);
    void cellTyped(QPoint cell, const QString& text);
    void zoomChanged(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollRange();
    QRect cellRect(QPoint cell) const;
    QRect mapArea() const;
    void finishEditing(bool keep);
    void paintCell(QPainter& p, QPoint cell, const QRect& r);
    void paintHeaders(QPainter& p, int firstColumn, int lastColumn, int firstRow, int lastRow);
    // Tile n scaled to the picture size of a cell at the current zoom; null when the strip has no
    // such tile. Made on first use and kept until the strip, tile size or zoom changes.
    const QImage& tilePicture(int n);
    QSize tilePictureSize() const;

    const MapGrid& m_grid;
    const TileSet& m_tiles;
    int m_tileWidth = 5;
    int m_tileHeight = 5;
    std::vector<QImage> m_tilePictures;
    QImage m_noPicture;
    int m_zoomStep = kStartZoomStep;
    int m_wheelRest = 0;  // wheel turns below one notch, kept for touchpads
    QPoint m_selected{-1, -1};
    QPoint m_lastHover{-1, -1};
    QRect m_marked;
    QLineEdit* m_cellEditor = nullptr;
    QPoint m_editedCell{-1, -1};
    bool m_dragging = false;
};

}  // namespace ludomat
