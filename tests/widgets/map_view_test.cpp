// The tile-map page's map grid as a user sees it: each cell shows its tile's picture at every
// zoom, Ctrl+wheel zooms in steps within bounds and keeps the cell under the mouse, and the
// header row and column stay at the viewport's edges wherever the map is scrolled.

#include "widget_test_support.h"

#include "engine/engine.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_map_page.h"
#include "studio/editors/tilemap/tile_widgets.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

using namespace ludomat;
using namespace ludomat::test;

class MapViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cellsShowTheirTilePictureAtEveryZoom();
    void ctrlWheelZoomsWithinBoundsAroundTheMouse();
    void headersStayAtTheEdgesWhileTheMapScrolls();

private:
    // The page opened on a `columns` x `rows` map whose cell (c, r) holds tile (c + r) % 4,
    // with a strip of four 5 x 5 tiles: magenta (see-through), red, blue, green.
    MapGridView& openMap(int columns, int rows);

    QTemporaryDir m_folder;
    std::unique_ptr<MainWindow> m_window;
};

namespace {

constexpr int kTile = 5;
const Rgb kTileColours[] = {0xFF00FF, 0xE02020, 0x2040E0, 0x20A040};
const QRgb kSilver = qRgb(0xc0, 0xc0, 0xc0);

QRgb shown(Rgb colour)
{
    return qRgb(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
}

void turnWheel(MapGridView& view, QPoint at, int notches, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
}

}  // namespace

void MapViewTest::initTestCase()
{
    m_window = openWindow(m_folder);
    m_window->setSaveQuestion([](const QString&) { return SaveAnswer::Discard; });
}

MapGridView& MapViewTest::openMap(int columns, int rows)
{
    Engine& engine = m_window->engine();
    engine.plotSettings().setPlotSize(kTile, kTile);
    Bitmap strip(4 * kTile, kTile);
    for (int t = 0; t < 4; ++t)
        for (int y = 0; y < kTile; ++y)
            for (int x = 0; x < kTile; ++x) strip.setPixel(t * kTile + x, y, kTileColours[t]);
    engine.tileSet().setPicture(strip);
    MapGrid& map = engine.mapGrid();
    map.clear();
    map.setName("");
    map.resize(columns, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) map.setTile(c, r, (c + r) % 4);
    TileMapPage& page = m_window->tileMapPage();
    page.settleChanges();
    page.enter();
    MapGridView& view = page.mapView();
    view.setZoomStep(MapGridView::kStartZoomStep, {});
    view.horizontalScrollBar()->setValue(0);
    view.verticalScrollBar()->setValue(0);
    return view;
}

void MapViewTest::cellsShowTheirTilePictureAtEveryZoom()
{
    MapGridView& view = openMap(8, 8);
    for (int step = 0; step < MapGridView::kZoomStepCount; ++step) {
        view.setZoomStep(step, {});
        const QImage picture = view.viewport()->grab().toImage();
        // Cells (1,0) red, (2,0) blue, (3,0) green; (0,0) holds tile 0 and (4,0) magenta tile 0
        // again, both empty: the paper shows.
        const struct {
            QPoint cell;
            QRgb colour;
        } cases[] = {{{1, 0}, shown(kTileColours[1])}, {{2, 0}, shown(kTileColours[2])},
                     {{0, 1}, shown(kTileColours[1])}, {{1, 2}, shown(kTileColours[3])},
                     {{0, 0}, qRgb(255, 255, 255)},    {{2, 2}, qRgb(255, 255, 255)}};
        for (const auto& c : cases) {
            // A point well inside the picture, left of the number in the corner.
            const QPoint at = view.cellCentre(c.cell) - QPoint(view.cellWidth() / 4, 0);
            if (!picture.rect().adjusted(0, 0, -1, -1).contains(at)) continue;  // zoomed beyond the viewport
            QVERIFY2(picture.pixel(at) == c.colour, qPrintable(QString("zoom %1, cell %2,%3: %4")
                                                                   .arg(view.zoom())
                                                                   .arg(c.cell.x())
                                                                   .arg(c.cell.y())
                                                                   .arg(picture.pixel(at), 8, 16)));
        }
    }
    // Painting a pixel of tile 1 in the zoom view changes every cell of that tile at once.
    view.setZoomStep(MapGridView::kStartZoomStep, {});
    TileMapPage& page = m_window->tileMapPage();
    page.selectTile(1);
    page.setCurrentColour(0x000000);
    auto* zoom = page.findChild<TileZoomView*>();
    QVERIFY(zoom);
    const QPoint pixel(2, 2);
    QTest::mouseClick(zoom, Qt::LeftButton, Qt::NoModifier, pixel * TileZoomView::kZoom + QPoint(5, 5));
    const QImage picture = view.viewport()->grab().toImage();
    const double scale = (view.cellHeight() - 1) / double(kTile);
    for (QPoint cell : {QPoint(1, 0), QPoint(0, 1)}) {
        const QPoint corner = view.cellCentre(cell) - QPoint((view.cellWidth() - 1) / 2, (view.cellHeight() - 1) / 2);
        const QPoint at =
            corner + QPoint(1, 1) + QPointF((pixel.x() + 0.5) * scale, (pixel.y() + 0.5) * scale).toPoint();
        QCOMPARE(picture.pixel(at), qRgb(0, 0, 0));
        QCOMPARE(picture.pixel(at + QPoint(int(2 * scale), 0)), shown(kTileColours[1]));
    }
}

void MapViewTest::ctrlWheelZoomsWithinBoundsAroundTheMouse()
{
    MapGridView& view = openMap(300, 300);
    const struct {
        int start, notches;
        Qt::KeyboardModifiers modifiers;
        int expected;
    } cases[] = {
        {2, 1, Qt::ControlModifier, 3},
        {2, -1, Qt::ControlModifier, 1},
        {3, 2, Qt::ControlModifier, 5},
        {MapGridView::kZoomStepCount - 1, 3, Qt::ControlModifier, MapGridView::kZoomStepCount - 1},
        {0, -2, Qt::ControlModifier, 0},
        {1, 1, Qt::NoModifier, 1},  // a plain wheel scrolls instead
    };
    for (const auto& c : cases) {
        view.setZoomStep(c.start, {});
        // The middle of the map, so scrolling has room to keep the cell under the mouse.
        view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
        const QPoint mouse(MapGridView::kHeaderWidth + 97, MapGridView::kHeaderHeight + 61);
        const QPoint cell = view.cellAt(mouse);
        const int scrolled = view.verticalScrollBar()->value();
        turnWheel(view, mouse, c.notches, c.modifiers);
        QCOMPARE(view.zoomStep(), c.expected);
        QCOMPARE(view.cellWidth(), qRound(MapGridView::kCellWidth * MapGridView::kZoomSteps[c.expected]));
        if (c.modifiers == Qt::ControlModifier)
            QCOMPARE(view.cellAt(mouse), cell);
        else
            QVERIFY(view.verticalScrollBar()->value() < scrolled);
    }
    // The keyboard's zoom keys, around the middle of the map part.
    const struct {
        int start;
        int key;
        int expected;
    } keys[] = {{2, Qt::Key_Plus, 3}, {0, Qt::Key_Minus, 0}, {5, Qt::Key_0, MapGridView::kStartZoomStep}};
    for (const auto& k : keys) {
        view.setZoomStep(k.start, {});
        QTest::keyClick(&view, Qt::Key(k.key), Qt::ControlModifier);
        QCOMPARE(view.zoomStep(), k.expected);
    }
}

void MapViewTest::headersStayAtTheEdgesWhileTheMapScrolls()
{
    MapGridView& view = openMap(400, 400);
    const double positions[] = {0.0, 0.37, 1.0};
    for (int step : {0, MapGridView::kStartZoomStep, MapGridView::kZoomStepCount - 1}) {
        view.setZoomStep(step, {});
        for (double position : positions) {
            view.horizontalScrollBar()->setValue(int(view.horizontalScrollBar()->maximum() * position));
            view.verticalScrollBar()->setValue(int(view.verticalScrollBar()->maximum() * position) + 7);
            const QImage picture = view.viewport()->grab().toImage();
            const int w = picture.width(), h = picture.height();
            // The silver header row and column, along their whole length, beside their numbers.
            for (int x = MapGridView::kHeaderWidth; x < w - 2; x += 3) QCOMPARE(picture.pixel(x, 1), kSilver);
            for (int y = MapGridView::kHeaderHeight; y < h - 2; y += 3) QCOMPARE(picture.pixel(1, y), kSilver);
            // And the map starts right under them: the first cell shown is one of the map's.
            const QPoint first = view.cellAt({MapGridView::kHeaderWidth, MapGridView::kHeaderHeight});
            QVERIFY(first.x() >= 0 && first.y() >= 0);
            QVERIFY(view.cellCentre(first).x() <= MapGridView::kHeaderWidth + view.cellWidth() / 2);
        }
    }
}

LUDOMAT_WIDGET_TEST_MAIN(MapViewTest)
#include "map_view_test.moc"
