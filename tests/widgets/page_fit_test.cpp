// What a user reads on the studio's pages at the scale the desktop asks for (run at 100 % and
// 150 %): no caption is cut off on any page or in the save question, and the plot matrix keeps
// its column and row numbers in view wherever it is scrolled.

#include "widget_test_support.h"

#include "engine/engine.h"
#include "studio/editors/editor_support.h"
#include "studio/editors/sprite/sprite_page.h"
#include "studio/editors/tilemap/map_grid_view.h"
#include "studio/editors/tilemap/tile_map_page.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>

using namespace ludomat;
using namespace ludomat::test;

class PageFitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void labelsShowTheirWholeTextOnEveryPage_data();
    void labelsShowTheirWholeTextOnEveryPage();
    void plotMatrixHeadersStayInViewWhileItScrolls();
    void saveQuestionShowsItsWholeText();

private:
    enum class Longest { None, MapCell, SpriteCount };
    void hoverLastCellOfLargestMap();
    void showLastOfManySprites();

    QTemporaryDir m_folder;
    std::unique_ptr<MainWindow> m_window;
};

namespace {

// The pages of the notebook, as F-keys and pictures open them.
const char* const kPages[] = {"Fonte",   "Load",   "Regs",    "NomReg",  "Dodiroz",
                              "TileMap", "Matriz", "Sprites", "Buffers", "Ajuda"};

// The part of `label` its text takes, in its parent's coordinates.
QRect textArea(const QLabel& label)
{
    const int needed = std::min(label.sizeHint().width(), label.width());
    QRect area = label.geometry();
    if (label.alignment() & Qt::AlignRight)
        area.setLeft(area.right() - needed + 1);
    else if (label.alignment() & Qt::AlignHCenter)
        area = QRect(area.center().x() - needed / 2, area.top(), needed, area.height());
    else
        area.setWidth(needed);
    return area;
}

// A visible widget beside `label` that lies over its text.
QWidget* coveringSibling(const QLabel& label)
{
    const QObjectList& siblings = label.parentWidget()->children();
    const QRect area = textArea(label);
    for (qsizetype i = siblings.indexOf(&label) + 1; i < siblings.size(); ++i) {
        auto* sibling = qobject_cast<QWidget*>(siblings[i]);
        if (sibling && !sibling->isWindow() && sibling->isVisible() && sibling->geometry().intersects(area))
            return sibling;
    }
    return nullptr;
}

// Visible one-line captions whose text needs more room than they have, or lies under a widget.
QStringList cutLabels(QWidget& root)
{
    QStringList cut;
    for (QLabel* label : root.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&root) || label->text().isEmpty() || label->wordWrap()) continue;
        const QSize needed = label->sizeHint();
        if (needed.width() > label->width() || needed.height() > label->height())
            cut << QString("%1 \"%2\" needs %3 x %4, has %5 x %6")
                       .arg(label->objectName(), label->text().left(40))
                       .arg(needed.width())
                       .arg(needed.height())
                       .arg(label->width())
                       .arg(label->height());
        else if (QWidget* over = coveringSibling(*label))
            cut << QString("%1 \"%2\" lies under %3")
                       .arg(label->objectName(), label->text().left(40), over->objectName());
    }
    return cut;
}

}  // namespace

void PageFitTest::initTestCase()
{
    m_window = openWindow(m_folder);
}

void PageFitTest::hoverLastCellOfLargestMap()
{
    MapGrid& map = m_window->engine().mapGrid();
    map.clear();
    map.setName("");
    map.resize(kMaxMapColumns, kMaxMapRows);
    map.setTile(kMaxMapColumns - 1, kMaxMapRows - 1, 255);
    m_window->setSaveQuestion([](const QString&) { return SaveAnswer::Discard; });
    TileMapPage& page = m_window->tileMapPage();
    page.settleChanges();
    page.enter();
    page.selectTile(255);
    MapGridView& view = page.mapView();
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    const QPoint corner = view.viewport()->rect().bottomRight() - QPoint(3, 3);
    QMouseEvent move(QEvent::MouseMove, corner, view.viewport()->mapToGlobal(corner), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    QCOMPARE(view.cellAt(corner), QPoint(kMaxMapColumns - 1, kMaxMapRows - 1));
    QCOMPARE(m_window->findChild<QLabel*>("lbTMhover")->text(), QString("col 999, lin 999: tile 255"));
}

void PageFitTest::showLastOfManySprites()
{
    SpriteTable& table = m_window->engine().sprites();
    table.clear();
    for (int i = 0; i < 120; ++i) table.add("sprite" + std::to_string(i)).frameCount = 1;
    SpritePage& page = m_window->spritePage();
    QVERIFY(page.enter());
    for (int i = 0; i < 120; ++i) page.next();
    QCOMPARE(m_window->findChild<QLabel*>("lb42")->text(), QString("Sprites total: 120  Atual: 119"));
}

void PageFitTest::labelsShowTheirWholeTextOnEveryPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("longest");
    for (const char* page : kPages) QTest::newRow(page) << QString(page) << int(Longest::None);
    // The longest texts the pages show: the last cell of the largest map under the mouse, the
    // sprite counter with three-digit numbers.
    QTest::newRow("TileMap, cell 999,999") << QString("TileMap") << int(Longest::MapCell);
    QTest::newRow("Sprites, 120 of 120") << QString("Sprites") << int(Longest::SpriteCount);
}

