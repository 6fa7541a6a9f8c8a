#pragma once
// The tile-map page as a user drives it: opened from "Arquivos", cells clicked, typed and
// dragged over, keys pressed on the grid.

#include "widget_test_support.h"

#include "engine/engine.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_map_page.h"

#include <QStackedWidget>

namespace ludomat::test {

inline QString currentPage(MainWindow& window)
{
    return window.findChild<QStackedWidget*>("Abook")->currentWidget()->objectName();
}

inline MapGridView& grid(MainWindow& window)
{
    return window.tileMapPage().mapView();
}

// Opens the page as the user does: "Arquivos", then the "Tiles" picture.
inline void openPage(MainWindow& window)
{
    click(window, "btArq");
    click(window, "imTiles");
}

inline void clickCell(MainWindow& window, QPoint cell, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(grid(window).viewport(), button, Qt::NoModifier, grid(window).cellCentre(cell));
}

// Selects the cell and types its text, then Enter.
inline void typeCell(MainWindow& window, QPoint cell, const QString& text)
{
    window.tileMapPage().setTool(TileMapPage::Tool::Select);
    clickCell(window, cell);
    // The first key opens the cell's editor, which then has the focus.
    for (QChar c : text + "\n") {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : grid(window).viewport();
        typeText(target, QString(c));
    }
}

// A press on the first cell, moves over the others with the button held, and a release.
inline void drag(MainWindow& window, const QList<QPoint>& cells)
{
    QWidget* viewport = grid(window).viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, grid(window).cellCentre(cells.first()));
    for (QPoint cell : cells.mid(1)) QTest::mouseMove(viewport, grid(window).cellCentre(cell));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, grid(window).cellCentre(cells.last()));
}

inline QString cell(MainWindow& window, int c, int r)
{
    return QString::fromStdString(window.tileMapPage().document().map().cellText(c, r));
}

inline void pressKeys(MainWindow& window, QKeySequence keys)
{
    QTest::keySequence(grid(window).viewport(), keys);
}

// The texts of several cells, to compare with a row of expected texts at once.
inline QStringList cells(MainWindow& window, std::initializer_list<QPoint> at)
{
    QStringList out;
    for (QPoint p : at) out << cell(window, p.x(), p.y());
    return out;
}

inline void undo(MainWindow& window)
{
    pressKeys(window, QKeySequence(Qt::CTRL | Qt::Key_Z));
}

// Widens the map by `columns` and lengthens it by `rows` with the page's buttons.
inline void grow(MainWindow& window, int columns, int rows)
{
    for (int i = 0; i < columns; ++i) click(window, "btTMcoluna");
    for (int i = 0; i < rows; ++i) click(window, "btTMlinha");
}

}  // namespace ludomat::test
