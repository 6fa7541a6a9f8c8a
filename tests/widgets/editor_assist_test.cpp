// The editor's help while writing: completion with its hint, hover help, find and replace, go to
// line, comment toggle and Ctrl+S.

#include "widget_test_support.h"

#include "studio/editing/editor_assist.h"
#include "studio/editing/script_editor.h"
#include "studio/editing/warnings_panel.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolTip>

using namespace ludomat;
using namespace ludomat::test;

class EditorAssistTest : public QObject {
    Q_OBJECT

private slots:
    void completionOffersCommandWordsAndShowsTheirParameters();
    void hoverHelpNamesTheCommand();
    void findAndReplace();
    void commentToggleAndGoToLine();
    void ctrlSSavesTheScript();
    void warningsMarkListAndExplainMistakes();
};

void EditorAssistTest::completionOffersCommandWordsAndShowsTheirParameters()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 1", ""});
    // The hint follows the keyboard focus, which an inactive window on a real display lacks.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    ScriptEditor& editor = window->editor();
    editor.setFocus();
    editor.moveCursor(QTextCursor::End);
    EditorAssist& assist = window->editorAssist();
    typeText(&editor, "pau");
    QAbstractItemView* popup = assist.completer()->popup();
    QVERIFY(popup->isVisible());
    QStringList offered;
    for (int i = 0; i < assist.completer()->completionCount(); ++i) {
        assist.completer()->setCurrentRow(i);
        offered << assist.completer()->currentCompletion();
    }
    QVERIFY2(offered.contains("pausa"), qPrintable(offered.join(' ')));
    QVERIFY(!offered.contains("inc"));

    // Enter takes the highlighted word; a blank follows for the first parameter.
    popup->setCurrentIndex(assist.completer()->completionModel()->index(int(offered.indexOf("pausa")), 0));
    QTest::keyClick(popup, Qt::Key_Return);
    QVERIFY(!popup->isVisible());
    QCOMPARE(editorLines(*window).value(1), QString("pausa "));
    QVERIFY(assist.hint()->isVisible());
    QVERIFY(assist.hint()->text().contains("<u>vezes=1</u>"));
    QVERIFY(assist.hint()->text().contains("Espera"));
    // After a comma the hint moves to the second parameter.
    typeText(&editor, "5,");
    QVERIFY(assist.hint()->text().contains("<u>off</u>"));
    QVERIFY(!assist.hint()->text().contains("<u>vezes=1</u>"));
    QTest::keyClick(&editor, Qt::Key_Return);
    // A whole word that starts longer ones keeps the list open, with the word's hint beside it.
    typeText(&editor, "print");
    QVERIFY(popup->isVisible());
    QVERIFY(assist.hint()->isVisible());
    saveShot(window.get(), "completar.png");
    QTest::keyClick(popup, Qt::Key_Escape);
    for (int i = 0; i < 6; ++i) QTest::keyClick(&editor, Qt::Key_Backspace);
    QCOMPARE(editorLines(*window).value(1), QString("pausa 5,"));

    // Ctrl+Space offers words even after one letter; Esc closes the list and types nothing.
    QTest::keyClick(&editor, Qt::Key_Return);
    typeText(&editor, "f");
    QVERIFY(!popup->isVisible());
    QTest::keyClick(&editor, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_Escape);
    QVERIFY(!popup->isVisible());
    QCOMPARE(editorLines(*window).value(2), QString("f"));
    // A word no command starts with offers nothing.
    typeText(&editor, "qz");
    QVERIFY(!popup->isVisible());
    QVERIFY(!assist.hint()->isVisible());
}

void EditorAssistTest::hoverHelpNamesTheCommand()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"// pausa", "  pausa 5", ":pausa"});
    EditorAssist& assist = window->editorAssist();
    QTextDocument* doc = window->editor().document();
    QVERIFY(assist.helpAt(doc->findBlockByNumber(1).position() + 4).contains("Espera"));
    QVERIFY(assist.helpAt(doc->findBlockByNumber(0).position() + 4).isEmpty());
    QVERIFY(assist.helpAt(doc->findBlockByNumber(2).position() + 2).isEmpty());
    // Over a parameter, not the word.
    QVERIFY(assist.helpAt(doc->findBlockByNumber(1).position() + 9).isEmpty());

    // The mouse resting on the word shows the help as a tool tip.
    ScriptEditor& editor = window->editor();
    QTextCursor over(doc->findBlockByNumber(1));
    over.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 4);
    QPoint at = editor.cursorRect(over).center();
    QHelpEvent hover(QEvent::ToolTip, at, editor.viewport()->mapToGlobal(at));
    QApplication::sendEvent(editor.viewport(), &hover);
    QVERIFY(QToolTip::isVisible());
    QVERIFY(QToolTip::text().contains("Espera"));
}

