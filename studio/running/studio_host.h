#pragma once
// The engine's host in the studio: turns what the engine reports into what the window shows.
// Views that follow the engine's state (line label, Stop/Cont caption, watch labels) are
// repainted from the state when messages run (at most every kViewRefreshIntervalMs), on pause,
// after a step and at the end of a run, never per executed line; the screen at most once a
// display frame while a run goes on.

#include "engine/engine.h"
#include "engine/host.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QStackedWidget;
class QTimer;

namespace ludomat {

class AliasPage;
class RegisterPage;
class ScriptEditor;
class ScreenView;
class StudioFiles;
class WatchPanel;

// The widgets the host drives; the window owns them.
struct StudioViews {
    ScriptEditor* editor = nullptr;
    QLabel* lineLabel = nullptr;    // lbLin
    QLabel* stopCaption = nullptr;  // Lb9
    QLabel* runLed = nullptr;       // Led2
    WatchPanel* watches = nullptr;
    RegisterPage* registers = nullptr;
    AliasPage* aliases = nullptr;
    ScreenView* screen = nullptr;
    QStackedWidget* notebook = nullptr;  // Abook
    StudioFiles* files = nullptr;
};

// What only the window itself can do: change its own layout for the full-screen mode.
struct WindowHooks {
    std::function<DisplaySize()> displaySize;
    std::function<void(const FullScreenLayout&)> enterFullScreen;
    std::function<void()> leaveFullScreen;
};

// What the host tells a run observer (the debugging aids follow runs this way).
enum class RunEvent { Started, Paused, Stepped };

class StudioHost : public Host {
public:
    // The frame-rate meter's timer ticks this often.
    static constexpr int kFrameRateIntervalMs = 1000;
    // While a run lets messages through, the labels follow its state at most this often: fast
    // enough to read, and a game refreshing every few hundred microseconds does not pay for it.
    static constexpr int kViewRefreshIntervalMs = 40;

    StudioHost(Engine& engine, const StudioViews& views, WindowHooks hooks);
    ~StudioHost() override;

    void processEvents() override;
    bool abortRequested() override { return m_closing; }
    void runStarted() override;
    void runEnded() override;
    void pausedAt(int line) override;
    void stepped(int nextLine) override;
    void scriptLoaded(const std::string& name) override;
    void showError(const RunError& error) override;
    void screenChanged() override;
    void showPage(std::string_view name) override;
    DisplaySize displaySize() override;
    void enterFullScreen(const FullScreenLayout& layout) override;
    void leaveFullScreen() override;
    void startFrameRateTimer(std::function<void()> tick) override;
    void stopFrameRateTimer() override;
    bool isFrameRateTimerActive() const;
    void inputBoxChanged(const InputBox& box) override;
    std::optional<ScreenPoint> mousePosition() override;
    void cursorChanged(int code) override;

    // Paints the line label, the Stop/Cont caption and the watch labels from the engine's state.
    void refreshView();
    // Selects a notebook page by its object name, ignoring case; false when there is none.
    bool selectPage(const QString& name);

    void setRunObserver(std::function<void(RunEvent)> observer) { m_runObserver = std::move(observer); }

    // Counts every run started, however it started (a click or Enter in the input box starts one).
    int runsStarted() const { return m_runsStarted; }

    // The window is closing: a running script must end, even inside a long wait.
    void setClosing(bool closing) { m_closing = closing; }

    // Tests read errors instead of answering a modal box.
    void setErrorBoxesEnabled(bool enabled) { m_errorBoxes = enabled; }
    const QString& lastErrorText() const { return m_lastErrorText; }
    // What the error box says about `error`; `scriptName` names the file the line belongs to.
    static QString errorText(const RunError& error, const QString& scriptName = {});

private:
    Engine& m_engine;
    StudioViews m_views;
    WindowHooks m_hooks;
    std::unique_ptr<QTimer> m_frameTimer;
    std::function<void()> m_frameTick;
    bool m_errorBoxes = true;
    bool m_closing = false;
    int m_runsStarted = 0;
    QString m_lastErrorText;
    QElapsedTimer m_sinceViewRefresh;
    std::function<void(RunEvent)> m_runObserver;
};

}  // namespace ludomat
