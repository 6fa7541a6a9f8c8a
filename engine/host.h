#pragma once
// What the engine asks of the window it runs in. The studio implements it with widgets;
// `ludomat-run` and the tests implement it headless. Every call has a do-nothing default.

#include "engine/input_box.h"
#include "engine/script_error.h"
#include "graphics/colour.h"
#include "graphics/screen_geometry.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace ludomat {

// A point on the run-time screen picture, in its pixels.
struct ScreenPoint {
    int x = 0;
    int y = 0;
};

struct DisplaySize {
    int width = kBaseWidth;
    int height = kBaseHeight;
};

// Where the full-screen mode puts the screen: a width x height picture at (left, top) of a
// black window covering the display, on a panel of the paper colour.
struct FullScreenLayout {
    int left = 0;
    int top = 0;
    int width = kBaseWidth;
    int height = kBaseHeight;
    Rgb panelColour = 0x000000;
};

class Host {
public:
    virtual ~Host() = default;

    // Let pending window messages run (clicks, keys, the Stop button, timers).
    virtual void processEvents() {}
    // A wait of the script ("pausa", "stop", "scanplot"): the thread sleeps; a host inside a
    // page instead hands the time to the browser.
    virtual void sleepFor(std::chrono::nanoseconds duration) { std::this_thread::sleep_for(duration); }
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

    // The size the main window has when maximised (borderless, so the whole display); the
    // full-screen mode scales the screen to fit it.
    virtual DisplaySize displaySize() { return {}; }
    // Screen mode 4: show the full-screen page with the screen picture placed as given (its
    // bitmap already has that size), maximised. Mode 1: back to the normal page and window.
    virtual void enterFullScreen(const FullScreenLayout& /*layout*/) {}
    virtual void leaveFullScreen() {}
    // The frame-rate meter's one-second timer: call `tick` from the message loop every 1000 ms
    // (a precise timer, so a one-second wait loop sees every tick) until stopped. Starting again
    // replaces the callback.
    virtual void startFrameRateTimer(std::function<void()> /*tick*/) {}
    virtual void stopFrameRateTimer() {}

    // The input box was shown (box.visible: place it, style it, fill in box.text and give it
    // the keyboard focus) or hidden.
    virtual void inputBoxChanged(const InputBox& /*box*/) {}
    // Where the pointer is, relative to the top-left corner of the screen panel, or nothing
    // when the host cannot tell ("getmouse" then stores -1).
    virtual std::optional<ScreenPoint> mousePosition() { return std::nullopt; }
    // The pointer moved onto or off a hotspot: show the cursor of that code (0..11, 0 = arrow).
    virtual void cursorChanged(int /*code*/) {}
};

}  // namespace ludomat
