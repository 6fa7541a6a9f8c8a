// The sprite page as a user drives it after a run: no sprites yet, stepping sprites, picking
// frames with the mouse, "ver na tela", the scale bar, dragging the collision handles, and the
// "loadsprite" and "sprite" lines written back into the script.

#include "widget_test_support.h"

#include "engine/engine.h"
#include "engine/script.h"
#include "engine/script_files.h"
#include "graphics/cp1252.h"
#include "studio/editing/script_editor.h"
#include "studio/editors/editor_art.h"
#include "studio/editors/sprite/collision_handle.h"
#include "studio/editors/sprite/sprite_lines.h"
#include "studio/editors/sprite/sprite_page.h"

#include <QDirIterator>

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <map>

using namespace ludomat;
using namespace ludomat::test;

class SpriteEditorTest : public QObject {
    Q_OBJECT

private slots:
    void framesPreviewScaleHandlesAndScriptLines();
    void writtenLinesKeepTheScriptsOwnText();
    void unchangedWriteBackLeavesEveryExampleGameAsItWas();
};

namespace {

QString currentPage(MainWindow& window)
{
    return window.findChild<QStackedWidget*>("Abook")->currentWidget()->objectName();
}

QString field(MainWindow& window, const char* name)
{
    return window.findChild<QLineEdit*>(name)->text();
}

// A sheet of `frames` frames, frame k filled with colours[k].
void writeSheet(const QString& path, int width, int height, const QList<QRgb>& colours)
{
    QImage sheet(width, height, QImage::Format_RGB32);
    int frameWidth = width / int(colours.size());
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            sheet.setPixel(x, y, colours[std::min<int>(x / frameWidth, colours.size() - 1)]);
    QVERIFY(sheet.save(path));
}

// Press on the handle, move by `by` pixels along its axis with the button held, release.
void dragHandle(CollisionHandle* handle, int by)
{
    QPoint start(5, 5);
    QPoint end = handle->isVertical() ? start + QPoint(0, by) : start + QPoint(by, 0);
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(handle, end);
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, end);
}

}  // namespace

