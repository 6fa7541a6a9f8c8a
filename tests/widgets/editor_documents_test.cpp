// The editor pages keep the user's work: each edits a document of its own, asks before a
// changed one is left (another file, a run, closing) and does what the answer says; and every
// message about a game file shows its name and the reason as written, accents included.

#include "figure_gestures.h"

#include "engine/engine.h"
#include "graphics/cp1252.h"
#include "studio/editing/script_editor.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/editors/sprite/sprite_page.h"
#include "studio/editors/tilemap/tile_map_page.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>

#include <filesystem>
#include <fstream>

using namespace ludomat;
using namespace ludomat::test;

class EditorDocumentsTest : public QObject {
    Q_OBJECT

private slots:
    void changedDocumentsAreOfferedBeforeTheyAreLeft();
    void fileMessagesShowAccentedNames();
    void figureUndoRestoresTextAndScreen();
};

namespace {

// Answers the save question from a list and records what was asked.
struct Answers {
    QStringList asked;
    QList<SaveAnswer> next;

    void attach(MainWindow& window)
    {
        window.setSaveQuestion([this](const QString& name) {
            asked << name;
            return next.isEmpty() ? SaveAnswer::Cancel : next.takeFirst();
        });
    }
    // Gives `answers`, runs `act`, and returns the names asked about meanwhile.
    QStringList during(QList<SaveAnswer> answers, const std::function<void()>& act)
    {
        next = std::move(answers);
        asked.clear();
        act();
        return asked;
    }
};

const MapGrid& documentMap(MainWindow& window)
{
    return window.tileMapPage().document().map();
}

}  // namespace

