#pragma once
// The studio's main window: the run-time screen on the left, the tool notebook on the right and
// the run buttons along the bottom. It owns the engine and is the engine's host.

#include "engine/engine.h"
#include "studio/studio_host.h"

#include <QPoint>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace ludomat {

class CloseButton;
class ScreenView;
class ScriptEditor;
class WatchPanel;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 1414;
    static constexpr int kHeight = 526;
    // The first text a new script holds.
    static const QString kFirstLine;

    // `programFolder` empty: the executable's folder when writable, else the user's data folder.
    explicit MainWindow(const QString& programFolder = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    Engine& engine() { return m_engine; }
    StudioHost& host() { return *m_host; }
    ScriptEditor& editor() { return *m_editor; }

    // Folders end with "/".
    const QString& programFolder() const { return m_programFolder; }
    const QString& gameFolder() const { return m_gameFolder; }
    const QString& scriptName() const { return m_scriptName; }
    QString scriptPath() const { return m_gameFolder + m_scriptName; }

    // The buttons and keys, callable from code.
    void execute();          // "Executar"
    void stopOrContinue();   // "Stop"/"Cont"
    void stepLine();         // F1
    bool showPage(const QString& name);
    // The close button; closing ends a running script first and saves the editor's lines.
    void closeStudio();

    // Writes the editor's lines to GameFolder + ScriptName; false (after telling the user) on failure.
    bool saveScript();
    // Pushes the editor's lines into the engine when the user changed them.
    void syncScript();

    // Tests read errors instead of answering a modal box.
    void setErrorBoxesEnabled(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildHeader();
    void buildNotebook();
    void buildButtons();
    QPushButton* addButton(const QString& caption, const char* name, int x, int width);
    void loadStartScript();
    void centreOnScreen();
    void endRunningScript();
    void reportCaret(int line);
    void tellUser(const QString& message);

    Engine m_engine;
    std::unique_ptr<StudioHost> m_host;
    QString m_programFolder;
    QString m_gameFolder;
    QString m_scriptName = "prog01.scp";
    bool m_errorBoxes = true;

    ScreenView* m_screen = nullptr;
    QStackedWidget* m_notebook = nullptr;
    ScriptEditor* m_editor = nullptr;
    WatchPanel* m_watches = nullptr;
    QLabel* m_scriptLabel = nullptr;
    QLabel* m_lineLabel = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_stopCaption = nullptr;
    QLabel* m_runLed = nullptr;
    CloseButton* m_closeButton = nullptr;

    bool m_dragging = false;
    QPoint m_dragOffset;
};

}  // namespace ludomat
