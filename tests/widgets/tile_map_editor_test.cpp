// The tile-map page as a user drives it: cells typed and painted with the mouse, rows and
// columns added, maps and tile strips saved under the naming rules, the "tilemap" lines written
// into the script, "ver" on the screen, undo and redo, fills, and the map a script draws.

#include "widget_test_support.h"

#include "engine/engine.h"
#include "graphics/tile_map_file.h"
#include "studio/editing/script_editor.h"
#include "studio/editors/editor_art.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_map_page.h"
#include "studio/editors/tilemap/tile_widgets.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace ludomat;
using namespace ludomat::test;

class TileMapEditorTest : public QObject {
    Q_OBJECT

private slots:
    void savedMapsAndTileStripsFollowTheNamingRules();
    void badCellsAndBadNamesAreRefusedBeforeWriting();
    void loadAndViewRowsReplaceOnlyTheirOwnLine();
    void strokesFillsAndListChangesUndoAsOneStepEach();
    void pagePicksTilesAndReopensTheMapFile();
    void mapPaintedHereIsDrawnAlikeByAScript();
    void mapBuiltHerePlaysFromAnEmptyScript();
    void fastStrokesLeaveNoGapsAndFieldsUndoTheirOwnTyping();
};

namespace {

QString currentPage(MainWindow& window)
{
    return window.findChild<QStackedWidget*>("Abook")->currentWidget()->objectName();
}

MapGridView& grid(MainWindow& window) { return window.tileMapPage().mapView(); }

// Opens the page as the user does: "Arquivos", then the "Tiles" picture.
void openPage(MainWindow& window)
{
    click(window, "btArq");
    click(window, "imTiles");
}

void clickCell(MainWindow& window, QPoint cell, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(grid(window).viewport(), button, Qt::NoModifier, grid(window).cellCentre(cell));
}

// Selects the cell and types its text, then Enter.
void typeCell(MainWindow& window, QPoint cell, const QString& text)
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
void drag(MainWindow& window, const QList<QPoint>& cells)
{
    QWidget* viewport = grid(window).viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, grid(window).cellCentre(cells.first()));
    for (QPoint cell : cells.mid(1)) QTest::mouseMove(viewport, grid(window).cellCentre(cell));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, grid(window).cellCentre(cells.last()));
}

QString cell(MainWindow& window, int c, int r)
{
    return QString::fromStdString(window.tileMapPage().document().map().cellText(c, r));
}

void pressKeys(MainWindow& window, QKeySequence keys)
{
    QTest::keySequence(grid(window).viewport(), keys);
}

}  // namespace

void TileMapEditorTest::savedMapsAndTileStripsFollowTheNamingRules()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    openPage(*window);
    QCOMPARE(currentPage(*window), QString("TileMap"));
    QCOMPARE(labelText(*window, "lbTMdef"), QString("tiles: 5 x 5 grid: 152 x 84"));
    QCOMPARE(labelText(*window, "lbTMtls"), QString("tiles: 1"));
    QStringList view;
    for (int i = 0; i < 6; ++i) view << window->findChild<QLineEdit*>(qPrintable(QString("edTMv%1").arg(i)))->text();
    QCOMPARE(view.join(','), QString("0,0,1,1,0,0"));
    // The intro picture the first time only.
    QVERIFY(window->engine().screen().tela == Bitmap::fromImage(editor_art::tileMapIntro()));
    window->engine().screen().tela.fill(0x123456);
    openPage(*window);
    QCOMPARE(window->engine().screen().tela.pixel(100, 100), Rgb(0x123456));

    // A fresh page saved with an empty name writes "000.tlm" holding one line "00".
    click(*window, "btTMsaveMap");
    QCOMPARE(readFile(folder.filePath("000.tlm")), QByteArray("00\r\n"));
    QCOMPARE(window->findChild<QLineEdit*>("edTMmapa")->text(), QString("000.tlm"));
    QVERIFY(!window->findChild<QListWidget*>("flTM")->findItems("000.tlm", Qt::MatchExactly).isEmpty());

    // Two rows, three columns holding 1, 2, 0 / 10, 0, 255.
    click(*window, "btTMcoluna");
    click(*window, "btTMcoluna");
    click(*window, "btTMlinha");
    QCOMPARE(window->tileMapPage().document().map().columns(), 3);
    QCOMPARE(window->tileMapPage().document().map().rows(), 2);
    const int values[2][3] = {{1, 2, 0}, {10, 0, 255}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) typeCell(*window, QPoint(c, r), QString::number(values[r][c]));
    enterText(*window, "edTMmapa", "fase");
    click(*window, "btTMsaveMap");
    QCOMPARE(window->findChild<QLineEdit*>("edTMmapa")->text(), QString("fase.tlm"));
    QCOMPARE(readFile(folder.filePath("fase.tlm")), QByteArray("010200\r\n0A00FF\r\n"));

    // "save tiles:": a picture name becomes .bmp, a bare name gets .bmp, empty is 000.bmp.
    click(*window, "btTMadd");
    QCOMPARE(labelText(*window, "lbTMtls"), QString("tiles: 2"));
    const struct {
        QString typed, written;
    } names[] = {{"tiles.png", "tiles.bmp"}, {"faixa", "faixa.bmp"}, {"", "000.bmp"}, {"t.p", "t.bmp"}};
    for (const auto& name : names) {
        enterText(*window, "edTMtiles", name.typed);
        click(*window, "btTMsaveTiles");
        QCOMPARE(window->findChild<QLineEdit*>("edTMtiles")->text(), name.written);
        QImage saved(folder.filePath(name.written), "BMP");
        QCOMPARE(saved.size(), QSize(10, 5));
        QCOMPARE(saved.pixel(7, 2) & 0xFFFFFF, 0xFFFFFFu);
    }
    QVERIFY(!QFile::exists(folder.filePath("tiles.png")));
}

