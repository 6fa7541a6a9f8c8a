// Times the tile-map page on the largest map the reader takes (1000 x 1000 cells) against the
// same gestures on a 10 x 10 map in the same run: a 50-cell brush stroke made of real mouse
// events, scrolling the grid by a page and repainting it, "save map:", re-reading the map when
// the page opens, the first paint of the page, a Ctrl+wheel notch with its repaint, and a bucket
// fill of the whole map with its undo. The grid's paint, now with a tile picture in every cell,
// is also set against the plain number-only drawing of the same cells as a baseline.
//
//   QT_QPA_PLATFORM=offscreen build/tile_map_editor_bench [repeats]

#include "engine/engine.h"
#include "graphics/tile_set.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_map_page.h"
#include "studio/files/program_folder.h"
#include "studio/window/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace ludomat;

namespace {

// The fastest of `repeats` runs, in milliseconds.
double fastest(int repeats, const std::function<void()>& prepare, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

struct Figures {
    double stroke, scroll, save, reopen, firstPaint, zoomIn, zoomOut, repaint, numbersOnly, bucket, undo;
};

// 256 tiles of 5 x 5, each in a colour of its own with a darker middle pixel.
Bitmap benchStrip()
{
    Bitmap strip(256 * 5, 5);
    for (int t = 0; t < 256; ++t)
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x)
                strip.setPixel(t * 5 + x, y, (x == 2 && y == 2) ? 0x202020 : Rgb((t * 0x9E3779u) & 0xFFFFFF));
    return strip;
}

// The baseline: the grid's cells drawn as numbers only, as the page drew them before it drew
// tile pictures, over the same visible cells of an image the viewport's size.
void paintNumbersOnly(QImage& image, const MapGrid& map, int firstColumn, int firstRow)
{
    const int cw = MapGridView::kCellWidth, ch = MapGridView::kCellHeight;
    QPainter p(&image);
    p.fillRect(image.rect(), Qt::white);
    p.setFont(QFont("Liberation Sans", 8));
    const int columns = std::min(map.columns() - firstColumn, image.width() / cw + 1);
    const int rows = std::min(map.rows() - firstRow, image.height() / ch + 1);
    p.fillRect(0, 0, image.width(), ch, QColor(0xc0, 0xc0, 0xc0));
    p.fillRect(0, 0, cw, image.height(), QColor(0xc0, 0xc0, 0xc0));
    for (int i = 0; i < columns; ++i)
        p.drawText(QRect(cw * (i + 1), 0, cw, ch), Qt::AlignCenter, QString::number(firstColumn + i));
    for (int j = 0; j < rows; ++j)
        p.drawText(QRect(0, ch * (j + 1), cw, ch), Qt::AlignCenter, QString::number(firstRow + j));
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const std::string& text = map.cellText(firstColumn + i, firstRow + j);
            p.setPen(text == "0" ? QColor(0xb0, 0xb0, 0xb0) : Qt::black);
            p.drawText(QRect(cw * (i + 1) + 2, ch * (j + 1), cw - 5, ch), Qt::AlignRight | Qt::AlignVCenter,
                       QString::fromStdString(text));
        }
    p.setPen(QColor(0x9a, 0xa0, 0xa6));
    for (int i = 0; i <= columns + 1; ++i) p.drawLine(cw * i, 0, cw * i, ch * (rows + 1));
    for (int j = 0; j <= rows + 1; ++j) p.drawLine(0, ch * j, cw * (columns + 1), ch * j);
}

void turnWheel(MapGridView& grid, int notches)
{
    const QPoint at = grid.viewport()->rect().center();
    QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &wheel);
}

