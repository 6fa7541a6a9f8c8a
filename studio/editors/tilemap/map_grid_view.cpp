#include "studio/editors/tilemap/map_grid_view.h"

#include "graphics/cp1252.h"
#include "graphics/tile_set.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace ludomat {

namespace {

const QColor kHeader(0xc0, 0xc0, 0xc0);  // silver
const QColor kLine(0x9a, 0xa0, 0xa6);
const QColor kSelected(0x3f, 0xa7, 0xd6);
const QColor kBadCell(0xb0, 0x3a, 0x2e);
// One wheel notch, in eighths of a degree.
constexpr int kWheelNotch = 120;

// Every `step`-th header gets its number, the smallest step (1, 2, 5, 10, 20, 50, ...) at which
// numbers `needed` pixels long do not overlap in cells `cell` pixels long.
int labelStep(int cell, int needed)
{
    for (int step = 1;; step *= 10) {
        if (step * cell >= needed) return step;
        if (2 * step * cell >= needed) return 2 * step;
        if (5 * step * cell >= needed) return 5 * step;
    }
}

}  // namespace

MapGridView::MapGridView(const MapGrid& grid, const TileSet& tiles, QWidget* parent)
    : QAbstractScrollArea(parent), m_grid(grid), m_tiles(tiles)
{
    setObjectName("SG2");
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
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

void MapGridView::tilesChanged(int tileWidth, int tileHeight)
{
    m_tileWidth = std::max(tileWidth, 1);
    m_tileHeight = std::max(tileHeight, 1);
    m_tilePictures.clear();
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

int MapGridView::cellWidth() const
{
    return int(std::lround(kCellWidth * zoom()));
}
int MapGridView::cellHeight() const
{
    return int(std::lround(kCellHeight * zoom()));
}

QRect MapGridView::mapArea() const
{
    return viewport()->rect().adjusted(kHeaderWidth, kHeaderHeight, 0, 0);
}

void MapGridView::updateScrollRange()
{
    // Scrolling counts in pixels of the map part; the header row and column stay in place.
    const QRect area = mapArea();
    const long long width = (long long)m_grid.columns() * cellWidth();
    const long long height = (long long)m_grid.rows() * cellHeight();
    horizontalScrollBar()->setRange(0, int(std::max<long long>(width - area.width(), 0)));
    verticalScrollBar()->setRange(0, int(std::max<long long>(height - area.height(), 0)));
    horizontalScrollBar()->setPageStep(std::max(area.width(), 1));
    verticalScrollBar()->setPageStep(std::max(area.height(), 1));
    horizontalScrollBar()->setSingleStep(cellWidth());
    verticalScrollBar()->setSingleStep(cellHeight());
}

void MapGridView::setZoomStep(int step, QPoint anchor)
{
    step = std::clamp(step, 0, kZoomStepCount - 1);
    if (step == m_zoomStep) return;
    finishEditing(true);
    // The map point under the anchor, in cells, before the zoom...
    const QRect area = mapArea();
    const QPoint at(std::clamp(anchor.x(), area.left(), area.right()) - area.left(),
                    std::clamp(anchor.y(), area.top(), area.bottom()) - area.top());
    const double column = double(horizontalScrollBar()->value() + at.x()) / cellWidth();
    const double row = double(verticalScrollBar()->value() + at.y()) / cellHeight();
    m_zoomStep = step;
    m_tilePictures.clear();
    updateScrollRange();
    // ...is under it again after.
    horizontalScrollBar()->setValue(int(std::lround(column * cellWidth())) - at.x());
    verticalScrollBar()->setValue(int(std::lround(row * cellHeight())) - at.y());
    viewport()->update();
    emit zoomChanged(zoom());
}

QRect MapGridView::cellRect(QPoint cell) const
{
    int x = kHeaderWidth + cell.x() * cellWidth() - horizontalScrollBar()->value();
    int y = kHeaderHeight + cell.y() * cellHeight() - verticalScrollBar()->value();
    return QRect(x, y, cellWidth(), cellHeight());
}

QPoint MapGridView::cellAt(QPoint point) const
{
    if (point.x() < kHeaderWidth || point.y() < kHeaderHeight) return {-1, -1};
    QPoint cell((horizontalScrollBar()->value() + point.x() - kHeaderWidth) / cellWidth(),
                (verticalScrollBar()->value() + point.y() - kHeaderHeight) / cellHeight());
    return m_grid.contains(cell.x(), cell.y()) ? cell : QPoint(-1, -1);
}

QPoint MapGridView::cellCentre(QPoint cell) const
{
    return cellRect(cell).center();
}

void MapGridView::scrollToCell(QPoint cell)
{
    const QRect r = cellRect(cell), area = mapArea();
    if (r.left() < area.left() || r.right() > area.right()) horizontalScrollBar()->setValue(cell.x() * cellWidth());
    if (r.top() < area.top() || r.bottom() > area.bottom()) verticalScrollBar()->setValue(cell.y() * cellHeight());
}

QSize MapGridView::tilePictureSize() const
{
    // As large as the cell allows without stretching the tile, inside the cell lines.
    const double scale = std::min(double(cellWidth() - 1) / m_tileWidth, double(cellHeight() - 1) / m_tileHeight);
    return QSize(std::max(int(m_tileWidth * scale), 1), std::max(int(m_tileHeight * scale), 1));
}

const QImage& MapGridView::tilePicture(int n)
{
    if (!m_tiles.hasTile(n, m_tileWidth) || m_tiles.picture().height() < m_tileHeight) return m_noPicture;
    if (size_t(n) >= m_tilePictures.size()) m_tilePictures.resize(size_t(n) + 1);
    QImage& picture = m_tilePictures[size_t(n)];
    if (picture.isNull()) {
        // The magenta key is see-through, as when the map is drawn on the screen.
        QImage tile = m_tiles.picture().view().copy(n * m_tileWidth, 0, m_tileWidth, m_tileHeight);
        tile = tile.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < tile.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
            for (int x = 0; x < tile.width(); ++x)
                if ((line[x] & 0xFFFFFF) == kTransparentKey) line[x] = 0;
        }
        // Nearest pixels: tiles are pixel art, smoothing would blur them.
        picture = tile.scaled(tilePictureSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    return picture;
}

void MapGridView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Qt::white);
    p.setFont(QFont("Liberation Sans", 8));
    const QRect area = mapArea();
    const int cw = cellWidth(), ch = cellHeight();
    const int left = horizontalScrollBar()->value(), top = verticalScrollBar()->value();
    // Only the cells the viewport shows.
    const int firstColumn = left / cw, firstRow = top / ch;
    const int lastColumn = std::min(m_grid.columns() - 1, (left + area.width()) / cw);
    const int lastRow = std::min(m_grid.rows() - 1, (top + area.height()) / ch);
    if (lastColumn >= firstColumn && lastRow >= firstRow) {
        p.save();
        p.setClipRect(area);
        for (int r = firstRow; r <= lastRow; ++r)
            for (int c = firstColumn; c <= lastColumn; ++c) paintCell(p, {c, r}, cellRect({c, r}));
        // Cell lines over the map part only.
        p.setPen(kLine);
        const int right = cellRect({lastColumn, 0}).right() + 1, bottom = cellRect({0, lastRow}).bottom() + 1;
        for (int c = firstColumn; c <= lastColumn + 1; ++c) {
            const int x = kHeaderWidth + c * cw - left;
            p.drawLine(x, area.top(), x, bottom);
        }
        for (int r = firstRow; r <= lastRow + 1; ++r) {
            const int y = kHeaderHeight + r * ch - top;
            p.drawLine(area.left(), y, right, y);
        }
        if (m_grid.contains(m_selected.x(), m_selected.y())) {
            p.setPen(QPen(kSelected, 2));
            p.drawRect(cellRect(m_selected).adjusted(1, 1, -1, -1));
        }
        if (!m_marked.isNull()) {
            QRect marked = cellRect(m_marked.topLeft()).united(cellRect(m_marked.bottomRight()));
            p.setPen(QPen(QColor(0xe8, 0x55, 0x4e), 2, Qt::DashLine));
            p.drawRect(marked.adjusted(1, 1, -1, -1));
        }
        p.restore();
    }
    paintHeaders(p, firstColumn, lastColumn, firstRow, lastRow);
}

void MapGridView::paintCell(QPainter& p, QPoint cell, const QRect& r)
{
    if (cell == m_selected) p.fillRect(r, kSelected.lighter(160));
    const std::optional<int> tile = m_grid.tile(cell.x(), cell.y());
    if (!tile) {
        // Text that is no tile number stands out: saving the map refuses it.
        p.setPen(kBadCell);
        p.drawText(r.adjusted(2, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter,
                   fromCp1252(m_grid.cellText(cell.x(), cell.y())));
        return;
    }
    // Tile 0 is an empty cell, also on the screen.
    const QImage& picture = *tile == 0 ? m_noPicture : tilePicture(*tile);
    if (!picture.isNull()) p.drawImage(r.left() + 1, r.top() + 1, picture);
    // The number too, where it fits beside or over the picture.
    const QFontMetrics metrics = p.fontMetrics();
    if (r.height() < metrics.height()) return;
    const QString number = QString::number(*tile);
    const int width = metrics.horizontalAdvance(number);
    const QRect plate(r.right() - width - 3, r.bottom() - metrics.height() + 1, width + 3, metrics.height());
    if (!picture.isNull() && r.left() + 1 + picture.width() > plate.left())
        p.fillRect(plate, QColor(255, 255, 255, 200));
    p.setPen(*tile == 0 ? QColor(0xb0, 0xb0, 0xb0) : Qt::black);
    p.drawText(plate.adjusted(0, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter, number);
}

void MapGridView::paintHeaders(QPainter& p, int firstColumn, int lastColumn, int firstRow, int lastRow)
{
    const int width = viewport()->width(), height = viewport()->height();
    const int cw = cellWidth(), ch = cellHeight();
    const int left = horizontalScrollBar()->value(), top = verticalScrollBar()->value();
    const QFontMetrics metrics = p.fontMetrics();
    p.fillRect(0, 0, width, kHeaderHeight, kHeader);
    p.fillRect(0, 0, kHeaderWidth, height, kHeader);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, kHeaderWidth, kHeaderHeight), Qt::AlignCenter, "0");

    // Column numbers, fewer of them when the cells are too narrow for every one.
    p.save();
    p.setClipRect(kHeaderWidth, 0, width - kHeaderWidth, kHeaderHeight);
    const int needed = metrics.horizontalAdvance(QString::number(std::max(m_grid.columns() - 1, 0))) + 4;
    const int columnStep = labelStep(cw, needed);
    for (int c = firstColumn - firstColumn % columnStep; c <= lastColumn; c += columnStep) {
        const int x = kHeaderWidth + c * cw - left;
        p.drawText(QRect(x + cw / 2 - needed / 2, 0, needed, kHeaderHeight), Qt::AlignCenter, QString::number(c));
    }
    p.restore();
    p.save();
    p.setClipRect(0, kHeaderHeight, kHeaderWidth, height - kHeaderHeight);
    const int rowStep = labelStep(ch, metrics.height());
    for (int r = firstRow - firstRow % rowStep; r <= lastRow; r += rowStep) {
        const int y = kHeaderHeight + r * ch - top;
        p.drawText(QRect(0, y + ch / 2 - metrics.height() / 2, kHeaderWidth, metrics.height()), Qt::AlignCenter,
                   QString::number(r));
    }
    p.restore();
    p.setPen(kLine);
    p.drawLine(0, kHeaderHeight - 1, width, kHeaderHeight - 1);
    p.drawLine(kHeaderWidth - 1, 0, kHeaderWidth - 1, height);
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

void MapGridView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) return QAbstractScrollArea::wheelEvent(event);
    // One zoom step a notch; a touchpad's small turns add up to notches.
    m_wheelRest += event->angleDelta().y();
    const int steps = m_wheelRest / kWheelNotch;
    m_wheelRest -= steps * kWheelNotch;
    if (steps != 0) setZoomStep(m_zoomStep + steps, event->position().toPoint());
    event->accept();
}