void TileMapEditorTest::badCellsAndBadNamesAreRefusedBeforeWriting()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    openPage(*window);
    click(*window, "btTMcoluna");
    typeCell(*window, QPoint(0, 0), "7");
    enterText(*window, "edTMmapa", "m");
    click(*window, "btTMsaveMap");
    QCOMPARE(readFile(folder.filePath("m.tlm")), QByteArray("0700\r\n"));

    // A cell beyond a byte, or no number, is named and the old file stays as it was.
    for (QString bad : QStringList{"256", "abc", "-1"}) {
        typeCell(*window, QPoint(1, 0), bad);
        click(*window, "btTMsaveMap");
        QString message = window->tileMapPage().message();
        QVERIFY2(message.startsWith("Mapa não gravado") && message.contains("coluna 1, linha 0") && message.contains(bad),
                 qPrintable(message));
        QCOMPARE(labelText(*window, "Stx"), message);
        QCOMPARE(readFile(folder.filePath("m.tlm")), QByteArray("0700\r\n"));
        QCOMPARE(cell(*window, 1, 0), bad);  // the map keeps what was typed
    }
    // "ver" draws up to a cell that is no number and names it too.
    typeCell(*window, QPoint(1, 0), "abc");
    enterText(*window, "edTMv2", "5");
    enterText(*window, "edTMv3", "5");
    click(*window, "btTMver");
    QVERIFY2(window->tileMapPage().message().startsWith("Mapa desenhado só até") &&
                 window->tileMapPage().message().contains("coluna 1, linha 0"),
             qPrintable(window->tileMapPage().message()));

    // Names that leave the game folder or hold control characters are refused.
    typeCell(*window, QPoint(1, 0), "3");
    for (QString name : QStringList{"../fora.tlm", "sub/x.tlm", "a\tb.tlm"}) {
        window->findChild<QLineEdit*>("edTMmapa")->setText(name);
        click(*window, "btTMsaveMap");
        QVERIFY2(window->tileMapPage().message().startsWith("Nome de arquivo recusado"),
                 qPrintable(window->tileMapPage().message()));
        window->findChild<QLineEdit*>("edTMtiles")->setText(name);
        click(*window, "btTMsaveTiles");
        QVERIFY(window->tileMapPage().message().startsWith("Nome de arquivo recusado"));
    }
    QVERIFY(!QFile::exists(folder.filePath("../fora.tlm")));
    QVERIFY(!QFile::exists(folder.filePath("../fora.bmp")));

    // A save that fails says so and keeps the map.
    QDir(folder.path()).mkdir("pasta.tlm");
    enterText(*window, "edTMmapa", "pasta.tlm");
    click(*window, "btTMsaveMap");
    QVERIFY2(window->tileMapPage().message().startsWith("Não foi possível gravar"),
             qPrintable(window->tileMapPage().message()));
    QCOMPARE(cell(*window, 1, 0), QString("3"));
}

