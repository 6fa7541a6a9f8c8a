// The web runtime's host: the engine runs inside the page and hands the thread back to the
// browser every few milliseconds and in every wait (the build uses Asyncify, so a long loop or a
// "pausa" never blocks the page); the page's animation-frame loop shows the screen picture on
// the canvas; keys and the mouse come from the page; and whatever the script writes stays in the
// browser's storage for this game only.
#include "engine/engine.h"
#include "engine/host.h"
#include "engine/key_names.h"
#include "engine/script_files.h"
#include "graphics/canvas.h"
#include "graphics/cp1252.h"

#include <emscripten.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace ludomat {
namespace {

// The browser gets the thread back at least this often: between yields the engine runs
// untouched, at full speed; the page draws the screen at its own animation frames.
constexpr auto kYieldInterval = std::chrono::milliseconds(10);
// Shorter waits spin, since the browser's timers do not wake sooner than this.
constexpr auto kShortestTimerWait = std::chrono::milliseconds(4);
// How long a scripted click holds the button, as ludomat-run does.
constexpr long long kClickHoldMs = 30;

std::string toUtf8(const std::string& cp1252)
{
    std::string out;
    for (char c : cp1252) {
        const char32_t u = cp1252ToUnicode(static_cast<unsigned char>(c));
        if (u < 0x80) {
            out.push_back(char(u));
        } else if (u < 0x800) {
            out.push_back(char(0xC0 | (u >> 6)));
            out.push_back(char(0x80 | (u & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (u >> 12)));
            out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
            out.push_back(char(0x80 | (u & 0x3F)));
        }
    }
    return out;
}

}  // namespace
}  // namespace ludomat

// clang-format off
// Lets the browser run its queued work (input, drawing) and comes straight back.
EM_ASYNC_JS(void, ludomatYield, (), { await Module.ludomatYield(); });
// Hands the thread to the browser for `ms` milliseconds.
EM_ASYNC_JS(void, ludomatSleep, (double ms), { await Module.ludomatSleep(ms); });

EM_JS(void, ludomatPresent, (const void* pixels, int width, int height),
      { Module.ludomatPresent(pixels, width, height); });
EM_JS(void, ludomatShowError, (const char* text), { Module.ludomatShowError(UTF8ToString(text)); });
EM_JS(void, ludomatShowInputBox, (int visible, int left, int top, int width, int height, const char* text),
      { Module.ludomatShowInputBox(visible, left, top, width, height, UTF8ToString(text)); });
EM_JS(void, ludomatSetCursor, (int code), { Module.ludomatSetCursor(code); });
// clang-format on

namespace ludomat {
namespace {

// One input from the page or from a scripted run (the test's keys and clicks, with times).
struct PageEvent {
    enum Kind { KeyDown, KeyUp, Press, Release, Move, Type } kind = KeyDown;
    int key = 0;
    int x = 0;
    int y = 0;
    std::string text;
    bool addToOffered = false;
};

// Windows-1252 letters in capitals.
std::string upperCase(std::string text)
{
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
            c = static_cast<char>(byte - 0x20);
        else if (byte == 0xFF)
            c = static_cast<char>(0x9F);
        else if (byte == 0x9A || byte == 0x9C || byte == 0x9E)
            c = static_cast<char>(byte - 0x10);
    }
    return text;
}

class WebHost : public Host {
public:
    explicit WebHost() : m_start(std::chrono::steady_clock::now()) {}

