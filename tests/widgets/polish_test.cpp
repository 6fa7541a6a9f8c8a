// What a new user meets first: dialogs they can read, in their language; state that follows the
// script in the editor; the screen after the full-screen mode; pages not built yet; a close that
// cannot save.

#include "widget_test_support.h"

#include "graphics/bitmap.h"
#include "studio/editing/script_editor.h"
#include "studio/files/recovery_copy.h"
#include "studio/pages/load_page.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>

using namespace ludomat;
using namespace ludomat::test;

namespace {

double luminance(QRgb colour)
{
    auto channel = [](int value) {
        double v = value / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) + 0.0722 * channel(qBlue(colour));
}

// Contrast ratio between the commonest colour of the box's message (its background) and the
// pixel of the message that differs most from it (the core of a letter).
double messageContrast(QMessageBox* box)
{
    auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    if (!label || label->text().isEmpty()) return 0;
    QImage shot = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    qreal ratio = box->devicePixelRatioF();
    QRect area(label->mapTo(box, QPoint(0, 0)) * ratio, label->size() * ratio);
    area &= shot.rect();
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++counts[shot.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), background = it.key();
    double lb = luminance(background);
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        double lt = luminance(it.key());
        best = std::max(best, (std::max(lb, lt) + 0.05) / (std::min(lb, lt) + 0.05));
    }
    return best;
}

struct SeenBox {
    QString text;
    double contrast = 0;
    QStringList buttons;
};

// Answers the next message box with `answer` once it shows, keeping what it showed. Under a real
// display with LUDOMAT_SHOTS set, the screen is also saved there as `shotName`.
void answerNextBox(SeenBox* seen, QMessageBox::StandardButton answer, const QString& shotName)
{
    whenReady([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
              [=] {
                  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                  if (!box) return;
                  seen->text = box->text();
                  seen->contrast = messageContrast(box);
                  for (QAbstractButton* button : box->buttons()) seen->buttons << button->text().remove('&');
                  QString folder = qEnvironmentVariable("LUDOMAT_SHOTS");
                  if (!folder.isEmpty() && box->screen()) {
                      QTest::qWait(200);
                      box->screen()->grabWindow(0).save(folder + "/" + shotName);
                  }
                  if (QAbstractButton* button = box->button(answer))
                      button->click();
                  else
                      box->reject();
              });
}

constexpr double kLegible = 4.5;

QRgb telaPixel(MainWindow& window, int x, int y)
{
    return window.engine().screen().tela.pixel(x, y);
}

}  // namespace

class PolishTest : public QObject {
    Q_OBJECT

private slots:
    void dialogsAreLegibleAndInPortuguese();
    void newLinesEndThePauseAndResetTheLine();
    void saveSelectsTheSavedFile();
    void leavingFullScreenDuringARunShowsTheWholeScreen();
    void closeThatCannotSaveKeepsTheWindowAndTheLines();
    void recoveryCopyFallsBackToTheUserDataFolder();
};