void TileMapEditorTest::loadAndViewRowsReplaceOnlyTheirOwnLine()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"// fase", "  tilemap 1,1", "  tilemap mapa.tlm,tiles.bmp", "  tilemap 2,2", "  fim"});
    openPage(*window);
    enterText(*window, "edTMmapa", "novo.tlm");
    enterText(*window, "edTMtiles", "novo.png");
    QTest::mouseClick(window->findChild<QLabel*>("lbTMload"), Qt::LeftButton);
    QCOMPARE(currentPage(*window), QString("Fonte"));
    // The script sets no tile size before it: the one the strip needs goes above.
    QCOMPARE(editorLines(*window), QStringList({"// fase", "  tilemap 1,1", "  defplot= 5,5",
                                                "  tilemap novo.tlm,novo.png", "  tilemap 2,2", "  fim"}));

    openPage(*window);
    const char* values[] = {"3", "4", "10", "5", "x", "7"};
    for (int i = 0; i < 6; ++i) enterText(*window, qPrintable(QString("edTMv%1").arg(i)), values[i]);
    // A field that is no number shows 0.
    QCOMPARE(window->findChild<QLineEdit*>("edTMv4")->text(), QString("0"));
    QTest::mouseClick(window->findChild<QLabel*>("lbTMview"), Qt::LeftButton);
    QCOMPARE(editorLines(*window), QStringList({"// fase", "  tilemap 3,4,10,5,0,7", "  defplot= 5,5",
                                                "  tilemap novo.tlm,novo.png", "  tilemap 2,2", "  fim"}));
    QVERIFY(window->editor().isEdited());

    // With no "tilemap" line, the line goes in at the caret.
    setScript(*window, {"a", "b", "c"});
    window->editor().selectLine(1);
    openPage(*window);
    enterText(*window, "edTMmapa", "novo.tlm");
    enterText(*window, "edTMtiles", "novo.png");
    QTest::mouseClick(window->findChild<QLabel*>("lbTMload"), Qt::LeftButton);
    QCOMPARE(editorLines(*window), QStringList({"a", "  defplot= 5,5", "  tilemap novo.tlm,novo.png", "b", "c"}));
    // A tile size set earlier stays the script's own.
    setScript(*window, {"  defplot 10,10", "c"});
    window->editor().selectLine(1);
    openPage(*window);
    enterText(*window, "edTMmapa", "novo.tlm");
    enterText(*window, "edTMtiles", "novo.png");
    QTest::mouseClick(window->findChild<QLabel*>("lbTMload"), Qt::LeftButton);
    QCOMPARE(editorLines(*window), QStringList({"  defplot 10,10", "  tilemap novo.tlm,novo.png", "c"}));
}

