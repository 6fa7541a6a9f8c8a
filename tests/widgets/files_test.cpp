// Script files and game folders: the page "Load", the settings file, the recovery copy, and
// scripts opened from the command line or dropped on the window.

#include "widget_test_support.h"

#include "studio/editing/script_editor.h"
#include "studio/files/example_games.h"
#include "studio/pages/folder_tree.h"
#include "studio/pages/load_page.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

using namespace ludomat;
using namespace ludomat::test;

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void settingsFileNamingAnotherFolder();
    void missingGameFolderFallsBackToTheProgramFolder();
    void saveNameRules();
    void newGameFolderAndAnExistingName();
    void loadDoubleClickAndClearScript();
    void loadKeepsTheUsersUnsavedEdits();
    void loadWaitsForTheRunToEnd();
    void recoveryOfferedAfterACrash();
    void recoveryCopyCurrentBeforeEveryRun();
    void scriptFromTheCommandLineOrADrop();
    void exampleGamesOfferedOnce();
};

namespace {

QString currentPage(MainWindow& window)
{
    return window.currentPage();
}

QStringList listed(MainWindow& window)
{
    QStringList names;
    auto* list = window.findChild<QListWidget*>("Arqs");
    for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
    return names;
}

void chooseFile(MainWindow& window, const QString& name)
{
    auto* list = window.findChild<QListWidget*>("Arqs");
    auto found = list->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) return;
    list->setCurrentItem(found.first());
}

}  // namespace

void FilesTest::settingsFileNamingAnotherFolder()
{
    QTemporaryDir program, game;
    const QString gameFolder = game.path() + "/";
    writeFile(game.filePath("meu.scp"), "inc 4\r\nfim\r\n");
    writeFile(program.filePath("Ludomat.ini"),
              ("meu.scp\r\n" + gameFolder + "\r\nana@exemplo.org\r\nsegredo\r\nlinha a mais\r\n").toUtf8());
    {
        auto window = openWindow(program);
        QCOMPARE(editorLines(*window), QStringList({"inc 4", "fim"}));
        QCOMPARE(labelText(*window, "Stn"), QString("meu.scp"));
        QCOMPARE(window->gameFolder(), gameFolder);
        QCOMPARE(window->programFolder(), program.path() + "/");
        QCOMPARE(window->files().settings().memberEmail, QString("ana@exemplo.org"));
        // The folder list shows the game folder, and the file list its scripts.
        click(*window, "btArq");
        QCOMPARE(window->loadPage().folders().selectedFolder(), gameFolder);
        QCOMPARE(listed(*window), QStringList({"meu.scp"}));
        // Scripts run from the game folder.
        click(*window, "btExe");
        QCOMPARE(reg(*window, 4), QString("1"));
        window->close();
    }
    // Written back whole, four lines, the extra line dropped.
    QCOMPARE(fileLines(program.filePath("Ludomat.ini")),
             QStringList({"meu.scp", gameFolder, "ana@exemplo.org", "segredo"}));
    QVERIFY(!QFile::exists(program.filePath("meu.scp")));
}

void FilesTest::missingGameFolderFallsBackToTheProgramFolder()
{
    QTemporaryDir program;
    writeFile(program.filePath("Ludomat.ini"), "jogo.scp\r\n/pasta/que/nao/existe/\r\n");
    auto window = openWindow(program);
    QCOMPARE(window->gameFolder(), program.path() + "/");
    QCOMPARE(labelText(*window, "Stn"), QString("jogo.scp"));
    // Closing can then save the script instead of failing on a folder that is gone.
    window->close();
    QVERIFY(QFile::exists(program.filePath("jogo.scp")));
    QCOMPARE(labelText(*window, "Stx"), QString());
}

void FilesTest::saveNameRules()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 1"});
    click(*window, "btArq");
    QCOMPARE(window->findChild<QLineEdit*>("Edn")->text(), QString("prog01.scp"));

    struct Case {
        QString typed, written;
    };
    const Case cases[] = {{"jogo", "jogo.scp"}, {"jogo.scp.txt", "jogo.scp.txt"}, {"JOGO.SCP", "JOGO.SCP.scp"}};
    for (const Case& c : cases) {
        click(*window, "btArq");
        auto* name = window->findChild<QLineEdit*>("Edn");
        name->setText(c.typed);
        click(*window, "btSave");
        QCOMPARE(readFile(folder.filePath(c.written)), QByteArray("inc 1\r\n"));
        QCOMPARE(name->text(), c.written);
        QCOMPARE(labelText(*window, "Stn"), c.written);
        QCOMPARE(window->scriptName(), c.written);
        QCOMPARE(currentPage(*window), QString("Fonte"));
    }
    // The file list shows the scripts only, whatever the case of their extension.
    click(*window, "btArq");
    QCOMPARE(listed(*window), QStringList({"jogo.scp", "JOGO.SCP.scp"}));

    // Enter in the name field saves too; a name that leaves the game folder is refused.
    enterText(*window, "Edn", "fase2");
    QVERIFY(QFile::exists(folder.filePath("fase2.scp")));
    click(*window, "btArq");
    enterText(*window, "Edn", "../fora");
    QVERIFY(!QFile::exists(folder.filePath("../fora.scp")));
    QVERIFY(labelText(*window, "Mesg").contains("inválido"));
    QCOMPARE(window->scriptName(), QString("fase2.scp"));
}

