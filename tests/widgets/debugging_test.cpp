// Breakpoints, running to the caret line and the changed registers marked after a pause.

#include "widget_test_support.h"

#include "studio/debugging/breakpoints.h"
#include "studio/debugging/debugger.h"
#include "studio/editing/script_editor.h"

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextBlock>

using namespace ludomat;
using namespace ludomat::test;

namespace {

// Clicks the editor's gutter beside line `index`, as the user sets or clears a breakpoint.
void clickGutter(MainWindow& window, int index)
{
    ScriptEditor& editor = window.editor();
    QTextBlock block = editor.document()->findBlockByNumber(index);
    int y = editor.cursorRect(QTextCursor(block)).center().y();
    QTest::mouseClick(editor.gutter(), Qt::LeftButton, {}, QPoint(5, y));
}

// Puts the caret on line `index` with a mouse click, as the user would.
void clickLine(MainWindow& window, int index)
{
    ScriptEditor& editor = window.editor();
    QTextBlock block = editor.document()->findBlockByNumber(index);
    int y = editor.cursorRect(QTextCursor(block)).center().y();
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, {}, QPoint(20, y));
}

bool marked(MainWindow& window, const char* label)
{
    return window.findChild<QLabel*>(label)->property("changed").toBool();
}

bool listMarked(MainWindow& window, int index)
{
    return window.findChild<QListWidget*>("Lbx1")->item(index)->data(Qt::UserRole).toBool();
}

}  // namespace

class DebuggingTest : public QObject {
    Q_OBJECT

private slots:
    void breakpointPausesBeforeItsLineAlsoAfterAJump();
    void breakpointsMoveWithTheirLinesAndSurviveAReload();
    void runToCaretGoesOnFromThePauseToTheCaretLine();
    void changedRegistersAreMarkedAndUnmarked();
};

void DebuggingTest::breakpointPausesBeforeItsLineAlsoAfterAJump()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {":volta", "inc 7", "inc 8", "goto volta"});
    clickGutter(*window, 1);
    QCOMPARE(breakpointLines(window->editor().document()), std::vector<int>({1}));
    // Clicking twice clears it; a third click sets it again.
    clickGutter(*window, 1);
    QVERIFY(breakpointLines(window->editor().document()).empty());
    clickGutter(*window, 1);

    click(*window, "btExe");
    // Paused before the line: nothing of it ran.
    QCOMPARE(labelText(*window, "Lb9"), QString("Cont"));
    QCOMPARE(reg(*window, 7), QString());
    QCOMPARE(selectedText(*window), QString("inc 7"));
    QCOMPARE(labelText(*window, "lbLin"), QString("1"));
    saveShot(window.get(), "ponto-de-parada.png");

    // Cont runs the line it stood on, then the jump brings the run back before it.
    click(*window, "btStp");
    QCOMPARE(labelText(*window, "Lb9"), QString("Cont"));
    QCOMPARE(reg(*window, 7), QString("1"));
    QCOMPARE(reg(*window, 8), QString("1"));
    click(*window, "btStp");
    QCOMPARE(reg(*window, 7), QString("2"));
    QCOMPARE(reg(*window, 8), QString("2"));
    QVERIFY(!window->engine().state().isRunning);

    // A cleared breakpoint stops nothing.
    clickGutter(*window, 1);
    setScript(*window, {"inc 7", "inc 8"});
    click(*window, "btExe");
    QCOMPARE(labelText(*window, "Lb9"), QString("Stop"));
    QCOMPARE(reg(*window, 8), QString("1"));
}