void TileMapEditorTest::strokesFillsAndListChangesUndoAsOneStepEach()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    openPage(*window);
    TileMapPage& page = window->tileMapPage();
    for (int i = 0; i < 9; ++i) click(*window, "btTMcoluna");
    for (int i = 0; i < 5; ++i) click(*window, "btTMlinha");
    QCOMPARE(window->tileMapPage().document().map().columns(), 10);
    QCOMPARE(window->tileMapPage().document().map().rows(), 6);
    QCOMPARE(page.undoStack().count(), 14);

    // A brush stroke over a row and back down a column is one step.
    page.selectTile(4);
    page.setTool(TileMapPage::Tool::Brush);
    QList<QPoint> stroke;
    for (int c = 0; c < 10; ++c) stroke << QPoint(c, 0);
    for (int r = 1; r < 6; ++r) stroke << QPoint(9, r);
    drag(*window, stroke);
    QCOMPARE(page.undoStack().count(), 15);
    QCOMPARE(cell(*window, 0, 0), QString("4"));
    QCOMPARE(cell(*window, 9, 5), QString("4"));
    QCOMPARE(cell(*window, 5, 3), QString("0"));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    for (QPoint p : stroke) QCOMPARE(cell(*window, p.x(), p.y()), QString("0"));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QCOMPARE(cell(*window, 9, 5), QString("4"));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QCOMPARE(cell(*window, 3, 0), QString("4"));

    // A rectangle from (1,1) to (3,4), then the bucket fills the zeros around it, not past the stroke.
    page.selectTile(2);
    page.setTool(TileMapPage::Tool::Rectangle);
    drag(*window, {QPoint(3, 4), QPoint(2, 2), QPoint(1, 1)});
    QCOMPARE(cell(*window, 1, 1), QString("2"));
    QCOMPARE(cell(*window, 3, 4), QString("2"));
    QCOMPARE(cell(*window, 4, 4), QString("0"));
    QCOMPARE(cell(*window, 0, 1), QString("0"));
    page.selectTile(7);
    page.setTool(TileMapPage::Tool::Bucket);
    clickCell(*window, QPoint(0, 5));
    QCOMPARE(cell(*window, 0, 5), QString("7"));
    QCOMPARE(cell(*window, 8, 1), QString("7"));
    QCOMPARE(cell(*window, 2, 2), QString("2"));  // inside the rectangle: another tile
    QCOMPARE(cell(*window, 9, 1), QString("4"));  // the stroke bounds the region
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(cell(*window, 0, 5), QString("0"));
    QCOMPARE(cell(*window, 8, 1), QString("0"));
    QCOMPARE(cell(*window, 2, 2), QString("2"));

    // Right click picks the tile under the mouse; the hovered cell is named.
    clickCell(*window, QPoint(2, 3), Qt::RightButton);
    QCOMPARE(page.currentTile(), 2);
    QCOMPARE(labelText(*window, "lbTMtile"), QString("tile: 2"));
    QTest::mouseMove(grid(*window).viewport(), grid(*window).cellCentre(QPoint(9, 2)));
    QCOMPARE(labelText(*window, "lbTMhover"), QString("col 9, lin 2: tile 4"));

    // clearmap, + coluna and [ + ] come back with undo too.
    click(*window, "btTMclear");
    QCOMPARE(window->tileMapPage().document().map().columns(), 1);
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(window->tileMapPage().document().map().columns(), 10);
    QCOMPARE(cell(*window, 3, 4), QString("2"));
    click(*window, "btTMcoluna");
    click(*window, "btTMadd");
    QCOMPARE(labelText(*window, "lbTMtls"), QString("tiles: 2"));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(labelText(*window, "lbTMtls"), QString("tiles: 1"));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(window->tileMapPage().document().map().columns(), 10);

    // At least a hundred steps are kept.
    page.setTool(TileMapPage::Tool::Select);
    for (int i = 0; i < 120; ++i) typeCell(*window, QPoint(i % 10, 5), QString::number(i % 9 + 1) + QString::number(i));
    for (int i = 0; i < 120; ++i) pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(cell(*window, 4, 5), QString("0"));

    // A run that loads another map, the changes discarded: the page opens on that map, and the
    // old steps are gone rather than written into it.
    typeCell(*window, QPoint(0, 0), "8");
    writeFile(folder.filePath("outro.tlm"), "0102\r\n");
    setScript(*window, {"  tilemap outro.tlm", "  fim"});
    window->setSaveQuestion([](const QString&) { return SaveAnswer::Discard; });
    window->execute();
    openPage(*window);
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(window->tileMapPage().document().map().columns(), 2);
    QCOMPARE(cell(*window, 0, 0), QString("1"));
    QCOMPARE(page.undoStack().count(), 0);
}

void TileMapEditorTest::pagePicksTilesAndReopensTheMapFile()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("lvl.tlm"), "0102\r\n0300\r\n");
    auto window = openWindow(folder);
    openPage(*window);
    auto* list = window->findChild<QListWidget*>("flTM");
    QList<QListWidgetItem*> items = list->findItems("lvl.tlm", Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(items[0]).center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(items[0]).center());
    QVERIFY2(window->tileMapPage().message().isEmpty(), qPrintable(window->tileMapPage().message()));
    QCOMPARE(window->findChild<QLineEdit*>("edTMmapa")->text(), QString("lvl.tlm"));
    QCOMPARE(cell(*window, 1, 0), QString("2"));
    QCOMPARE(cell(*window, 0, 1), QString("3"));

    // Selecting a cell that holds a tile makes it the current tile; a double click on the strip
    // places the current tile into the selected cell.
    clickCell(*window, QPoint(0, 1));
    QCOMPARE(window->tileMapPage().currentTile(), 3);
    clickCell(*window, QPoint(1, 1));
    click(*window, "btTMadd");
    QWidget* strip = window->findChild<QWidget*>("TMtls");
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(window->tileMapPage().currentTile(), 0);
    QCOMPARE(labelText(*window, "lbTMtile"), QString("tile: 0"));
    // A real double click: press and release, then the double click.
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(7, 2));
    QTest::mouseDClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(7, 2));
    QCOMPARE(window->tileMapPage().currentTile(), 1);
    QCOMPARE(cell(*window, 1, 1), QString("1"));

    // Unsaved edits survive leaving and reopening the page; a saved map is read again.
    typeCell(*window, QPoint(0, 0), "9");
    click(*window, "btLst");
    openPage(*window);
    QCOMPARE(cell(*window, 0, 0), QString("9"));
    click(*window, "btTMsaveMap");
    writeFile(folder.filePath("lvl.tlm"), "05\r\n");
    openPage(*window);
    QCOMPARE(cell(*window, 0, 0), QString("5"));

    // The map file gone: the error is shown and the map stays.
    QFile::remove(folder.filePath("lvl.tlm"));
    openPage(*window);
    QVERIFY2(labelText(*window, "Stx").contains("lvl.tlm"), qPrintable(labelText(*window, "Stx")));
    QCOMPARE(cell(*window, 0, 0), QString("5"));
}

