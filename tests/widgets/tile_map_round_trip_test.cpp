// The tile-map page against a real run: a map and strip made on the page, loaded and viewed by
// the lines it writes, must show the same pixels under ludomat-run as on the page.

#include "tile_map_gestures.h"

#include "graphics/tile_map_file.h"
#include "studio/editing/script_editor.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace ludomat;
using namespace ludomat::test;

namespace {

// Runs the editor's script under ludomat-run and compares `area` of its last screen with `seen`.
[[maybe_unused]] void runAndCompare(MainWindow& window, const QTemporaryDir& folder, const Bitmap& seen, QRect area)
{
#ifdef LUDOMAT_RUN_PATH
    writeFile(folder.filePath("jogo.scp"), editorLines(window).join("\r\n").toUtf8() + "\r\n");
    QProcess run;
    run.start(LUDOMAT_RUN_PATH,
              {"--game-folder", folder.path(), "--snapshot", folder.filePath("jogo.png"), folder.filePath("jogo.scp")});
    QVERIFY(run.waitForFinished(60000));
    QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
    QCOMPARE(QImage(folder.filePath("jogo.png")).convertToFormat(QImage::Format_RGB32).copy(area),
             seen.view().convertToFormat(QImage::Format_RGB32).copy(area));
#endif
}

}  // namespace

class TileMapRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void mapPaintedHereIsDrawnAlikeByAScript();
    void mapBuiltHerePlaysFromAnEmptyScript();
};

void TileMapRoundTripTest::mapPaintedHereIsDrawnAlikeByAScript()
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
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(zoom, Qt::LeftButton, Qt::NoModifier, QPoint(10 * i + 5, 10 * j + 5));
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
    undo(*window);
    QCOMPARE(window->tileMapPage().document().tiles().picture().pixel(13, 4), Rgb(0xFFFFFF));
    QCOMPARE(window->tileMapPage().document().tiles().picture().pixel(7, 2), Rgb(0x00CC00));
    pressKeys(*window, QKeySequence(Qt::CTRL | Qt::Key_Y));
    QCOMPARE(window->tileMapPage().document().tiles().picture().pixel(13, 4), Rgb(picked.toUInt(nullptr, 16)));

    // A 4 x 3 map: tile 1 and 2 here and there, one cell set to 0 on purpose.
    grow(*window, 3, 2);
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
    runAndCompare(*window, folder, seen, QRect(0, 0, 760, 420));

    // "grid" lays the grey plot grid over the picture: lines every 5 pixels, paper between.
    click(*window, "btTMgrid");
    const Bitmap& gridded = window->engine().screen().tela;
    QCOMPARE(gridded.pixel(5, 2), Rgb(0x808080));
    QCOMPARE(gridded.pixel(2, 10), Rgb(0x808080));
    QCOMPARE(gridded.pixel(2, 2), Rgb(0x203040));
    QCOMPARE(gridded.pixel(12, 17), Rgb(0x00CC00));
#endif
}

void TileMapRoundTripTest::mapBuiltHerePlaysFromAnEmptyScript()
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
    grow(*window, 2, 1);
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
    // The map window itself (3 x 2 tiles of 8 x 6 at tile 2, 1), pixel for pixel.
    runAndCompare(*window, folder, seen, QRect(2 * 8, 1 * 6, 3 * 8, 2 * 6));
#endif
}

LUDOMAT_WIDGET_TEST_MAIN(TileMapRoundTripTest)

#include "tile_map_round_trip_test.moc"