void SpriteEditorTest::framesPreviewScaleHandlesAndScriptLines()
{
    QTemporaryDir folder;
    writeSheet(folder.filePath("hero.png"), 96, 32, {0xFFCC0000, 0xFF00CC00, 0xFF0000CC});
    writeSheet(folder.filePath("odd.png"), 100, 10, {0xFF111111, 0xFF222222, 0xFF333333});
    auto window = openWindow(folder);
    SpritePage& page = window->spritePage();

    // Before any run: the notice, and the page stays closed.
    QTest::keyClick(window.get(), Qt::Key_F12);
    QCOMPARE(labelText(*window, "Stx"), SpritePage::kNoSprites);
    QCOMPARE(currentPage(*window), QString("Fonte"));

    setScript(*window, {"  loadsprite hero,hero.png,3,3,0,17,32", "// sprite hero: o herói",
                        "  loadsprite odd,odd.png,3", "  sprite hero,10,20,2", "  fim"});
    window->execute();
    QTest::keyClick(window.get(), Qt::Key_F12);
    QCOMPARE(currentPage(*window), QString("Sprites"));
    QVERIFY(window->engine().screen().tela == Bitmap::fromImage(editor_art::spriteIntro()));
    QCOMPARE(labelText(*window, "lb42"), QString("Sprites total: 2  Atual: 0"));
    QCOMPARE(field(*window, "sptNome"), QString("hero"));
    QCOMPARE(field(*window, "sptWdf"), QString("32"));
    QCOMPARE(field(*window, "sptAtu"), QString("0"));  // frame 2 drawn, then wrapped
    QCOMPARE(labelText(*window, "lbClz"), QString("3,0,17,32"));

    // The mouse over the sheet picks the frame under it: X = 70 is frame 2.
    QWidget* sheet = window->findChild<QWidget*>("sptImg");
    QTest::mouseMove(sheet, QPoint(70, 10));
    QCOMPARE(field(*window, "sptAtu"), QString("2"));
    QCOMPARE(page.document().at(0).currentFrame, 2);
    QImage preview = window->findChild<QLabel*>("sptSpt")->pixmap().toImage();
    QCOMPARE(preview.size(), QSize(32, 32));
    QCOMPARE(preview.pixel(5, 5) & 0xFFFFFF, 0x0000CCu);
    QTest::mouseMove(sheet, QPoint(3, 10));
    QCOMPARE(field(*window, "sptAtu"), QString("0"));

    // Three presses of "ver na tela" show frames 0, 1 and 2 at (10, 20) and come back to 0.
    auto* show = window->findChild<QAbstractButton*>("Image8");
    const Rgb expected[] = {0xCC0000, 0x00CC00, 0x0000CC};
    for (Rgb colour : expected) {
        QTest::mouseClick(show, Qt::LeftButton);
        QCOMPARE(window->engine().screen().tela.pixel(15, 25), colour);
        QCOMPARE(window->engine().screen().tela.pixel(9, 25), Rgb(0));
    }
    QCOMPARE(field(*window, "sptAtu"), QString("0"));

    // The next sprite: a 100-pixel sheet of 3 frames never shows a frame past the last.
    click(*window, "sptProx");
    QCOMPARE(labelText(*window, "lb42"), QString("Sprites total: 2  Atual: 1"));
    click(*window, "sptProx");
    QCOMPARE(page.shownIndex(), 1);
    QTest::mouseMove(sheet, QPoint(99, 5));
    QCOMPARE(field(*window, "sptAtu"), QString("2"));
    click(*window, "sptAnt");
    click(*window, "sptAnt");
    QCOMPARE(page.shownIndex(), 0);

    // The scale bar at 75 is scale 1.5, and the bar comes back there when the sprite is shown again.
    auto* bar = window->findChild<QScrollBar*>("SBe");
    // Twenty-five clicks on the bar's right arrow.
    for (int i = 0; i < 25; ++i)
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - 4, bar->height() / 2));
    QCOMPARE(bar->value(), 75);
    QCOMPARE(field(*window, "sptEsc"), QString("1.5"));
    QCOMPARE(page.document().at(0).scale, 1.5);
    click(*window, "sptProx");
    QCOMPARE(bar->value(), 50);
    click(*window, "sptAnt");
    QCOMPARE(bar->value(), 75);

    // Handles at 3 and 20 (the right one's guide at 25), dragged in turn: the left one by nothing
    // gives width 16, the right one 17; the right handle stops at the frame's last column, the
    // left one just before the right (-1: a position not checked).
    QCOMPARE(window->findChild<CollisionHandle*>("clzX3")->guide()->x(), 25);
    const struct {
        const char* handle;
        int by, position;
        QString box;
    } drags[] = {{"clzX1", 0, 3, "3,0,16,32"},    {"clzX3", 0, 20, "3,0,17,32"},  {"clzX3", 40, 31, "3,0,28,32"},
                 {"clzX1", 100, 30, "30,0,0,32"}, {"clzX1", -28, 2, "2,0,28,32"}, {"clzY1", 4, 4, "2,4,28,27"},
                 {"clzY3", -10, -1, "2,4,28,18"}};
    for (const auto& drag : drags) {
        auto* handle = window->findChild<CollisionHandle*>(drag.handle);
        dragHandle(handle, drag.by);
        QVERIFY2(drag.position < 0 || handle->position() == drag.position, qPrintable(drag.box));
        QCOMPARE(labelText(*window, "lbClz"), drag.box);
    }
    const SpriteRecord& hero = page.document().at(0);
    QCOMPARE(hero.collisionWidth, 28);
    QCOMPARE(hero.collisionHeight, 18);

    // The run's table is untouched; the captions write only what changed into the first line
    // holding the command (a comment holds none): the collision box, and the scale appended.
    QCOMPARE(window->engine().sprites().at(0).collisionWidth, 17);
    QTest::mouseClick(window->findChild<QLabel*>("Label65"), Qt::LeftButton);
    QCOMPARE(currentPage(*window), QString("Fonte"));
    QTest::keyClick(window.get(), Qt::Key_F12);
    QTest::mouseClick(window->findChild<QLabel*>("Label61"), Qt::LeftButton);
    QCOMPARE(editorLines(*window), QStringList({"  loadsprite hero,hero.png,3,2,4,28,18", "// sprite hero: o herói",
                                                "  loadsprite odd,odd.png,3", "  sprite hero,10,20,2,1.5", "  fim"}));
}