void FilesTest::newGameFolderAndAnExistingName()
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir("jogo1");
    auto window = openWindow(folder);
    setScript(*window, {"inc 2"});
    click(*window, "btArq");

    enterText(*window, "NewJog", "jogo1");
    QCOMPARE(labelText(*window, "Mesg"), QString("Pasta/jogo já existe!!!"));
    QCOMPARE(window->findChild<QLineEdit*>("NewJog")->text(), QString("jogo1"));
    QCOMPARE(window->gameFolder(), folder.path() + "/");
    QCOMPARE(QDir(folder.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList({"jogo1"}));

    enterText(*window, "NewJog", "aventura");
    const QString created = folder.path() + "/aventura/";
    QVERIFY(QFileInfo(created).isDir());
    QCOMPARE(window->gameFolder(), created);
    QCOMPARE(window->findChild<QLineEdit*>("NewJog")->text(), QString());
    QCOMPARE(labelText(*window, "Mesg"), QString());
    // The lists follow the new folder, so Load and Save act where the user looks.
    QCOMPARE(window->loadPage().folders().selectedFolder(), created);
    QCOMPARE(listed(*window), QStringList());

    enterText(*window, "Edn", "fase1");
    QCOMPARE(readFile(created + "fase1.scp"), QByteArray("inc 2\r\n"));
    QVERIFY(!QFile::exists(folder.filePath("fase1.scp")));

    // Choosing a folder in the list makes it the game folder.
    click(*window, "btArq");
    FolderTree& tree = window->loadPage().folders();
    QVERIFY(tree.selectFolder(folder.path() + "/jogo1/"));
    emit tree.folderChosen(tree.selectedFolder());
    QCOMPARE(window->gameFolder(), folder.path() + "/jogo1/");

    // A new game goes beside the games: inside a folder that only holds games, beside a game.
    QDir(folder.path()).mkpath("colecao/velho");
    writeFile(folder.filePath("colecao/velho/velho.scp"), "fim\r\n");
    writeFile(folder.filePath("jogo1/jogo1.scp"), "fim\r\n");
    const struct {
        const char* chosen;
        const char* name;
        const char* created;
    } cases[] = {
        {"/jogo1/", "labirinto", "/labirinto/"},
        {"/colecao/", "corrida", "/colecao/corrida/"},
        {"/colecao/velho/", "novo", "/colecao/novo/"},
        {"/", "raiz", "/raiz/"},
    };
    for (const auto& c : cases) {
        tree.reread(folder.path() + "/", folder.path() + c.chosen);
        QVERIFY(tree.selectFolder(folder.path() + c.chosen));
        enterText(*window, "NewJog", c.name);
        QCOMPARE(window->gameFolder(), folder.path() + c.created);
        QVERIFY(QFileInfo(folder.path() + c.created).isDir());
    }
}

void FilesTest::loadDoubleClickAndClearScript()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("a.scp"), "reg= 1,a\r\n");
    writeFile(folder.filePath("b.scp"), "reg= 1,b\r\nfim\r\n");
    auto window = openWindow(folder);
    click(*window, "btArq");
    QCOMPARE(listed(*window), QStringList({"a.scp", "b.scp"}));

    chooseFile(*window, "b.scp");
    click(*window, "btLoad");
    QCOMPARE(editorLines(*window), QStringList({"reg= 1,b", "fim"}));
    QCOMPARE(labelText(*window, "Stn"), QString("b.scp"));
    QCOMPARE(currentPage(*window), QString("Fonte"));
    // A step starts at the first line of what was loaded.
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(reg(*window, 1), QString("b"));

    click(*window, "btArq");
    auto* list = window->findChild<QListWidget*>("Arqs");
    QListWidgetItem* a = list->findItems("a.scp", Qt::MatchExactly).first();
    QRect at = list->visualItemRect(a);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at.center());
    QCOMPARE(editorLines(*window), QStringList({"reg= 1,a"}));
    QCOMPARE(window->findChild<QLineEdit*>("Edn")->text(), QString("a.scp"));

    click(*window, "btArq");
    click(*window, "btClear");
    const QStringList templateLines{"//=== Meu novo programa ===========================", "  setmode= 1", "", "",
                                    "  fim"};
    QCOMPARE(editorLines(*window), templateLines);
    QCOMPARE(labelText(*window, "Stn"), QString("progtmp.scp"));
    QVERIFY(!QFile::exists(folder.filePath("progtmp.scp")));
    window->close();
    QCOMPARE(fileLines(folder.filePath("progtmp.scp")), templateLines);
    QCOMPARE(fileLines(folder.filePath("Ludomat.ini")).first(), QString("progtmp.scp"));
    QCOMPARE(readFile(folder.filePath("a.scp")), QByteArray("reg= 1,a\r\n"));
}