void PolishTest::dialogsAreLegibleAndInPortuguese()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    window->setErrorBoxesEnabled(true);

    // The box that ends a run: the line index first, then the message, then the line.
    SeenBox runError;
    setScript(*window, {"reg/ 3,0"});
    answerNextBox(&runError, QMessageBox::Ok, "erro-de-execucao.png");
    click(*window, "btExe");
    QVERIFY2(runError.text.startsWith("Linha 0: "), qPrintable(runError.text));
    QVERIFY2(runError.text.endsWith("\n\nreg/ 3,0"), qPrintable(runError.text));
    QVERIFY2(runError.contrast >= kLegible, qPrintable(QString::number(runError.contrast)));
    QCOMPARE(runError.buttons, QStringList{"OK"});

    // The recovery question, with the toolkit's own Portuguese buttons.
    writeFile(folder.filePath(kRecoveryFileName), (folder.filePath("prog01.scp") + "\r\ninc 7\r\n").toUtf8());
    SeenBox recovery;
    answerNextBox(&recovery, QMessageBox::No, "recuperar.png");
    QVERIFY(!window->offerRecovery());
    QVERIFY2(recovery.text.startsWith("Recuperar o script não salvo?"), qPrintable(recovery.text));
    QVERIFY2(recovery.contrast >= kLegible, qPrintable(QString::number(recovery.contrast)));
    QVERIFY2(recovery.buttons.contains("Sim") && recovery.buttons.contains("Não"),
             qPrintable(recovery.buttons.join(',')));

    // The session ends while the question waits: the copy an earlier session left stays for the
    // next start, though closing saves the editor.
    {
        QTemporaryDir other;
        writeFile(other.filePath(kRecoveryFileName), (other.filePath("prog01.scp") + "\r\ninc 8\r\n").toUtf8());
        auto ending = openWindow(other);
        whenReady([] { return QApplication::activeModalWidget() != nullptr; },
                  [&] {
                      ending->closeUnattended();
                      qobject_cast<QDialog*>(QApplication::activeModalWidget())->done(0);
                  });
        QVERIFY(!ending->offerRecovery());
        QVERIFY(!ending->isVisible());
        QCOMPARE(fileLines(other.filePath(kRecoveryFileName)).value(1), QString("inc 8"));
    }

    // A file error.
    SeenBox fileError;
    answerNextBox(&fileError, QMessageBox::Ok, "erro-de-arquivo.png");
    QVERIFY(!window->openScriptFile(folder.filePath("nao-existe.scp")));
    QVERIFY2(fileError.text.contains("nao-existe.scp"), qPrintable(fileError.text));
    QVERIFY2(fileError.contrast >= kLegible, qPrintable(QString::number(fileError.contrast)));

    // Any other standard box the studio may open speaks Portuguese too.
    QMessageBox box(QMessageBox::Question, "Ludomat", "?", QMessageBox::Ok | QMessageBox::Cancel, window.get());
    QCOMPARE(box.button(QMessageBox::Cancel)->text().remove('&'), QString("Cancelar"));
}

void PolishTest::newLinesEndThePauseAndResetTheLine()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("outro.scp"), "inc 5\r\n");
    writeFile(folder.filePath("aberto.scp"), "inc 5\r\n");
    auto window = openWindow(folder);
    const QStringList paused{"inc 1", "inc 1", "inc 1", "break", "inc 2", "inc 3"};

    struct Replace {
        const char* what;
        std::function<void()> act;
    };
    const Replace replacements[] = {
        {"Clear script", [&] { click(*window, "btClear"); }},
        {"Load script",
         [&] {
             window->showFiles();
             auto& list = window->loadPage().files();
             list.setCurrentItem(list.findItems("outro.scp", Qt::MatchExactly).value(0));
             click(*window, "btLoad");
         }},
        {"open a file", [&] { QVERIFY(window->openScriptFile(folder.filePath("aberto.scp"))); }},
    };
    for (const Replace& replace : replacements) {
        setScript(*window, paused);
        click(*window, "btExe");
        QCOMPARE(labelText(*window, "Lb9"), QString("Cont"));
        QCOMPARE(labelText(*window, "lbLin"), QString("4"));
        replace.act();
        QVERIFY2(labelText(*window, "Lb9") == "Stop", replace.what);
        QVERIFY2(labelText(*window, "lbLin") == "0", replace.what);
        QVERIFY2(window->editor().runLine() == -1, replace.what);
        QVERIFY2(window->engine().state().stopCaption == StopCaption::Stop, replace.what);
    }
    // F1 now steps the new script from its first line.
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(reg(*window, 5), QString("1"));
}

void PolishTest::saveSelectsTheSavedFile()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("aaa.scp"), "inc 1\r\n");
    auto window = openWindow(folder);
    window->showFiles();
    QListWidget& list = window->loadPage().files();
    list.setCurrentItem(list.findItems("aaa.scp", Qt::MatchExactly).value(0));
    enterText(*window, "Edn", "b");
    window->showFiles();
    QVERIFY(list.currentItem());
    QCOMPARE(list.currentItem()->text(), QString("b.scp"));
}