void EditorDocumentsTest::changedDocumentsAreOfferedBeforeTheyAreLeft()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    Answers answers;
    answers.attach(*window);
    TileMapPage& map = window->tileMapPage();
    click(*window, "btArq");
    click(*window, "imTiles");
    setScript(*window, {"  fim"});
    const QString script = folder.filePath("prog01.scp");

    // A changed map: the engine's map is not edited, and a run first asks.
    click(*window, "btTMcoluna");
    QCOMPARE(documentMap(*window).columns(), 2);
    QCOMPARE(window->engine().mapGrid().columns(), 1);
    QCOMPARE(answers.during({SaveAnswer::Cancel}, [&] { window->execute(); }), QStringList{"000.tlm"});
    QVERIFY2(!QFile::exists(script), "Cancelar must not run (nor save the script)");
    QCOMPARE(documentMap(*window).columns(), 2);
    QCOMPARE(answers.during({SaveAnswer::Discard}, [&] { window->execute(); }), QStringList{"000.tlm"});
    QVERIFY(QFile::exists(script));
    QCOMPARE(documentMap(*window).columns(), 1);
    QVERIFY(!map.document().isModified());
    QVERIFY(!QFile::exists(folder.filePath("000.tlm")));

    // Saved: the file and the engine's map follow, and nothing is asked any more.
    click(*window, "btTMcoluna");
    enterText(*window, "edTMmapa", "fase.tlm");
    QCOMPARE(answers.during({SaveAnswer::Save}, [&] { window->execute(); }), QStringList{"fase.tlm"});
    QCOMPARE(readFile(folder.filePath("fase.tlm")), QByteArray("0000\r\n"));
    QCOMPARE(window->engine().mapGrid().columns(), 2);
    QVERIFY(answers.during({}, [&] { window->execute(); }).isEmpty());

    // Back to the saved state by undo is no change at all.
    click(*window, "btTMlinha");
    QVERIFY(map.document().isModified());
    map.undo();
    QVERIFY(!map.document().isModified());
    QVERIFY(answers.during({}, [&] { window->execute(); }).isEmpty());

    // Loading another map over a changed one: Cancelar keeps it.
    writeFile(folder.filePath("outro.tlm"), "05\r\n");
    click(*window, "btTMlinha");
    QCOMPARE(answers.during({SaveAnswer::Cancel}, [&] { map.openListedFile("outro.tlm"); }), QStringList{"fase.tlm"});
    QCOMPARE(documentMap(*window).rows(), 2);
    QCOMPARE(window->findChild<QLineEdit*>("edTMmapa")->text(), QString("fase.tlm"));
    // Salvar while another name is typed in: the edits go to the file they came from.
    QCOMPARE(answers.during({SaveAnswer::Save}, [&] { enterText(*window, "edTMmapa", "outro.tlm"); }),
             QStringList{"fase.tlm"});
    QCOMPARE(readFile(folder.filePath("fase.tlm")), QByteArray("0000\r\n0000\r\n"));
    QCOMPARE(documentMap(*window).cellText(0, 0), std::string("5"));
    QCOMPARE(readFile(folder.filePath("outro.tlm")), QByteArray("05\r\n"));
    // A changed strip is named by its own file.
    click(*window, "btTMadd");
    QCOMPARE(map.changedFilesName(), QString("000.bmp"));
    QCOMPARE(answers.during({SaveAnswer::Save}, [&] { window->execute(); }), QStringList{"000.bmp"});
    QCOMPARE(QImage(folder.filePath("000.bmp")).width(), 10);
    saveShot(window.get(), "editor-tilemap.png");

    // The figure: typed lines are a change; saving writes the figure file.
    window->openDrawing(FigureKind::Pixel);
    DrawingPage& drawing = window->drawingPage();
    QVERIFY(!drawing.isModified());
    drawing.setFigureLines(drawing.figureLines() << "  pixel 3,4");
    QCOMPARE(answers.during({SaveAnswer::Cancel}, [&] { window->execute(); }), QStringList{"fig01a.pix"});
    QVERIFY(drawing.figureLines().contains("  pixel 3,4"));
    QCOMPARE(answers.during({SaveAnswer::Save}, [&] { window->execute(); }), QStringList{"fig01a.pix"});
    QVERIFY(readFile(folder.filePath("fig01a.pix")).contains("  pixel 3,4\r\n"));
    drawing.setFigureLines(drawing.figureLines() << "  pixel 5,6");
    QCOMPARE(answers.during({SaveAnswer::Discard}, [&] { window->openDrawing(FigureKind::Plot); }),
             QStringList{"fig01a.pix"});
    QCOMPARE(drawing.kind(), FigureKind::Plot);
    saveShot(window.get(), "editor-figura.png");
    QVERIFY(!readFile(folder.filePath("fig01a.pix")).contains("pixel 5,6"));

    // The sprites: a changed scale is written into the script's own line when saved.
    QImage sheet(20, 10, QImage::Format_RGB32);
    sheet.fill(Qt::red);
    QVERIFY(sheet.save(folder.filePath("nave.png")));
    setScript(*window, {"  loadsprite nave,nave.png,2", "  sprite nave,10,#20", "  fim"});
    window->execute();
    SpritePage& sprites = window->spritePage();
    QVERIFY(sprites.enter());
    sprites.setScalePosition(75);
    sprites.setScalePosition(100);
    QCOMPARE(window->engine().sprites().at(0).scale, 1.0);
    QCOMPARE(sprites.document().undoStack().count(), 1);
    QCOMPARE(answers.during({SaveAnswer::Save}, [&] { window->execute(); }), QStringList{"nave"});
    QCOMPARE(editorLines(*window).value(1), QString("  sprite nave,10,#20,,2"));
    QCOMPARE(window->engine().sprites().at(0).scale, 2.0);
    QVERIFY(sprites.enter());
    saveShot(window.get(), "editor-sprites.png");

    // The box itself: three answers, and Cancelar is what closing it means.
    QTimer::singleShot(300, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->text(), QString::fromUtf8("Salvar as alterações em fase.tlm?"));
        QStringList captions;
        for (QAbstractButton* b : box->buttons()) captions << b->text();
        captions.sort();
        QCOMPARE(captions, QStringList({"Cancelar", "Descartar", "Salvar"}));
        saveShot(box, "pergunta-salvar.png");
        box->reject();
    });
    QCOMPARE(askInBox(window.get(), "fase.tlm"), SaveAnswer::Cancel);

    // Closing: Cancelar keeps the window open and the map unsaved; Salvar writes it.
    window->showPage("TileMap");
    click(*window, "btTMcoluna");
    QCOMPARE(answers.during({SaveAnswer::Cancel}, [&] { window->close(); }), QStringList{"outro.tlm"});
    QVERIFY(window->isVisible());
    QCOMPARE(answers.during({SaveAnswer::Save}, [&] { window->close(); }), QStringList{"outro.tlm"});
    QVERIFY(!window->isVisible());
    QCOMPARE(readFile(folder.filePath("outro.tlm")), QByteArray("0500\r\n"));
}

