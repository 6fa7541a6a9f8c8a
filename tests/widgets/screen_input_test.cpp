// Keys, the mouse over the run-time screen and the typed-input box, as a user meets them.

#include "widget_test_support.h"

#include "screen/input_box_widget.h"
#include "screen/screen_view.h"
#include "studio/editing/script_editor.h"
#include "studio/pages/load_page.h"

#include <QLabel>
#include <QTemporaryDir>

using namespace ludomat;
using namespace ludomat::test;

class ScreenInputTest : public QObject {
    Q_OBJECT

private slots:
    void clickOnLinkWithNoRunStartsAfterTheLabel();
    void clickOnStretchedScreenHitsThePictureSpot();
    void hoverOverLinkShowsItsCursorAndPosition();
    void drawingPageTracksButtonsButIgnoresLinks();
    void inputBoxUpperCasesTypingAndAnswersWithEnter();
    void inputBoxKeepsTypedTextWhenRestyled();
    void inkeyReadsTheKeyHeldOnTheWindow();
    void loadingOrClearingAScriptEmptiesTheSprites();
};

namespace {

ScreenView* tela(MainWindow& window)
{
    return window.findChild<ScreenView*>("Tela");
}
InputBoxWidget* inputBox(MainWindow& window)
{
    return window.findChild<InputBoxWidget*>("InputReg");
}

// A link word drawn by the first run; a click on it starts the lines after ":pronto".
const QStringList kLinkScript = {
    "print Clique @aqui|:pronto| para seguir,10,10",
    "reg= 1,antes",
    "fim",
    ":pronto",
    "reg= 2,clicado",
    "pausa 20",
    "reg= 3,fim",
};

// The link word's rectangle on the picture, after a run has drawn it.
QRect linkRect(MainWindow& window)
{
    const Hotspot& spot = window.engine().hotspots().slot(0);
    return spot.active ? QRect(spot.x, spot.y, spot.width, spot.height) : QRect();
}

}  // namespace

void ScreenInputTest::clickOnLinkWithNoRunStartsAfterTheLabel()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, kLinkScript);
    click(*window, "btExe");
    QCOMPARE(reg(*window, 1), QString("antes"));
    QCOMPARE(reg(*window, 2), QString());
    QRect word = linkRect(*window);
    QVERIFY(!word.isEmpty());
    QVERIFY(!window->engine().state().isRunning);

    // The run a click starts shows as any run does: indicator on, editor locked.
    const EngineState& state = window->engine().state();
    bool ledDuringRun = false, editorLocked = false, sawRun = false;
    whenReady([&] { return state.isRunning && state.lineCounter == 5; },
              [&] {
                  ledDuringRun = !window->findChild<QLabel*>("Led2")->isHidden();
                  editorLocked = !window->editor().isEnabled();
              },
              &sawRun);
    QTest::mouseClick(tela(*window), Qt::LeftButton, Qt::NoModifier, word.center());

    QVERIFY(sawRun);
    QVERIFY(ledDuringRun);
    QVERIFY(editorLocked);
    QCOMPARE(reg(*window, 2), QString("clicado"));
    QCOMPARE(reg(*window, 3), QString("fim"));
    // The click does not start from the top, and the registers are not cleared.
    QCOMPARE(reg(*window, 1), QString("antes"));
    QCOMPARE(state.clickX, word.center().x());
    QVERIFY(!state.isRunning);
    QVERIFY(window->findChild<QLabel*>("Led2")->isHidden());
    QVERIFY(window->editor().isEnabled());
    QCOMPARE(state.lastButton, std::string());

    // Beside the word nothing starts.
    window->engine().state().registers[2].clear();
    QTest::mouseClick(tela(*window), Qt::LeftButton, Qt::NoModifier, QPoint(word.right() + 40, word.center().y()));
    QCOMPARE(reg(*window, 2), QString());
}

