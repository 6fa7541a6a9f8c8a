// The figure editor "Dodiroz" driven as a user drives it: real presses, moves and releases on
// the run-time screen, keys and buttons; the lines written, the figure files, the preview, the
// transfer into the script, undo and redo, and the round trip through a real run.

#include "widget_test_support.h"

#include "engine/engine.h"
#include "screen/screen_view.h"
#include "studio/editing/script_editor.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/views/colour_converters.h"
#include "studio/views/plot_matrix_page.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QListWidget>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace ludomat;
using namespace ludomat::test;

namespace {

const QString kPixelHeader = "//=== Dodiroz III ===========================================";
const QString kPlotHeader = "//=== Bitmap ================================================";

ScreenView* tela(MainWindow& window)
{
    return window.findChild<ScreenView*>();
}

void press(MainWindow& w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    QTest::mousePress(tela(w), b, Qt::NoModifier, p);
}

void release(MainWindow& w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    QTest::mouseRelease(tela(w), b, Qt::NoModifier, p);
}

// A press, a move half way, a move to the end and the release there.
void drag(MainWindow& w, QPoint from, QPoint to, Qt::MouseButton b = Qt::LeftButton)
{
    press(w, from, b);
    QTest::mouseMove(tela(w), (from + to) / 2);
    QTest::mouseMove(tela(w), to);
    release(w, to, b);
}

void clickAt(MainWindow& w, QPoint p, Qt::MouseButton b = Qt::LeftButton)
{
    press(w, p, b);
    release(w, p, b);
}

void chooseTool(MainWindow& w, int tool)
{
    QWidget* button = w.findChild<QWidget*>(QString("btTool%1").arg(tool));
    QVERIFY(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

void drawingColour(MainWindow& w, const QString& hex)
{
    QTest::mouseClick(w.findChild<QWidget*>("swCor"), Qt::LeftButton);
    enterText(w, "HexCor", hex);
}

QStringList lines(MainWindow& w)
{
    return w.drawingPage().figureLines();
}
QStringList tail(MainWindow& w, int n)
{
    return lines(w).mid(lines(w).size() - n);
}

void openFromLoad(MainWindow& w, const char* picture)
{
    click(w, "btArq");
    QTest::mouseClick(static_cast<QWidget*>(button(w, picture)), Qt::LeftButton);
    QCOMPARE(w.currentPage(), QString("Dodiroz"));
}

Rgb screenPixel(MainWindow& w, int x, int y)
{
    return w.engine().screen().tela.pixel(x, y);
}

}  // namespace

class DrawingEditorTest : public QObject {
    Q_OBJECT
private slots:
    void pixelToolsWriteTheirExactLines();
    void plotKindCellsSizesAndKindSwitchFiles();
    void figureNamesAndFilesThatFailLoseNothing();
    void previewFollowsItsOwnRules();
    void transferPutsTheFigureAtTheCaretLine();
    void roundTripEditorPreviewAndRunDrawTheSamePixels();
    void undoAndRedoRestoreTextAndScreen();
    void matrixConvertersAndBuffersShowTheRunsState();
};

void DrawingEditorTest::pixelToolsWriteTheirExactLines()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    openFromLoad(*w, "imDodiroz");
    QCOMPARE(lines(*w), QStringList({kPixelHeader, "  defpixel= 1"}));
    QCOMPARE(kPixelHeader.size(), 61);
    QCOMPARE(w->drawingPage().tool(), 1);
    click(*w, "btClearTela");

    // Tool 2, white on white ink: no suffix; red: the suffix on the "lineto" only.
    chooseTool(*w, kToolLine);
    drag(*w, {10, 20}, {30, 40});
    QCOMPARE(tail(*w, 2), QStringList({"  moveto 10,20", "  lineto 30,40"}));
    QCOMPARE(screenPixel(*w, 20, 30), 0xFFFFFFu);
    drawingColour(*w, "FF0000");
    drag(*w, {10, 20}, {30, 40});
    QCOMPARE(tail(*w, 2), QStringList({"  moveto 10,20", "  lineto 30,40,FF0000"}));
    QCOMPARE(screenPixel(*w, 20, 30), 0xFF0000u);

    // Pixels: the same point again replaces its line.
    click(*w, "btClearFig");
    chooseTool(*w, kToolPixel);
    clickAt(*w, {1, 2});
    clickAt(*w, {1, 20});
    drawingColour(*w, "FFFFFF");
    clickAt(*w, {1, 2});
    QCOMPARE(lines(*w), QStringList({kPixelHeader, "  defpixel= 1", "  pixel 1,2", "  pixel 1,20,FF0000"}));
    // A drag with the pixel tool writes one line per point it passes.
    drag(*w, {50, 50}, {60, 50});
    QCOMPARE(tail(*w, 3), QStringList({"  pixel 50,50", "  pixel 55,50", "  pixel 60,50"}));

    // Tool 6 twice after a tool-1 click at (100, 100): every line leaves from that point.
    click(*w, "btClearFig");
    clickAt(*w, {100, 100});
    chooseTool(*w, kToolFan);
    drag(*w, {1, 1}, {150, 120});
    drag(*w, {1, 1}, {50, 160});
    QCOMPARE(lines(*w).mid(3),
             QStringList({"  moveto 100,100", "  lineto 150,120", "  moveto 100,100", "  lineto 50,160"}));
    // The polyline continues from the fan's start, then from its own ends.
    chooseTool(*w, kToolPolyline);
    drag(*w, {5, 5}, {200, 100});
    drag(*w, {5, 5}, {220, 130});
    QCOMPARE(tail(*w, 2), QStringList({"  lineto 200,100", "  lineto 220,130"}));
    QCOMPARE(screenPixel(*w, 150, 100), 0xFFFFFFu);  // on the segment from (100, 100)

    // Outlines and the filled rectangle from their drag rectangle, dragged up and left too.
    drawingColour(*w, "00FF00");
    chooseTool(*w, kToolRectangle);
    drag(*w, {300, 200}, {250, 150});
    chooseTool(*w, kToolEllipse);
    drag(*w, {400, 100}, {480, 160});
    chooseTool(*w, kToolFilled);
    drag(*w, {500, 300}, {540, 330});
    QCOMPARE(tail(*w, 3), QStringList({"  rect 300,200,250,150,00FF00", "  elipse 400,100,480,160,00FF00",
                                       "  paint 500,300,540,330,00FF00"}));
    QCOMPARE(screenPixel(*w, 520, 310), 0x00FF00u);
    QCOMPARE(w->engine().screen().screenBuffer.pixel(520, 310), 0x00FF00u);

    // Another button draws nothing, so it writes nothing either (it would be a line the screen
    // never showed); the screen comes back as it was.
    const QStringList before = lines(*w);
    drag(*w, {600, 50}, {700, 80}, Qt::RightButton);
    QCOMPARE(lines(*w), before);
    QCOMPARE(screenPixel(*w, 650, 65), 0x000000u);

    // The marker: on the ink swatch, a press writes "cortxt=" and makes it the ink.
    QTest::mouseClick(w->findChild<QWidget*>("swInk"), Qt::LeftButton);
    QCOMPARE(w->findChild<QLineEdit*>("HexCor")->text(), QString("FFFFFF"));
    enterText(*w, "HexCor", "00FF00");
    QTest::mouseClick(w->findChild<QWidget*>("marcador"), Qt::LeftButton);
    QCOMPARE(tail(*w, 1), QStringList({"  cortxt= 00FF00"}));
    QCOMPARE(w->engine().textSettings().inkColour, std::string("00FF00"));
    // The green drawing colour is now the ink: no suffix.
    chooseTool(*w, kToolLine);
    drag(*w, {10, 300}, {60, 300});
    QCOMPARE(tail(*w, 1), QStringList({"  lineto 60,300"}));
    // Not a colour in HexCor: black, and the field says so.
    enterText(*w, "HexCor", "12345G");
    QCOMPARE(w->findChild<QLineEdit*>("HexCor")->text(), QString("000000"));
    // A palette pick goes to the marked swatch: the top-left block is a light red.
    QTest::mouseClick(w->findChild<QWidget*>("swCor"), Qt::LeftButton);
    QTest::mouseClick(w->findChild<QWidget*>("paleta"), Qt::LeftButton, {}, QPoint(55, 45));
    QCOMPARE(w->drawingPage().drawingColour(), 0x00FFFFu);  // hue 180, the middle row
    // The size entry appends its line; not a number is 1.
    enterText(*w, "edDef1", "3");
    QCOMPARE(tail(*w, 1), QStringList({"  defpixel= 3"}));
    enterText(*w, "edDef1", "abc");
    QCOMPARE(tail(*w, 1), QStringList({"  defpixel= 1"}));
    QCOMPARE(w->findChild<QLineEdit*>("edDef1")->text(), QString("1"));
}

void DrawingEditorTest::plotKindCellsSizesAndKindSwitchFiles()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    openFromLoad(*w, "imBitmap");
    QCOMPARE(lines(*w), QStringList({kPlotHeader, "  defplot= 5,5"}));
    QVERIFY(!w->findChild<QWidget*>("btTool1")->isVisible());
    QVERIFY(w->findChild<QWidget*>("btGrade")->isVisible());
    QCOMPARE(labelText(*w, "Lb18"), QString("plots"));
    click(*w, "btClearTela");

