// Running, stopping, continuing and stepping scripts from the studio window.

#include "widget_test_support.h"

#include "studio/editing/script_editor.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextBlock>

using namespace ludomat;
using namespace ludomat::test;

class RunControlTest : public QObject {
    Q_OBJECT

private slots:
    void stopDuringPauseThenContRepeatsThePauseLine();
    void stopEndsALoopThatNeverWaits();
    void f1StepsOneLineWhereverTheFocusIs();
    void editorCaretChoosesTheLineToStep();
    void errorEndsTheRunAndPointsAtTheLine();
    void runThatLoadsAnotherScriptDoesNotOverwriteTheFirst();
    void pauseInsideAnotherScriptSavesEditsToThatScript();
    void errorInAnotherScriptNamesIt();
};

void RunControlTest::stopDuringPauseThenContRepeatsThePauseLine()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 2", "pausa 50", "inc 1"});
    const EngineState& state = window->engine().state();

    bool stoppedInPause = false;
    whenReady([&] { return state.isRunning && state.lineCounter == 1; }, [&] { click(*window, "btStp"); },
              &stoppedInPause);
    click(*window, "btExe");

    QVERIFY(stoppedInPause);
    QVERIFY(!state.isRunning);
    QCOMPARE(labelText(*window, "Lb9"), QString("Cont"));
    QCOMPARE(selectedText(*window), QString("pausa 50"));
    QVERIFY(window->editor().isEnabled());
    QCOMPARE(labelText(*window, "lbLin"), QString("1"));
    QVERIFY(window->findChild<QLabel*>("Led2")->isHidden());
    QCOMPARE(reg(*window, 2), QString("1"));
    QCOMPARE(reg(*window, 1), QString());

    // Cont runs the pause line again (so it waits once more), then the rest; line 0 stays done.
    QElapsedTimer clock;
    clock.start();
    click(*window, "btStp");
    QVERIFY2(clock.elapsed() >= 450, qPrintable(QString("resumed run took %1 ms").arg(clock.elapsed())));
    QCOMPARE(reg(*window, 1), QString("1"));
    QCOMPARE(reg(*window, 2), QString("1"));
    QCOMPARE(labelText(*window, "Lb9"), QString("Stop"));
    QVERIFY(!state.isRunning);
}

void RunControlTest::stopEndsALoopThatNeverWaits()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {":volta", "inc 1", "goto volta"});
    const EngineState& state = window->engine().state();

    whenReady([&] { return state.isRunning && state.registers[1].size() >= 4; }, [&] { click(*window, "btStp"); });
    click(*window, "btExe");

    QVERIFY(!state.isRunning);
    QCOMPARE(labelText(*window, "Lb9"), QString("Cont"));
    QVERIFY(reg(*window, 1).toInt() >= 1000);
    // The watch label of slot 1 shows the final count once the run is over.
    QCOMPARE(labelText(*window, "Rg01"), reg(*window, 1));
}

// The engine's stepping rules have their own tests; here the window's part: F1 reaches the
// window even from the editor, which would take it, and the labels follow each step.
void RunControlTest::f1StepsOneLineWhereverTheFocusIs()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 5", "inc 5", "inc 4"});
    QTest::keyClick(window.get(), Qt::Key_F1);
    window->editor().setFocus();
    QTest::keyClick(&window->editor(), Qt::Key_F1);
    QCOMPARE(reg(*window, 5), QString("2"));
    QCOMPARE(labelText(*window, "lbLin"), QString("2"));
    QCOMPARE(labelText(*window, "Rg05"), QString("2"));
    QCOMPARE(selectedText(*window), QString("inc 4"));
    QCOMPARE(window->editor().runLine(), 2);
    QCOMPARE(editorLines(*window), QStringList({"inc 5", "inc 5", "inc 4"}));
    QCOMPARE(labelText(*window, "Lb9"), QString("Stop"));
}

void RunControlTest::editorCaretChoosesTheLineToStep()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    ScriptEditor& editor = window->editor();
    setScript(*window, {"inc 5", "inc 6", "inc 7"});

    QTextCursor third(editor.document()->findBlockByNumber(2));
    QPoint onThird = editor.cursorRect(third).center();
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, {}, onThird);
    QCOMPARE(labelText(*window, "lbLin"), QString("2"));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(reg(*window, 7), QString("1"));
    QCOMPARE(reg(*window, 5), QString());
    QCOMPARE(reg(*window, 6), QString());

    // A key release reports the caret too: up from the end lands on line 1.
    editor.setFocus();
    editor.moveCursor(QTextCursor::End);
    QTest::keyClick(&editor, Qt::Key_Up);
    QCOMPARE(labelText(*window, "lbLin"), QString("1"));
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(reg(*window, 6), QString("1"));
    QCOMPARE(reg(*window, 5), QString());
}

