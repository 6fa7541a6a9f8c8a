#pragma once
// The map grid of the tile-map page: header row and column (0, 1, 2, ...) in silver, one cell a
// map cell holding its tile number. Only the visible cells are painted, so a 1000 x 1000 map
// scrolls as fast as a small one. The view reports mouse gestures in map cells and typed cell
// text; what a gesture does is the page's business.

#include "graphics/map_grid.h"

#include <QAbstractScrollArea>
#include <QRect>

class QLineEdit;

namespace ludomat {

class MapGridView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kCellWidth = 30;
    static constexpr int kCellHeight = 18;

    explicit MapGridView(const MapGrid& grid, QWidget* parent = nullptr);

    // The map changed size or content: scroll range and picture follow.
    void mapChanged();
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

signals:
    void cellPressed(QPoint cell, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // Only while a button is held; also reports the hovered cell.
    void cellDragged(QPoint cell);
    void cellReleased(QPoint cell);
    void cellHovered(QPoint cell);
    void cellTyped(QPoint cell, const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateScrollRange();
    QRect cellRect(QPoint cell) const;
    void finishEditing(bool keep);

    const MapGrid& m_grid;
    QPoint m_selected{-1, -1};
    QPoint m_lastHover{-1, -1};
    QRect m_marked;
    QLineEdit* m_cellEditor = nullptr;
    QPoint m_editedCell{-1, -1};
    bool m_dragging = false;
};

}  // namespace ludomat
