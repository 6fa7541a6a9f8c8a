#include "studio/editors/tilemap/map_grid_view.h"

#include "graphics/cp1252.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

namespace ludomat {

namespace {

const QColor kHeader(0xc0, 0xc0, 0xc0);  // silver
const QColor kLine(0x9a, 0xa0, 0xa6);
const QColor kSelected(0x3f, 0xa7, 0xd6);

}  // namespace

MapGridView::MapGridView(const MapGrid& grid, QWidget* parent) : QAbstractScrollArea(parent), m_grid(grid)
{
    setObjectName("SG2");
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
    m_cellEditor = new QLineEdit(viewport());
    m_cellEditor->setObjectName("SG2Editor");
    m_cellEditor->setFrame(false);
    m_cellEditor->hide();
    connect(m_cellEditor, &QLineEdit::returnPressed, this, [this] { finishEditing(true); });
    connect(m_cellEditor, &QLineEdit::editingFinished, this, [this] { finishEditing(true); });
    updateScrollRange();
}

void MapGridView::mapChanged()
{
    if (!m_grid.contains(m_selected.x(), m_selected.y())) m_selected = {-1, -1};
    updateScrollRange();
    viewport()->update();
}

void MapGridView::setSelectedCell(QPoint cell)
{
    m_selected = m_grid.contains(cell.x(), cell.y()) ? cell : QPoint(-1, -1);
    viewport()->update();
}

void MapGridView::setMarkedArea(const QRect& cells)
{
    m_marked = cells;
    viewport()->update();
}

void MapGridView::updateScrollRange()
{
    // Scrolling counts in cells; the header row and column stay in place.
    int shownColumns = std::max((viewport()->width() - kCellWidth) / kCellWidth, 1);
    int shownRows = std::max((viewport()->height() - kCellHeight) / kCellHeight, 1);
    horizontalScrollBar()->setRange(0, std::max(m_grid.columns() - shownColumns, 0));
    verticalScrollBar()->setRange(0, std::max(m_grid.rows() - shownRows, 0));
    horizontalScrollBar()->setPageStep(shownColumns);
    verticalScrollBar()->setPageStep(shownRows);
}

QRect MapGridView::cellRect(QPoint cell) const
{
    int x = kCellWidth + (cell.x() - horizontalScrollBar()->value()) * kCellWidth;
    int y = kCellHeight + (cell.y() - verticalScrollBar()->value()) * kCellHeight;
    return QRect(x, y, kCellWidth, kCellHeight);
}

QPoint MapGridView::cellAt(QPoint point) const
{
    if (point.x() < kCellWidth || point.y() < kCellHeight) return {-1, -1};
    QPoint cell(horizontalScrollBar()->value() + (point.x() - kCellWidth) / kCellWidth,
                verticalScrollBar()->value() + (point.y() - kCellHeight) / kCellHeight);
    return m_grid.contains(cell.x(), cell.y()) ? cell : QPoint(-1, -1);
}

QPoint MapGridView::cellCentre(QPoint cell) const { return cellRect(cell).center(); }

void MapGridView::scrollToCell(QPoint cell)
{
    QRect r = cellRect(cell);
    if (r.left() < kCellWidth || r.right() >= viewport()->width()) horizontalScrollBar()->setValue(cell.x());
    if (r.top() < kCellHeight || r.bottom() >= viewport()->height()) verticalScrollBar()->setValue(cell.y());
}

void MapGridView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Qt::white);
    const int firstColumn = horizontalScrollBar()->value();
    const int firstRow = verticalScrollBar()->value();
    const int columns = std::min(m_grid.columns() - firstColumn, viewport()->width() / kCellWidth + 1);
    const int rows = std::min(m_grid.rows() - firstRow, viewport()->height() / kCellHeight + 1);
    p.setFont(QFont("Liberation Sans", 8));
    // Headers: the corner, then the column numbers and the row numbers of the map.
    p.fillRect(0, 0, viewport()->width(), kCellHeight, kHeader);
    p.fillRect(0, 0, kCellWidth, viewport()->height(), kHeader);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, kCellWidth, kCellHeight), Qt::AlignCenter, "0");
    for (int i = 0; i < columns; ++i)
        p.drawText(QRect(kCellWidth * (i + 1), 0, kCellWidth, kCellHeight), Qt::AlignCenter,
                   QString::number(firstColumn + i));
    for (int j = 0; j < rows; ++j)
        p.drawText(QRect(0, kCellHeight * (j + 1), kCellWidth, kCellHeight), Qt::AlignCenter,
                   QString::number(firstRow + j));
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            QPoint cell(firstColumn + i, firstRow + j);
            QRect r = cellRect(cell);
            if (cell == m_selected) p.fillRect(r, kSelected.lighter(160));
            const std::string& text = m_grid.cellText(cell.x(), cell.y());
            p.setPen(text == "0" ? QColor(0xb0, 0xb0, 0xb0) : Qt::black);
            p.drawText(r.adjusted(2, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, fromCp1252(text));
        }
    }
    // Cell lines over the map part only.
    p.setPen(kLine);
    int right = kCellWidth * (columns + 1), bottom = kCellHeight * (rows + 1);
    for (int i = 0; i <= columns + 1; ++i) p.drawLine(kCellWidth * i, 0, kCellWidth * i, bottom);
    for (int j = 0; j <= rows + 1; ++j) p.drawLine(0, kCellHeight * j, right, kCellHeight * j);
    if (m_grid.contains(m_selected.x(), m_selected.y())) {
        p.setPen(QPen(kSelected, 2));
        p.drawRect(cellRect(m_selected).adjusted(1, 1, -1, -1));
    }
    if (!m_marked.isNull()) {
        QRect area = cellRect(m_marked.topLeft()).united(cellRect(m_marked.bottomRight()));
        p.setPen(QPen(QColor(0xe8, 0x55, 0x4e), 2, Qt::DashLine));
        p.drawRect(area.adjusted(1, 1, -1, -1));
    }
}