void PageFitTest::labelsShowTheirWholeTextOnEveryPage()
{
    QFETCH(QString, page);
    QFETCH(int, longest);
    QVERIFY(m_window->showPage(page));
    if (longest == int(Longest::MapCell)) hoverLastCellOfLargestMap();
    if (longest == int(Longest::SpriteCount)) showLastOfManySprites();
    QTest::qWait(20);
    auto* notebook = m_window->findChild<QStackedWidget*>("Abook");
    QWidget* shown = notebook->currentWidget();
    QCOMPARE(shown->objectName(), page);
    const QStringList cut = cutLabels(*m_window);
    QVERIFY2(cut.isEmpty(),
             qPrintable(QString("at scale %1: %2").arg(qEnvironmentVariable("QT_SCALE_FACTOR", "1"), cut.join("; "))));
}

void PageFitTest::plotMatrixHeadersStayInViewWhileItScrolls()
{
    m_window->engine().plotSettings().setPlotSize(4, 4);  // the largest matrix: 190 x 105
    QVERIFY(m_window->showPage("Matriz"));
    auto* grid = m_window->findChild<QTableView*>("GridMatriz");
    QVERIFY(grid);
    const QRgb silver = qRgb(0xc0, 0xc0, 0xc0);
    for (double position : {0.0, 0.5, 1.0}) {
        grid->horizontalScrollBar()->setValue(int(grid->horizontalScrollBar()->maximum() * position));
        grid->verticalScrollBar()->setValue(int(grid->verticalScrollBar()->maximum() * position));
        const QImage picture = grid->grab().toImage();
        const QRect cells = grid->viewport()->geometry();
        // A silver band of numbers right above and left of the cells shown, whatever the scroll.
        QVERIFY(cells.top() > 8 && cells.left() > 8);
        int silverAbove = 0, silverLeft = 0, samplesAbove = 0, samplesLeft = 0;
        for (int x = cells.left() + 2; x < cells.right(); x += 3, ++samplesAbove)
            silverAbove += picture.pixel(x, cells.top() - 3) == silver;
        for (int y = cells.top() + 2; y < cells.bottom(); y += 3, ++samplesLeft)
            silverLeft += picture.pixel(cells.left() - 3, y) == silver;
        // Digits cover part of the band; the rest of it is silver.
        QVERIFY2(silverAbove * 2 > samplesAbove, qPrintable(QString("%1 of %2").arg(silverAbove).arg(samplesAbove)));
        QVERIFY2(silverLeft * 2 > samplesLeft, qPrintable(QString("%1 of %2").arg(silverLeft).arg(samplesLeft)));
        // The numbers name the first column and row shown.
        const QModelIndex first = grid->indexAt({1, 1});
        QCOMPARE(grid->model()->headerData(first.column(), Qt::Horizontal).toString(), QString::number(first.column()));
        QCOMPARE(grid->model()->headerData(first.row(), Qt::Vertical).toString(), QString::number(first.row()));
        QVERIFY(position == 0.0 || first.column() > 0);
    }
}

void PageFitTest::saveQuestionShowsItsWholeText()
{
    QStringList cut;
    QString shownText;
    bool seen = false;
    whenReady([] { return QApplication::activeModalWidget() != nullptr; },
              [&] {
                  QWidget* box = QApplication::activeModalWidget();
                  if (!box) return;
                  cut = cutLabels(*box);
                  for (QLabel* label : box->findChildren<QLabel*>())
                      if (label->text().startsWith("Salvar")) shownText = label->text();
                  QTest::keyClick(box, Qt::Key_Escape);
              },
              &seen);
    QCOMPARE(askInBox(m_window.get(), "ação do mapa da primeira fase.tlm"), SaveAnswer::Cancel);
    QVERIFY(seen);
    QCOMPARE(shownText, QString("Salvar as alterações em ação do mapa da primeira fase.tlm?"));
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
}

LUDOMAT_WIDGET_TEST_MAIN(PageFitTest)
#include "page_fit_test.moc"