void DebuggingTest::breakpointsMoveWithTheirLinesAndSurviveAReload()
{
    QTemporaryDir folder;
    {
        auto window = openWindow(folder);
        setScript(*window, {"inc 1", "inc 2", "inc 3"});
        clickGutter(*window, 2);
        // A line typed above the mark moves it down with its line.
        QTextCursor cursor(window->editor().document()->findBlockByNumber(1));
        cursor.insertText("inc 4\n");
        QCOMPARE(breakpointLines(window->editor().document()), std::vector<int>({3}));
        click(*window, "btExe");
        QCOMPARE(reg(*window, 4), QString("1"));
        QCOMPARE(reg(*window, 2), QString("1"));
        QCOMPARE(reg(*window, 3), QString());
        QCOMPARE(selectedText(*window), QString("inc 3"));
        window->closeStudio();
    }
    // Kept beside the settings, never in the script.
    QVERIFY(QFile::exists(folder.filePath(kBreakpointFileName)));
    QVERIFY(!readFile(folder.filePath("prog01.scp")).contains("\t"));
    // A damaged list loses only its bad entries.
    QByteArray list = readFile(folder.filePath(kBreakpointFileName));
    writeFile(folder.filePath(kBreakpointFileName),
              "lixo sem tabulação\n\t1,2\n" + list.trimmed() + ",x,-4,99999999999,0\n/outro.scp\t\n");
    auto window = openWindow(folder);
    QCOMPARE(editorLines(*window), QStringList({"inc 1", "inc 4", "inc 2", "inc 3"}));
    QCOMPARE(breakpointLines(window->editor().document()), std::vector<int>({0, 3}));
    clickGutter(*window, 0);
    click(*window, "btExe");
    QCOMPARE(reg(*window, 2), QString("1"));
    QCOMPARE(reg(*window, 3), QString());
}

void DebuggingTest::runToCaretGoesOnFromThePauseToTheCaretLine()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 1", "inc 2", "inc 3", "inc 4", "inc 5"});
    clickLine(*window, 2);
    QTest::keyClick(window.get(), Qt::Key_F1, Qt::ControlModifier);
    QCOMPARE(labelText(*window, "Lb9"), QString("Cont"));
    QCOMPARE(reg(*window, 2), QString("1"));
    QCOMPARE(reg(*window, 3), QString());
    QCOMPARE(selectedText(*window), QString("inc 3"));

    // The click on line 4 moves the caret, not the place the run goes on from.
    clickLine(*window, 4);
    QTest::keyClick(&window->editor(), Qt::Key_F1, Qt::ControlModifier);
    QCOMPARE(reg(*window, 3), QString("1"));
    QCOMPARE(reg(*window, 4), QString("1"));
    QCOMPARE(reg(*window, 5), QString());
    QCOMPARE(labelText(*window, "lbLin"), QString("4"));

    // The one-time stop is forgotten: the next Cont runs to the end.
    click(*window, "btStp");
    QCOMPARE(reg(*window, 5), QString("1"));
    click(*window, "btExe");
    QCOMPARE(reg(*window, 5), QString("1"));
    QCOMPARE(labelText(*window, "Lb9"), QString("Stop"));
}

void DebuggingTest::changedRegistersAreMarkedAndUnmarked()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"reg= 1,a", "reg= 2,b", "break", "reg= 2,c", "reg= 1,a", "break", "inc 3", "inc 3"});
    click(*window, "btExe");
    QCOMPARE(window->debugger().changedRegisters(), std::vector<int>({1, 2}));
    QVERIFY(marked(*window, "Rg01"));
    QVERIFY(marked(*window, "Rg02"));
    QVERIFY(!marked(*window, "Rg03"));
    QVERIFY(listMarked(*window, 1));
    QVERIFY(!listMarked(*window, 3));

    // Register 1 was written again with the text it held: not a change.
    click(*window, "btStp");
    QCOMPARE(window->debugger().changedRegisters(), std::vector<int>({2}));
    QVERIFY(!marked(*window, "Rg01"));
    QVERIFY(marked(*window, "Rg02"));
    QVERIFY(!listMarked(*window, 1));
    QVERIFY(listMarked(*window, 2));

    // A step marks what that one line changed.
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(reg(*window, 3), QString("1"));
    QVERIFY(!marked(*window, "Rg02"));
    QVERIFY(marked(*window, "Rg03"));
    QVERIFY(window->findChild<QLabel*>("Rg03")->styleSheet().contains("background"));
    QVERIFY(listMarked(*window, 3));
    QVERIFY(!listMarked(*window, 2));
    window->showRegisters();
    saveShot(window.get(), "pausa-registros.png");
    // Showing the list again keeps the marks.
    QVERIFY(listMarked(*window, 3));
}

LUDOMAT_WIDGET_TEST_MAIN(DebuggingTest)
#include "debugging_test.moc"