void FilesTest::loadKeepsTheUsersUnsavedEdits()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("prog01.scp"), "inc 1\r\n");
    writeFile(folder.filePath("outro.scp"), "inc 2\r\n");
    auto window = openWindow(folder);
    ScriptEditor& editor = window->editor();
    editor.setFocus();
    editor.moveCursor(QTextCursor::End);
    typeText(&editor, "\nreg= 3,ação");

    click(*window, "btArq");
    chooseFile(*window, "outro.scp");
    click(*window, "btLoad");
    QCOMPARE(editorLines(*window), QStringList({"inc 2"}));
    // What was typed reached its own file before the other script took the editor.
    QCOMPARE(readFile(folder.filePath("prog01.scp")), QByteArray("inc 1\r\nreg= 3,a\xE7\xE3o\r\n"));
}

void FilesTest::loadWaitsForTheRunToEnd()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("outro.scp"), "inc 2\r\n");
    auto window = openWindow(folder);
    setScript(*window, {":volta", "pausa 1", "goto volta"});
    const EngineState& state = window->engine().state();
    QString message;
    QStringList shown;
    whenReady([&] { return state.isRunning; },
              [&] {
                  click(*window, "btArq");
                  chooseFile(*window, "outro.scp");
                  click(*window, "btLoad");
                  message = labelText(*window, "Mesg");
                  shown = editorLines(*window);
                  click(*window, "btStp");
              });
    click(*window, "btExe");
    // Other lines under a running script would pull its lines from under it: the load waits.
    QVERIFY2(message.contains("Pare o script"), qPrintable(message));
    QCOMPARE(shown, QStringList({":volta", "pausa 1", "goto volta"}));
    QCOMPARE(window->scriptName(), QString("prog01.scp"));
    click(*window, "btArq");
    chooseFile(*window, "outro.scp");
    click(*window, "btLoad");
    QCOMPARE(editorLines(*window), QStringList({"inc 2"}));
}

void FilesTest::recoveryOfferedAfterACrash()
{
    QTemporaryDir folder;
    const QString script = folder.filePath("prog01.scp");
    const QString copy = folder.filePath("Ludomat.recuperar");
    writeFile(script, "inc 1\r\n");
    QByteArray leftByCrash;
    {
        auto window = openWindow(folder);
        window->files().setRecoveryDelay(50);
        QCOMPARE(window->offerRecovery([](const RecoveredScript&) { return true; }), false);
        ScriptEditor& editor = window->editor();
        editor.setFocus();
        editor.moveCursor(QTextCursor::End);
        typeText(&editor, "\ninc 2");
        // The copy follows the typing by itself, without any save.
        QTRY_VERIFY(QFile::exists(copy));
        QCOMPARE(readFile(script), QByteArray("inc 1\r\n"));
        leftByCrash = readFile(copy);
        // A crash now would leave the old script and the copy; closing saves and drops the copy.
        window->close();
        QVERIFY(!QFile::exists(copy));
    }
    writeFile(script, "inc 1\r\n");
    writeFile(copy, leftByCrash);

    // Declined: the copy goes, the file stays as it is.
    {
        auto window = openWindow(folder);
        QString asked;
        QVERIFY(!window->offerRecovery([&](const RecoveredScript& c) {
            asked = c.scriptPath;
            return false;
        }));
        QCOMPARE(asked, script);
        QVERIFY(!QFile::exists(copy));
        QCOMPARE(editorLines(*window), QStringList({"inc 1"}));
    }
    writeFile(copy, leftByCrash);

    // Accepted: the lines come back and reach the file at the next save.
    {
        auto window = openWindow(folder);
        QVERIFY(window->offerRecovery([](const RecoveredScript&) { return true; }));
        QCOMPARE(editorLines(*window), QStringList({"inc 1", "inc 2"}));
        QCOMPARE(labelText(*window, "Stn"), QString("prog01.scp"));
        click(*window, "btExe");
        QCOMPARE(reg(*window, 2), QString("1"));
        QCOMPARE(readFile(script), QByteArray("inc 1\r\ninc 2\r\n"));
        QVERIFY(!QFile::exists(copy));
    }
    // A copy that says what the file says is not offered.
    writeFile(copy, leftByCrash);
    auto window = openWindow(folder);
    bool asked = false;
    QVERIFY(!window->offerRecovery([&](const RecoveredScript&) { return asked = true; }));
    QVERIFY(!asked);
    QVERIFY(!QFile::exists(copy));
}

