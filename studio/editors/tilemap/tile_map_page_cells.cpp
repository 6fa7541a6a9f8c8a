// The tile-map page's gestures on the map grid: a click, a drag and a release with each tool,
// the hover text and a number typed into a cell. Each change is one undoable step.

#include "graphics/cp1252.h"
#include "studio/editors/tilemap/map_edits.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_map_page.h"

#include <QLabel>

namespace ludomat {

void TileMapPage::placeOnSelectedCell()
{
    QPoint cell = m_grid->selectedCell();
    const MapGrid& grid = m_document.map();
    if (!grid.contains(cell.x(), cell.y())) return;
    std::string text = std::to_string(m_currentTile);
    if (grid.cellText(cell.x(), cell.y()) == text) return;
    CellEdit edit(grid.columns());
    edit.add(cell.x(), cell.y(), grid.cellText(cell.x(), cell.y()));
    pushPaint(std::move(edit), text, false, "colocar tile");
}

void TileMapPage::cellPressed(QPoint cell, Qt::MouseButton button)
{
    MapGrid& grid = m_document.map();
    if (button == Qt::RightButton) {
        // Right click picks the tile under the mouse, whatever the tool.
        if (auto tile = grid.tile(cell.x(), cell.y())) selectTile(*tile);
        return;
    }
    if (button != Qt::LeftButton) return;
    m_grid->setSelectedCell(cell);
    std::string text = std::to_string(m_currentTile);
    switch (m_tool) {
        case Tool::Select:
            if (auto tile = grid.tile(cell.x(), cell.y()); tile && *tile != 0) selectTile(*tile);
            break;
        case Tool::Brush:
            m_stroke.emplace(grid.columns());
            m_strokeCell = cell;
            paintCell(cell);
            break;
        case Tool::Rectangle:
            m_rectangleStart = m_rectangleEnd = cell;
            m_grid->setMarkedArea(QRect(cell, cell));
            break;
        case Tool::Bucket:
            pushPaint(bucketFill(grid, cell.x(), cell.y(), text), text, false, "balde");
            break;
    }
}

void TileMapPage::paintCell(QPoint cell)
{
    MapGrid& grid = m_document.map();
    std::string text = std::to_string(m_currentTile);
    const std::string& before = grid.cellText(cell.x(), cell.y());
    if (!m_stroke || !grid.contains(cell.x(), cell.y()) || before == text) return;
    m_stroke->add(cell.x(), cell.y(), before);
    grid.setCellText(cell.x(), cell.y(), text);
    m_grid->viewport()->update();
}

void TileMapPage::cellDragged(QPoint cell)
{
    if (m_stroke && m_document.map().contains(cell.x(), cell.y())) {
        // The mouse skips cells when it moves fast: the line between covers them.
        if (m_strokeCell.x() < 0)
            paintCell(cell);
        else
            forEachCellOnLine(m_strokeCell, cell, [this](QPoint c) { paintCell(c); });
        m_strokeCell = cell;
    } else if (m_stroke) {
        m_strokeCell = {-1, -1};
    }
    if (m_rectangleStart.x() >= 0) {
        m_rectangleEnd = cell;
        m_grid->setMarkedArea(QRect(m_rectangleStart, cell).normalized());
    }
    cellHovered(cell);
}

void TileMapPage::cellReleased(QPoint cell)
{
    if (m_stroke) {
        CellEdit stroke = std::move(*m_stroke);
        m_stroke.reset();
        pushPaint(std::move(stroke), std::to_string(m_currentTile), true, "pincel");
    }
    if (m_rectangleStart.x() >= 0) {
        QPoint start = m_rectangleStart;
        m_rectangleStart = {-1, -1};
        m_grid->setMarkedArea(QRect());
        // Released outside the map: the last cell the drag reached stands.
        if (cell.x() < 0) cell = m_rectangleEnd;
        std::string text = std::to_string(m_currentTile);
        pushPaint(rectangleFill(m_document.map(), start.x(), start.y(), cell.x(), cell.y(), text), text, false,
                  "retângulo");
    }
}

void TileMapPage::cellHovered(QPoint cell)
{
    const MapGrid& grid = m_document.map();
    if (!grid.contains(cell.x(), cell.y())) {
        m_hover->clear();
        return;
    }
    m_hover->setText(QString("col %1, lin %2: tile %3")
                         .arg(cell.x())
                         .arg(cell.y())
                         .arg(fromCp1252(grid.cellText(cell.x(), cell.y()))));
}

void TileMapPage::cellTyped(QPoint cell, const QString& text)
{
    const MapGrid& grid = m_document.map();
    std::string typed = toCp1252(text.trimmed());
    if (grid.cellText(cell.x(), cell.y()) == typed) return;
    CellEdit edit(grid.columns());
    edit.add(cell.x(), cell.y(), grid.cellText(cell.x(), cell.y()));
    pushPaint(std::move(edit), typed, false, "digitar célula");
}

}  // namespace ludomat