void SpriteEditorTest::writtenLinesKeepTheScriptsOwnText()
{
    // Each line as scripts write it; only the parameters given change, the rest is kept to the byte.
    const struct {
        QString line, word, name;
        std::map<int, QString> changes;
        QString expected;  // empty: the line holds no such command
    } cases[] = {
        {"if= 13,0,sprite,moeda1,100,20", "sprite", "moeda1", {{4, "1.5"}}, "if= 13,0,sprite,moeda1,100,20,F3,1.5"},
        {"sprite heroi,#20,#21,#25", "sprite", "heroi", {{4, "2"}}, "sprite heroi,#20,#21,#25,2"},
        {"sprite fantasma,60,#20", "sprite", "fantasma", {{4, "0.5"}}, "sprite fantasma,60,#20,F3,0.5"},
        {"  sprite  nave , 10 ,20,1,3  ", "sprite", "nave", {{4, "1.5"}}, "  sprite  nave , 10 ,20,1,1.5  "},
        {"loadsprite moeda1,moeda.png,4,4,4,12,12,3",
         "loadsprite",
         "moeda1",
         {{3, "5"}, {6, "9"}},
         "loadsprite moeda1,moeda.png,4,5,4,12,9,3"},
        {"loadsprite a,a.png", "loadsprite", "a", {{4, "7"}}, "loadsprite a,a.png,F2,F3,7"},
        {"sprite heroi,1,2", "sprite", "heroi", {}, "sprite heroi,1,2"},
        {"// sprite heroi: o herói", "sprite", "heroi", {{4, "2"}}, ""},
        {"sprite heroina,1,2", "sprite", "heroi", {{4, "2"}}, ""},
        {"loadsprite heroi,h.png", "sprite", "heroi", {{4, "2"}}, ""},
    };
    for (const auto& c : cases) {
        auto params = findSpriteCommand(c.line, c.word, c.name);
        QCOMPARE(params.has_value(), !c.expected.isEmpty());
        if (!params) continue;
        QCOMPARE(rewriteParameters(c.line, *params, c.changes, [](int i) { return QString("F%1").arg(i); }),
                 c.expected);
    }
}

void SpriteEditorTest::unchangedWriteBackLeavesEveryExampleGameAsItWas()
{
    const QString examples = QStringLiteral(LUDOMAT_EXAMPLES_DIR);
    if (!QDir(examples).exists()) QSKIP("the example games are not there");
    QTemporaryDir folder;
    auto window = openWindow(folder);
    SpritePage& page = window->spritePage();
    int sprites = 0;
    QDirIterator it(examples, {"*.scp"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        auto lines = readScriptFile(std::filesystem::path(path.toStdString()));
        QVERIFY(lines);
        window->editor().setLines(*lines);
        // The sprites a run of the script would leave, each with settings of its own.
        SpriteTable& table = window->engine().sprites();
        table.clear();
        for (const std::string& line : *lines) {
            ParsedLine parsed;
            std::string trimmed(QString::fromStdString(line).trimmed().toStdString());
            if (trimmed.empty()) continue;
            parseCommandLine(trimmed, parsed);
            if (parsed.word != "loadsprite" || parsed.paramCount == 0) continue;
            std::string name(parsed.params[0]);
            if (table.find(name)) continue;
            SpriteRecord& s = table.add(name);
            s.frameCount = 2;
            s.sheetWidth = 40;
            s.sheetHeight = 20;
            s.scale = 1 + table.size();
            s.collisionWidth = 3 + table.size();
        }
        if (table.size() == 0) continue;
        QVERIFY(page.enter());
        for (int i = 0; i < table.size(); ++i, ++sprites) {
            QTest::mouseClick(window->findChild<QLabel*>("Label65"), Qt::LeftButton);
            QTest::keyClick(window.get(), Qt::Key_F12);
            QTest::mouseClick(window->findChild<QLabel*>("Label61"), Qt::LeftButton);
            QTest::keyClick(window.get(), Qt::Key_F12);
            click(*window, "sptProx");
        }
        const std::vector<std::string> written = window->editor().lines();
        QCOMPARE(written.size(), lines->size());
        for (size_t i = 0; i < written.size(); ++i)
            QVERIFY2(written[i] == (*lines)[i],
                     qPrintable(QString("%1, line %2: %3").arg(path).arg(i).arg(fromCp1252(written[i]))));
    }
    QVERIFY2(sprites > 0, "no example game defines a sprite");
}

LUDOMAT_WIDGET_TEST_MAIN(SpriteEditorTest)

#include "sprite_editor_test.moc"