    // Scripted input counts its times from here, as ludomat-run counts from its start.
    void attach(Engine* engine)
    {
        m_engine = engine;
        m_start = std::chrono::steady_clock::now();
    }
    long long elapsedMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start)
            .count();
    }
    void addEvent(long long atMs, PageEvent event) { m_events.emplace(atMs, std::move(event)); }
    bool hasEvents() const { return !m_events.empty(); }
    bool failed() const { return m_failed; }
    bool running() const { return m_running; }
    void runStarted() override { m_running = true; }
    void runEnded() override { m_running = false; }

    void processEvents() override
    {
        if (mustNotStop()) return;
        deliverDue();
        if (std::chrono::steady_clock::now() - m_lastYield < kYieldInterval) return;
        ludomatYield();
        afterBrowser();
    }

    void sleepFor(std::chrono::nanoseconds duration) override
    {
        if (duration >= kShortestTimerWait && !mustNotStop()) {
            ludomatSleep(std::chrono::duration<double, std::milli>(duration).count());
            afterBrowser();
            return;
        }
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
        }
    }

    // After the run: the page idles, taking input, until it is closed.
    void idle()
    {
        ludomatSleep(16);
        afterBrowser();
    }

    // The screen in the canvas's byte order (R, G, B, A), converted here, where the loop runs
    // four pixels at a time, rather than pixel by pixel in the page's script.
    // Only a screen the engine reported as changed is drawn again, as the desktop player repaints
    // it; `always` draws it anyway.
    void present(bool always)
    {
        if (!m_engine || (!always && !m_screenChanged)) return;
        const Bitmap& tela = m_engine->screen().tela;
        if (tela.isEmpty()) return;
        m_screenChanged = false;
        const std::size_t count = std::size_t(tela.width()) * std::size_t(tela.height());
        m_canvasPixels.resize(count);
        const std::uint32_t* from = tela.scanLine(0);
        std::uint32_t* to = m_canvasPixels.data();
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t p = from[i];
            to[i] = kOpaque | (p & 0x00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
        }
        ludomatPresent(to, tela.width(), tela.height());
    }

    void showError(const RunError& error) override
    {
        m_failed = true;
        std::string text = "Erro na linha " + std::to_string(error.line) + ": " + toUtf8(error.message);
        if (!error.lineText.empty()) text += "\n" + toUtf8(error.lineText);
        ludomatShowError(text.c_str());
    }
    void screenChanged() override { m_screenChanged = true; }
    DisplaySize displaySize() override { return {kBaseWidth, kBaseHeight}; }
    void startFrameRateTimer(std::function<void()> tick) override
    {
        m_frameTick = std::move(tick);
        m_lastTick = std::chrono::steady_clock::now();
    }
    void stopFrameRateTimer() override { m_frameTick = nullptr; }
    void inputBoxChanged(const InputBox& box) override
    {
        ludomatShowInputBox(box.visible, box.left, box.top, box.width, box.height, toUtf8(box.text).c_str());
    }
    std::optional<ScreenPoint> mousePosition() override { return m_pointer; }
    void cursorChanged(int code) override { ludomatSetCursor(code); }

private:
    // A command the table calls never-waiting runs outside the loop that can stop (see
    // Engine::runQuickLines): stopping there would wreck the run, so the wait is not given to the
    // browser, and the table's mistake is reported once.
    bool mustNotStop()
    {
        if (!m_engine || !m_engine->inQuickLines()) return false;
        if (!m_reportedQuickWait) std::fprintf(stderr, "ludomat: um comando marcado como sem espera quis esperar\n");
        m_reportedQuickWait = true;
        return true;
    }

    void afterBrowser()
    {
        m_lastYield = std::chrono::steady_clock::now();
        deliverDue();
        if (m_frameTick && m_lastYield - m_lastTick >= std::chrono::seconds(1)) {
            m_lastTick = m_lastYield;
            m_frameTick();
        }
    }

    // One event a round, as the desktop's message loop hands them over.
    void deliverDue()
    {
        if (m_events.empty() || m_events.begin()->first > elapsedMs()) return;
        PageEvent event = std::move(m_events.begin()->second);
        m_events.erase(m_events.begin());
        switch (event.kind) {
            case PageEvent::KeyDown:
                m_engine->keyDown(event.key);
                break;
            case PageEvent::KeyUp:
                m_engine->keyUp();
                break;
            case PageEvent::Move:
                m_pointer = ScreenPoint{event.x, event.y};
                m_engine->mouseMoved(event.x, event.y);
                break;
            case PageEvent::Press:
                m_pointer = ScreenPoint{event.x, event.y};
                m_engine->mouseMoved(event.x, event.y);
                m_engine->mousePressed(MouseButton::Left, event.x, event.y);
                break;
            case PageEvent::Release:
                m_engine->mouseReleased(event.x, event.y);
                break;
            case PageEvent::Type: {
                const InputBox& box = m_engine->inputBox();
                if (!box.visible) break;
                // Scripted typing adds to the offered text, as ludomat-run does; the page's own box
                // already holds it.
                std::string typed = box.upperCase ? upperCase(event.text) : event.text;
                m_engine->confirmInput(event.addToOffered ? box.text + typed : typed);
                break;
            }
        }
    }

    Engine* m_engine = nullptr;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastYield;
    std::chrono::steady_clock::time_point m_lastTick;
    std::multimap<long long, PageEvent> m_events;
    std::optional<ScreenPoint> m_pointer;
    std::function<void()> m_frameTick;
    std::vector<std::uint32_t> m_canvasPixels;
    bool m_screenChanged = true;
    bool m_failed = false;
    bool m_running = false;
    bool m_reportedQuickWait = false;
};