void PolishTest::leavingFullScreenDuringARunShowsTheWholeScreen()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    // A red block in the bottom-right corner of the large screen, then a loop until Esc.
    setScript(*window, {"modo= 4", "clearbuf 000000", "clearbuf box,FF0000,570,315,190,105", "refresh", ":volta",
                        "inc 1", "pausa 1", "goto volta"});
    bool wasFullScreen = false;
    whenReady([&] { return window->isFullScreenShown() && reg(*window, 1) == "3"; },
              [&] { QTest::keyClick(window.get(), Qt::Key_Escape); }, &wasFullScreen);
    click(*window, "btExe");
    QVERIFY(wasFullScreen);
    QVERIFY(!window->engine().state().isRunning);
    QVERIFY2(window->engine().state().scaleFactor == 1.0, "the screen is back at its base size");
    const Bitmap& tela = window->engine().screen().tela;
    QCOMPARE(QSize(tela.width(), tela.height()), QSize(760, 420));
    // The whole picture, shrunk: the block is in the corner, not cut away with the rest.
    for (QPoint inside : {QPoint(575, 320), QPoint(700, 380), QPoint(755, 415)})
        QCOMPARE(QString::number(telaPixel(*window, inside.x(), inside.y()), 16), QString("ff0000"));
    QCOMPARE(QString::number(telaPixel(*window, 500, 250), 16), QString("0"));
}

void PolishTest::closeThatCannotSaveKeepsTheWindowAndTheLines()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 1", "inc 2"});
    // A folder where the script should be: no one, not even root, can write the file.
    QVERIFY(QDir(folder.path()).mkpath("prog01.scp/dentro"));
    // The question box, answered "Não".
    window->setErrorBoxesEnabled(true);
    SeenBox question;
    answerNextBox(&question, QMessageBox::No, "fechar-mesmo-assim.png");
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    QString asked = question.text;
    QVERIFY2(asked.startsWith("Não foi possível salvar") && asked.endsWith("Fechar mesmo assim?"), qPrintable(asked));
    QVERIFY2(question.contrast >= kLegible, qPrintable(QString::number(question.contrast)));
    QVERIFY2(question.buttons.contains("Não"), qPrintable(question.buttons.join(',')));
    // The lines were kept at once, before the question, and the settings were written.
    QCOMPARE(fileLines(folder.filePath(kRecoveryFileName)),
             (QStringList{folder.filePath("prog01.scp"), "inc 1", "inc 2"}));
    QVERIFY(asked.contains(folder.filePath(kRecoveryFileName)));
    QCOMPARE(fileLines(folder.filePath("Ludomat.ini")).value(0), QString("prog01.scp"));

    // Once the way is clear, closing saves and asks nothing.
    QVERIFY(QDir(folder.filePath("prog01.scp")).removeRecursively());
    asked.clear();
    window->setCloseQuestion([&](const QString& text) {
        asked = text;
        return false;
    });
    QVERIFY(window->close());
    QVERIFY(asked.isEmpty());
    QCOMPARE(fileLines(folder.filePath("prog01.scp")), (QStringList{"inc 1", "inc 2"}));
    QVERIFY(!QFile::exists(folder.filePath(kRecoveryFileName)));
}

void PolishTest::recoveryCopyFallsBackToTheUserDataFolder()
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inc 1", "inc 2"});
    // Nothing can be written in the program folder: the settings, the script and the copy are
    // all taken by folders.
    for (const char* name : {"Ludomat.ini", "prog01.scp", kRecoveryFileName})
        QVERIFY(QDir(folder.path()).mkpath(QString(name) + "/dentro"));
    QString asked;
    window->setCloseQuestion([&](const QString& question) {
        asked = question;
        return true;
    });
    QVERIFY(window->close());
    const QString spare = window->files().recovery().sparePath();
    QVERIFY2(!spare.isEmpty() && !spare.startsWith(folder.path()), qPrintable(spare));
    QVERIFY2(asked.contains(spare), qPrintable(asked));
    window.reset();

    // The next start, with the way clear, offers the lines from there.
    for (const char* name : {"Ludomat.ini", "prog01.scp", kRecoveryFileName})
        QVERIFY(QDir(folder.filePath(name)).removeRecursively());
    window = openWindow(folder);
    QVERIFY(window->offerRecovery([](const RecoveredScript&) { return true; }));
    QCOMPARE(editorLines(*window), (QStringList{"inc 1", "inc 2"}));
    QVERIFY(window->saveScript());
    QVERIFY(!QFile::exists(spare));
}

LUDOMAT_WIDGET_TEST_MAIN(PolishTest)
#include "polish_test.moc"
