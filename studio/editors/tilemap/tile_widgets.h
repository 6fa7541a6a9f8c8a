#pragma once
// The small pictures of the tile-map page: the tile strip at its own size, the zoom view of the
// current tile at ten times its size, and the colour palette. Each paints straight from the
// shared tile strip, so there is no second copy to keep in step.

#include "graphics/colour.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace ludomat {

class TileSet;

// The tile strip; a press picks the tile under the mouse, a double click places it.
class TileStripView : public QWidget {
    Q_OBJECT
public:
    TileStripView(const TileSet& tiles, QWidget* parent = nullptr);
    void stripChanged();

signals:
    void pressedAt(int x);
    void doubleClickedAt(int x);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const TileSet& m_tiles;
};

// The current tile ten times its size: 8 x 8 squares with one-pixel black gaps between them.
// A press, and every move with the button held, reports the tile pixel under the mouse.
class TileZoomView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kZoom = 10;
    TileZoomView(const TileSet& tiles, QWidget* parent = nullptr);
    // The tile shown and its size.
    void showTile(int tile, int tileWidth, int tileHeight);

signals:
    // A press starts a stroke and the release ends it: one undo step.
    void strokeStarted();
    void pixelPainted(int i, int j);
    void strokeFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintAt(QPoint point);
    void paintPixel(QPoint pixel);

    const TileSet& m_tiles;
    QPoint m_lastPixel{-1, -1};  // where the stroke was at the last mouse event
    int m_tile = 0;
    int m_tileWidth = 5;
    int m_tileHeight = 5;
};

// The palette picture; a press reports the colour under the mouse.
class ColourPalette : public QWidget {
    Q_OBJECT
public:
    ColourPalette(int side, QWidget* parent = nullptr);

signals:
    void colourPicked(Rgb colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
};

}  // namespace ludomat