void TileMapEditorTest::mapPaintedHereIsDrawnAlikeByAScript()
{
#ifndef LUDOMAT_RUN_PATH
    QSKIP("ludomat-run is not built");
#else
    QTemporaryDir folder;
    auto window = openWindow(folder);
    window->engine().textSettings().paperColour = "203040";
    openPage(*window);
    TileMapPage& page = window->tileMapPage();
    auto* zoom = window->findChild<QWidget*>("TMzoom");
    auto* palette = window->findChild<QWidget*>("TMpal");
    // Tile 1: a red frame, magenta (see-through) inside with a green dot; tile 2 all blue.
    click(*window, "btTMadd");
    click(*window, "btTMadd");
    QWidget* strip = window->findChild<QWidget*>("TMtls");
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(7, 2));
    QCOMPARE(page.currentTile(), 1);
    enterText(*window, "edTMcor", "FF00FF");
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) QTest::mouseClick(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(10 * i + 5, 10 * j + 5));
    enterText(*window, "edTMcor", "CC0000");
    QTest::mousePress(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    for (int i = 1; i < 5; ++i) QTest::mouseMove(zoom, QPoint(10 * i + 5, 5));
    QTest::mouseRelease(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(45, 5));
    enterText(*window, "edTMcor", "00CC00");
    QTest::mouseClick(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(25, 25));
    QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(12, 2));
    QTest::mouseClick(palette, Qt::LeftButton, Qt::NoModifier, QPoint(5, 20));
    const QString picked = window->findChild<QLineEdit*>("edTMcor")->text();
    QVERIFY(picked != "00CC00");
    QTest::mousePress(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) QTest::mouseMove(zoom, QPoint(10 * i + 5, 10 * j + 5));
    QTest::mouseRelease(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(45, 45));
    QCOMPARE(window->tileMapPage().document().tiles().picture().pixel(13, 4), Rgb(picked.toUInt(nullptr, 16)));
    // That whole stroke is one undo step, and comes back with redo.
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(window->tileMapPage().document().tiles().picture().pixel(13, 4), Rgb(0xFFFFFF));
    QCOMPARE(window->tileMapPage().document().tiles().picture().pixel(7, 2), Rgb(0x00CC00));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QCOMPARE(window->tileMapPage().document().tiles().picture().pixel(13, 4), Rgb(picked.toUInt(nullptr, 16)));

    // A 4 x 3 map: tile 1 and 2 here and there, one cell set to 0 on purpose.
    for (int i = 0; i < 3; ++i) click(*window, "btTMcoluna");
    for (int i = 0; i < 2; ++i) click(*window, "btTMlinha");
    page.selectTile(1);
    page.setTool(TileMapPage::Tool::Brush);
    drag(*window, {QPoint(0, 0), QPoint(1, 0), QPoint(1, 1), QPoint(1, 2)});
    page.selectTile(2);
    drag(*window, {QPoint(3, 0), QPoint(3, 1)});
    typeCell(*window, QPoint(2, 2), "2");
    typeCell(*window, QPoint(2, 2), "0");
    enterText(*window, "edTMmapa", "rt");
    click(*window, "btTMsaveMap");
    enterText(*window, "edTMtiles", "rt");
    click(*window, "btTMsaveTiles");
    const char* view[] = {"2", "3", "4", "3", "0", "0"};
    for (int i = 0; i < 6; ++i) enterText(*window, qPrintable(QString("edTMv%1").arg(i)), view[i]);
    click(*window, "btTMver");
    Bitmap seen = window->engine().screen().tela;
    // Tile 0 placed in a cell leaves it empty: the paper shows there.
    QCOMPARE(seen.pixel((2 + 2) * 5 + 2, (3 + 2) * 5 + 2), Rgb(0x203040));
    QCOMPARE(seen.pixel((2 + 0) * 5 + 2, (3 + 0) * 5 + 2), Rgb(0x00CC00));
    QCOMPARE(seen.pixel((2 + 0) * 5 + 1, (3 + 0) * 5 + 1), Rgb(0x203040));  // see-through magenta

    setScript(*window, {"  corfnd= 203040", "  clearbuf", "", "", "  refresh", "  fim"});
    window->editor().selectLine(2);
    QTest::mouseClick(window->findChild<QLabel*>("lbTMload"), Qt::LeftButton);
    window->editor().selectLine(3);
    openPage(*window);
    QTest::mouseClick(window->findChild<QLabel*>("lbTMview"), Qt::LeftButton);
    QCOMPARE(editorLines(*window),
             QStringList({"  corfnd= 203040", "  clearbuf", "  defplot= 5,5", "  tilemap rt.tlm,rt.bmp",
                          "  tilemap 2,3,4,3,0,0", "", "", "  refresh", "  fim"}));
    writeFile(folder.filePath("rt.scp"), editorLines(*window).join("\r\n").toUtf8() + "\r\n");
    QProcess run;
    run.start(LUDOMAT_RUN_PATH, {"--game-folder", folder.path(), "--snapshot", folder.filePath("shot.png"),
                                 folder.filePath("rt.scp")});
    QVERIFY(run.waitForFinished(60000));
    QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
    QImage shot(folder.filePath("shot.png"));
    QImage mine = seen.view().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.convertToFormat(QImage::Format_RGB32), mine);

    // "grid" lays the grey plot grid over the picture: lines every 5 pixels, paper between.
    click(*window, "btTMgrid");
    const Bitmap& gridded = window->engine().screen().tela;
    QCOMPARE(gridded.pixel(5, 2), Rgb(0x808080));
    QCOMPARE(gridded.pixel(2, 10), Rgb(0x808080));
    QCOMPARE(gridded.pixel(2, 2), Rgb(0x203040));
    QCOMPARE(gridded.pixel(12, 17), Rgb(0x00CC00));