Figures measure(MainWindow& window, int side, int repeats)
{
    TileMapPage& page = window.tileMapPage();
    MapGridView& grid = page.mapView();
    // The map a run left in the engine; the page takes it when it opens.
    MapGrid& engineMap = window.engine().mapGrid();
    engineMap.clear();
    engineMap.resize(side, side);
    engineMap.setName("");
    // Every cell a tile with a picture, so every visible cell draws one.
    for (int r = 0; r < side; ++r)
        for (int c = 0; c < side; ++c) engineMap.setTile(c, r, 1 + (c * 7 + r * 13) % 255);
    window.engine().plotSettings().setPlotSize(5, 5);
    window.engine().tileSet().setPicture(benchStrip());
    // What the last measure left unsaved goes, so the page takes the engine's map.
    window.setSaveQuestion([](const QString&) { return SaveAnswer::Discard; });
    page.settleChanges();
    page.enter();
    MapGrid& map = page.document().map();
    page.selectTile(3);
    Figures f{};

    // 50 cells: along the first visible row and down the first visible column.
    std::vector<QPoint> cells;
    for (int c = 0; c < 10; ++c) cells.push_back({c, 0});
    for (int r = 1; r < 41 && int(cells.size()) < 50; ++r) cells.push_back({9, r % 7});
    int tile = 0;
    f.stroke = fastest(
        repeats,
        [&] {
            page.selectTile(1 + (++tile % 200));
            page.setTool(TileMapPage::Tool::Brush);
        },
        [&] {
            QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, grid.cellCentre(cells[0]));
            for (size_t i = 1; i < cells.size(); ++i) QTest::mouseMove(grid.viewport(), grid.cellCentre(cells[i]));
            QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, grid.cellCentre(cells.back()));
            grid.viewport()->repaint();
        });

    int step = 0;
    f.scroll = fastest(
        repeats, [] {},
        [&] {
            // A page down and right, painted at once.
            QScrollBar* v = grid.verticalScrollBar();
            QScrollBar* h = grid.horizontalScrollBar();
            v->setValue((++step * v->pageStep()) % (v->maximum() + 1));
            h->setValue((step * h->pageStep()) % (h->maximum() + 1));
            grid.viewport()->repaint();
        });

    window.findChild<QLineEdit*>("edTMmapa")->setText("bench.tlm");
    f.save = fastest(
        repeats, [] {},
        [&] {
            if (!page.saveMap()) std::fprintf(stderr, "save failed: %s\n", qPrintable(page.message()));
        });
    f.reopen = fastest(
        repeats, [] {}, [&] { page.enter(); });
    // From another page: opening the map page until its grid is painted.
    f.firstPaint = fastest(
        repeats, [&] { window.showPage("Fonte"); },
        [&] {
            page.enter();
            grid.viewport()->repaint();
        });

    // A notch in and a notch out around the middle, each painted at once.
    grid.setZoomStep(MapGridView::kStartZoomStep, grid.viewport()->rect().center());
    f.zoomIn = fastest(
        repeats, [&] { grid.setZoomStep(MapGridView::kStartZoomStep, {}); },
        [&] {
            turnWheel(grid, 1);
            grid.viewport()->repaint();
        });
    // Out to half size: the most cells a viewport shows.
    f.zoomOut = fastest(
        repeats, [&] { grid.setZoomStep(1, {}); },
        [&] {
            turnWheel(grid, -1);
            grid.viewport()->repaint();
        });
    if (grid.zoomStep() != 0) std::fprintf(stderr, "Ctrl+wheel did not zoom\n");
    // A repaint at zoom 1 against the number-only drawing of the same cells.
    grid.setZoomStep(MapGridView::kStartZoomStep, {});
    grid.viewport()->repaint();
    f.repaint = fastest(
        repeats, [] {}, [&] { grid.viewport()->repaint(); });
    QImage numbers(grid.viewport()->size(), QImage::Format_RGB32);
    f.numbersOnly = fastest(
        repeats, [] {},
        [&] {
            paintNumbersOnly(numbers, map, grid.horizontalScrollBar()->value() / grid.cellWidth(),
                             grid.verticalScrollBar()->value() / grid.cellHeight());
        });

    page.selectTile(0);
    int fill = 0;
    f.bucket = fastest(
        repeats,
        [&] {
            // Every cell one tile first, so the fill covers the whole map.
            map.clear();
            map.resize(side, side);
            grid.mapChanged();
            grid.horizontalScrollBar()->setValue(0);
            grid.verticalScrollBar()->setValue(0);
            page.undoStack().clear();
            page.selectTile(1 + (++fill % 200));
            page.setTool(TileMapPage::Tool::Bucket);
        },
        [&] {
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, grid.cellCentre({0, 0}));
            grid.viewport()->repaint();
        });
    // A fill that missed would make the figures meaningless.
    if (map.cellText(side - 1, side - 1) == "0" || page.undoStack().count() != 1)
        std::fprintf(stderr, "the bucket fill did not cover the map\n");
    f.undo = fastest(
                 repeats, [] {},
                 [&] {
                     page.undoStack().undo();
                     grid.viewport()->repaint();
                     page.undoStack().redo();
                     grid.viewport()->repaint();
                 }) /
             2;
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ensureRuntimeFolder();
    QApplication app(argc, argv);
    int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir folder;
    MainWindow window(folder.path());
    window.setErrorBoxesEnabled(false);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "window not exposed\n");

    Figures small = measure(window, 10, repeats);
    Figures large = measure(window, 1000, repeats);
    std::printf("tile-map page, fastest of %d, milliseconds\n", repeats);
    std::printf("%-40s %10s %12s %8s\n", "gesture", "10 x 10", "1000 x 1000", "ratio");
    auto row = [](const char* name, double a, double b) {
        std::printf("%-40s %10.3f %12.3f %8.1f\n", name, a, b, b / a);
    };
    row("brush stroke of 50 cells", small.stroke, large.stroke);
    row("scroll a page and repaint", small.scroll, large.scroll);
    row("save map: (format + atomic write)", small.save, large.save);
    row("reopen page (re-read the .tlm)", small.reopen, large.reopen);
    row("open page until the grid is painted", small.firstPaint, large.firstPaint);
    row("Ctrl+wheel notch in, repainted", small.zoomIn, large.zoomIn);
    row("Ctrl+wheel notch out to 1/2, repainted", small.zoomOut, large.zoomOut);
    row("bucket fill of the whole map", small.bucket, large.bucket);
    row("undo or redo of that fill", small.undo, large.undo);
    std::printf("\ngrid repaint at zoom 1 against the number-only drawing of the same cells\n");
    std::printf("%-40s %10s %12s\n", "", "10 x 10", "1000 x 1000");
    std::printf("%-40s %10.3f %12.3f\n", "pictures and numbers (the grid)", small.repaint, large.repaint);
    std::printf("%-40s %10.3f %12.3f\n", "numbers only (baseline)", small.numbersOnly, large.numbersOnly);
    std::printf("%-40s %10.1f %12.1f\n", "ratio", small.repaint / small.numbersOnly, large.repaint / large.numbersOnly);
    return 0;
}
