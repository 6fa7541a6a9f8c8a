#include "studio/editors/drawing/drawing_page.h"

#include "engine/engine.h"
#include "screen/screen_view.h"
#include "studio/editors/drawing/drawing_artwork.h"
#include "studio/editors/drawing/drawing_widgets.h"
#include "studio/editors/drawing/figure_files.h"
#include "studio/editors/drawing/figure_snapshot.h"
#include "studio/editors/drawing/figure_tools.h"
#include "studio/window/page_context.h"
#include "studio/window/page_label.h"
#include "studio/window/picture_button.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QUndoStack>

namespace ludomat {

namespace {

constexpr int kToolTop = 85;
constexpr int kToolLeft = 15;
constexpr int kToolStep = 40;
// Where the marker sits for each swatch.
const QPoint kMarkerPlaces[] = {{280, 130}, {390, 50}, {370, 30}};
constexpr int kMarkerSide = 14;

PictureButton* pageButton(QWidget* parent, const QString& caption, const char* name, const QRect& geometry)
{
    auto* button = new PictureButton(caption, skin::ButtonLook::Plain, skin::Glyph::None, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* field(QWidget* parent, const char* name, const QRect& geometry, const QString& text = {})
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

}  // namespace

DrawingPage::DrawingPage(const PageContext& context, QWidget* parent)
    : QWidget(parent),
      m_engine(*context.engine),
      m_screen(*context.screen),
      m_editor(*context.editor),
      m_gameFolder([context] { return context.gameFolder(); })
{
    setObjectName("Dodiroz");
    setAttribute(Qt::WA_StyledBackground);
    m_undo = new QUndoStack(this);
    m_undo->setUndoLimit(kUndoSteps);
    buildKindControls();
    buildToolButtons();
    buildActions();
    buildColours();
    buildFiles();
    setupKindControls();
    setFigureLines(figureHeader(m_kind, 1, 5, 5));
    rememberLast(capture());
    markSaved();
}

DrawingPage::~DrawingPage() = default;

void DrawingPage::buildKindControls()
{
    auto* title = new PressLabel(this);
    title->setObjectName("imTitulo");
    title->setGeometry(5, 5, 100, 40);
    title->setToolTip("Troca entre figuras de pixels e de plots (grava a figura atual)");
    title->pressed = [this](QPoint) { switchKind(); };
    m_title = title;
    m_kindLabel = pageLabel(this, "pixels", "Lb18", QRect(147, 25, 80, 18));

    m_sizeCaption = pageLabel(this, "Defpixel:", "lbDef", QRect(15, 60, 72, 22));
    m_sizeField1 = field(this, "edDef1", QRect(90, 60, 40, 22));
    m_sizeX = pageLabel(this, "X", "lbDefX", QRect(133, 60, 9, 22));
    m_sizeField2 = field(this, "edDef2", QRect(142, 60, 40, 22));
    connect(m_sizeField1, &QLineEdit::returnPressed, this, [this] { enterSize(0); });
    connect(m_sizeField2, &QLineEdit::returnPressed, this, [this] { enterSize(1); });
}

void DrawingPage::buildToolButtons()
{
    static const char* const kTips[] = {"Pixel",          "Linha",  "Polilinha (continua do último ponto)",
                                        "Retângulo",      "Elipse", "Leque (todas as linhas saem do mesmo ponto)",
                                        "Retângulo cheio"};
    for (int t = kToolPixel; t <= kToolFilled; ++t) {
        auto* button = new ToolButton(drawing_art::toolButton(t, false), drawing_art::toolButton(t, true), this);
        button->setObjectName(QString("btTool%1").arg(t));
        button->setToolTip(kTips[t - 1]);
        button->setGeometry(kToolLeft + (t - 1) * kToolStep, kToolTop, 35, 23);
        button->pressed = [this, t] { chooseTool(t); };
        m_tools[size_t(t - 1)] = button;
    }
    static_cast<ToolButton*>(m_tools[0])->setDown(true);
    m_gridButton = pageButton(this, "Matriz plot / unplot", "btGrade", QRect(15, 85, 170, 26));
    connect(m_gridButton, &QAbstractButton::clicked, this, &DrawingPage::drawGrid);
}

void DrawingPage::buildActions()
{
    connect(pageButton(this, "Transferir p/programa", "btTransferir", QRect(15, 150, 200, 28)),
            &QAbstractButton::clicked, this, &DrawingPage::transferToScript);
    connect(pageButton(this, "Desenhar na tela", "btDesenhar", QRect(15, 185, 200, 28)), &QAbstractButton::clicked,
            this, &DrawingPage::previewFigure);
    connect(pageButton(this, "Clear tela", "btClearTela", QRect(15, 220, 115, 28)), &QAbstractButton::clicked, this,
            &DrawingPage::clearScreen);
    m_clearFigure = pageButton(this, "Clear pixels", "btClearFig", QRect(135, 220, 100, 28));
    connect(m_clearFigure, &QAbstractButton::clicked, this, &DrawingPage::resetFigureText);
    m_message = pageLabel(this, QString(), "lbFigMsg", QRect(240, 222, 175, 34));
    m_message->setWordWrap(true);
    m_message->setStyleSheet("font-size: 8pt; color: #b02020;");
}

void DrawingPage::buildColours()
{
    pageLabel(this, "corfnd / paper", "lbCorfnd", QRect(262, 25, 98, 18))->setAlignment(Qt::AlignRight);
    pageLabel(this, "cortxt / ink", "lbCortxt", QRect(282, 45, 98, 18))->setAlignment(Qt::AlignRight);
    auto swatch = [this](const char* name, const QRect& geometry, Marker marker) {
        auto* s = new Swatch(this);
        s->setObjectName(name);
        s->setGeometry(geometry);
        s->pressed = [this, marker] { pickSwatch(marker); };
        return s;
    };
    m_paperSwatchView = swatch("swPaper", QRect(365, 25, 22, 20), Marker::Paper);
    m_inkSwatchView = swatch("swInk", QRect(385, 45, 22, 20), Marker::Ink);
    m_drawSwatch = swatch("swCor", QRect(275, 125, 30, 30), Marker::Drawing);

    auto* marker = new MarkerView(this);
    marker->setObjectName("marcador");
    marker->setToolTip("Clique: a cor de tinta ou de fundo marcada vira uma linha cortxt= ou corfnd=");
    marker->pressed = [this] { pressMarker(); };
    m_markerView = marker;

    m_hex = field(this, "HexCor", QRect(245, 158, 65, 22), "FFFFFF");
    connect(m_hex, &QLineEdit::returnPressed, this, &DrawingPage::enterHexColour);

    auto* palette = new PressLabel(this);
    palette->setObjectName("paleta");
    palette->setGeometry(315, 80, drawing_art::kPaletteSide, drawing_art::kPaletteSide);
    palette->setPixmap(QPixmap::fromImage(drawing_art::palette()));
    palette->setCursor(Qt::CrossCursor);
    palette->pressed = [this](QPoint p) { pickPaletteAt(p); };
    m_palette = palette;
    showSwatches();
}

void DrawingPage::buildFiles()
{
    connect(pageButton(this, "save:", "btSaveFig", QRect(228, 193, 62, 26)), &QAbstractButton::clicked, this,
            &DrawingPage::saveFigureFile);
    m_name = field(this, "NoFig", QRect(295, 195, 84, 22), "fig01a");
    m_extension = pageLabel(this, ".pix", "lbExt", QRect(381, 197, 34, 18));

    m_files = new QListWidget(this);
    m_files->setObjectName("Arq2");
    m_files->setGeometry(420, 15, 175, 361);
    connect(m_files, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openFigureFile(item->text()); });

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("Grp");
    m_text->setGeometry(0, 260, 411, 160);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The page's own undo covers hand edits too, together with the screen.
    m_text->setUndoRedoEnabled(false);
    QFont mono("Courier New", 9);
    mono.setStyleHint(QFont::Monospace);
    m_text->setFont(mono);

    auto* switcher = new PressLabel(this);
    switcher->setObjectName("imTroca");
    switcher->setGeometry(435, 383, 80, 32);
    switcher->setToolTip("Troca o tipo de figura (grava a figura atual)");
    switcher->pressed = [this](QPoint) { switchKind(); };
    m_switch = switcher;
    auto* tiles = new PressLabel(this);
    tiles->setObjectName("imTileMap");
    tiles->setGeometry(520, 383, 80, 32);
    tiles->setToolTip("Editor de tile maps");
    tiles->setPixmap(drawing_art::tileMapPicture(QSize(80, 32)));
    tiles->pressed = [this](QPoint) { emit tileMapRequested(); };
}

void DrawingPage::setupKindControls()
{
    const bool pixel = m_kind == FigureKind::Pixel;
    m_title->setPixmap(drawing_art::kindTitle(m_kind));
    m_switch->setPixmap(drawing_art::kindTitle(pixel ? FigureKind::Plot : FigureKind::Pixel, QSize(80, 32)));
    m_kindLabel->setText(pixel ? "pixels" : "plots");
    m_extension->setText(figureExtension(m_kind));
    m_clearFigure->setText(pixel ? "Clear pixels" : "Clear plots");
    m_sizeCaption->setText(pixel ? "Defpixel:" : "Defplot:");
    m_sizeX->setVisible(!pixel);
    m_sizeField2->setVisible(!pixel);
    for (QWidget* tool : m_tools) tool->setVisible(pixel);
    m_gridButton->setVisible(!pixel);
    // The screen is shared with the other pages: its cursor changes only while this page shows.
    if (isVisible()) m_screen.setCursor(pixel ? Qt::CrossCursor : Qt::ArrowCursor);
    showSizes();
}

void DrawingPage::showSizes()
{
    const PlotSettings& plot = m_engine.plotSettings();
    if (m_kind == FigureKind::Pixel) {
        m_sizeField1->setText(QString::number(plot.pixelSize()));
    } else {
        m_sizeField1->setText(QString::number(plot.plotWidth()));
        m_sizeField2->setText(QString::number(plot.plotHeight()));
    }
}

void DrawingPage::showSwatches()
{
    static_cast<Swatch*>(m_drawSwatch)->setColour(m_drawColour);
    static_cast<Swatch*>(m_inkSwatchView)->setColour(m_inkSwatch);
    static_cast<Swatch*>(m_paperSwatchView)->setColour(m_paperSwatch);
    m_markerView->setGeometry(QRect(kMarkerPlaces[int(m_marker)], QSize(kMarkerSide, kMarkerSide)));
    m_markerView->raise();
}

void DrawingPage::setMessage(const QString& text)
{
    m_message->setText(text);
    emit notice(text);
}

QString DrawingPage::message() const
{
    return m_message->text();
}

QStringList DrawingPage::figureLines() const
{
    QStringList lines = m_text->toPlainText().split('\n');
    // The editor's text ends without a line end; an empty document is no line at all.
    if (lines.size() == 1 && lines[0].isEmpty()) return {};
    return lines;
}

void DrawingPage::setFigureLines(const QStringList& lines)
{
    m_text->setPlainText(lines.join('\n'));
    m_text->moveCursor(QTextCursor::End);
}

void DrawingPage::appendLine(const QString& line)
{
    QStringList lines = figureLines();
    lines.append(line);
    setFigureLines(lines);
}

void DrawingPage::putLine(const QString& key, const QString& line)
{
    QStringList lines = figureLines();
    putKeyedLine(lines, key, line);
    setFigureLines(lines);
}

void DrawingPage::rereadFigureFiles()
{
    m_files->clear();
    QDir folder(m_gameFolder());
    const QStringList mask{"*" + figureExtension(m_kind)};
    m_files->addItems(folder.entryList(mask, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void DrawingPage::hideEvent(QHideEvent* event)
{
    // The cross belongs to drawing; other pages give the screen back its arrow.
    m_screen.unsetCursor();
    // A gesture cut short by another page ends here, as the step it began.
    if (m_drawing) {
        m_drawing = false;
        m_activeTool.reset();
        commitStep("Desenhar");
    }
    QWidget::hideEvent(event);
}

bool DrawingPage::handleKey(QKeyEvent* event)
{
    const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    const bool redoKey = event->matches(QKeySequence::Redo) ||
                         (event->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) ||
                         (event->key() == Qt::Key_Y && mods == Qt::ControlModifier);
    if (redoKey) {
        redo();
        return true;
    }
    if (event->matches(QKeySequence::Undo) || (event->key() == Qt::Key_Z && mods == Qt::ControlModifier)) {
        undo();
        return true;
    }
    return false;
}

}  // namespace ludomat
