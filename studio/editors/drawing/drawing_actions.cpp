// The figure editor's buttons, colour pickers, size entries, kinds and figure files.

#include "engine/engine.h"
#include "graphics/blit.h"
#include "graphics/cp1252.h"
#include "graphics/plot_grid.h"
#include "studio/editors/drawing/drawing_artwork.h"
#include "studio/editors/drawing/drawing_page.h"
#include "studio/editors/drawing/drawing_widgets.h"
#include "studio/editors/drawing/figure_files.h"
#include "studio/editors/drawing/figure_preview.h"
#include "studio/editors/drawing/figure_snapshot.h"
#include "studio/editors/drawing/figure_tools.h"
#include "screen/screen_view.h"
#include "studio/editing/script_editor.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QUndoStack>

namespace ludomat {

namespace {

// A colour setting as a colour; a text that is not one (a script may leave anything) is black.
Rgb colourOrBlack(const std::string& text)
{
    Rgb colour = 0;
    return parseColourText(fromCp1252(text), &colour) ? colour : 0x000000;
}

Rect wholeScreen()
{
    return Rect::fromXywh(0, 0, kBaseWidth, kBaseHeight);
}

}  // namespace

Rgb DrawingPage::paperColour() const
{
    return colourOrBlack(m_engine.textSettings().paperColour);
}

void DrawingPage::showScreen()
{
    m_engine.screen().refresh();
    m_screen.update();
}

QString DrawingPage::figureFileName() const
{
    return m_name->text() + figureExtension(m_kind);
}

void DrawingPage::markSaved()
{
    m_savedLines = figureLines();
    m_undo->setClean();
}

bool DrawingPage::settleChanges()
{
    return settleChanges(false);
}

bool DrawingPage::settleChanges(bool replacing)
{
    if (!isModified()) return true;
    const QString name = figureFileName();
    SaveAnswer answer = m_askToSave ? m_askToSave(name) : askInBox(this, name);
    if (answer == SaveAnswer::Cancel) return false;
    if (answer == SaveAnswer::Save) return saveFigureFile();
    // Lines about to be replaced stay one undo away; otherwise the saved lines come back.
    if (replacing) return true;
    beginStep();
    setFigureLines(m_savedLines);
    commitStep("Descartar");
    return true;
}

void DrawingPage::open(FigureKind kind)
{
    if (!settleChanges(true)) return;
    emit notice(QString());
    beginStep();
    m_kind = kind;
    m_inkSwatch = colourOrBlack(m_engine.textSettings().inkColour);
    m_paperSwatch = colourOrBlack(m_engine.textSettings().paperColour);
    setupKind();
    // Opened this way a figure always starts from its header; the step keeps the old lines.
    setFigureLines(figureHeader(m_kind, m_engine.plotSettings().pixelSize(), m_engine.plotSettings().plotWidth(),
                                m_engine.plotSettings().plotHeight()));
    showSwatches();
    commitStep("Abrir");
    markSaved();
}

void DrawingPage::setupKind()
{
    setupKindControls();
    setMessage(QString());
    QString why;
    const QString name = m_name->text();
    const QString path = figurePath(m_gameFolder(), name, m_kind);
    bool loaded = false;
    if (isSafeFigureName(name, &why) && QFileInfo::exists(path)) {
        if (auto lines = loadFigure(path, &why)) {
            setFigureLines(*lines);
            loaded = true;
        } else {
            setMessage(why);
        }
    }
    if (!loaded) resetFigureText();
    markSaved();
    const int k = int(m_kind);
    if (!m_introShown[size_t(k)]) {
        m_introShown[size_t(k)] = true;
        // Only on the screen picture: the first stroke brings back the buffer.
        m_engine.screen().tela = Bitmap::fromImage(drawing_art::introPicture(m_kind));
        m_screen.update();
    }
    rereadFigureFiles();
}

void DrawingPage::chooseTool(int tool)
{
    if (tool < kToolPixel || tool > kToolFilled || tool == m_tool) return;
    static_cast<ToolButton*>(m_tools[size_t(m_tool - 1)])->setDown(false);
    m_tool = tool;
    static_cast<ToolButton*>(m_tools[size_t(m_tool - 1)])->setDown(true);
}

void DrawingPage::resetFigureText()
{
    beginStep();
    const PlotSettings& plot = m_engine.plotSettings();
    setFigureLines(figureHeader(m_kind, plot.pixelSize(), plot.plotWidth(), plot.plotHeight()));
    commitStep(m_kind == FigureKind::Pixel ? "Clear pixels" : "Clear plots");
}

void DrawingPage::clearScreen()
{
    beginStep();
    ScreenBuffers& screen = m_engine.screen();
    screen.screenCanvas.setPenColour(colourOrBlack(m_engine.textSettings().inkColour));
    fillRect(screen.screenBuffer, wholeScreen(), paperColour());
    showScreen();
    commitStep("Clear tela");
}

void DrawingPage::drawGrid()
{
    beginStep();
    drawPlotGrid(m_engine.screen().screenBuffer, m_engine.plotSettings().plotWidth(),
                 m_engine.plotSettings().plotHeight());
    showScreen();
    commitStep("Grade");
}

void DrawingPage::transferToScript()
{
    const QStringList lines = figureLines();
    if (lines.isEmpty()) return;
    // In front of the caret's line, in the figure's own order, as one edit of the script.
    QTextCursor cursor(m_editor.document()->findBlockByNumber(m_editor.caretLine()));
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.insertText(lines.join('\n') + '\n');
    emit transferred();
}

void DrawingPage::previewFigure()
{
    beginStep();
    const PreviewOutcome outcome = ludomat::previewFigure(m_engine, figureLines());
    m_inkSwatch = colourOrBlack(m_engine.textSettings().inkColour);
    m_paperSwatch = colourOrBlack(m_engine.textSettings().paperColour);
    showSwatches();
    showSizes();
    m_screen.update();
    setMessage(outcome.completed ? QString() : QString("Linha %1 da figura: %2").arg(outcome.line).arg(outcome.error));
    commitStep("Desenhar na tela");
}

void DrawingPage::switchKind()
{
    // The figure being left is written first; if it cannot be, the page stays where it is.
    QString error;
    if (!saveFigure(m_gameFolder(), m_name->text(), m_kind, figureLines(), &error)) {
        setMessage(error);
        return;
    }
    beginStep();
    m_kind = m_kind == FigureKind::Pixel ? FigureKind::Plot : FigureKind::Pixel;
    setupKind();
    commitStep("Trocar tipo");
}

bool DrawingPage::saveFigureFile()
{
    QString error;
    if (!saveFigure(m_gameFolder(), m_name->text(), m_kind, figureLines(), &error)) {
        setMessage(error);
        return false;
    }
    markSaved();
    setMessage(QString());
    emit notice("Figura gravada: " + figureFileName());
    rereadFigureFiles();
    return true;
}

void DrawingPage::openFigureFile(const QString& fileName)
{
    if (!settleChanges(true)) return;
    const QString path = m_gameFolder() + fileName;
    QString error;
    auto lines = loadFigure(path, &error);
    if (!lines) {
        setMessage(error);
        return;
    }
    beginStep();
    setFigureLines(*lines);
    // "save:" then writes back to the file just opened.
    const QString extension = figureExtension(m_kind);
    m_name->setText(fileName.endsWith(extension, Qt::CaseInsensitive) ? fileName.chopped(extension.size()) : fileName);
    previewFigure();
    commitStep("Abrir figura");
    markSaved();
}

void DrawingPage::pickSwatch(Marker marker)
{
    beginStep();
    m_marker = marker;
    showSwatches();
    m_hex->setText(colourText(marker == Marker::Drawing ? m_drawColour
                              : marker == Marker::Ink   ? m_inkSwatch
                                                        : m_paperSwatch));
    commitStep("Marcar cor");
}

namespace {

void setMarked(DrawingPage::Marker marker, Rgb colour, Rgb& drawing, Rgb& ink, Rgb& paper)
{
    if (marker == DrawingPage::Marker::Drawing)
        drawing = colour;
    else if (marker == DrawingPage::Marker::Ink)
        ink = colour;
    else
        paper = colour;
}

}  // namespace

void DrawingPage::pickPaletteAt(QPoint point)
{
    const QImage palette = m_palette->pixmap().toImage();
    if (!palette.rect().contains(point)) return;
    beginStep();
    const Rgb colour = Rgb(palette.pixel(point)) & 0xFFFFFFu;
    setMarked(m_marker, colour, m_drawColour, m_inkSwatch, m_paperSwatch);
    m_hex->setText(colourText(colour));
    showSwatches();
    commitStep("Escolher cor");
}

void DrawingPage::enterHexColour()
{
    beginStep();
    Rgb colour = 0;
    if (!parseColourText(m_hex->text().trimmed(), &colour)) {
        colour = 0x000000;
        m_hex->setText("000000");
    }
    setMarked(m_marker, colour, m_drawColour, m_inkSwatch, m_paperSwatch);
    showSwatches();
    commitStep("Escolher cor");
}

void DrawingPage::pressMarker()
{
    if (m_marker == Marker::Drawing) return;
    beginStep();
    TextSettings& text = m_engine.textSettings();
    if (m_marker == Marker::Ink) {
        text.inkColour = colourText(m_inkSwatch).toStdString();
        appendLine("  cortxt= " + colourText(m_inkSwatch));
    } else {
        text.paperColour = colourText(m_paperSwatch).toStdString();
        appendLine("  corfnd= " + colourText(m_paperSwatch));
    }
    commitStep("Cor no script");
}

void DrawingPage::enterSize(int field)
{
    beginStep();
    PlotSettings& plot = m_engine.plotSettings();
    QLineEdit* edit = field == 0 ? m_sizeField1 : m_sizeField2;
    bool ok = false;
    int value = edit->text().trimmed().toInt(&ok);
    if (m_kind == FigureKind::Pixel) {
        if (!ok) value = 1;
        plot.setPixelSize(value);
        showSizes();
        appendLine(defpixelLine(plot.pixelSize()));
        commitStep("Defpixel");
        return;
    }
    if (!ok) value = kStartPlotSide;
    if (field == 0)
        plot.setPlotSize(value, plot.plotHeight());
    else
        plot.setPlotSize(plot.plotWidth(), value);
    showSizes();
    fillRect(m_engine.screen().screenBuffer, wholeScreen(), paperColour());
    drawPlotGrid(m_engine.screen().screenBuffer, plot.plotWidth(), plot.plotHeight());
    showScreen();
    QStringList lines = figureLines();
    putDefplotLine(lines, plot.plotWidth(), plot.plotHeight());
    setFigureLines(lines);
    commitStep("Defplot");
}

}  // namespace ludomat