#endif
}

void TileMapEditorTest::mapBuiltHerePlaysFromAnEmptyScript()
{
#ifndef LUDOMAT_RUN_PATH
    QSKIP("ludomat-run is not built");
#else
    QTemporaryDir folder;
    auto window = openWindow(folder);
    // Tiles of 8 x 6, set by an earlier run; the script written here must say so itself.
    setScript(*window, {"  defplot 8,6", "  fim"});
    window->execute();
    openPage(*window);
    TileMapPage& page = window->tileMapPage();
    QCOMPARE(labelText(*window, "lbTMdef"), QString("tiles: 8 x 6 grid: 95 x 70"));
    const Rgb colours[] = {0xC03020, 0x2040D0};
    for (Rgb colour : colours) {
        page.setCurrentColour(colour);
        click(*window, "btTMadd");
    }
    // A 3 x 2 map: 1 2 1 / 2 1 1.
    for (int i = 0; i < 2; ++i) click(*window, "btTMcoluna");
    click(*window, "btTMlinha");
    const int tiles[2][3] = {{1, 2, 1}, {2, 1, 1}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) typeCell(*window, QPoint(c, r), QString::number(tiles[r][c]));
    enterText(*window, "edTMmapa", "m.tlm");
    click(*window, "btTMsaveMap");
    enterText(*window, "edTMtiles", "m.bmp");
    click(*window, "btTMsaveTiles");
    // Enter in a view field sets the view, which the page shows again when it reopens.
    const char* view[] = {"2", "1", "3", "2", "0", "0"};
    for (int i = 0; i < 6; ++i) enterText(*window, qPrintable(QString("edTMv%1").arg(i)), view[i]);
    QCOMPARE(window->engine().mapView(), (MapView{2, 1, 3, 2, 0, 0}));
    click(*window, "btLst");
    openPage(*window);
    QCOMPARE(window->findChild<QLineEdit*>("edTMv2")->text(), QString("3"));
    click(*window, "btTMver");
    const Bitmap seen = window->engine().screen().tela;
    QCOMPARE(seen.pixel(2 * 8 + 1, 1 * 6 + 1), colours[0]);

    // The two words into an empty script: the tile size above the load line, the view after it.
    setScript(*window, {""});
    window->editor().selectLine(0);
    QTest::mouseClick(window->findChild<QLabel*>("lbTMload"), Qt::LeftButton);
    QVERIFY2(page.message().contains("defplot= 8,6"), qPrintable(page.message()));
    openPage(*window);
    QTest::mouseClick(window->findChild<QLabel*>("lbTMview"), Qt::LeftButton);
    QCOMPARE(editorLines(*window), QStringList({"  defplot= 8,6", "  tilemap m.tlm,m.bmp", "  tilemap 2,1,3,2,0,0"}));
    writeFile(folder.filePath("jogo.scp"), editorLines(*window).join("\r\n").toUtf8() + "\r\n");
    QProcess run;
    run.start(LUDOMAT_RUN_PATH,
              {"--game-folder", folder.path(), "--snapshot", folder.filePath("jogo.png"), folder.filePath("jogo.scp")});
    QVERIFY(run.waitForFinished(60000));
    QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
    // The map window itself (3 x 2 tiles of 8 x 6 at tile 2, 1), pixel for pixel.
    const QRect window3x2(2 * 8, 1 * 6, 3 * 8, 2 * 6);
    QCOMPARE(QImage(folder.filePath("jogo.png")).convertToFormat(QImage::Format_RGB32).copy(window3x2),
             seen.view().convertToFormat(QImage::Format_RGB32).copy(window3x2));
#endif
}