    clickAt(*w, {12, 7});
    clickAt(*w, {14, 9});
    clickAt(*w, {12, 57});
    QCOMPARE(lines(*w).mid(2), QStringList({"  plot 2,1", "  plot 2,11"}));
    QCOMPARE(screenPixel(*w, 10, 5), 0xFFFFFFu);
    drawingColour(*w, "FF0000");
    clickAt(*w, {13, 8});
    QCOMPARE(lines(*w).mid(2), QStringList({"  plot 2,1,FF0000", "  plot 2,11"}));
    // Middle paints without writing; right erases on the screen only; a drag paints each cell.
    clickAt(*w, {30, 30}, Qt::MiddleButton);
    QCOMPARE(screenPixel(*w, 31, 31), 0xFF0000u);
    clickAt(*w, {12, 57}, Qt::RightButton);
    QCOMPARE(screenPixel(*w, 12, 57), 0x000000u);
    QCOMPARE(lines(*w).size(), 4);
    drag(*w, {100, 100}, {110, 100});
    QCOMPARE(tail(*w, 3), QStringList({"  plot 20,20,FF0000", "  plot 21,20,FF0000", "  plot 22,20,FF0000"}));

    // Size 3 becomes 4; the grid is drawn over a cleared screen; not a number is 5.
    enterText(*w, "edDef1", "3");
    QCOMPARE(lines(*w)[1], QString("  defplot= 4,5"));
    QCOMPARE(w->findChild<QLineEdit*>("edDef1")->text(), QString("4"));
    QCOMPARE(screenPixel(*w, 8, 2), 0x808080u);
    QCOMPARE(screenPixel(*w, 9, 2), 0x000000u);
    enterText(*w, "edDef2", "x");
    QCOMPARE(lines(*w)[1], QString("  defplot= 4,5"));
    enterText(*w, "edDef2", "7");
    QCOMPARE(lines(*w)[1], QString("  defplot= 4,7"));
    QCOMPARE(w->engine().plotSettings().plotHeight(), 7);

