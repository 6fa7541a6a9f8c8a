// The figure editor "Dodiroz" driven as a user drives it: real presses, moves and releases on
// the run-time screen, keys and buttons. Gestures are rows of a table (the steps, the lines they
// must write, the pixels they must leave); files, preview, transfer, undo and the round trip
// through a real run follow.

#include "figure_gestures.h"

#include "studio/editing/script_editor.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace ludomat;
using namespace ludomat::test;

class DrawingEditorTest : public QObject {
    Q_OBJECT
private slots:
    void gesturesWriteTheirLines_data();
    void gesturesWriteTheirLines();
    void swatchesMarkerAndPalette();
    void kindSwitchWritesAndRereadsFigureFiles();
    void figureNamesAndFilesThatFailLoseNothing();
    void previewFollowsItsOwnRules();
    void transferPutsTheFigureAtTheCaretLine();
    void roundTripEditorPreviewAndRunDrawTheSamePixels();
};

// One gesture of the table: steps from a fresh figure on a cleared screen, the last lines they
// must leave, the figure's line count (or -1) and pixels of the shown screen.
struct Gesture {
    const char* name;
    bool plot;
    const char* steps;
    QStringList tail;
    int count;
    const char* pixels;
};
const Gesture kGestures[] = {
    // Pixel kind: white on white ink gets no suffix, other colours get it on the line drawn.
    {"line", false, "tool 2; drag 10,20 30,40", {"  moveto 10,20", "  lineto 30,40"}, 4, "20,30=FFFFFF"},
    {"red line", false, "tool 2; colour FF0000; drag 10,20 30,40", {"  lineto 30,40,FF0000"}, 4, "20,30=FF0000"},
    {"same point replaces",
     false,
     "colour FF0000; tool 1; click 1,2; click 1,20; colour FFFFFF; click 1,2",
     {"  defpixel= 1", "  pixel 1,2", "  pixel 1,20,FF0000"},
     4,
     "1,20=FF0000"},
    {"pixel drag", false, "tool 1; drag 50,50 60,50", {"  pixel 50,50", "  pixel 55,50", "  pixel 60,50"}, 5, ""},
    {"fan from the last point",
     false,
     "click 100,100; tool 6; drag 1,1 150,120; drag 1,1 50,160",
     {"  moveto 100,100", "  lineto 150,120", "  moveto 100,100", "  lineto 50,160"},
     7,
     ""},
    {"polyline goes on",
     false,
     "click 100,100; tool 6; drag 1,1 150,120; tool 3; drag 5,5 200,100; drag 5,5 220,130",
     {"  lineto 200,100", "  lineto 220,130"},
     -1,
     "150,100=FFFFFF"},
    // Outlines and the filled rectangle from their drag rectangle, dragged up and left too.
    {"shapes",
     false,
     "colour 00FF00; tool 4; drag 300,200 250,150; tool 5; drag 400,100 480,160; tool 7; drag 500,300 540,330",
     {"  rect 300,200,250,150,00FF00", "  elipse 400,100,480,160,00FF00", "  paint 500,300,540,330,00FF00"},
     5,
     "520,310=00FF00 541,331=000000"},
    // Another button draws nothing, so it writes nothing (a line the screen never showed).
    {"right drag", false, "tool 2; rdrag 600,50 700,80", {"  defpixel= 1"}, 2, "650,65=000000"},
    // The marker on the ink swatch writes "cortxt=" and makes it the ink: no suffix for it then.
    {"marker makes the ink",
     false,
     "ink 00FF00; colour 00FF00; tool 2; drag 10,300 60,300",
     {"  cortxt= 00FF00", "  moveto 10,300", "  lineto 60,300"},
     5,
     "30,300=00FF00"},
    {"pixel size", false, "size1 3; size1 abc", {"  defpixel= 3", "  defpixel= 1"}, 4, ""},
    // Plot kind: cells of 5 x 5; the same cell again replaces its line.
    {"cells",
     true,
     "click 12,7; click 14,9; click 12,57; colour FF0000; click 13,8",
     {"  plot 2,1,FF0000", "  plot 2,11"},
     4,
     "10,5=FF0000 12,57=FFFFFF"},
    {"middle paints, right erases",
     true,
     "click 12,57; colour FF0000; mclick 30,30; rclick 12,57",
     {"  plot 2,11"},
     3,
     "31,31=FF0000 12,57=000000"},
    {"drag paints each cell",
     true,
     "colour FF0000; drag 100,100 110,100",
     {"  plot 20,20,FF0000", "  plot 21,20,FF0000", "  plot 22,20,FF0000"},
     5,
     ""},
    // Width 3 becomes 4 and the grid is drawn over a cleared screen; a bad height is refused.
    {"plot width", true, "size1 3; size2 x", {"  defplot= 4,5"}, 2, "8,2=808080 9,2=000000"},
    {"plot height", true, "size1 3; size2 7", {"  defplot= 4,7"}, 2, ""},
};

