#pragma once
// What the engine asks of the window it runs in. The studio implements it with widgets;
// `ludomat-run` and the tests implement it headless. Every call has a do-nothing default.

#include "engine/script_error.h"

#include <string>
#include <string_view>

namespace ludomat {

class Host {
public:
    virtual ~Host() = default;

    // Let pending window messages run (clicks, keys, the Stop button, timers).
    virtual void processEvents() {}
    // True when the host wants the run ended at once (a time-out), even inside a wait that lets
    // no message through.
    virtual bool abortRequested() { return false; }

    // Run state changed: started, ended, or paused at a line (caption, indicator, editor).
    virtual void runStarted() {}
    virtual void runEnded() {}
    virtual void pausedAt(int /*line*/) {}
    // After a single step: select the line, refresh watches and the screen.
    virtual void stepped(int /*nextLine*/) {}
    // The engine replaced the script's lines by a file (chain, call, return); `name` has no ".scp".
    virtual void scriptLoaded(const std::string& /*name*/) {}
    // A run ended by an error: show it.
    virtual void showError(const RunError& /*error*/) {}
    // The picture of the run-time screen changed: repaint it.
    virtual void screenChanged() {}
    // Select a page of the tool notebook by name ("Fonte", "Regs", ...).
    virtual void showPage(std::string_view /*name*/) {}
};

}  // namespace ludomat
