#pragma once
// The engine's host in the studio: turns what the engine reports into what the window shows.
// Views that follow the engine's state (line label, Stop/Cont caption, watch labels) are
// repainted from the state when messages run, on pause, after a step and at the end of a run,
// never per executed line.

#include "engine/engine.h"
#include "engine/host.h"

#include <QString>

class QLabel;
class QStackedWidget;

namespace ludomat {

class ScriptEditor;
class ScreenView;
class WatchPanel;

// The widgets the host drives; the window owns them.
struct StudioViews {
    ScriptEditor* editor = nullptr;
    QLabel* lineLabel = nullptr;    // lbLin
    QLabel* stopCaption = nullptr;  // Lb9
    QLabel* runLed = nullptr;       // Led2
    WatchPanel* watches = nullptr;
    ScreenView* screen = nullptr;
    QStackedWidget* notebook = nullptr;  // Abook
};

class StudioHost : public Host {
public:
    StudioHost(Engine& engine, const StudioViews& views);

    void processEvents() override;
    bool abortRequested() override { return m_closing; }
    void runStarted() override;
    void runEnded() override;
    void pausedAt(int line) override;
    void stepped(int nextLine) override;
    void scriptLoaded(const std::string& name) override;
    void showError(const RunError& error) override;
    void showPage(std::string_view name) override;

    // Paints the line label, the Stop/Cont caption and the watch labels from the engine's state.
    void refreshView();
    // Selects a notebook page by its object name, ignoring case; false when there is none.
    bool selectPage(const QString& name);

    // The window is closing: a running script must end, even inside a long wait.
    void setClosing(bool closing) { m_closing = closing; }

    // Tests read errors instead of answering a modal box.
    void setErrorBoxesEnabled(bool enabled) { m_errorBoxes = enabled; }
    const QString& lastErrorText() const { return m_lastErrorText; }
    // What the error box says about `error`.
    static QString errorText(const RunError& error);

private:
    Engine& m_engine;
    StudioViews m_views;
    bool m_errorBoxes = true;
    bool m_closing = false;
    QString m_lastErrorText;
};

}  // namespace ludomat