void DrawingEditorTest::gesturesWriteTheirLines_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kGestures)); ++i) QTest::newRow(kGestures[i].name) << i;
}

void DrawingEditorTest::gesturesWriteTheirLines()
{
    QFETCH(int, row);
    const Gesture& g = kGestures[row];
    QTemporaryDir folder;
    auto w = openWindow(folder);
    w->openDrawing(g.plot ? FigureKind::Plot : FigureKind::Pixel);
    click(*w, "btClearTela");
    perform(*w, g.steps);
    QCOMPARE(lines(*w).first(), g.plot ? kPlotHeader : kPixelHeader);
    QCOMPARE(tail(*w, int(g.tail.size())), g.tail);
    if (g.count >= 0) QCOMPARE(lines(*w).size(), g.count);
    checkPixels(w->engine().screen().tela, g.pixels);
}

void DrawingEditorTest::swatchesMarkerAndPalette()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    w->openDrawing(FigureKind::Pixel);
    perform(*w, "ink 00FF00");
    QCOMPARE(w->engine().textSettings().inkColour, std::string("00FF00"));
    // Not a colour in HexCor: black, and the field says so.
    enterText(*w, "HexCor", "12345G");
    QCOMPARE(fieldText(*w, "HexCor"), QString("000000"));
    // A palette pick goes to the marked swatch: hue 180 in the middle row.
    QTest::mouseClick(widget(*w, "swCor"), Qt::LeftButton);
    QTest::mouseClick(widget(*w, "paleta"), Qt::LeftButton, {}, QPoint(55, 45));
    QCOMPARE(w->drawingPage().drawingColour(), 0x00FFFFu);
}

void DrawingEditorTest::kindSwitchWritesAndRereadsFigureFiles()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    click(*w, "btArq");
    QTest::mouseClick(static_cast<QWidget*>(button(*w, "imBitmap")), Qt::LeftButton);
    QCOMPARE(w->currentPage(), QString("Dodiroz"));
    QVERIFY(!widget(*w, "btTool1")->isVisible());
    QCOMPARE(labelText(*w, "Lb18"), QString("plots"));
    perform(*w, "size2 7; click 12,7");
    const QStringList plotFigure = lines(*w);
    QCOMPARE(w->engine().plotSettings().plotHeight(), 7);

    // Switching writes fig01a.grp and, with no fig01a.pix, shows the pixel header.
    switchKind(*w);
    QCOMPARE(labelText(*w, "lbExt"), QString(".pix"));
    QCOMPARE(lines(*w), QStringList({kPixelHeader, "  defpixel= 1"}));
    QCOMPARE(readFile(folder.filePath("fig01a.grp")), fileBytes(plotFigure));
    perform(*w, "tool 2; colour FF0000; drag 1,1 50,60");
    const QStringList pixelFigure = lines(*w);
    // Back again by the title: fig01a.pix written, fig01a.grp read back exactly; the list shows it.
    QTest::mouseClick(widget(*w, "imTitulo"), Qt::LeftButton);
    QCOMPARE(lines(*w), plotFigure);
    QCOMPARE(readFile(folder.filePath("fig01a.pix")), fileBytes(pixelFigure));
    auto* list = w->findChild<QListWidget*>("Arq2");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("fig01a.grp"));
    switchKind(*w);
    QCOMPARE(lines(*w), pixelFigure);

    // "save:" under a new name, and a double click in the list opens and previews it.
    enterText(*w, "NoFig", "casa");
    click(*w, "btSaveFig");
    click(*w, "btClearFig");
    QCOMPARE(lines(*w).size(), 2);
    QListWidgetItem* casa = list->findItems("casa.pix", Qt::MatchExactly).value(0);
    QVERIFY(casa);
    const QPoint at = list->visualItemRect(casa).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(lines(*w), pixelFigure);
    QCOMPARE(screenPixel(*w, 25, 30), 0xFF0000u);
}