// The page may queue input before the game starts, so the host exists from the first call.
WebHost& host()
{
    static WebHost instance;
    return instance;
}
bool g_idle = false;

}  // namespace
}  // namespace ludomat

using ludomat::PageEvent;

extern "C" {

// Input from the page: at once (atMs < 0) or at a time from the start (a scripted run).
EMSCRIPTEN_KEEPALIVE void ludomat_key(int down, int virtualKey, int atMs)
{
    PageEvent e;
    e.kind = down ? PageEvent::KeyDown : PageEvent::KeyUp;
    e.key = virtualKey;
    ludomat::host().addEvent(atMs < 0 ? 0 : atMs, e);
}

// kind: 0 move, 1 press, 2 release, 3 a click (press, then release a moment later).
EMSCRIPTEN_KEEPALIVE void ludomat_mouse(int kind, int x, int y, int atMs)
{
    PageEvent e;
    e.x = x;
    e.y = y;
    const long long at = atMs < 0 ? 0 : atMs;
    e.kind = kind == 0 ? PageEvent::Move : kind == 2 ? PageEvent::Release : PageEvent::Press;
    ludomat::host().addEvent(at, e);
    if (kind == 3) {
        e.kind = PageEvent::Release;
        ludomat::host().addEvent(at + ludomat::kClickHoldMs, e);
    }
}

// Text typed into the input box (UTF-8), confirmed with Enter.
EMSCRIPTEN_KEEPALIVE void ludomat_type(const char* utf8, int atMs)
{
    PageEvent e;
    e.kind = PageEvent::Type;
    e.text = ludomat::utf8ToCp1252(utf8);
    e.addToOffered = atMs >= 0;
    ludomat::host().addEvent(atMs < 0 ? 0 : atMs, e);
}

// The virtual-key code of a key name as ludomat-run takes it ("Left", "A", "F5"), or 0.
EMSCRIPTEN_KEEPALIVE int ludomat_key_code(const char* name)
{
    return ludomat::keyCodeFromName(name).value_or(0);
}

// True once the first run has ended and no scripted input is left: the page is at rest.
EMSCRIPTEN_KEEPALIVE int ludomat_idle()
{
    return ludomat::g_idle && !ludomat::host().hasEvents() && !ludomat::host().running();
}

// Draws the screen picture on the page's canvas when it changed (or always, when `always` is
// set); the page calls it at each animation frame.
EMSCRIPTEN_KEEPALIVE void ludomat_present(int always)
{
    ludomat::host().present(always != 0);
}

// Runs the game: `folder` holds its files, `script` is the first one. Never returns while the
// page lives: after the run, clicks on links may start others.
EMSCRIPTEN_KEEPALIVE int ludomat_start(const char* folder, const char* script)
{
    ludomat::WebHost& host = ludomat::host();
    static ludomat::Engine engine(&host);
    host.attach(&engine);
    std::string gameFolder = folder;
    engine.setGameFolder(gameFolder);
    engine.setProgramFolder("");
    engine.setConfinedToGameFolder(true);
    std::string reason;
    auto lines = ludomat::readScriptFile(gameFolder + "/" + script, &reason);
    if (!lines) {
        std::string text = std::string("Não consegui ler o script ") + script + ": " + ludomat::toUtf8(reason);
        ludomatShowError(text.c_str());
        return 1;
    }
    engine.script().setLines(std::move(*lines));
    engine.execute(script);
    ludomat::g_idle = true;
    for (;;) host.idle();
}
}

int main()
{
    return 0;
}