void TileMapEditorTest::fastStrokesLeaveNoGapsAndFieldsUndoTheirOwnTyping()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    openPage(*window);
    TileMapPage& page = window->tileMapPage();
    for (int i = 0; i < 7; ++i) click(*window, "btTMcoluna");
    for (int i = 0; i < 5; ++i) click(*window, "btTMlinha");
    // A mouse that jumps from corner to corner paints every cell between, in one step.
    page.selectTile(4);
    page.setTool(TileMapPage::Tool::Brush);
    const int steps = page.undoStack().count();
    drag(*window, {QPoint(0, 0), QPoint(7, 5), QPoint(7, 0)});
    QCOMPARE(page.undoStack().count(), steps + 1);
    for (QPoint c : {QPoint(0, 0), QPoint(1, 1), QPoint(3, 2), QPoint(6, 4), QPoint(7, 5), QPoint(7, 3), QPoint(7, 1)})
        QVERIFY2(cell(*window, c.x(), c.y()) == "4", qPrintable(QString("cell %1,%2").arg(c.x()).arg(c.y())));
    QCOMPARE(cell(*window, 0, 5), QString("0"));
    // So does the pixel pen in the zoom view.
    auto* zoom = window->findChild<QWidget*>("TMzoom");
    page.selectTile(0);
    page.setCurrentColour(0x00AA00);
    QTest::mousePress(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(zoom, QPoint(45, 45));
    QTest::mouseRelease(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(45, 45));
    for (int k = 0; k < 5; ++k) QCOMPARE(page.document().tiles().picture().pixel(k, k), Rgb(0x00AA00));

    // Ctrl+Z in a field undoes the typing there, and nothing of the map.
    auto* name = window->findChild<QLineEdit*>("edTMmapa");
    name->setFocus();
    typeText(name, "abc");
    const int before = page.undoStack().index();
    QTest::keySequence(name, QKeySequence::Undo);
    QCOMPARE(name->text(), QString());
    QCOMPARE(page.undoStack().index(), before);
    QCOMPARE(cell(*window, 7, 5), QString("4"));
    // Elsewhere it undoes the document: the pixel stroke, then the map stroke.
    grid(*window).setFocus();
    pressKeys(*window, QKeySequence::Undo);
    QVERIFY(page.document().tiles().picture().pixel(4, 4) != Rgb(0x00AA00));
    QCOMPARE(cell(*window, 7, 5), QString("4"));
    pressKeys(*window, QKeySequence::Undo);
    QCOMPARE(cell(*window, 7, 5), QString("0"));
}

LUDOMAT_WIDGET_TEST_MAIN(TileMapEditorTest)

#include "tile_map_editor_test.moc"