    // Switching writes fig01a.grp and, with no fig01a.pix, shows the pixel header.
    const QStringList plotFigure = lines(*w);
    QTest::mouseClick(w->findChild<QWidget*>("imTroca"), Qt::LeftButton);
    QCOMPARE(w->drawingPage().kind(), FigureKind::Pixel);
    QCOMPARE(labelText(*w, "lbExt"), QString(".pix"));
    QCOMPARE(lines(*w), QStringList({kPixelHeader, "  defpixel= 1"}));
    QByteArray grp = readFile(folder.filePath("fig01a.grp"));
    QCOMPARE(grp, (plotFigure.join("\r\n") + "\r\n").toLatin1());
    chooseTool(*w, kToolLine);
    drag(*w, {1, 1}, {50, 60});
    const QStringList pixelFigure = lines(*w);
    // Back again: fig01a.pix written, fig01a.grp read back exactly; the list shows it.
    QTest::mouseClick(w->findChild<QWidget*>("imTitulo"), Qt::LeftButton);
    QCOMPARE(lines(*w), plotFigure);
    QCOMPARE(readFile(folder.filePath("fig01a.pix")), (pixelFigure.join("\r\n") + "\r\n").toLatin1());
    auto* list = w->findChild<QListWidget*>("Arq2");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("fig01a.grp"));
    QTest::mouseClick(w->findChild<QWidget*>("imTroca"), Qt::LeftButton);
    QCOMPARE(lines(*w), pixelFigure);

    // "save:" under a new name, and a double click in the list opens and previews it.
    enterText(*w, "NoFig", "casa");
    click(*w, "btSaveFig");
    QVERIFY(QFile::exists(folder.filePath("casa.pix")));
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
    chooseTool(*w, kToolLine);
    drag(*w, {1, 1}, {50, 60});
    const QStringList figure = lines(*w);
    for (const QString& name : {QString("../fora"), QString("a/b"), QString("x\ty")}) {
        w->findChild<QLineEdit*>("NoFig")->setText(name);
        click(*w, "btSaveFig");
        QVERIFY2(w->drawingPage().message().contains("inválido"),
                 qPrintable(w->drawingPage().message() + "|" + w->findChild<QLineEdit*>("NoFig")->text()));
        QTest::mouseClick(w->findChild<QWidget*>("imTroca"), Qt::LeftButton);
        QCOMPARE(w->drawingPage().kind(), FigureKind::Pixel);
        QCOMPARE(lines(*w), figure);
    }
    QCOMPARE(QDir(folder.path() + "/..").entryList({"fora*"}).size(), 0);
    QCOMPARE(QDir(folder.path()).entryList({"*.pix", "*.grp"}).size(), 0);

    // A folder that cannot be written: the message names the file, nothing switches or is lost.
    enterText(*w, "NoFig", "fig01a");
    QDir(folder.path()).mkdir("fig01a.pix");  // a folder where the file should be
    QTest::mouseClick(w->findChild<QWidget*>("imTroca"), Qt::LeftButton);
    QVERIFY2(w->drawingPage().message().contains("fig01a.pix"), qPrintable(w->drawingPage().message()));
    QCOMPARE(w->drawingPage().kind(), FigureKind::Pixel);
    QCOMPARE(lines(*w), figure);
    // A figure that cannot be read is named in the message; the figure left was written first.
    QDir(folder.path()).rmdir("fig01a.pix");
    QDir(folder.path()).mkdir("fig01a.grp");
    QTest::mouseClick(w->findChild<QWidget*>("imTroca"), Qt::LeftButton);
    QVERIFY2(w->drawingPage().message().contains("fig01a.grp"), qPrintable(w->drawingPage().message()));
    QCOMPARE(readFile(folder.filePath("fig01a.pix")), (figure.join("\r\n") + "\r\n").toLatin1());
    QCOMPARE(lines(*w), QStringList({kPlotHeader, "  defplot= 5,5"}));
    QCOMPARE(tela(*w)->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(w->findChild<QWidget*>("imTroca"), Qt::LeftButton);  // cannot write the .grp
    QCOMPARE(w->drawingPage().kind(), FigureKind::Plot);
    QDir(folder.path()).rmdir("fig01a.grp");
    QTest::mouseClick(w->findChild<QWidget*>("imTroca"), Qt::LeftButton);
    QCOMPARE(lines(*w), figure);
    QCOMPARE(tela(*w)->cursor().shape(), Qt::CrossCursor);
    w->showListing();
    QCOMPARE(tela(*w)->cursor().shape(), Qt::ArrowCursor);
    w->openDrawing(FigureKind::Pixel);
    // An empty name writes a file named by its extension only.
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
    QCOMPARE(w->currentPage(), QString("Dodiroz"));
    QCOMPARE(w->drawingPage().kind(), FigureKind::Pixel);
    auto* grp = w->findChild<QPlainTextEdit*>("Grp");
    Engine& e = w->engine();

    // Comments only: a black screen, whatever was on it.
    clickAt(*w, {10, 10});
    grp->setPlainText("// só comentário\n:rotulo\n   ");
    click(*w, "btDesenhar");
    QCOMPARE(e.screen().tela, Bitmap(760, 420, 0x000000));

    // "putrgb 5,txt" with register 5 = 16711680 makes the ink red; "getrgb 300,txt" is skipped;
    // "getrgb 6,fnd" reads the paper; a "pixel" without colour takes the new ink.
    e.state().registers.at(5) = "16711680";
    e.state().registers.at(7) = "keep";
    grp->setPlainText(
        "putrgb 5,txt\ngetrgb 300,txt\ngetrgb 7\ngetrgb 6,fnd\n  pixel 3,4\ncortxt=\n"
        "  defplot= 2,x\n  plot 1,1,00FF00\n  plot #5\nunknown 1,2\n  defpixel= 3\n  pixel 20,20,0000FF");
    click(*w, "btDesenhar");
    QCOMPARE(e.textSettings().inkColour, std::string("FFFFFF"));  // cortxt= without a colour: white
    QCOMPARE(e.screen().tela.pixel(3, 4), 0xFF0000u);
    QCOMPARE(e.state().registers.at(7), std::string("8421504"));
    QCOMPARE(e.state().registers.at(6), std::string("0"));
    QCOMPARE(e.plotSettings().plotWidth(), 4);  // below 4 and bad both give 4
    QCOMPARE(e.screen().tela.pixel(4, 4), 0x00FF00u);
    QCOMPARE(e.screen().tela.pixel(22, 22), 0x0000FFu);
    QCOMPARE(e.screen().tela.pixel(23, 23), 0x000000u);
    QCOMPARE(e.plotSettings().pixelSize(), 3);
    QVERIFY(w->drawingPage().message().isEmpty());

    // A colour that is not one stops the preview on its line and says so.
    grp->setPlainText("  pixel 1,1\n  pixel 2,2,XYZ\n  pixel 9,9");
    click(*w, "btDesenhar");
    QVERIFY2(w->drawingPage().message().startsWith("Linha 1"), qPrintable(w->drawingPage().message()));
    QCOMPARE(e.screen().tela.pixel(9, 9), 0x000000u);
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
    QTemporaryDir folder;
    auto w = openWindow(folder);
    Engine& e = w->engine();
    w->openDrawing(FigureKind::Pixel);
    click(*w, "btClearTela");
    enterText(*w, "edDef1", "2");
    const struct {
        int tool;
        QString colour;
        QPoint from, to;
    } strokes[] = {
        {kToolPixel, "FFFFFF", {10, 10}, {30, 12}},        {kToolLine, "FF0000", {40, 40}, {200, 90}},
        {kToolPolyline, "00FF00", {1, 1}, {260, 30}},      {kToolPolyline, "00FF00", {1, 1}, {300, 150}},
        {kToolRectangle, "0000FF", {320, 40}, {400, 120}}, {kToolEllipse, "FFFF00", {420, 40}, {520, 140}},
        {kToolFan, "FF00FF", {1, 1}, {600, 20}},           {kToolFan, "FF00FF", {1, 1}, {640, 200}},
        {kToolFilled, "808080", {100, 300}, {60, 250}},    {kToolPixel, "00FFFF", {700, 400}, {700, 400}},
    };
    for (const auto& s : strokes) {
        chooseTool(*w, s.tool);
        drawingColour(*w, s.colour);
        drag(*w, s.from, s.to);
    }
    const Bitmap drawn = e.screen().screenBuffer;
    QCOMPARE(drawn, e.screen().tela);

    click(*w, "btDesenhar");
    const Bitmap previewed = e.screen().tela;
    int differing = 0;
    for (int y = 0; y < 420; ++y)
        for (int x = 0; x < 760; ++x) differing += drawn.pixel(x, y) != previewed.pixel(x, y);
    QCOMPARE(differing, 0);

    setScript(*w, {"clearbuf 000000", ""});
    w->editor().selectLine(1);
    click(*w, "btTransferir");
    QStringList script = editorLines(*w);
    script << "refresh";
    setScript(*w, script);
    e.screen().tela.fill(0x123456);
    click(*w, "btExe");
    QVERIFY(!e.lastError());
    if (!(e.screen().tela == previewed)) {
        e.screen().tela.save(QDir::temp().filePath("roundtrip_run.png").toStdString());
        previewed.save(QDir::temp().filePath("roundtrip_preview.png").toStdString());
        qWarning() << editorLines(*w);
    }
    QCOMPARE(e.screen().tela, previewed);

    // The plot kind the same way: cells of an 8 x 6 grid in two colours and a paper line.
    w->openDrawing(FigureKind::Plot);
    click(*w, "btClearTela");
    enterText(*w, "edDef1", "8");
    enterText(*w, "edDef2", "6");
    click(*w, "btClearTela");
    drawingColour(*w, "FFFFFF");
    drag(*w, {5, 5}, {200, 5});
    drawingColour(*w, "00FF80");
    drag(*w, {300, 200}, {300, 400});
    clickAt(*w, {700, 100}, Qt::MiddleButton);  // on the screen only: the run will not draw it
    clickAt(*w, {700, 100}, Qt::RightButton);
    const Bitmap plotted = e.screen().screenBuffer;
    click(*w, "btDesenhar");
    const Bitmap plotPreview = e.screen().tela;
    QCOMPARE(plotPreview, plotted);
    setScript(*w, {"clearbuf 000000", ""});
    w->editor().selectLine(1);
    click(*w, "btTransferir");
    QStringList plotScript = editorLines(*w);
    plotScript << "refresh";
    setScript(*w, plotScript);
    click(*w, "btExe");
    QVERIFY(!e.lastError());
    QCOMPARE(e.screen().tela, plotPreview);
}