void ScreenInputTest::clickOnStretchedScreenHitsThePictureSpot()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, kLinkScript);
    click(*window, "btExe");
    QRect word = linkRect(*window);
    QVERIFY(word.width() >= 4);

    // Half the size: the word is at half its picture position on the widget.
    ScreenView* view = tela(*window);
    view->resize(ScreenView::kWidth / 2, ScreenView::kHeight / 2);
    QPoint onWidget(word.center().x() / 2, word.center().y() / 2);
    QCOMPARE(view->toPicture(onWidget), QPoint(onWidget.x() * 2, onWidget.y() * 2));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, onWidget);
    QCOMPARE(reg(*window, 2), QString("clicado"));
    // A point beside the word on the picture that is inside its rectangle on the widget unscaled.
    window->engine().state().registers[2].clear();
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, word.center());
    QCOMPARE(reg(*window, 2), QString());
}

void ScreenInputTest::hoverOverLinkShowsItsCursorAndPosition()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, kLinkScript);
    click(*window, "btExe");
    QRect word = linkRect(*window);
    ScreenView* view = tela(*window);

    QTest::mouseMove(view, QPoint(word.left() - 30, word.center().y()));
    QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(view, word.center());
    // Link words show the drag cursor.
    QCOMPARE(view->cursor().shape(), Qt::DragMoveCursor);
    QCOMPARE(labelText(*window, "Lbx"), QString("X: %1").arg(word.center().x()));
    QCOMPARE(labelText(*window, "Lby"), QString("Y: %1").arg(word.center().y()));
    QTest::mouseMove(view, QPoint(word.right() + 30, word.center().y()));
    QCOMPARE(view->cursor().shape(), Qt::ArrowCursor);

    // Every code has its own look where the platform has one; codes past the table are the arrow.
    QCOMPARE(ScreenView::cursorShape(2), Qt::PointingHandCursor);
    QCOMPARE(ScreenView::cursorShape(8), Qt::BlankCursor);
    QCOMPARE(ScreenView::cursorShape(11), Qt::CrossCursor);
    QCOMPARE(ScreenView::cursorShape(12), Qt::ArrowCursor);
}

void ScreenInputTest::drawingPageTracksButtonsButIgnoresLinks()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, kLinkScript);
    click(*window, "btExe");
    QRect word = linkRect(*window);
    QVERIFY(window->showPage("Dodiroz"));

    ScreenView* view = tela(*window);
    QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, word.center());
    QCOMPARE(window->engine().state().lastButton, std::string("btrg"));
    QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, word.center());
    QCOMPARE(window->engine().state().lastButton, std::string());
    QCOMPARE(reg(*window, 2), QString());
    QVERIFY(window->findChild<QLabel*>("Led2")->isHidden());
}

void ScreenInputTest::inputBoxUpperCasesTypingAndAnswersWithEnter()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {
                           "inptdef= Arial,FFFF00,000080,14,1,Biu,up",
                           "input= 7,100,200,300,30,:resposta",
                           "fim",
                           ":resposta",
                           "reg= 8,respondido",
                       });
    click(*window, "btExe");
    QCOMPARE(window->host().lastErrorText(), QString());
    InputBoxWidget* box = inputBox(*window);
    QVERIFY(box->isVisible());
    QCOMPARE(box->geometry(), QRect(100, 200, 300, 30));
    QVERIFY(box->hasFocus());
    QVERIFY(box->font().bold());
    QVERIFY(!box->font().italic());

    typeText(box, QString::fromUtf8("olá"));
    QCOMPARE(box->text(), QString::fromUtf8("OLÁ"));
    // A letter typed at the start goes in there, and the caret stays after it.
    QTest::keyClick(box, Qt::Key_Home);
    typeText(box, "x");
    QCOMPARE(box->text(), QString::fromUtf8("XOLÁ"));
    QCOMPARE(box->cursorPosition(), 1);

    // Keys typed into the box still reach the script as the held key.
    QTest::keyPress(box, Qt::Key_Left);
    QCOMPARE(window->engine().state().lastKey, 37);
    QTest::keyRelease(box, Qt::Key_Left);
    QCOMPARE(window->engine().state().lastKey, 0);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->text(), QString::fromUtf8("OLÁ"));

    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(reg(*window, 7), QString::fromUtf8("OLÁ"));
    QCOMPARE(window->engine().state().registers[7], std::string("OL\xC1"));
    QVERIFY(box->isHidden());
    QCOMPARE(reg(*window, 8), QString("respondido"));
    QVERIFY(window->findChild<QLabel*>("Led2")->isHidden());
    QVERIFY(window->editor().isEnabled());
}