void RunControlTest::errorEndsTheRunAndPointsAtTheLine()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 3", "reg/ 3,0", "inc 4"});

    click(*window, "btExe");
    QString error = window->host().lastErrorText();
    // "Linha N: " and the engine's message, then the line as written.
    QVERIFY2(error.startsWith("Linha 1: "), qPrintable(error));
    QVERIFY2(error.section('\n', 0, 0).size() > QString("Linha 1: ").size(), "the error box needs the error's message");
    QVERIFY2(error.endsWith("\n\nreg/ 3,0"), qPrintable(error));
    QCOMPARE(reg(*window, 3), QString("1"));
    QCOMPARE(reg(*window, 4), QString());
    QVERIFY(window->editor().isEnabled());
    QCOMPARE(selectedText(*window), QString("reg/ 3,0"));
    QVERIFY(!window->engine().state().isRunning);
    QVERIFY(window->findChild<QLabel*>("Led2")->isHidden());

    // Once corrected, the same window runs the script to its end.
    setScript(*window, {"inc 3", "reg/ 3,1", "inc 4"});
    click(*window, "btExe");
    QCOMPARE(reg(*window, 4), QString("1"));
}

void RunControlTest::runThatLoadsAnotherScriptDoesNotOverwriteTheFirst()
{
    QTemporaryDir folder;
    const QByteArray other = "inc 9\r\ninc 8\r\npausa 20\r\nreg= 7,fim\r\n";
    writeFile(folder.filePath("outro.scp"), other);
    auto window = openWindow(folder);
    const QStringList own{"inc 1", "script outro", "inc 2"};
    setScript(*window, own);
    const EngineState& state = window->engine().state();

    // While the run is in the other script the editor shows its lines; the name stays.
    QStringList shownDuringRun;
    QString nameDuringRun;
    whenReady([&] { return state.isRunning && state.registers[8] == "1"; },
              [&] {
                  shownDuringRun = editorLines(*window);
                  nameDuringRun = labelText(*window, "Stn");
              });
    click(*window, "btExe");
    QCOMPARE(shownDuringRun, QStringList({"inc 9", "inc 8", "pausa 20", "reg= 7,fim"}));
    QCOMPARE(nameDuringRun, QString("prog01.scp"));
    // The chained script's first line is not run.
    QCOMPARE(reg(*window, 9), QString());
    QCOMPARE(reg(*window, 7), QString("fim"));
    QCOMPARE(reg(*window, 2), QString());

    // Over: the user's script is back, and every save writes the user's own lines.
    QCOMPARE(editorLines(*window), own);
    QCOMPARE(labelText(*window, "Stn"), QString("prog01.scp"));
    click(*window, "btExe");
    QCOMPARE(readFile(folder.filePath("prog01.scp")), QByteArray("inc 1\r\nscript outro\r\ninc 2\r\n"));
    QCOMPARE(editorLines(*window), own);
    window->close();
    QCOMPARE(readFile(folder.filePath("prog01.scp")), QByteArray("inc 1\r\nscript outro\r\ninc 2\r\n"));
    QCOMPARE(readFile(folder.filePath("outro.scp")), other);
}

void RunControlTest::pauseInsideAnotherScriptSavesEditsToThatScript()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("outro.scp"), "inc 9\r\ninc 8\r\nbreak\r\ninc 7\r\n");
    auto window = openWindow(folder);
    setScript(*window, {"inc 1", "script outro"});
    click(*window, "btExe");
    QCOMPARE(labelText(*window, "Lb9"), QString("Cont"));
    QCOMPARE(editorLines(*window), QStringList({"inc 9", "inc 8", "break", "inc 7"}));
    QCOMPARE(selectedText(*window), QString("inc 7"));
    QVERIFY(labelText(*window, "Stx").contains("outro.scp"));

    // The user fixes the other script while paused; closing saves each script to its own file.
    ScriptEditor& editor = window->editor();
    editor.setFocus();
    editor.moveCursor(QTextCursor::End);
    typeText(&editor, "\ninc 6");
    window->close();
    QCOMPARE(readFile(folder.filePath("outro.scp")), QByteArray("inc 9\r\ninc 8\r\nbreak\r\ninc 7\r\ninc 6\r\n"));
    QCOMPARE(readFile(folder.filePath("prog01.scp")), QByteArray("inc 1\r\nscript outro\r\n"));
}

void RunControlTest::errorInAnotherScriptNamesIt()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("outro.scp"), "inc 9\r\nreg/ 1,0\r\n");
    auto window = openWindow(folder);
    setScript(*window, {"gosub outro"});
    click(*window, "btExe");
    QString error = window->host().lastErrorText();
    QVERIFY2(error.startsWith("Linha 1: "), qPrintable(error));
    QVERIFY2(error.contains("outro.scp, linha 1: reg/ 1,0"), qPrintable(error));
    // The failing line is shown where it is, so the user can mend it there.
    QCOMPARE(selectedText(*window), QString("reg/ 1,0"));
    typeText(&window->editor(), "reg/ 1,1");
    // Executar keeps the mend in the other script's file and runs the user's own script again.
    click(*window, "btExe");
    QCOMPARE(window->host().lastErrorText(), QString());
    QCOMPARE(readFile(folder.filePath("outro.scp")), QByteArray("inc 9\r\nreg/ 1,1\r\n"));
    QCOMPARE(readFile(folder.filePath("prog01.scp")), QByteArray("gosub outro\r\n"));
    QCOMPARE(editorLines(*window), QStringList({"gosub outro"}));
}

LUDOMAT_WIDGET_TEST_MAIN(RunControlTest)
#include "run_control_test.moc"