void DrawingEditorTest::figureNamesAndFilesThatFailLoseNothing()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    w->openDrawing(FigureKind::Pixel);
    perform(*w, "tool 2; drag 1,1 50,60");
    const QStringList figure = lines(*w);
    for (const QString& name : {QString("../fora"), QString("a/b"), QString("x\ty")}) {
        w->findChild<QLineEdit*>("NoFig")->setText(name);
        click(*w, "btSaveFig");
        QVERIFY2(w->drawingPage().message().contains("inválido"), qPrintable(name));
        switchKind(*w);
        QCOMPARE(lines(*w), figure);
    }
    QCOMPARE(QDir(folder.path() + "/..").entryList({"fora*"}).size(), 0);
    QCOMPARE(QDir(folder.path()).entryList({"*.pix", "*.grp"}).size(), 0);

    // A figure that cannot be written or read (a folder in its place): named, and nothing is
    // lost; the figure left is written before the other is read.
    enterText(*w, "NoFig", "fig01a");
    QDir(folder.path()).mkdir("fig01a.grp");
    switchKind(*w);
    QVERIFY2(w->drawingPage().message().contains("fig01a.grp"), qPrintable(w->drawingPage().message()));
    QCOMPARE(readFile(folder.filePath("fig01a.pix")), fileBytes(figure));
    QCOMPARE(lines(*w), QStringList({kPlotHeader, "  defplot= 5,5"}));
    QCOMPARE(tela(*w)->cursor().shape(), Qt::ArrowCursor);
    switchKind(*w);  // cannot write the .grp
    QCOMPARE(w->drawingPage().kind(), FigureKind::Plot);
    QDir(folder.path()).rmdir("fig01a.grp");
    switchKind(*w);
    QCOMPARE(lines(*w), figure);
    QCOMPARE(tela(*w)->cursor().shape(), Qt::CrossCursor);
    w->showListing();
    QCOMPARE(tela(*w)->cursor().shape(), Qt::ArrowCursor);
    // An empty name writes a file named by its extension only.
    w->openDrawing(FigureKind::Pixel);
    enterText(*w, "NoFig", "");
    click(*w, "btSaveFig");
    QVERIFY(QFile::exists(folder.filePath(".pix")));
}

void DrawingEditorTest::previewFollowsItsOwnRules()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    QTest::keyClick(w.get(), Qt::Key_F10);
    QCOMPARE(w->drawingPage().kind(), FigureKind::Plot);
    QTest::keyClick(w.get(), Qt::Key_F9);
    QCOMPARE(w->drawingPage().kind(), FigureKind::Pixel);
    auto* grp = w->findChild<QPlainTextEdit*>("Grp");
    Engine& e = w->engine();
    // Comments only: a black screen, whatever was on it.
    clickAt(*w, {10, 10});
    grp->setPlainText("// só comentário\n:rotulo\n   ");
    click(*w, "btDesenhar");
    QCOMPARE(e.screen().tela, Bitmap(760, 420, 0x000000));

    // Register 5 = 16711680 makes the ink red; 300 is skipped; "getrgb 6,fnd" reads the paper; a
    // "pixel" without colour takes the new ink; bad or small plot sizes give 4.
    e.state().registers.at(5) = "16711680";
    e.state().registers.at(7) = "keep";
    grp->setPlainText(
        "putrgb 5,txt\ngetrgb 300,txt\ngetrgb 7\ngetrgb 6,fnd\n  pixel 3,4\ncortxt=\n"
        "  defplot= 2,x\n  plot 1,1,00FF00\n  plot #5\nunknown 1,2\n  defpixel= 3\n  pixel 20,20,0000FF");
    click(*w, "btDesenhar");
    QCOMPARE(e.textSettings().inkColour, std::string("FFFFFF"));  // cortxt= without a colour: white
    QCOMPARE(e.state().registers.at(7), std::string("8421504"));
    QCOMPARE(e.state().registers.at(6), std::string("0"));
    QCOMPARE(e.plotSettings().plotWidth(), 4);
    QCOMPARE(e.plotSettings().pixelSize(), 3);
    checkPixels(e.screen().tela, "3,4=FF0000 4,4=00FF00 22,22=0000FF 23,23=000000");
    QVERIFY(w->drawingPage().message().isEmpty());

    // A colour that is not one stops the preview on its line and says so.
    grp->setPlainText("  pixel 1,1\n  pixel 2,2,XYZ\n  pixel 9,9");
    click(*w, "btDesenhar");
    QVERIFY2(w->drawingPage().message().startsWith("Linha 1"), qPrintable(w->drawingPage().message()));
    checkPixels(e.screen().tela, "9,9=000000");
}

