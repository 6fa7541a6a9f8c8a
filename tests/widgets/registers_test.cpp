// The register views (watch slots, `PegaRg`, the lists of the pages "Regs" and "NomReg"), the
// keys handed to scripts, the editor's colours and the full-screen page.

#include "widget_test_support.h"

#include "engine/engine.h"
#include "screen/screen_view.h"
#include "studio/editing/script_editor.h"
#include "studio/editing/script_highlighter.h"
#include "studio/pages/watch_panel.h"
#include "studio/views/colour_converters.h"
#include "studio/views/plot_matrix_page.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>

using namespace ludomat;
using namespace ludomat::test;

class RegistersTest : public QObject {
    Q_OBJECT

private slots:
    void watchSlotEditsARegisterWhilePaused();
    void registerListShowsAliasNames();
    void aliasPageListsEachNameOnce();
    void keysReachTheScriptAsVirtualKeyCodes();
    void editorColoursWordsOfTheCommandTable();
    void escapeLeavesTheFullScreenPage();
    void frameRateTimerTicksWhileTheScriptWaits();
    void matrixConvertersAndBuffersShowTheRunsState();
};

namespace {

QString row(MainWindow& window, const char* list, int index)
{
    auto* widget = window.findChild<QListWidget*>(list);
    if (!widget || index >= widget->count()) return "<no row>";
    return widget->item(index)->text();
}

// The colour the highlighter gave the text at `column` of line `line`.
QColor colourAt(ScriptEditor& editor, int line, int column)
{
    QTextBlock block = editor.document()->findBlockByNumber(line);
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length) return range.format.foreground().color();
    return QColor();
}

}  // namespace

void RegistersTest::watchSlotEditsARegisterWhilePaused()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"reg= 3,antes", "break", "reg$ 3,!"});
    click(*window, "btExe");
    QCOMPARE(labelText(*window, "Lb9"), QString("Cont"));

    click(*window, "btReg");
    auto* edit = window->findChild<QLineEdit*>("PegaRg");
    auto* label = window->findChild<QLabel*>("Rg03");
    QVERIFY(edit->isHidden());
    QTest::mouseClick(window->findChild<QLineEdit*>("Dr03"), Qt::LeftButton);
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->text(), QString("antes"));
    QCOMPARE(edit->y(), label->y());
    QCOMPARE(label->x(), WatchPanel::kSelectedLabelLeft);

    edit->setFocus();
    edit->selectAll();
    typeText(edit, "depois é");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(reg(*window, 3), QString("depois é"));
    QVERIFY(edit->isHidden());
    QCOMPARE(edit->text(), QString());
    QCOMPARE(label->x(), WatchPanel::kLabelLeft);
    QCOMPARE(label->text(), QString("depois é"));
    QCOMPARE(row(*window, "Lbx1", 3), QString("  3: depois é"));

    // Cont goes on with the register as the user left it.
    click(*window, "btStp");
    QCOMPARE(reg(*window, 3), QString("depois é!"));

    // Selecting another slot puts the first label back; Esc leaves the register alone.
    QTest::mouseClick(window->findChild<QLineEdit*>("Dr01"), Qt::LeftButton);
    QCOMPARE(label->x(), WatchPanel::kLabelLeft);
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(edit->isHidden());
    QCOMPARE(window->findChild<QLabel*>("Rg01")->x(), WatchPanel::kLabelLeft);
}

void RegistersTest::registerListShowsAliasNames()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window,
              {"defreg 7,vida", "defreg 8,pontos", "defreg 8,nivel", "reg= 7,3", "reg= 12,doze", "reg= 250,oculto"});
    click(*window, "btExe");
    QTest::keyClick(window.get(), Qt::Key_F3);
    QCOMPARE(window->currentPage(), QString("Regs"));
    auto* list = window->findChild<QListWidget*>("Lbx1");
    // Registers 0..249: the ones a "#" reference reads.
    QCOMPARE(list->count(), 250);
    QCOMPARE(row(*window, "Lbx1", 5), QString("  5: "));
    QCOMPARE(row(*window, "Lbx1", 7), QString("vida: 3"));
    QCOMPARE(row(*window, "Lbx1", 8), QString("nivel: "));
    QCOMPARE(row(*window, "Lbx1", 12), QString(" 12: doze"));

    // "ver regs" reads them again and keeps the selected row.
    list->setCurrentRow(12);
    window->engine().state().registers[12] = "treze";
    QTest::mouseClick(window->findChild<QLabel*>("verRegs"), Qt::LeftButton);
    QCOMPARE(row(*window, "Lbx1", 12), QString(" 12: treze"));
    QCOMPARE(list->currentRow(), 12);
}