void DrawingEditorTest::undoAndRedoRestoreTextAndScreen()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    Engine& e = w->engine();
    w->openDrawing(FigureKind::Pixel);
    click(*w, "btClearTela");
    const Bitmap blank = e.screen().screenBuffer;
    chooseTool(*w, kToolFilled);
    drag(*w, {10, 10}, {50, 50});
    const QStringList oneRect = lines(*w);
    const Bitmap oneRectScreen = e.screen().screenBuffer;
    drawingColour(*w, "FF0000");
    drag(*w, {100, 10}, {150, 50});
    QCOMPARE(screenPixel(*w, 120, 20), 0xFF0000u);

    auto undoKey = [&] { QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier); };
    auto redoKey = [&] { QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); };
    undoKey();  // the red rectangle
    QCOMPARE(lines(*w), oneRect);
    QCOMPARE(screenPixel(*w, 120, 20), 0x000000u);
    QCOMPARE(w->drawingPage().drawingColour(), 0xFF0000u);
    undoKey();  // the colour
    QCOMPARE(w->drawingPage().drawingColour(), 0xFFFFFFu);
    redoKey();
    QTest::keyClick(w.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(screenPixel(*w, 120, 20), 0xFF0000u);
    QCOMPARE(lines(*w).size(), 4);

    // Typing in Grp is a step of its own: undoing the next drawing keeps it.
    auto* grp = w->findChild<QPlainTextEdit*>("Grp");
    grp->setFocus();
    grp->moveCursor(QTextCursor::End);
    typeText(grp, "\n  pixel 700,1");
    drag(*w, {200, 200}, {210, 210});
    QTest::keyClick(grp, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(tail(*w, 1), QStringList({"  pixel 700,1"}));
    QTest::keyClick(grp, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(lines(*w).size(), 4);

    // A kind switch and a clear are steps too, and the page keeps well over a hundred of them.
    QTest::mouseClick(w->findChild<QWidget*>("imTroca"), Qt::LeftButton);
    QCOMPARE(w->drawingPage().kind(), FigureKind::Plot);
    undoKey();
    QCOMPARE(w->drawingPage().kind(), FigureKind::Pixel);
    QVERIFY(w->findChild<QWidget*>("btTool1")->isVisible());
    QCOMPARE(lines(*w).size(), 4);
    chooseTool(*w, kToolPixel);
    for (int i = 0; i < 120; ++i) clickAt(*w, {300 + i, 300});
    QCOMPARE(lines(*w).size(), 124);
    for (int i = 0; i < 120; ++i) undoKey();
    QCOMPARE(lines(*w).size(), 4);
    // A screen with few runs of equal pixels (a photo a script drew) comes back exactly too.
    Bitmap& buffer = e.screen().screenBuffer;
    uint32_t seed = 12345;
    for (int y = 0; y < 420; ++y)
        for (int x = 0; x < 760; ++x) buffer.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    const Bitmap noise = buffer;
    chooseTool(*w, kToolFilled);
    drag(*w, {10, 10}, {700, 400});
    QVERIFY(!(buffer == noise));
    undoKey();
    QCOMPARE(buffer, noise);
    redoKey();
    undoKey();
    QCOMPARE(buffer, noise);

    // A gesture cut short by another page is a step of its own; undo goes on working after it.
    chooseTool(*w, kToolPixel);
    const QStringList uncut = lines(*w);
    press(*w, {600, 300});
    QTest::mouseMove(tela(*w), QPoint(650, 350));
    w->showListing();
    w->showPage("Dodiroz");
    const QStringList cut = lines(*w);
    undoKey();
    QCOMPARE(cut.size(), uncut.size() + 2);
    QCOMPARE(lines(*w), uncut);
    redoKey();
    QCOMPARE(lines(*w), cut);

    // Opening the page again starts from the header; the lines it replaced are one undo away.
    const QStringList figure = lines(*w);
    w->openDrawing(FigureKind::Pixel);
    QCOMPARE(lines(*w).size(), 2);
    undoKey();
    QCOMPARE(lines(*w), figure);
    while (w->drawingPage().undoStack().canUndo()) undoKey();
    QCOMPARE(e.screen().screenBuffer, blank);
    QVERIFY(!(oneRectScreen == blank));
}

void DrawingEditorTest::matrixConvertersAndBuffersShowTheRunsState()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    // The matrix view: 152 x 84 zeros at the start; a run's plots afterwards.
    QTest::keyClick(w.get(), Qt::Key_F8);
    QCOMPARE(w->currentPage(), QString("Matriz"));
    QCOMPARE(labelText(*w, "lbMatriz"), QString("Matriz de plots 152 x 84"));
    auto& matrix = w->matrixPage();
    QCOMPARE(matrix.columns(), 153);
    QCOMPARE(matrix.rows(), 85);
    QCOMPARE(matrix.cellText(152, 0), QString("151"));
    QCOMPARE(matrix.cellText(0, 84), QString("83"));
    QCOMPARE(matrix.cellText(152, 84), QString("0"));
    setScript(*w, {"defplot 10,10", "plot 3,2", "setplot 75,41,7", "bakbuf 00FF00"});
    click(*w, "btExe");
    click(*w, "btArq");
    QTest::mouseClick(static_cast<QWidget*>(button(*w, "imMatriz")), Qt::LeftButton);
    QCOMPARE(labelText(*w, "lbMatriz"), QString("Matriz de plots 76 x 42"));
    QCOMPARE(matrix.cellText(4, 3), QString("255"));
    QCOMPARE(matrix.cellText(76, 42), QString("7"));
    QCOMPARE(matrix.cellText(3, 3), QString("0"));

    // Converters: the examples, a refusal that keeps the old result, and click-to-copy.
    click(*w, "btReg");
    enterText(*w, "edIntToHex", "16777215");
    QCOMPARE(labelText(*w, "lbIntToHex"), QString("FFFFFF"));
    QCOMPARE(w->colourConverters().intSwatch(), 0xFFFFFFu);
    enterText(*w, "edIntToHex", "255");
    QCOMPARE(labelText(*w, "lbIntToHex"), QString("0000FF"));
    enterText(*w, "edHexToInt", "0000FF");
    QCOMPARE(labelText(*w, "lbHexToInt"), QString("255"));
    QCOMPARE(w->colourConverters().hexSwatch(), 0x0000FFu);
    enterText(*w, "edHexToInt", "FF0000");
    QCOMPARE(labelText(*w, "lbHexToInt"), QString("16711680"));
    enterText(*w, "edHexToInt", "FF00");
    QCOMPARE(labelText(*w, "lbHexToInt"), QString("16711680"));
    QVERIFY(!labelText(*w, "Stx").isEmpty());
    enterText(*w, "edIntToHex", "-3");
    QCOMPARE(labelText(*w, "lbIntToHex"), QString("0000FF"));
    auto* result = w->findChild<QLabel*>("lbHexToInt");
    QTest::mousePress(result, Qt::LeftButton);
    QVERIFY(result->styleSheet().contains("white"));
    QTest::mouseRelease(result, Qt::LeftButton);
    QVERIFY(result->styleSheet().contains("black"));
    QCOMPARE(QApplication::clipboard()->text(), QString("16711680"));
    QTest::mouseMove(tela(*w), QPoint(123, 45));
    QCOMPARE(labelText(*w, "lbPosX"), QString("123"));
    QCOMPARE(labelText(*w, "lbPosY"), QString("45"));

    // Buffers: captions, and swapbuf twice gives both buffers back.
    QTest::keyClick(w.get(), Qt::Key_F6);
    QCOMPARE(w->currentPage(), QString("Buffers"));
    QCOMPARE(labelText(*w, "lbBufTela"), QString("Buffer principal de tela 760 x 420"));
    QCOMPARE(labelText(*w, "lbBufBak"), QString("Buffer secundário (bakbuf) 760 x 420"));
    const Bitmap screen = w->engine().screen().screenBuffer, back = w->engine().screen().backBuffer;
    click(*w, "btSwapbuf");
    QCOMPARE(w->engine().screen().screenBuffer, back);
    QCOMPARE(w->engine().screen().backBuffer, screen);
    click(*w, "btSwapbuf");
    QCOMPARE(w->engine().screen().screenBuffer, screen);
    QCOMPARE(w->engine().screen().backBuffer, back);
    click(*w, "btBuftobak");
    QCOMPARE(w->engine().screen().backBuffer, screen);
    w->engine().screen().backBuffer.fill(0x00FF00);
    click(*w, "btBaktobuf");
    QCOMPARE(w->engine().screen().screenBuffer.pixel(5, 5), 0x00FF00u);
}

LUDOMAT_WIDGET_TEST_MAIN(DrawingEditorTest)

#include "drawing_editor_test.moc"
