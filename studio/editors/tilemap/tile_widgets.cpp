#include "studio/editors/tilemap/tile_widgets.h"

#include "graphics/tile_set.h"
#include "studio/editors/editor_art.h"
#include "studio/editors/editor_support.h"

#include <QMouseEvent>
#include <QPainter>

namespace ludomat {

TileStripView::TileStripView(const TileSet& tiles, QWidget* parent) : QWidget(parent), m_tiles(tiles)
{
    setObjectName("TMtls");
    setCursor(Qt::PointingHandCursor);
    stripChanged();
}

void TileStripView::stripChanged()
{
    resize(m_tiles.picture().width(), m_tiles.picture().height());
    update();
}

void TileStripView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_tiles.picture().view());
}

void TileStripView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit pressedAt(int(event->position().x()));
}

void TileStripView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit doubleClickedAt(int(event->position().x()));
}

TileZoomView::TileZoomView(const TileSet& tiles, QWidget* parent) : QWidget(parent), m_tiles(tiles)
{
    setObjectName("TMzoom");
    setCursor(Qt::CrossCursor);
    showTile(0, 5, 5);
}

void TileZoomView::showTile(int tile, int tileWidth, int tileHeight)
{
    m_tile = tile;
    m_tileWidth = tileWidth;
    m_tileHeight = tileHeight;
    resize(kZoom * tileWidth, kZoom * tileHeight);
    update();
}

void TileZoomView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const Bitmap& strip = m_tiles.picture();
    QRect dirty = event->rect();
    for (int j = dirty.top() / kZoom; j < m_tileHeight && j * kZoom <= dirty.bottom(); ++j) {
        for (int i = dirty.left() / kZoom; i < m_tileWidth && i * kZoom <= dirty.right(); ++i) {
            Rgb colour = strip.pixel(m_tile * m_tileWidth + i, j);
            // A pixel beyond the strip shows black, as the gaps do.
            if (colour == kInvalidColour) continue;
            p.fillRect(kZoom * i + 1, kZoom * j + 1, kZoom - 2, kZoom - 2, QColor::fromRgb(colour));
        }
    }
}

void TileZoomView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    emit strokeStarted();
    m_lastPixel = {-1, -1};
    paintAt(event->position().toPoint());
}

void TileZoomView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit strokeFinished();
}

void TileZoomView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) paintAt(event->position().toPoint());
}

void TileZoomView::paintAt(QPoint point)
{
    const QPoint pixel(point.x() < 0 ? -1 : point.x() / kZoom, point.y() < 0 ? -1 : point.y() / kZoom);
    const bool inside = pixel.x() >= 0 && pixel.y() >= 0 && pixel.x() < m_tileWidth && pixel.y() < m_tileHeight;
    if (!inside) {
        m_lastPixel = {-1, -1};
        return;
    }
    if (m_lastPixel.x() < 0)
        paintPixel(pixel);
    else
        forEachCellOnLine(m_lastPixel, pixel, [this](QPoint p) { paintPixel(p); });
    m_lastPixel = pixel;
}

void TileZoomView::paintPixel(QPoint pixel)
{
    emit pixelPainted(pixel.x(), pixel.y());
    update(kZoom * pixel.x(), kZoom * pixel.y(), kZoom, kZoom);
}

ColourPalette::ColourPalette(int side, QWidget* parent) : QWidget(parent), m_picture(editor_art::colourPalette(side))
{
    setObjectName("TMpal");
    setFixedSize(side, side);
    setCursor(Qt::CrossCursor);
}

void ColourPalette::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_picture);
}

void ColourPalette::mousePressEvent(QMouseEvent* event)
{
    QPoint point = event->position().toPoint();
    if (!m_picture.rect().contains(point)) return;
    emit colourPicked(Rgb(m_picture.pixel(point) & 0xFFFFFFu));
}

}  // namespace ludomat