void MapGridView::keyPressEvent(QKeyEvent* event)
{
    // Enter is consumed and only repaints.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        viewport()->update();
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        // Ctrl+plus, Ctrl+minus and Ctrl+0 zoom around the middle of the map part.
        const QPoint middle = mapArea().center();
        switch (event->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                return setZoomStep(m_zoomStep + 1, middle);
            case Qt::Key_Minus:
                return setZoomStep(m_zoomStep - 1, middle);
            case Qt::Key_0:
                return setZoomStep(kStartZoomStep, middle);
            default:
                break;
        }
    }
    QPoint move(0, 0);
    switch (event->key()) {
        case Qt::Key_Left:
            move = {-1, 0};
            break;
        case Qt::Key_Right:
            move = {1, 0};
            break;
        case Qt::Key_Up:
            move = {0, -1};
            break;
        case Qt::Key_Down:
            move = {0, 1};
            break;
        case Qt::Key_F2:
            if (m_selected.x() >= 0) editSelectedCell(fromCp1252(m_grid.cellText(m_selected.x(), m_selected.y())));
            return;
        default:
            break;
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
    // Room for a tile number also when the map is zoomed out.
    const QRect r = cellRect(m_selected);
    m_cellEditor->setGeometry(QRect(r.topLeft() + QPoint(1, 1), r.size().expandedTo(QSize(kCellWidth, kCellHeight))));
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

void MapGridView::scrollContentsBy(int, int)
{
    // The headers stay where they are, so the whole picture is painted again, not shifted.
    if (m_editedCell.x() >= 0) m_cellEditor->move(cellRect(m_editedCell).topLeft() + QPoint(1, 1));
    viewport()->update();
}

}  // namespace ludomat
