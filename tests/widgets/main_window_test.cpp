// The studio window itself: what it shows at start, the files it writes, pages, watches, closing.

#include "widget_test_support.h"

#include "studio/editing/script_editor.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTemporaryDir>

using namespace ludomat;
using namespace ludomat::test;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartShowsTheFirstLineAndSavesItOnClose();
    void existingScriptIsLoadedAtStart();
    void layoutPlacesTheNamedWidgets();
    void executeSavesCrLfLinesInWindows1252();
    void closingWhileRunningEndsTheRunAndSaves();
    void pageButtonsAndKeysSelectPages();
    void watchFieldChoosesTheRegister();
};

namespace {

QString currentPage(MainWindow& window)
{
    return window.findChild<QStackedWidget*>("Abook")->currentWidget()->objectName();
}

}  // namespace

void MainWindowTest::firstStartShowsTheFirstLineAndSavesItOnClose()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    const QString first = "//=== Meu primeiro programa =====================";
    QCOMPARE(editorLines(*window), QStringList({first}));
    QCOMPARE(labelText(*window, "Stn"), QString("prog01.scp"));
    QCOMPARE(window->gameFolder(), window->programFolder());
    QCOMPARE(window->programFolder(), folder.path() + "/");

    QVERIFY(!QFile::exists(folder.filePath("prog01.scp")));
    QVERIFY(!QFile::exists(folder.filePath("Ludomat.ini")));
    window->close();
    QCOMPARE(readFile(folder.filePath("prog01.scp")), (first + "\r\n").toLatin1());
    // Four lines: the script, the game folder, and the member's e-mail and password (empty).
    QCOMPARE(readFile(folder.filePath("Ludomat.ini")), ("prog01.scp\r\n" + folder.path() + "/\r\n\r\n\r\n").toUtf8());
    // It holds a password: nobody but its owner may read it.
    QCOMPARE(QFile::permissions(folder.filePath("Ludomat.ini")) & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
}

void MainWindowTest::existingScriptIsLoadedAtStart()
{
    QTemporaryDir folder;
    // Files from elsewhere may end their lines with LF alone; the last line may lack one.
    writeFile(folder.filePath("prog01.scp"), "inc 1\r\n\r\nreg= 2,p\xE9\nfim");
    auto window = openWindow(folder);
    QCOMPARE(editorLines(*window), QStringList({"inc 1", "", "reg= 2,pé", "fim"}));
    QVERIFY(!window->editor().isEdited());

    // What was loaded is what F1 steps through.
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(reg(*window, 1), QString("1"));
}

void MainWindowTest::layoutPlacesTheNamedWidgets()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    QCOMPARE(window->size(), QSize(1414, 526));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    struct Place {
        const char* name;
        QRect rect;
    };
    const Place places[] = {
        {"Tela", QRect(26, 66, 760, 420)}, {"Abook", QRect(794, 66, 607, 420)}, {"btClose", QRect(1368, 0, 46, 28)},
        {"Stn", QRect(797, 40, 0, 0)},     {"lbLinha", QRect(1192, 45, 0, 0)},  {"Stx", QRect(30, 492, 0, 0)},
        {"btExe", QRect(800, 490, 0, 0)},  {"btStp", QRect(930, 490, 0, 0)},    {"btReg", QRect(1020, 490, 0, 0)},
        {"btLst", QRect(1180, 490, 0, 0)}, {"btArq", QRect(1300, 490, 0, 0)},   {"PanTel", QRect(26, 66, 760, 420)},
        {"Abok0", QRect(0, 0, 1414, 526)}, {"lbVersao", QRect(1336, 25, 0, 0)},
    };
    for (const Place& place : places) {
        auto* widget = window->findChild<QWidget*>(place.name);
        QVERIFY2(widget, place.name);
        QRect at(widget->mapTo(window.get(), QPoint(0, 0)), widget->size());
        QVERIFY2(at.topLeft() == place.rect.topLeft(), place.name);
        if (!place.rect.size().isEmpty()) QCOMPARE(at.size(), place.rect.size());
    }
    // Every page of the tool notebook is there, in order, to be selected by name.
    auto* notebook = window->findChild<QStackedWidget*>("Abook");
    QStringList pages;
    for (int i = 0; i < notebook->count(); ++i) pages << notebook->widget(i)->objectName();
    // The help page "Ajuda" (F7) follows the pages of the original layout.
    QCOMPARE(pages, QStringList({"Default", "Lixo", "Fonte", "Load", "Regs", "Dodiroz", "TileMap", "Matriz", "Sprites",
                                 "NomReg", "Buffers", "Ajuda"}));
    QCOMPARE(window->findChild<QStackedWidget*>("Abok0")->widget(1)->objectName(), QString("Modo4"));
    for (int k = 0; k <= 10; ++k) {
        QString suffix = QString("%1").arg(k, 2, 10, QChar('0'));
        QVERIFY(window->findChild<QLineEdit*>("Dr" + suffix));
        auto* label = window->findChild<QLabel*>("Rg" + suffix);
        QVERIFY(label);
        QCOMPARE(label->x(), 60);
    }
}