void EditorDocumentsTest::fileMessagesShowAccentedNames()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    // Each name is a folder, so no page can write a file of that name; broken files cannot be read.
    for (const char* name : {"ação.tlm", "ação.bmp", "ação.pix", "ação.scp"}) QVERIFY(QDir(folder.path()).mkdir(name));
    writeFile(folder.filePath("mapa ruim é.tlm"), "0Z\r\n");
    // Scripts name files in the game text's code page, and so does the engine on disk.
    {
        std::ofstream damaged(folder.path().toStdString() + "/" + toCp1252(QString::fromUtf8("fundo ção.png")));
        damaged << "not a picture";
    }
    auto readsRight = [](const QString& message, const QString& name, const QString& reason) {
        const bool ok = message.contains(name) && message.contains(reason) && !message.contains(QChar(0xFFFD)) &&
                        !message.contains(QString::fromUtf8("Ã"));
        if (!ok) qWarning("message: %s", qPrintable(message));
        return ok;
    };
    const QString isFolder = QString::fromUtf8("é uma pasta");

    TileMapPage& map = window->tileMapPage();
    click(*window, "btArq");
    click(*window, "imTiles");
    enterText(*window, "edTMmapa", QString::fromUtf8("ação.tlm"));
    QVERIFY(!map.saveMap());
    QVERIFY(readsRight(map.message(), QString::fromUtf8("ação.tlm"), isFolder));
    enterText(*window, "edTMtiles", QString::fromUtf8("ação.bmp"));
    QVERIFY(!map.saveTiles());
    QVERIFY(readsRight(map.message(), QString::fromUtf8("ação.bmp"), isFolder));
    map.openListedFile(QString::fromUtf8("mapa ruim é.tlm"));
    QVERIFY(readsRight(map.message(), QString::fromUtf8("mapa ruim é.tlm"), "0Z"));
    enterText(*window, "edTMfundo", QString::fromUtf8("fundo ção.png"));
    click(*window, "btTMver");
    QVERIFY(readsRight(map.message(), QString::fromUtf8("fundo ção.png"), QString()));

    window->openDrawing(FigureKind::Pixel);
    DrawingPage& drawing = window->drawingPage();
    enterText(*window, "NoFig", QString::fromUtf8("ação"));
    QVERIFY(!drawing.saveFigureFile());
    QVERIFY(readsRight(drawing.message(), QString::fromUtf8("ação.pix"), isFolder));
    drawing.openFigureFile(QString::fromUtf8("ação.pix"));
    QVERIFY(readsRight(drawing.message(), QString::fromUtf8("ação.pix"), QString()));

    setScript(*window, {"  loadsprite nave,nave.png", "  fim"});
    QString error;
    QVERIFY(!window->files().saveAs(QString::fromUtf8("ação.scp"), &error));
    QVERIFY(readsRight(error, QString::fromUtf8("ação.scp"), isFolder));

    QImage sheet(20, 10, QImage::Format_RGB32);
    sheet.fill(Qt::blue);
    QVERIFY(sheet.save(folder.filePath("nave.png")));
    window->execute();
    QVERIFY(window->spritePage().enter());
    enterText(*window, "edShp", QString::fromUtf8("fundo ção.png"));
    window->spritePage().previewOnScreen();
    QVERIFY(readsRight(labelText(*window, "Stx"), QString::fromUtf8("fundo ção.png"), QString()));
    // A name Qt cannot decode is one it cannot remove either.
    std::filesystem::remove(folder.path().toStdString() + "/" + toCp1252(QString::fromUtf8("fundo ção.png")));
}