void RegistersTest::aliasPageListsEachNameOnce()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"defreg 7,vida", "defreg 9"});
    click(*window, "btExe");
    QTest::keyClick(window.get(), Qt::Key_F2);
    QCOMPARE(window->currentPage(), QString("NomReg"));
    QTest::keyClick(window.get(), Qt::Key_F2);
    auto* list = window->findChild<QListWidget*>("LstRegs");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QString("vida : 7"));
    QCOMPARE(list->item(1)->text(), QString("reg9 : 9"));
}

void RegistersTest::keysReachTheScriptAsVirtualKeyCodes()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    const EngineState& state = window->engine().state();
    struct Key {
        Qt::Key key;
        int code;
    };
    const Key keys[] = {{Qt::Key_A, 65},     {Qt::Key_7, 55},      {Qt::Key_Left, 37}, {Qt::Key_Down, 40},
                        {Qt::Key_Space, 32}, {Qt::Key_Return, 13}, {Qt::Key_F12, 123}};
    auto* field = window->findChild<QLineEdit*>("Edn");
    for (const Key& k : keys) {
        QTest::keyPress(field, k.key);
        QCOMPARE(state.lastKey, k.code);
        QTest::keyRelease(field, k.key);
        QCOMPARE(state.lastKey, 0);
    }
    // Function keys also reach the script, and still do their studio work.
    QTest::keyPress(window.get(), Qt::Key_F3);
    QCOMPARE(state.lastKey, 114);
    QCOMPARE(window->currentPage(), QString("Regs"));
}

void RegistersTest::editorColoursWordsOfTheCommandTable()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    ScriptEditor& editor = window->editor();
    setScript(*window, {"  inc 5", "palavra 1", ":volta", "// nota", "reg= #3,$vida", "Inc 5"});
    editor.highlighter().rehighlight();
    QColor command = colourAt(editor, 0, 2);
    QColor unknown = colourAt(editor, 1, 0);
    QColor label = colourAt(editor, 2, 3);
    QColor comment = colourAt(editor, 3, 4);
    QColor reference = colourAt(editor, 4, 6);
    QColor alias = colourAt(editor, 4, 9);
    QVERIFY(command.isValid());
    QCOMPARE(colourAt(editor, 4, 0), command);
    // Words are exact and case-sensitive, as the engine compares them.
    QCOMPARE(colourAt(editor, 5, 0), unknown);
    const QList<QColor> kinds{command, unknown, label, comment, reference, alias};
    for (int i = 0; i < kinds.size(); ++i)
        for (int j = i + 1; j < kinds.size(); ++j)
            QVERIFY2(kinds[i] != kinds[j], qPrintable(QString("%1 %2").arg(i).arg(j)));
    QVERIFY(editor.highlighter().isCommandWord("ifreg<"));
    QVERIFY(!editor.highlighter().isCommandWord("Inc"));
}

void RegistersTest::escapeLeavesTheFullScreenPage()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    setScript(*window, {"modo= 4", ":volta", "inc 1", "pausa 1", "goto volta"});
    const EngineState& state = window->engine().state();
    bool wasFullScreen = false;
    QRect panelInFullScreen;
    QRect display = window->screen()->geometry();
    FullScreenGeometry expected = fullScreenGeometry(display.width(), display.height());
    whenReady([&] { return window->isFullScreenShown() && state.registers[1] == "3"; },
              [&] {
                  panelInFullScreen = window->findChild<QWidget*>("PanTel")->geometry();
                  QTest::keyClick(window.get(), Qt::Key_Escape);
              },
              &wasFullScreen);
    click(*window, "btExe");
    QVERIFY(wasFullScreen);
    // The screen panel was scaled and centred on the display.
    QCOMPARE(panelInFullScreen, QRect(expected.left, expected.top, expected.width, expected.height));
    QVERIFY(!state.isRunning);
    QVERIFY(!window->isFullScreenShown());
    QCOMPARE(window->size(), QSize(1414, 526));
    QCOMPARE(window->findChild<QWidget*>("PanTel")->geometry(), QRect(26, 66, 760, 420));
    QCOMPARE(window->findChild<QWidget*>("Tela")->size(), QSize(760, 420));
    QVERIFY(QFile::exists(folder.filePath("teltmp.bmp")));

    // Outside the full-screen page Esc is an ordinary key and a click on the skin does nothing.
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(600, 20));
    QVERIFY(!window->isFullScreenShown());
}

