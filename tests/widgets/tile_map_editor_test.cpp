// The tile-map page as a user drives it: cells typed and painted with the mouse, rows and
// columns added, maps and tile strips saved under the naming rules, the "tilemap" lines written
// into the script, "ver" on the screen, undo and redo, and fills.

#include "tile_map_gestures.h"

#include "graphics/tile_map_file.h"
#include "studio/editing/script_editor.h"
#include "studio/editors/editor_art.h"
#include "studio/editors/tilemap/tile_widgets.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace ludomat;
using namespace ludomat::test;

// The six "view" fields, edTMv0 to edTMv5.
static QStringList viewFields(MainWindow& window)
{
    QStringList out;
    for (int i = 0; i < 6; ++i) out << window.findChild<QLineEdit*>(qPrintable(QString("edTMv%1").arg(i)))->text();
    return out;
}

class TileMapEditorTest : public QObject {
    Q_OBJECT

private slots:
    void savedMapsAndTileStripsFollowTheNamingRules();
    void badCellsAndBadNamesAreRefusedBeforeWriting();
    void loadAndViewRowsReplaceOnlyTheirOwnLine();
    void strokesFillsAndListChangesUndoAsOneStepEach();
    void pagePicksTilesAndReopensTheMapFile();
    void fastStrokesLeaveNoGapsAndFieldsUndoTheirOwnTyping();
};