void ScreenInputTest::inputBoxKeepsTypedTextWhenRestyled()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {
                           "reg= 4,velho",
                           "inptdef= Courier New,000000,FFFFFF,16,0,biu",
                           "input= 4,10,10",
                           "pausa 30",
                           "inptdef= Courier New,000000,00FF00,16,0,bIu",
                           "pausa 5",
                       });
    const EngineState& state = window->engine().state();
    InputBoxWidget* box = inputBox(*window);
    QString offered;
    bool typedDuringRun = false;
    whenReady([&] { return state.isRunning && state.lineCounter == 3; },
              [&] {
                  offered = box->text();
                  box->setText("novo");
              },
              &typedDuringRun);
    click(*window, "btExe");
    QCOMPARE(window->host().lastErrorText(), QString());
    QVERIFY(typedDuringRun);
    QCOMPARE(offered, QString("velho"));
    // The second style reached the shown box without wiping the answer.
    QVERIFY(box->font().italic());
    QCOMPARE(box->text(), QString("novo"));
    // Without a register answer the box stays up after the run, at the default size.
    QVERIFY(box->isVisible());
    QCOMPARE(box->geometry(), QRect(10, 10, 100, 30));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(reg(*window, 4), QString("novo"));
    QVERIFY(box->isHidden());
}

void ScreenInputTest::inkeyReadsTheKeyHeldOnTheWindow()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"inkey 5"});
    QTest::keyPress(window.get(), Qt::Key_Left);
    click(*window, "btExe");
    QCOMPARE(reg(*window, 5), QString("Left"));
    QTest::keyRelease(window.get(), Qt::Key_Left);

    QTest::keyPress(window.get(), Qt::Key_A);
    click(*window, "btExe");
    QCOMPARE(reg(*window, 5), QString("A"));
    QTest::keyRelease(window.get(), Qt::Key_A);

    click(*window, "btExe");
    QCOMPARE(reg(*window, 5), QString());

    // A key pressed while "stop" waits, on whatever widget has the focus, ends the wait.
    setScript(*window, {"stop 5"});
    QTimer::singleShot(200, [&] {
        QTest::keyPress(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Right);
    });
    click(*window, "btExe");
    QCOMPARE(reg(*window, 5), QString("Right"));
}

void ScreenInputTest::loadingOrClearingAScriptEmptiesTheSprites()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    writeFile(folder.filePath("outro.scp"), "reg= 1, outro\r\n");
    SpriteTable& sprites = window->engine().sprites();
    QString error;

    sprites.add("heroi");
    QVERIFY(window->files().load("outro.scp", &error));
    QCOMPARE(sprites.size(), 0);

    sprites.add("heroi");
    QVERIFY(window->files().clear(&error));
    QCOMPARE(sprites.size(), 0);

    sprites.add("heroi");
    QVERIFY(window->openScriptFile(folder.filePath("outro.scp")));
    QCOMPARE(sprites.size(), 0);

    // Runs keep them: a script defines its sprites once.
    sprites.add("heroi");
    click(*window, "btExe");
    QCOMPARE(sprites.size(), 1);
}

LUDOMAT_WIDGET_TEST_MAIN(ScreenInputTest)
#include "screen_input_test.moc"