void DrawingEditorTest::transferPutsTheFigureAtTheCaretLine()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    setScript(*w, {"first", "second"});
    w->editor().selectLine(0);
    w->openDrawing(FigureKind::Plot);
    clickAt(*w, {12, 7});
    click(*w, "btTransferir");
    QCOMPARE(w->currentPage(), QString("Fonte"));
    QCOMPARE(editorLines(*w), QStringList({kPlotHeader, "  defplot= 5,5", "  plot 2,1", "first", "second"}));
    QCOMPARE(lines(*w).size(), 3);  // the figure keeps its lines
    w->editor().selectLine(4);
    w->openDrawing(FigureKind::Plot);
    clickAt(*w, {1, 1});
    click(*w, "btTransferir");
    QCOMPARE(editorLines(*w).mid(3), QStringList({"first", kPlotHeader, "  defplot= 5,5", "  plot 0,0", "second"}));
}

void DrawingEditorTest::roundTripEditorPreviewAndRunDrawTheSamePixels()
{
    // Each kind: what the strokes drew, the preview of the lines and a run of the transferred
    // lines show the same screen.
    const struct {
        FigureKind kind;
        QString sizes, steps;
    } figures[] = {
        {FigureKind::Pixel, "size1 2",
         "tool 1; drag 10,10 30,12; tool 2; colour FF0000; drag 40,40 200,90; tool 3; colour 00FF00;"
         "drag 1,1 260,30; drag 1,1 300,150; tool 4; colour 0000FF; drag 320,40 400,120; tool 5; colour FFFF00;"
         "drag 420,40 520,140; tool 6; colour FF00FF; drag 1,1 600,20; drag 1,1 640,200; tool 7; colour 808080;"
         "drag 100,300 60,250; tool 1; colour 00FFFF; click 700,400"},
        // Middle and right clicks change the screen only: the run will not draw them.
        {FigureKind::Plot, "size1 8; size2 6",
         "colour FFFFFF; drag 5,5 200,5; colour 00FF80; drag 300,200 300,400;"
         "mclick 700,100; rclick 700,100"},
    };
    for (const auto& f : figures) {
        QTemporaryDir folder;
        auto w = openWindow(folder);
        Engine& e = w->engine();
        w->openDrawing(f.kind);
        perform(*w, f.sizes);
        click(*w, "btClearTela");  // without the plot grid
        perform(*w, f.steps);
        const Bitmap drawn = e.screen().screenBuffer;
        click(*w, "btDesenhar");
        const Bitmap previewed = e.screen().tela;
        QCOMPARE(previewed, drawn);
        setScript(*w, {"clearbuf 000000", ""});
        w->editor().selectLine(1);
        click(*w, "btTransferir");
        setScript(*w, editorLines(*w) << "refresh");
        e.screen().tela.fill(0x123456);
        click(*w, "btExe");
        QVERIFY(!e.lastError());
        if (!(e.screen().tela == previewed)) qWarning() << editorLines(*w);
        QCOMPARE(e.screen().tela, previewed);
    }
}

LUDOMAT_WIDGET_TEST_MAIN(DrawingEditorTest)

#include "drawing_editor_test.moc"