void MapGridView::mousePressEvent(QMouseEvent* event)
{
    finishEditing(true);
    setFocus();
    QPoint cell = cellAt(event->position().toPoint());
    if (cell.x() < 0) return;
    m_dragging = event->button() == Qt::LeftButton;
    emit cellPressed(cell, event->button(), event->modifiers());
}

void MapGridView::mouseMoveEvent(QMouseEvent* event)
{
    QPoint cell = cellAt(event->position().toPoint());
    if (cell != m_lastHover) {
        m_lastHover = cell;
        emit cellHovered(cell);
    }
    if (m_dragging && cell.x() >= 0) emit cellDragged(cell);
}

void MapGridView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) return;
    m_dragging = false;
    emit cellReleased(cellAt(event->position().toPoint()));
}

void MapGridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click edits the cell's text, as a spreadsheet does.
    QPoint cell = cellAt(event->position().toPoint());
    if (cell.x() < 0 || event->button() != Qt::LeftButton) return;
    setSelectedCell(cell);
    editSelectedCell(fromCp1252(m_grid.cellText(cell.x(), cell.y())));
}

void MapGridView::keyPressEvent(QKeyEvent* event)
{
    // Enter is consumed and only repaints.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        viewport()->update();
        return;
    }
    QPoint move(0, 0);
    switch (event->key()) {
    case Qt::Key_Left: move = {-1, 0}; break;
    case Qt::Key_Right: move = {1, 0}; break;
    case Qt::Key_Up: move = {0, -1}; break;
    case Qt::Key_Down: move = {0, 1}; break;
    case Qt::Key_F2:
        if (m_selected.x() >= 0) editSelectedCell(fromCp1252(m_grid.cellText(m_selected.x(), m_selected.y())));
        return;
    default: break;
    }
    if (move != QPoint(0, 0)) {
        QPoint next = m_selected.x() < 0 ? QPoint(0, 0) : m_selected + move;
        if (m_grid.contains(next.x(), next.y())) {
            setSelectedCell(next);
            scrollToCell(next);
        }
        return;
    }
    QString text = event->text();
    if (m_selected.x() >= 0 && !text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
        editSelectedCell(text);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void MapGridView::editSelectedCell(const QString& text)
{
    if (m_selected.x() < 0) return;
    m_editedCell = m_selected;
    m_cellEditor->setGeometry(cellRect(m_selected).adjusted(1, 1, 0, 0));
    m_cellEditor->setText(text);
    m_cellEditor->show();
    m_cellEditor->setFocus();
    m_cellEditor->end(false);
}

void MapGridView::finishEditing(bool keep)
{
    if (m_editedCell.x() < 0) return;
    QPoint cell = m_editedCell;
    m_editedCell = {-1, -1};
    m_cellEditor->hide();
    setFocus();
    if (keep && m_grid.contains(cell.x(), cell.y())) emit cellTyped(cell, m_cellEditor->text());
}

void MapGridView::leaveEvent(QEvent* event)
{
    m_lastHover = {-1, -1};
    emit cellHovered(m_lastHover);
    QAbstractScrollArea::leaveEvent(event);
}

void MapGridView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

}  // namespace ludomat