void TileMapEditorTest::savedMapsAndTileStripsFollowTheNamingRules()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    openPage(*window);
    QCOMPARE(currentPage(*window), QString("TileMap"));
    QCOMPARE(labelText(*window, "lbTMdef"), QString("tiles: 5 x 5 grid: 152 x 84"));
    QCOMPARE(labelText(*window, "lbTMtls"), QString("tiles: 1"));
    QCOMPARE(viewFields(*window), QStringList({"0", "0", "1", "1", "0", "0"}));
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
    grow(*window, 2, 1);
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
    grow(*window, 1, 0);
    typeCell(*window, QPoint(0, 0), "7");
    enterText(*window, "edTMmapa", "m");
    click(*window, "btTMsaveMap");
    QCOMPARE(readFile(folder.filePath("m.tlm")), QByteArray("0700\r\n"));

    // A cell beyond a byte, or no number, is named and the old file stays as it was.
    for (QString bad : QStringList{"256", "abc", "-1"}) {
        typeCell(*window, QPoint(1, 0), bad);
        click(*window, "btTMsaveMap");
        QString message = window->tileMapPage().message();
        QVERIFY2(
            message.startsWith("Mapa não gravado") && message.contains("coluna 1, linha 0") && message.contains(bad),
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
    const QString drawn = window->tileMapPage().message();
    QVERIFY2(drawn.startsWith("Mapa desenhado só até") && drawn.contains("coluna 1, linha 0"), qPrintable(drawn));

    // Names that leave the game folder or hold control characters are refused.
    typeCell(*window, QPoint(1, 0), "3");
    for (QString name : QStringList{"../fora.tlm", "sub/x.tlm", "a\tb.tlm"}) {
        for (const char* field : {"edTMmapa", "edTMtiles"}) {
            window->findChild<QLineEdit*>(field)->setText(name);
            click(*window, field == QString("edTMmapa") ? "btTMsaveMap" : "btTMsaveTiles");
            QVERIFY2(window->tileMapPage().message().startsWith("Nome de arquivo recusado"), field);
        }
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
    // The script, the caret line, and the script after "load" with a new map and strip: the first
    // load line is replaced, or the line goes in at the caret; with no tile size set before it,
    // the one the strip needs goes above.
    const struct {
        QStringList script;
        int caret;
        QStringList loaded;
    } cases[] = {
        {{"// fase", "  tilemap 1,1", "  tilemap mapa.tlm,tiles.bmp", "  tilemap 2,2", "  fim"},
         0,
         {"// fase", "  tilemap 1,1", "  defplot= 5,5", "  tilemap novo.tlm,novo.png", "  tilemap 2,2", "  fim"}},
        {{"a", "b", "c"}, 1, {"a", "  defplot= 5,5", "  tilemap novo.tlm,novo.png", "b", "c"}},
        {{"  defplot 10,10", "c"}, 1, {"  defplot 10,10", "  tilemap novo.tlm,novo.png", "c"}},
    };
    QTemporaryDir folder;
    auto window = openWindow(folder);
    for (const auto& c : cases) {
        setScript(*window, c.script);
        window->editor().selectLine(c.caret);
        openPage(*window);
        enterText(*window, "edTMmapa", "novo.tlm");
        enterText(*window, "edTMtiles", "novo.png");
        QTest::mouseClick(window->findChild<QLabel*>("lbTMload"), Qt::LeftButton);
        QCOMPARE(currentPage(*window), QString("Fonte"));
        QCOMPARE(editorLines(*window), c.loaded);
    }
    // The view line replaces the first view line only; a field that is no number shows 0.
    setScript(*window, cases[0].loaded);
    openPage(*window);
    const char* values[] = {"3", "4", "10", "5", "x", "7"};
    for (int i = 0; i < 6; ++i) enterText(*window, qPrintable(QString("edTMv%1").arg(i)), values[i]);
    QCOMPARE(window->findChild<QLineEdit*>("edTMv4")->text(), QString("0"));
    QTest::mouseClick(window->findChild<QLabel*>("lbTMview"), Qt::LeftButton);
    QCOMPARE(editorLines(*window), QStringList({"// fase", "  tilemap 3,4,10,5,0,7", "  defplot= 5,5",
                                                "  tilemap novo.tlm,novo.png", "  tilemap 2,2", "  fim"}));
    QVERIFY(window->editor().isEdited());
}

void TileMapEditorTest::strokesFillsAndListChangesUndoAsOneStepEach()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    openPage(*window);
    TileMapPage& page = window->tileMapPage();
    const auto columns = [&] { return page.document().map().columns(); };
    grow(*window, 9, 5);
    QCOMPARE(page.undoStack().count(), 14);

    // A brush stroke over a row and back down a column is one step.
    page.selectTile(4);
    page.setTool(TileMapPage::Tool::Brush);
    QList<QPoint> stroke;
    for (int c = 0; c < 10; ++c) stroke << QPoint(c, 0);
    for (int r = 1; r < 6; ++r) stroke << QPoint(9, r);
    drag(*window, stroke);
    QCOMPARE(page.undoStack().count(), 15);
    QCOMPARE(cells(*window, {{0, 0}, {9, 5}, {5, 3}}), QStringList({"4", "4", "0"}));
    undo(*window);
    for (QPoint p : stroke) QCOMPARE(cell(*window, p.x(), p.y()), QString("0"));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QCOMPARE(cell(*window, 9, 5), QString("4"));
    undo(*window);
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QCOMPARE(cell(*window, 3, 0), QString("4"));

    // A rectangle from (1,1) to (3,4), then the bucket fills the zeros around it, not past the
    // stroke nor into the rectangle, which holds another tile.
    page.selectTile(2);
    page.setTool(TileMapPage::Tool::Rectangle);
    drag(*window, {QPoint(3, 4), QPoint(2, 2), QPoint(1, 1)});
    QCOMPARE(cells(*window, {{1, 1}, {3, 4}, {4, 4}, {0, 1}}), QStringList({"2", "2", "0", "0"}));
    page.selectTile(7);
    page.setTool(TileMapPage::Tool::Bucket);
    clickCell(*window, QPoint(0, 5));
    QCOMPARE(cells(*window, {{0, 5}, {8, 1}, {2, 2}, {9, 1}}), QStringList({"7", "7", "2", "4"}));
    undo(*window);
    QCOMPARE(cells(*window, {{0, 5}, {8, 1}, {2, 2}}), QStringList({"0", "0", "2"}));

    // Right click picks the tile under the mouse; the hovered cell is named.
    clickCell(*window, QPoint(2, 3), Qt::RightButton);
    QCOMPARE(page.currentTile(), 2);
    QCOMPARE(labelText(*window, "lbTMtile"), QString("tile: 2"));
    QTest::mouseMove(grid(*window).viewport(), grid(*window).cellCentre(QPoint(9, 2)));
    QCOMPARE(labelText(*window, "lbTMhover"), QString("col 9, lin 2: tile 4"));

    // clearmap, + coluna and [ + ] come back with undo too.
    click(*window, "btTMclear");
    QCOMPARE(columns(), 1);
    undo(*window);
    QCOMPARE(columns(), 10);
    QCOMPARE(cell(*window, 3, 4), QString("2"));
    click(*window, "btTMcoluna");
    click(*window, "btTMadd");
    QCOMPARE(labelText(*window, "lbTMtls"), QString("tiles: 2"));
    undo(*window);
    QCOMPARE(labelText(*window, "lbTMtls"), QString("tiles: 1"));
    undo(*window);
    QCOMPARE(columns(), 10);

    // At least a hundred steps are kept.
    page.setTool(TileMapPage::Tool::Select);
    for (int i = 0; i < 120; ++i) typeCell(*window, QPoint(i % 10, 5), QString::number(i % 9 + 1) + QString::number(i));
    for (int i = 0; i < 120; ++i) undo(*window);
    QCOMPARE(cell(*window, 4, 5), QString("0"));

    // A run that loads another map, the changes discarded: the page opens on that map, and the
    // old steps are gone rather than written into it.
    typeCell(*window, QPoint(0, 0), "8");
    writeFile(folder.filePath("outro.tlm"), "0102\r\n");
    setScript(*window, {"  tilemap outro.tlm", "  fim"});
    window->setSaveQuestion([](const QString&) { return SaveAnswer::Discard; });
    window->execute();
    openPage(*window);
    undo(*window);
    QCOMPARE(columns(), 2);
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
    QCOMPARE(cells(*window, {{1, 0}, {0, 1}}), QStringList({"2", "3"}));

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

void TileMapEditorTest::fastStrokesLeaveNoGapsAndFieldsUndoTheirOwnTyping()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    openPage(*window);
    TileMapPage& page = window->tileMapPage();
    grow(*window, 7, 5);
    // A mouse that jumps from corner to corner paints every cell between, in one step.
    page.selectTile(4);
    page.setTool(TileMapPage::Tool::Brush);
    const int steps = page.undoStack().count();
    drag(*window, {QPoint(0, 0), QPoint(7, 5), QPoint(7, 0)});
    QCOMPARE(page.undoStack().count(), steps + 1);
    QCOMPARE(cells(*window, {{0, 0}, {1, 1}, {3, 2}, {6, 4}, {7, 5}, {7, 3}, {7, 1}, {0, 5}}),
             QStringList({"4", "4", "4", "4", "4", "4", "4", "0"}));
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