void RegistersTest::frameRateTimerTicksWhileTheScriptWaits()
{
    QTemporaryDir folder;
    auto window = openWindow(folder);
    // About 1.5 s of refreshes, 50 ms apart: at least one tick of the one-second timer.
    setScript(*window, {"framerate 7", ":volta", "refresh", "pausa 5", "inc 1", "ifreg< 1,30,volta"});
    click(*window, "btExe");
    bool counted = false;
    int frames = reg(*window, 7).toInt(&counted);
    QVERIFY2(counted && frames >= 1 && frames <= 40, qPrintable(reg(*window, 7)));
    // The run is over, and so is the meter.
    QVERIFY(!window->host().isFrameRateTimerActive());
}

void RegistersTest::matrixConvertersAndBuffersShowTheRunsState()
{
    QTemporaryDir folder;
    auto w = openWindow(folder);
    // The matrix view: 152 x 84 zeros at the start, with its row and column numbers.
    QTest::keyClick(w.get(), Qt::Key_F8);
    QCOMPARE(w->currentPage(), QString("Matriz"));
    QCOMPARE(labelText(*w, "lbMatriz"), QString("Matriz de plots 152 x 84"));
    auto& matrix = w->matrixPage();
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
    QTest::mouseMove(w->findChild<ScreenView*>(), QPoint(123, 45));
    QCOMPARE(labelText(*w, "lbPosX"), QString("123"));
    QCOMPARE(labelText(*w, "lbPosY"), QString("45"));

    // Converters, entry by entry: a refusal says why and keeps the old result.
    click(*w, "btReg");
    const struct {
        const char *field, *typed, *result;
        QString shown;
        Rgb swatch;
    } entries[] = {
        {"edIntToHex", "16777215", "lbIntToHex", "FFFFFF", 0xFFFFFF},
        {"edIntToHex", "255", "lbIntToHex", "0000FF", 0xFF},
        {"edHexToInt", "0000FF", "lbHexToInt", "255", 0xFF},
        {"edHexToInt", "FF0000", "lbHexToInt", "16711680", 0xFF0000},
        {"edHexToInt", "FF00", "lbHexToInt", "16711680", 0xFF0000},
        {"edIntToHex", "-3", "lbIntToHex", "0000FF", 0xFF},
    };
    for (const auto& entry : entries) {
        enterText(*w, entry.field, entry.typed);
        QVERIFY2(labelText(*w, entry.result) == entry.shown, entry.typed);
        const bool hex = entry.result == QString("lbHexToInt");
        QCOMPARE(hex ? w->colourConverters().hexSwatch() : w->colourConverters().intSwatch(), entry.swatch);
    }
    QVERIFY(!labelText(*w, "Stx").isEmpty());
    // A click copies the result.
    QTest::mouseClick(w->findChild<QLabel*>("lbHexToInt"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), QString("16711680"));

    // Buffers: captions, and the swap and copy buttons.
    QTest::keyClick(w.get(), Qt::Key_F6);
    QCOMPARE(labelText(*w, "lbBufTela"), QString("Buffer principal de tela 760 x 420"));
    QCOMPARE(labelText(*w, "lbBufBak"), QString("Buffer secundário (bakbuf) 760 x 420"));
    auto& screen = w->engine().screen();
    const Bitmap front = screen.screenBuffer, back = screen.backBuffer;
    QVERIFY(!(front == back));
    click(*w, "btSwapbuf");
    QCOMPARE(screen.screenBuffer, back);
    QCOMPARE(screen.backBuffer, front);
    click(*w, "btSwapbuf");
    click(*w, "btBuftobak");
    QCOMPARE(screen.backBuffer, front);
    screen.backBuffer.fill(0x00FF00);
    click(*w, "btBaktobuf");
    QCOMPARE(screen.screenBuffer.pixel(5, 5), 0x00FF00u);
}

LUDOMAT_WIDGET_TEST_MAIN(RegistersTest)
#include "registers_test.moc"