void MainWindowTest::executeSavesCrLfLinesInWindows1252()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"reg= 1,ação", "", "inc 2"});
    click(*window, "btExe");
    QCOMPARE(readFile(folder.filePath("prog01.scp")), QByteArray("reg= 1,a\xE7\xE3o\r\n\r\ninc 2\r\n"));
    QCOMPARE(window->engine().state().registers[1], std::string("a\xE7\xE3o"));
    QCOMPARE(labelText(*window, "Rg01"), QString("ação"));
    QCOMPARE(labelText(*window, "Rg02"), QString("1"));
}

void MainWindowTest::closingWhileRunningEndsTheRunAndSaves()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {":volta", "pausa 5", "goto volta"});
    const QString path = folder.filePath("prog01.scp");
    const EngineState& state = window->engine().state();

    bool closedWhileRunning = false;
    // The run saved the script already; remove it so only closing can bring it back.
    whenReady([&] { return state.isRunning && state.lineCounter == 1; },
              [&] {
                  QFile::remove(path);
                  click(*window, "btClose");
              },
              &closedWhileRunning);
    QElapsedTimer clock;
    clock.start();
    click(*window, "btExe");

    QVERIFY(closedWhileRunning);
    QVERIFY2(clock.elapsed() < 3000, "the endless script should end soon after closing");
    QVERIFY(!state.isRunning);
    QVERIFY(!window->isVisible());
    QCOMPARE(readFile(path), QByteArray(":volta\r\npausa 5\r\ngoto volta\r\n"));
}

void MainWindowTest::pageButtonsAndKeysSelectPages()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    auto* status = window->findChild<QLabel*>("Stx");

    status->setText("aviso");
    click(*window, "btReg");
    QCOMPARE(currentPage(*window), QString("Regs"));
    QCOMPARE(status->text(), QString());
    click(*window, "btLst");
    QCOMPARE(currentPage(*window), QString("Fonte"));
    status->setText("aviso");
    click(*window, "btArq");
    QCOMPARE(currentPage(*window), QString("Load"));
    QCOMPARE(status->text(), QString());
    // A press on any picture button clears it: on a page, or placed later by the capture and
    // export aids. The mouse leaves before release, so no action runs.
    for (const char* name : {"btLoad", "btFoto", "btGif", "btExportar", "btVrs"}) {
        status->setText("aviso");
        QAbstractButton* target = button(*window, name);
        QVERIFY2(target, name);
        QTest::mousePress(target, Qt::LeftButton);
        QVERIFY2(status->text().isEmpty(), name);
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(-5, -5));
    }

    window->editor().setFocus();
    QTest::keyClick(&window->editor(), Qt::Key_F3);
    QCOMPARE(currentPage(*window), QString("Regs"));
    QTest::keyClick(window.get(), Qt::Key_F4);
    QCOMPARE(currentPage(*window), QString("Fonte"));

    // A break brings the script back into view wherever the user was.
    click(*window, "btReg");
    setScript(*window, {"break", "inc 1"});
    click(*window, "btExe");
    QCOMPARE(currentPage(*window), QString("Fonte"));
}

void MainWindowTest::watchFieldChoosesTheRegister()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    click(*window, "btReg");
    auto* field = window->findChild<QLineEdit*>("Dr06");
    QCOMPARE(field->text(), QString());
    QCOMPARE(window->findChild<QLineEdit*>("Dr03")->text(), QString("3"));

    field->setFocus();
    QTest::keyClicks(field, "7");
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(window->engine().state().watchSlots[6], 7);

    setScript(*window, {"reg= 7,sete"});
    click(*window, "btExe");
    QCOMPARE(labelText(*window, "Rg06"), QString("sete"));

    // Text that is not a number clears the field and keeps the slot.
    field->clear();
    QTest::keyClicks(field, "x1");
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(field->text(), QString());
    QCOMPARE(window->engine().state().watchSlots[6], 7);

    // A register past the last one is refused the same way, so the next run is not ended by
    // the watch refresh; the last register itself can be watched.
    enterText(*window, "Dr06", "251");
    QCOMPARE(field->text(), QString());
    QCOMPARE(window->engine().state().watchSlots[6], 7);
    setScript(*window, {"reg= 250,fim", "inc 1"});
    click(*window, "btExe");
    QCOMPARE(window->host().lastErrorText(), QString());
    QCOMPARE(reg(*window, 1), QString("1"));
    enterText(*window, "Dr06", "250");
    QCOMPARE(window->engine().state().watchSlots[6], 250);
    QCOMPARE(labelText(*window, "Rg06"), QString("fim"));
}

LUDOMAT_WIDGET_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