void FilesTest::recoveryCopyCurrentBeforeEveryRun()
{
    // A step (F1) and Cont run unsaved lines: a crash in them must find the lines in the copy,
    // long before the typing timer would have written it.
    QTemporaryDir folder;
    const QString copy = folder.filePath("Ludomat.recuperar");
    writeFile(folder.filePath("prog01.scp"), "break\r\ninc 1\r\n");
    auto window = openWindow(folder);
    window->files().setRecoveryDelay(3600 * 1000);
    click(*window, "btExe");
    QCOMPARE(window->engine().state().stopCaption, StopCaption::Cont);
    ScriptEditor& editor = window->editor();
    const struct {
        const char* typed;
        void (MainWindow::*run)();
    } kRuns[] = {{"\ninc 2", &MainWindow::stepLine}, {"\ninc 3", &MainWindow::stopOrContinue}};
    for (const auto& run : kRuns) {
        editor.setFocus();
        editor.moveCursor(QTextCursor::End);
        typeText(&editor, run.typed);
        QFile::remove(copy);
        (window.get()->*run.run)();
        QVERIFY2(QFile::exists(copy), run.typed);
        QVERIFY2(readFile(copy).contains(QByteArray(run.typed + 1)), run.typed);
    }
}

void FilesTest::scriptFromTheCommandLineOrADrop()
{
    QTemporaryDir program, game;
    writeFile(game.filePath("nave.scp"), "inc 6\r\n");
    writeFile(game.filePath("fase.SCP"), "inc 7\r\n");
    auto window = openWindow(program);
    QVERIFY(window->openScriptFile(game.filePath("nave.scp")));
    QCOMPARE(editorLines(*window), QStringList({"inc 6"}));
    QCOMPARE(labelText(*window, "Stn"), QString("nave.scp"));
    QCOMPARE(window->gameFolder(), game.path() + "/");

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(game.filePath("fase.SCP"))});
    // The window takes the drag only when it carries a script, then opens it on the drop.
    QDragEnterEvent enter(QPoint(400, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(400, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QCOMPARE(editorLines(*window), QStringList({"inc 7"}));
    QCOMPARE(window->scriptName(), QString("fase.SCP"));
    QMimeData picture;
    picture.setUrls({QUrl::fromLocalFile(game.filePath("fundo.png"))});
    QDragEnterEvent refused(QPoint(400, 200), Qt::CopyAction, &picture, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(window.get(), &refused);
    QVERIFY(!refused.isAccepted());

    // A missing file changes nothing.
    QVERIFY(!window->openScriptFile(game.filePath("nada.scp")));
    QCOMPARE(window->scriptName(), QString("fase.SCP"));
    window->close();
    QCOMPARE(fileLines(program.filePath("Ludomat.ini")).mid(0, 2), QStringList({"fase.SCP", game.path() + "/"}));
}

void FilesTest::exampleGamesOfferedOnce()
{
    QTemporaryDir examples, program;
    for (const char* game : {"coleta", "demo"}) {
        QVERIFY(QDir(examples.path()).mkpath(QString("%1/figuras").arg(game)));
        writeFile(examples.filePath(QString("%1/%1.scp").arg(game)), "pausa 1\r\n");
    }
    QCOMPARE(offerExampleGames(examples.path() + "/", program.path() + "/"), QStringList({"coleta", "demo"}));
    QCOMPARE(fileLines(program.filePath("coleta/coleta.scp")), QStringList({"pausa 1"}));
    QVERIFY(QFileInfo(program.filePath("demo/figuras")).isDir());

    // The user's changes and deletions stand: a later start copies only a game it never offered.
    writeFile(program.filePath("coleta/coleta.scp"), "inc 1\r\n");
    QVERIFY(QDir(program.filePath("demo")).removeRecursively());
    QVERIFY(QDir(examples.path()).mkpath("nave"));
    QCOMPARE(offerExampleGames(examples.path() + "/", program.path() + "/"), QStringList({"nave"}));
    QCOMPARE(fileLines(program.filePath("coleta/coleta.scp")), QStringList({"inc 1"}));
    QVERIFY(!QFileInfo::exists(program.filePath("demo")));
    // A build tree or portable copy ships no examples folder: nothing happens.
    QVERIFY(offerExampleGames({}, program.path() + "/").isEmpty());
}

LUDOMAT_WIDGET_TEST_MAIN(FilesTest)
#include "files_test.moc"
