// The page "Ajuda": generated from the command table, searchable, and "Experimentar" runs an
// example without touching the user's script.

#include "widget_test_support.h"

#include "engine/command_table.h"
#include "engine/script_error.h"
#include "studio/editing/script_editor.h"
#include "studio/help/help_page.h"
#include "studio/help/primer.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeWidget>

using namespace ludomat;
using namespace ludomat::test;

class HelpPageTest : public QObject {
    Q_OBJECT

private slots:
    void listsEveryCommandOfTheTableAndSearches();
    void tryingAnExampleLeavesTheScriptAlone();
    void everyExampleRunsWithoutAnError();
    void primerOpensOnAFirstStartAndItsExamplesRun();
};

void HelpPageTest::listsEveryCommandOfTheTableAndSearches()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    QTest::keyClick(window.get(), Qt::Key_F7);
    QCOMPARE(window->currentPage(), QString("Ajuda"));
    auto* page = window->findChild<HelpPage*>();
    const auto& entries = CommandTable::instance().entries();
    QCOMPARE(page->commandCount(), int(entries.size()));
    // Every word of the table reaches its entry through the page.
    for (const std::string& word : CommandTable::instance().words())
        QVERIFY2(page->showCommand(QString::fromLatin1(word)), word.c_str());
    for (const CommandInfo* entry : entries) QVERIFY2(!entry->example.empty(), std::string(entry->words).c_str());

    auto* search = window->findChild<QLineEdit*>("BuscaAjuda");
    typeText(search, "pausa");
    QVERIFY(page->visibleCount() >= 1);
    QVERIFY(page->visibleCount() < int(entries.size()));
    auto* details = window->findChild<QTextBrowser*>("TextoAjuda");
    QVERIFY2(details->toPlainText().contains("vezes=1"), qPrintable(details->toPlainText()));
    QVERIFY(details->toPlainText().contains("Exemplo"));
    click(*window, "btExperimentar");
    saveShot(window.get(), "ajuda.png");
    // Help texts are searched too, with their accents.
    search->setText("elipse");
    QVERIFY(page->visibleCount() >= 1);
    search->setText("nenhum comando tem isto");
    QCOMPARE(page->visibleCount(), 0);
    QVERIFY(!window->findChild<QPushButton*>("btExperimentar")->isEnabled());
    search->clear();
    QCOMPARE(page->visibleCount(), int(entries.size()));
}

void HelpPageTest::tryingAnExampleLeavesTheScriptAlone()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"reg= 9,meu", "inc 8"});
    QVERIFY(window->saveScript());
    window->editor().setFocus();
    window->editor().moveCursor(QTextCursor::End);
    typeText(&window->editor(), "\n// ainda sem gravar");
    QByteArray saved = readFile(folder.filePath("prog01.scp"));
    auto* page = window->findChild<HelpPage*>();
    window->showPage("Ajuda");
    QVERIFY(page->showCommand("inc"));
    click(*window, "btExperimentar");
    QCOMPARE(reg(*window, 1), QString("11"));
    QCOMPARE(editorLines(*window), QStringList({"reg= 9,meu", "inc 8", "// ainda sem gravar"}));
    QVERIFY(window->editor().isUnsaved());
    QCOMPARE(readFile(folder.filePath("prog01.scp")), saved);
    QCOMPARE(window->currentPage(), QString("Ajuda"));

    // A pause inside an example is not left for the user's Cont.
    QVERIFY(page->showCommand("break"));
    click(*window, "btExperimentar");
    QCOMPARE(labelText(*window, "Lb9"), QString("Stop"));
    QCOMPARE(window->currentPage(), QString("Ajuda"));
    // The user's own run still runs the user's lines.
    click(*window, "btExe");
    QCOMPARE(reg(*window, 9), QString("meu"));
    QCOMPARE(reg(*window, 8), QString("1"));
    QCOMPARE(reg(*window, 1), QString());
}

void HelpPageTest::everyExampleRunsWithoutAnError()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    auto* page = window->findChild<HelpPage*>();
    for (const CommandInfo* entry : CommandTable::instance().entries()) {
        QString word = QString::fromLatin1(std::string(entry->words.substr(0, entry->words.find(' '))));
        // "stop" waits for the user's key by design.
        if (word == "stop") continue;
        QVERIFY(page->showCommand(word));
        QVERIFY2(page->tryExample(), qPrintable(word));
        const auto& error = window->engine().lastError();
        // The game folder here has no pictures; any other error is a broken example.
        bool missingFile = error && (error->kind == ErrorKind::File || error->kind == ErrorKind::Picture);
        QVERIFY2(!error || missingFile, qPrintable(word + ": " + QString::fromStdString(error ? error->message : "")));
    }
}

// A first start in a program folder opens "Comece aqui"; each lesson names only commands of the
// table, uses them in its example, and the example runs in the example game's folder without an
// error and without touching the user's script.
void HelpPageTest::primerOpensOnAFirstStartAndItsExamplesRun()
{
    QTemporaryDir program;
    auto window = openWindow(program);
    QVERIFY(window->startedFresh());
    window->showPrimer();
    QCOMPARE(window->currentPage(), QString("Ajuda"));
    auto* page = window->findChild<HelpPage*>();
    QVERIFY(page->findChild<QTextBrowser*>("TextoAjuda")->toPlainText().startsWith("1. Texto na tela"));
    saveShot(window.get(), "comece-aqui.png");

    const QString game = QString(LUDOMAT_EXAMPLES_DIR) + "/coleta/";
    window->engine().setGameFolder(game.toStdString());
    setScript(*window, {"reg= 9,meu"});
    for (int i = 0; i < int(primerLessons().size()); ++i) {
        const Lesson& lesson = primerLessons()[size_t(i)];
        QString title = QString::fromUtf8(lesson.title.data(), qsizetype(lesson.title.size()));
        QString example = QString::fromUtf8(lesson.example.data(), qsizetype(lesson.example.size()));
        for (const QString& word :
             QString::fromUtf8(lesson.commands.data()).left(int(lesson.commands.size())).split(' ')) {
            QVERIFY2(CommandTable::instance().info(word.toStdString()), qPrintable(title + ": " + word));
            QRegularExpression used("(^|\\n|,)" + QRegularExpression::escape(word) + "( |,|\\n|$)");
            QVERIFY2(example.contains(used), qPrintable(title + " não usa " + word));
        }
        QVERIFY(page->showLesson(i));
        QVERIFY2(page->tryExample(), qPrintable(title));
        const auto& error = window->engine().lastError();
        QVERIFY2(!error, qPrintable(title + ": " + QString::fromStdString(error ? error->message : "")));
        QCOMPARE(editorLines(*window), QStringList({"reg= 9,meu"}));
    }
    window->close();
    auto again = openWindow(program);
    QVERIFY(!again->startedFresh());
}

LUDOMAT_WIDGET_TEST_MAIN(HelpPageTest)
#include "help_page_test.moc"