void EditorAssistTest::findAndReplace()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 1", "inc 2", "reg= 3,INC"});
    ScriptEditor& editor = window->editor();
    editor.setFocus();
    editor.moveCursor(QTextCursor::Start);
    QTest::keyClick(&editor, Qt::Key_F, Qt::ControlModifier);
    auto* field = window->findChild<QLineEdit*>("CampoProcurar");
    QVERIFY(field->isVisible());
    QVERIFY(!window->findChild<QLineEdit*>("CampoTrocar")->isVisible());
    typeText(field, "inc");
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(editor.caretLine(), 0);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(editor.caretLine(), 1);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(editor.caretLine(), 2);
    // Past the last match the search starts over at the top.
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(editor.caretLine(), 0);
    QVERIFY(!window->editorAssist().findNext("nada disso"));

    editor.setFocus();
    QTest::keyClick(&editor, Qt::Key_H, Qt::ControlModifier);
    auto* with = window->findChild<QLineEdit*>("CampoTrocar");
    QVERIFY(with->isVisible());
    with->setText("dec");
    click(*window, "btTrocar");
    QCOMPARE(editorLines(*window), QStringList({"dec 1", "inc 2", "reg= 3,INC"}));
    click(*window, "btTrocarTodos");
    QCOMPARE(editorLines(*window), QStringList({"dec 1", "dec 2", "reg= 3,dec"}));
    QCOMPARE(window->findChild<QLabel*>("MensagemBusca")->text(), QString("2 trocado(s)."));
    // Replacing everything is one step to undo; a replacement holding the text ends.
    editor.undo();
    QCOMPARE(editorLines(*window), QStringList({"dec 1", "inc 2", "reg= 3,INC"}));
    QCOMPARE(window->editorAssist().replaceAll("dec", "dec dec"), 1);
    QCOMPARE(editorLines(*window).value(0), QString("dec dec 1"));
}

void EditorAssistTest::commentToggleAndGoToLine()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 1", "  inc 2", "", "//inc 3", "inc 4"});
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    ScriptEditor& editor = window->editor();
    editor.setFocus();
    QTextCursor cursor(editor.document()->findBlockByNumber(0));
    cursor.setPosition(editor.document()->findBlockByNumber(3).position() + 2, QTextCursor::KeepAnchor);
    editor.setTextCursor(cursor);
    QTest::keyClick(&editor, Qt::Key_Slash, Qt::ControlModifier);
    // One commented line among others: all are commented, blank lines stay blank.
    QCOMPARE(editorLines(*window), QStringList({"//inc 1", "  //inc 2", "", "////inc 3", "inc 4"}));
    QTest::keyClick(&editor, Qt::Key_Slash, Qt::ControlModifier);
    QCOMPARE(editorLines(*window), QStringList({"inc 1", "  inc 2", "", "//inc 3", "inc 4"}));
    // The caret's line alone without a selection.
    editor.setTextCursor(QTextCursor(editor.document()->findBlockByNumber(3)));
    QTest::keyClick(&editor, Qt::Key_Slash, Qt::ControlModifier);
    QCOMPARE(editorLines(*window), QStringList({"inc 1", "  inc 2", "", "inc 3", "inc 4"}));

    QTest::keyClick(&editor, Qt::Key_G, Qt::ControlModifier);
    auto* line = window->findChild<QLineEdit*>("CampoLinha");
    QVERIFY(line->hasFocus());
    typeText(line, "4");
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(editor.caretLine(), 4);
    QCOMPARE(labelText(*window, "lbLin"), QString("4"));
    QVERIFY(editor.hasFocus());
}

void EditorAssistTest::ctrlSSavesTheScript()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 1", "inc 2"});
    window->editor().setFocus();
    QTest::keyClick(&window->editor(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFile(folder.filePath("prog01.scp")), QByteArray("inc 1\r\ninc 2\r\n"));
    QVERIFY(!window->editor().isUnsaved());
    QCOMPARE(labelText(*window, "Stx"), QString("prog01.scp gravado."));
}

LUDOMAT_WIDGET_TEST_MAIN(EditorAssistTest)
// Typing a mistake marks it with a wavy underline and a line in the list under the editor; the
// mouse on it explains it; a click on the list goes there; a file put into the game folder ends
// its warning; the script still runs as before.
void EditorAssistTest::warningsMarkListAndExplainMistakes()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    window->show();
    setScript(*window, {"reg= 1,a", "tela ceu.png", "pauza 10", "goto fim"});
    WarningsPanel& panel = window->warnings();
    QListWidget* list = panel.list();
    QTRY_COMPARE(list->count(), 3);
    QVERIFY(list->isVisible());
    QVERIFY(list->item(1)->text().startsWith("Linha 2: Comando desconhecido. Você quis dizer \"pausa\"?"));
    ScriptEditor& editor = window->editor();
    int waves = 0;
    for (const QTextEdit::ExtraSelection& mark : editor.extraSelections())
        waves += mark.format.underlineStyle() == QTextCharFormat::WaveUnderline;
    QCOMPARE(waves, 3);

    QTextCursor over(editor.document()->findBlockByNumber(2));
    over.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
    QPoint at = editor.cursorRect(over).center();
    QHelpEvent hover(QEvent::ToolTip, at, editor.viewport()->mapToGlobal(at));
    QApplication::sendEvent(editor.viewport(), &hover);
    QVERIFY(QToolTip::text().contains("Você quis dizer"));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QCOMPARE(editor.caretLine(), 3);
    saveShot(window.get(), "avisos.png");

    QFile picture(folder.filePath("ceu.png"));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.close();
    QTRY_COMPARE(list->count(), 2);

    // Warnings never change what runs: the unknown word is skipped, the jump to nowhere ends nothing.
    setScript(*window, {"pauza 10", "reg= 1,rodou"});
    click(*window, "btExe");
    QTRY_COMPARE(reg(*window, 1), QString("rodou"));
    QTRY_COMPARE(list->count(), 1);
    setScript(*window, {"pausa 1"});
    QTRY_VERIFY(!list->isVisible());
}

#include "editor_assist_test.moc"