void EditorDocumentsTest::figureUndoRestoresTextAndScreen()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    Engine& e = w->engine();
    w->openDrawing(FigureKind::Pixel);
    click(*w, "btClearTela");
    const Bitmap blank = e.screen().screenBuffer;
    perform(*w, "tool 7; drag 10,10 50,50");
    const QStringList oneRect = lines(*w);
    perform(*w, "colour FF0000; drag 100,10 150,50");
    undoKey(*w);  // the red rectangle
    QCOMPARE(lines(*w), oneRect);
    QCOMPARE(screenPixel(*w, 120, 20), 0x000000u);
    QCOMPARE(w->drawingPage().drawingColour(), 0xFF0000u);
    undoKey(*w);  // the colour
    QCOMPARE(w->drawingPage().drawingColour(), 0xFFFFFFu);
    redoKey(*w);
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

    // A kind switch is a step too, and the page keeps well over a hundred of them.
    switchKind(*w);
    undoKey(*w);
    QCOMPARE(w->drawingPage().kind(), FigureKind::Pixel);
    QVERIFY(widget(*w, "btTool1")->isVisible());
    chooseTool(*w, kToolPixel);
    for (int i = 0; i < 120; ++i) clickAt(*w, {300 + i, 300});
    for (int i = 0; i < 120; ++i) undoKey(*w);
    QCOMPARE(lines(*w).size(), 4);
    // A screen with few runs of equal pixels (a photo a script drew) comes back exactly too.
    Bitmap& buffer = e.screen().screenBuffer;
    uint32_t seed = 12345;
    for (int y = 0; y < 420; ++y)
        for (int x = 0; x < 760; ++x) buffer.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    const Bitmap noise = buffer;
    perform(*w, "tool 7; drag 10,10 700,400");
    QVERIFY(!(buffer == noise));
    undoKey(*w);
    QCOMPARE(buffer, noise);
    redoKey(*w);
    undoKey(*w);
    QCOMPARE(buffer, noise);

    // A gesture cut short by another page is a step of its own; undo goes on working after it.
    chooseTool(*w, kToolPixel);
    const QStringList uncut = lines(*w);
    QTest::mousePress(tela(*w), Qt::LeftButton, Qt::NoModifier, {600, 300});
    QTest::mouseMove(tela(*w), QPoint(650, 350));
    w->showListing();
    w->showPage("Dodiroz");
    const QStringList cut = lines(*w);
    undoKey(*w);
    QCOMPARE(cut.size(), uncut.size() + 2);
    QCOMPARE(lines(*w), uncut);
    redoKey(*w);
    QCOMPARE(lines(*w), cut);

    // Opening the page again starts from the header; the lines it replaced are one undo away.
    w->openDrawing(FigureKind::Pixel);
    QCOMPARE(lines(*w).size(), 2);
    undoKey(*w);
    QCOMPARE(lines(*w), cut);
    while (w->drawingPage().undoStack().canUndo()) undoKey(*w);
    QCOMPARE(e.screen().screenBuffer, blank);
}

LUDOMAT_WIDGET_TEST_MAIN(EditorDocumentsTest)

#include "editor_documents_test.moc"
