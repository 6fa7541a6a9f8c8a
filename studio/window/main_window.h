#pragma once
// The studio's main window: the run-time screen on the left, the tool notebook on the right and
// the picture buttons along the bottom. It owns the engine and is the engine's host.

#include "engine/engine.h"
#include "studio/editors/drawing/figure_lines.h"
#include "studio/editors/editor_support.h"
#include "studio/files/studio_files.h"
#include "studio/running/studio_host.h"
#include "studio/window/page_context.h"

#include <QPoint>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QStackedWidget;

namespace ludomat {

class AliasPage;
class BuffersPage;
class CloseButton;
class ColourConverters;
class Debugger;
class DrawingPage;
class EditorAssist;
class WarningsPanel;
class HelpPage;
class ExportAction;
class LoadPage;
class PictureButton;
class PlotMatrixPage;
class RegisterPage;
class ScreenCapture;
class ScreenView;
class ScriptEditor;
class SpritePage;
class TileMapPage;
class WatchPanel;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1414;
    static constexpr int kHeight = 526;
    // Where the screen panel `PanTel` sits in the normal layout.
    static const QRect kScreenRect;
    // The file the screen picture passes through when the full-screen mode is left.
    static constexpr char kScreenCopyName[] = "teltmp.bmp";

    // `programFolder` empty: the executable's folder when writable, else the user's data folder.
    explicit MainWindow(const QString& programFolder = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    Engine& engine() { return m_engine; }
    StudioHost& host() { return *m_host; }
    ScriptEditor& editor() { return *m_editor; }
    StudioFiles& files() { return *m_files; }
    LoadPage& loadPage() { return *m_loadPage; }
    RegisterPage& registerPage() { return *m_registerPage; }
    DrawingPage& drawingPage() { return *m_drawingPage; }
    PlotMatrixPage& matrixPage() { return *m_matrixPage; }
    BuffersPage& buffersPage() { return *m_buffersPage; }
    ColourConverters& colourConverters() { return *m_converters; }
    TileMapPage& tileMapPage() { return *m_tileMapPage; }
    SpritePage& spritePage() { return *m_spritePage; }
    Debugger& debugger() { return *m_debugger; }
    EditorAssist& editorAssist() { return *m_assist; }
    WarningsPanel& warnings() { return *m_warnings; }
    // True when this program folder had no settings file yet: the studio's very first start there.
    bool startedFresh() const { return m_startedFresh; }
    // What the online services write to: the window's face (`Normal`), the screen panel (`PanTel`),
    // the version label and the notice line (`Stx`).
    QWidget* skinPage() const { return m_skinPage; }
    QWidget* screenPanel() const { return m_screenPanel; }
    QLabel* versionLabel() const { return m_versionLabel; }
    QLabel* noticeLabel() const { return m_status; }
    // The help page on the first lesson of "Comece aqui".
    void showPrimer();
    ScreenCapture& capture() { return *m_capture; }
    ExportAction& exportAction() { return *m_export; }

    // Folders end with "/".
    const QString& programFolder() const { return m_files->programFolder(); }
    const QString& gameFolder() const { return m_files->gameFolder(); }
    const QString& scriptName() const { return m_files->scriptName(); }
    QString scriptPath() const { return m_files->scriptPath(); }

    // The buttons and keys, callable from code.
    void execute();                     // "Executar"
    void stopOrContinue();              // "Stop"/"Cont"
    void stepLine();                    // F1
    void showRegisters();               // "Registradores", F3
    void showListing();                 // "Listagem", F4
    void showFiles();                   // "Arquivos"
    void showAliases();                 // F2
    void openDrawing(FigureKind kind);  // "Dodiroz" (F9) and "Bitmap" (F10)
    void showMatrix();                  // "Matriz", F8
    void showBuffers();                 // F6
    bool showPage(const QString& name);
    QString currentPage() const;
    // The close button; closing ends a running script first and saves the editor's lines.
    void closeStudio();
    // The same steps when the session ends from outside (a signal): nobody is asked anything;
    // what cannot be saved goes to the recovery copy.
    void closeUnattended();
    // Answers "Fechar mesmo assim?" when the script or the settings could not be written at
    // close; by default a question box asks the user (or, with error boxes off, closing goes on).
    void setCloseQuestion(std::function<bool(const QString& question)> ask) { m_closeQuestion = std::move(ask); }
    // Answers "Salvar as alterações em NOME?" for the editor pages; by default a box asks (when
    // the session ends from outside the changes are saved; with error boxes off they are dropped).
    void setSaveQuestion(SaveQuestion ask) { m_saveQuestion = std::move(ask); }
    // Every editor page with unsaved changes asks whether to save them; false when the user
    // cancels or a save fails (then the studio goes on as it was).
    bool settleEditorDocuments();

    // Writes the editor's lines to the file they came from; false (after telling the user) on failure.
    bool saveScript();
    // Pushes the editor's lines into the engine when the user changed them.
    void syncScript();
    // A script named on the command line or dropped on the window.
    bool openScriptFile(const QString& path);
    // Offers the recovery copy an earlier session left; `ask` answers instead of a question box.
    bool offerRecovery(const std::function<bool(const RecoveredScript&)>& ask = {});

    // The user leaves the full-screen page (Esc or a click): the run ends and the screen
    // picture comes back to the normal layout through ProgramFolder + "teltmp.bmp".
    void leaveFullScreen();
    bool isFullScreenShown() const { return m_fullScreen; }

    // Tests read errors instead of answering a modal box.
    void setErrorBoxesEnabled(bool enabled);

signals:
    // F5: the member area is asked for.
    void memberAreaRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildPages();
    // What every page may reach of the studio; filled in once the editor, files and screen exist.
    void fillPageContext();
    void buildHeader(QWidget* skin);
    void buildNotebook(QWidget* skin);
    void buildButtons(QWidget* skin);
    // The drawing editor and the views, and their ways in from the "Load" page.
    QWidget* buildVisualPage(const char* name);
    void connectVisualPages();
    void buildEditorPages();
    PictureButton* addButton(QWidget* skin, const QString& caption, const char* name, int x, int width);
    void connectFiles();
    void showScriptName(const QString& name);
    void centreOnScreen();
    // The notice line makes room on its right for the capture buttons "Foto" and "GIF".
    void placeCaptureButtons();
    void endRunningScript();
    void afterRun();
    // Writes the settings file and the script; on failure writes the recovery copy and, when
    // `mayAsk`, asks whether to close anyway. True when the window may close.
    bool shutdown(bool mayAsk);
    bool askCloseAnyway(const QString& question);
    SaveAnswer askToSave(const QString& documentName);
    void reportCaret(int line);
    bool handleKey(QKeyEvent* event);
    // The mouse over `Tela` and Enter in the input box, handed to the engine. Either may start
    // a run when none is active.
    void connectScreen();
    bool hotspotsActive() const;
    void screenMouseMoved(QPoint point);
    void screenMousePressed(Qt::MouseButton button, QPoint point);
    void screenMouseReleased(QPoint point);
    void inputConfirmed(const QString& text);
    void deliverToRun(const std::function<void()>& event);
    void tellUser(const QString& message);
    // The window's side of the screen modes, called by the engine through the host.
    DisplaySize displaySize() const;
    void showFullScreenPage(const FullScreenLayout& layout);
    void showNormalPage();
    WindowHooks windowHooks();

    Engine m_engine;
    std::unique_ptr<StudioHost> m_host;
    PageContext m_context;
    StudioFiles* m_files = nullptr;
    bool m_errorBoxes = true;
    bool m_shutDown = false;
    bool m_fullScreen = false;
    bool m_unattended = false;
    std::function<bool(const QString&)> m_closeQuestion;
    SaveQuestion m_saveQuestion;

    QStackedWidget* m_outer = nullptr;  // Abok0
    QWidget* m_skinPage = nullptr;
    QWidget* m_fullScreenPage = nullptr;   // Modo4
    QWidget* m_screenPanel = nullptr;      // PanTel
    ScreenView* m_screen = nullptr;        // Tela
    QStackedWidget* m_notebook = nullptr;  // Abook
    ScriptEditor* m_editor = nullptr;
    LoadPage* m_loadPage = nullptr;
    RegisterPage* m_registerPage = nullptr;
    AliasPage* m_aliasPage = nullptr;
    DrawingPage* m_drawingPage = nullptr;
    PlotMatrixPage* m_matrixPage = nullptr;
    BuffersPage* m_buffersPage = nullptr;
    ColourConverters* m_converters = nullptr;
    TileMapPage* m_tileMapPage = nullptr;
    SpritePage* m_spritePage = nullptr;
    QLabel* m_scriptLabel = nullptr;
    QLabel* m_lineLabel = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_versionLabel = nullptr;  // lbVersao
    QLabel* m_pointerX = nullptr;  // Lbx
    QLabel* m_pointerY = nullptr;  // Lby
    QLabel* m_stopCaption = nullptr;
    QLabel* m_runLed = nullptr;
    CloseButton* m_closeButton = nullptr;
    Debugger* m_debugger = nullptr;
    EditorAssist* m_assist = nullptr;
    WarningsPanel* m_warnings = nullptr;
    HelpPage* m_help = nullptr;
    bool m_startedFresh = false;
    ScreenCapture* m_capture = nullptr;
    ExportAction* m_export = nullptr;
};

}  // namespace ludomat
