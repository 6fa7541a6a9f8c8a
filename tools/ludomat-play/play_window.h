#pragma once
// The window of the exported player: the run-time screen alone, no editor. Keys and the mouse
// reach the game as in the studio; Esc leaves; the full-screen mode fills the display.

#include "engine/engine.h"
#include "tools/headless_host.h"

#include <QWidget>

namespace ludomat {

class ScreenView;
class PlayWindow;

// The player's host: the headless host's clock, time-out and scripted input, plus the window.
class PlayHost : public HeadlessHost {
public:
    explicit PlayHost(PlayWindow& window) : m_window(window) {}
    void processEvents() override;
    bool abortRequested() override;
    void showError(const RunError& error) override;
    void screenChanged() override;
    DisplaySize displaySize() override;
    void enterFullScreen(const FullScreenLayout& layout) override;
    void leaveFullScreen() override;
    void inputBoxChanged(const InputBox& box) override;
    std::optional<ScreenPoint> mousePosition() override;
    // Error boxes are shown unless the player runs for a test or a terminal.
    void setErrorBoxes(bool shown) { m_errorBoxes = shown; }

private:
    PlayWindow& m_window;
    bool m_errorBoxes = true;
};

class PlayWindow : public QWidget {
    Q_OBJECT
public:
    PlayWindow();
    ~PlayWindow() override;

    Engine& engine() { return m_engine; }
    PlayHost& host() { return m_host; }
    ScreenView& screen() { return *m_screen; }
    // Esc or closing the window: the run ends and the player quits.
    bool isLeaving() const { return m_leaving; }
    void leave();

    void showFullScreenLayout(const FullScreenLayout& layout);
    void showNormalLayout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void deliver(const std::function<void()>& event);

    PlayHost m_host;
    Engine m_engine;
    QWidget* m_panel = nullptr;
    ScreenView* m_screen = nullptr;
    bool m_leaving = false;
};

}  // namespace ludomat
