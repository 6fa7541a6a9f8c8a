#pragma once
// The "Dodiroz" page: mouse drawing on the run-time screen turned into script lines. It edits
// one figure at a time, of one of two kinds: a pixel figure drawn with seven vector tools, or a
// plot figure drawn cell by cell on the plot grid. The figure's lines live in the text `Grp`;
// every finished gesture, colour change, size entry, clear and kind switch is one step on the
// page's undo stack, which restores both the text and the screen.

#include "graphics/bitmap.h"
#include "graphics/rect.h"
#include "studio/editors/drawing/figure_lines.h"
#include "studio/editors/editor_support.h"

#include <QPoint>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QUndoStack;
class QKeyEvent;

namespace ludomat {

class Engine;
class PictureButton;
class ScreenView;
struct PageContext;
class ScriptEditor;
class FigureTool;
struct FigureSnapshot;
struct ToolContext;

class DrawingPage : public QWidget {
    Q_OBJECT
public:
    // Which swatch the palette and `HexCor` act on.
    enum class Marker { Drawing, Ink, Paper };
    // Undo keeps at least this many steps.
    static constexpr int kUndoSteps = 200;

    // Figures are saved in and listed from the context's game folder.
    explicit DrawingPage(const PageContext& context, QWidget* parent = nullptr);
    ~DrawingPage() override;

    // Opening from the "Dodiroz" (pixel) or "Bitmap" (plot) picture, F9 or F10.
    void open(FigureKind kind);
    FigureKind kind() const { return m_kind; }
    int tool() const { return m_tool; }
    void chooseTool(int tool);

    // The mouse on the run-time screen, in screen pixels, while this page is shown.
    void mousePressed(Qt::MouseButton button, QPoint point);
    void mouseMoved(QPoint point);
    void mouseReleased(Qt::MouseButton button, QPoint point);

    // The page's buttons.
    void transferToScript();                       // "Transferir p/programa"
    void previewFigure();                          // "Desenhar na tela"
    void clearScreen();                            // "Clear tela"
    void resetFigureText();                        // "Clear pixels" / "Clear plots"
    void switchKind();                             // the title picture and the switch picture
    bool saveFigureFile();                         // "save:"
    void drawGrid();                               // "Matriz plot / unplot"
    void openFigureFile(const QString& fileName);  // double click in `Arq2`
    void rereadFigureFiles();

    // Colours.
    void pickSwatch(Marker marker);
    void pickPaletteAt(QPoint point);
    void enterHexColour();
    void pressMarker();
    Rgb drawingColour() const { return m_drawColour; }
    Marker marker() const { return m_marker; }

    // Enter in a size field: 0 the pixel size or the plot width, 1 the plot height.
    void enterSize(int field);

    // The figure differs from the lines it was opened, read or saved with.
    bool isModified() const { return figureLines() != m_savedLines; }
    // "save:" name and extension: the file the figure belongs to.
    QString figureFileName() const;
    // Before the figure is replaced or left (a run, closing): when it has unsaved changes, asks
    // "Salvar as alterações em NOME?". False when the user cancels or the save fails.
    bool settleChanges();
    void setSaveQuestion(SaveQuestion ask) { m_askToSave = std::move(ask); }

    QStringList figureLines() const;
    void setFigureLines(const QStringList& lines);
    QString message() const;

    // Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y while the page is shown; true when the key was one of them.
    bool handleKey(QKeyEvent* event);
    void undo();
    void redo();
    QUndoStack& undoStack() { return *m_undo; }

signals:
    // The figure went into the script: the window shows "Fonte".
    void transferred();
    void tileMapRequested();
    // A notice for the window's status line; empty clears it.
    void notice(const QString& text);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    friend class FigureEdit;
    void buildKindControls();
    void buildToolButtons();
    void buildActions();
    void buildColours();
    void buildFiles();
    void setupKindControls();
    void setupKind();
    void showSizes();
    void showSwatches();
    void setMessage(const QString& text);
    void markSaved();
    // settleChanges(); `replacing`: new lines take the figure's place right after.
    bool settleChanges(bool replacing);

    // Runs one part of a gesture on the active tool, with the figure's lines and the screen.
    void withTool(const std::function<void(FigureTool&, ToolContext&)>& act);

    // One undo step: begin remembers the state (first recording a hand edit of `Grp` as its
    // own step), commit pushes the step when anything changed.
    void beginStep();
    void commitStep(const QString& name);
    // Records hand edits of `Grp` since the last step as a step; true when there were some.
    bool recordTyping();
    FigureSnapshot capture() const;
    void rememberLast(FigureSnapshot snapshot);
    void restore(const FigureSnapshot& snapshot);
    void showScreen();
    Rgb paperColour() const;
    void appendLine(const QString& line);
    void putLine(const QString& key, const QString& line);

    Engine& m_engine;
    ScreenView& m_screen;
    ScriptEditor& m_editor;
    std::function<QString()> m_gameFolder;

    FigureKind m_kind = FigureKind::Pixel;
    int m_tool = kToolPixel;
    QPoint m_drawStart;
    Rect m_dragRect;
    bool m_drawing = false;
    Qt::MouseButton m_button = Qt::NoButton;
    // The tool of the gesture under way.
    std::unique_ptr<FigureTool> m_activeTool;
    Rgb m_drawColour = 0xFFFFFF;
    Rgb m_inkSwatch = 0xFFFFFF;
    Rgb m_paperSwatch = 0x000000;
    Marker m_marker = Marker::Drawing;
    std::array<bool, 2> m_introShown{false, false};

    QUndoStack* m_undo = nullptr;
    QStringList m_savedLines;
    SaveQuestion m_askToSave;
    std::unique_ptr<FigureSnapshot> m_before;
    // The state after the last step, and its screen unpacked, to tell cheaply whether a new
    // step changed the screen.
    std::unique_ptr<FigureSnapshot> m_last;
    Bitmap m_lastScreen;
    bool m_restoring = false;
    int m_stepDepth = 0;

    QLabel* m_title = nullptr;        // title picture
    QLabel* m_kindLabel = nullptr;    // Lb18
    QLabel* m_sizeCaption = nullptr;  // "Defpixel:" / "Defplot:"
    QLineEdit* m_sizeField1 = nullptr;
    QLineEdit* m_sizeField2 = nullptr;
    QLabel* m_sizeX = nullptr;
    std::array<QWidget*, 7> m_tools{};
    PictureButton* m_gridButton = nullptr;
    PictureButton* m_clearFigure = nullptr;
    QWidget* m_drawSwatch = nullptr;
    QWidget* m_inkSwatchView = nullptr;
    QWidget* m_paperSwatchView = nullptr;
    QWidget* m_markerView = nullptr;
    QLineEdit* m_hex = nullptr;  // HexCor
    QLabel* m_palette = nullptr;
    QLineEdit* m_name = nullptr;  // NoFig
    QLabel* m_extension = nullptr;
    QListWidget* m_files = nullptr;    // Arq2
    QPlainTextEdit* m_text = nullptr;  // Grp
    QLabel* m_switch = nullptr;
    QLabel* m_message = nullptr;
};

}  // namespace ludomat
