#include "engine/engine.h"

#include "engine/command_table.h"
#include "engine/error_messages.h"
#include "engine/params.h"
#include "engine/script_error.h"
#include "engine/script_files.h"
#include "engine/text_values.h"

#include <ctime>
#include <new>

namespace ludomat {

namespace {

// Line-counter offsets that end a run: "fim" moves past the end by 10, the Stop button by 100.
constexpr int kStopBeyond = 100;
// The run loop reads the clock every this many lines (a line that does slow work asks for a
// reading at once), so the reading costs well under a nanosecond a line.
constexpr int kLinesPerClockRead = 32;
// How often, at most, the host is asked whether the run must end: Stop, Esc and the time-out
// then act within a few tens of milliseconds.
constexpr int64_t kAbortCheckMs = 20;
// Lines between two readings that took this long are slow: the coarse clock ticks every 4 ms.
constexpr int64_t kSlowLinesMs = 4;

// Milliseconds of the kernel's coarse monotonic clock: a read of shared memory, no system call.
int64_t coarseMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::string withTrailingSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

Engine::Engine(Host* host) : m_host(host ? host : &m_nullHost) {}

void Engine::setGameFolder(std::string folder)
{
    m_gameFolder = withTrailingSlash(std::move(folder));
}

void Engine::setProgramFolder(std::string folder)
{
    m_programFolder = withTrailingSlash(std::move(folder));
}

void Engine::execute(std::string_view scriptName)
{
    m_textSettings.underlineWidth = 1;
    m_textSettings.underlineOffset = 0;
    m_hotspots.startRun();
    m_frameRate.startRun();
    m_state.registers.clear();
    m_state.lineCounter = 0;
    // A key tapped before the run is no answer to it.
    m_state.pressedKey = 0;
    m_state.pressedButton.clear();
    m_state.args.prm.clear();
    m_state.args.prx.clear();
    m_state.args.pry.clear();
    // Script names are kept without ".scp", as "gosub" stores them, so "return" to the first
    // script loads the right file.
    std::string name(scriptName);
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".scp") == 0) name.resize(name.size() - 4);
    m_state.currentScript = name;
    runScript(kFreshStart);
}

void Engine::startupBlock()
{
    if (!m_state.args.ptx.empty()) assignInt(m_state.registers.at(toIntStrict(m_state.args.ptx)), m_state.clickX);
    if (!m_state.args.pty.empty()) assignInt(m_state.registers.at(toIntStrict(m_state.args.pty)), m_state.clickY);
    m_state.stopCaption = StopCaption::Stop;
    m_state.pausedLine = -1;
    m_state.isRunning = true;
    m_state.returnLine = -1;
    if (m_inputBox.visible) {
        m_inputBox.visible = false;
        m_host->inputBoxChanged(m_inputBox);
    }
    m_screen.screenCanvas.moveTo(0, 0);
    m_host->runStarted();
}

void Engine::runScript(int startMarker)
{
    ++m_runDepth;
    m_lastError.reset();
    m_lastEvents = std::chrono::steady_clock::now();
    m_lastAbortCheck = m_lastClockRead = coarseMilliseconds();
    m_linesToClock = kLinesPerClockRead;
    try {
        if (startMarker == kFreshStart) startupBlock();
        runLines();
    } catch (const std::exception& e) {
        m_inQuickLines = false;
        // Also std::bad_alloc: memory that ran out ends the run with a message, not the program.
        failRun(errorAt(m_state.lineCounter, e));
        --m_runDepth;
        return;
    }
    endOfRun();
    --m_runDepth;
}

// The lines run outside the try block of runScript: in the web runtime every call made inside a
// try block goes out through JavaScript, so the loop and what it calls are kept out of it (and
// not inlined back into it).
[[gnu::noinline]] void Engine::runLines()
{
    // The line a run starts or resumes on is where it stood paused: it runs.
    bool resumed = true;
    while (m_state.lineCounter < m_script.lineCount()) {
        if (!resumed && breaksBefore(m_state.lineCounter) && pauseAtBreakpoint(m_state.lineCounter)) break;
        resumed = false;
#if defined(__EMSCRIPTEN__)
        if ((this->*s_quickLines)()) continue;
#endif
        m_shownLine = m_state.lineCounter;
        interpretLine(m_state.lineCounter);
        ++m_state.lineCounter;
        if (--m_linesToClock <= 0) checkClock();
    }
}

#if defined(__EMSCRIPTEN__)
bool (Engine::*Engine::s_quickLines)() = &Engine::runQuickLines;
#endif

// The web runtime rewrites runLines and all it calls so that a wait can stop it and resume it,
// which slows every line. Lines whose commands never wait (registers, jumps: the table says so)
// run here instead, as runLines and interpretLine would run them, in code that is never stopped.
// Returns before a line runLines must take: a command that may wait, a breakpoint, the clock's
// turn (one line before it comes due), the end. True when it ran any line.
LUDOMAT_OUTSIDE_RUN_LOOP bool Engine::runQuickLines()
{
    bool ran = false;
    for (;;) {
        const int index = m_state.lineCounter;
        const int lineCount = m_script.lineCount();
        if (index >= lineCount || m_linesToClock <= 1 || (ran && breaksBefore(index))) return ran;
        ParsedLine& line = m_script.parsedForDispatch(index);
        if (line.kind == LineKind::Command) {
            if (!line.handlerResolved) resolveHandler(line);
            if (!line.handlerNeverWaits) return ran;
        }
        ran = true;
        m_shownLine = index;
        --m_linesToClock;
        if (line.kind != LineKind::Command) {
            ++m_state.lineCounter;
            continue;
        }
        loadParams(line);
        const ParsedLine* outer = m_dispatching;
        m_jumpPending = false;
        m_dispatching = &line;
        m_dispatchingVersion = m_script.version();
        m_inQuickLines = true;
        line.handler(*this);
        m_inQuickLines = false;
        m_dispatching = outer;
        if (!m_jumpPending) {
            ++m_state.lineCounter;
            continue;
        }
        m_jumpPending = false;
        const int target = jumpTarget(line);
        // No such label: on to the next line. A label on the last line ends the run one past
        // the end, where runLines leaves the counter too.
        if (target < 0)
            ++m_state.lineCounter;
        else
            m_state.lineCounter = target + 1 < lineCount ? target + 1 : target + 2;
    }
}

LUDOMAT_OUTSIDE_RUN_LOOP void Engine::resolveHandler(ParsedLine& line)
{
    const CommandInfo* info = CommandTable::instance().info(line.word);
    line.handler = info ? info->handler : nullptr;
    line.handlerNeverWaits = info && info->neverWaits && info->handler;
    line.handlerResolved = true;
}

RunError Engine::errorAt(int line, const std::exception& e) const
{
    if (auto* scriptError = dynamic_cast<const ScriptError*>(&e))
        return errorAt(line, scriptError->what(), scriptError->kind());
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return errorAt(line, errorText(ErrorMessage::OutOfMemory), ErrorKind::Other);
    return errorAt(line, errorText(ErrorMessage::Unexpected, e.what()), ErrorKind::Other);
}

RunError Engine::errorAt(int line, std::string message, ErrorKind kind) const
{
    RunError error;
    error.line = line;
    error.lineText = m_script.line(line);
    error.message = std::move(message);
    error.kind = kind;
    return error;
}

void Engine::endOfRun()
{
    m_state.isRunning = false;
    m_runToLine = -1;
    m_frameRate.endRun(*m_host);
    m_screen.refresh();
    m_host->screenChanged();
    m_host->runEnded();
}

void Engine::failRun(const RunError& error)
{
    m_lastError = error;
    m_shownLine = error.line;
    // An error ends every run, also an outer one waiting below a nested run.
    m_state.lineCounter = m_script.lineCount() + kStopBeyond;
    endOfRun();
    m_host->showError(error);
}

void Engine::checkClock()
{
    int64_t now = coarseMilliseconds();
    // Lines that took a clock tick or more since the last reading (slow drawing, say) are
    // followed one by one until they are quick again; a reading costs nothing beside them.
    m_linesToClock = now - m_lastClockRead >= kSlowLinesMs ? 1 : kLinesPerClockRead;
    m_lastClockRead = now;
    if (now - m_lastAbortCheck < kAbortCheckMs) return;
    m_lastAbortCheck = now;
    letEventsRunIfDue();
}

void Engine::letEventsRunIfDue()
{
    // A time-out or a closing window ends a busy run at once, not at the next message round.
    if (m_host->abortRequested()) {
        m_state.lineCounter = m_script.lineCount() + kStopBeyond;
        return;
    }
    auto now = std::chrono::steady_clock::now();
    if (now - m_lastEvents < kEventInterval) return;
    processEvents();
}

void Engine::processEvents()
{
    m_lastEvents = std::chrono::steady_clock::now();
    m_host->processEvents();
    if (m_host->abortRequested()) m_state.lineCounter = m_script.lineCount() + kStopBeyond;
}

LUDOMAT_OUTSIDE_RUN_LOOP void Engine::loadParams(const ParsedLine& line)
{
    m_state.viewCommandWord(line.word);
    if (!line.hasReference) {
        for (int i = 0; i < line.paramCount; ++i)
            m_state.viewParam(i + 1, line.params[size_t(i)], line.numbers[size_t(i)]);
    } else {
        // A register reference is read now, once: the command sees the text the register held
        // when its line was read.
        for (int i = 0; i < line.paramCount; ++i) {
            std::string_view raw = line.params[size_t(i)];
            if (!raw.empty() && raw[0] == '#') {
                std::string& store = m_state.paramStore(i + 1);
                int16_t reference = line.references[size_t(i)];
                if (reference >= 0)
                    assignText(store, m_state.registers[reference]);
                else
                    store.assign(raw.substr(1));
                if (store.size() >= kLargeText) noteSlowWork();
                m_state.viewParam(i + 1, store);
            } else {
                m_state.viewParam(i + 1, raw, line.numbers[size_t(i)]);
            }
        }
    }
    m_state.clearParamsFrom(line.paramCount);
}

bool Engine::moveToLine(int index)
{
    m_state.lineCounter = index;
    return index >= 0 && index < m_script.lineCount();
}

LUDOMAT_OUTSIDE_RUN_LOOP int Engine::jumpTarget(ParsedLine& line)
{
    if (m_jumpParam >= 0 && line.jumpKnown && line.jumpParam == m_jumpParam) {
        // The label is the same text of the line as last time: no need to compare it.
        return line.jumpTarget;
    }
    std::string_view label = m_state.param(1);
    line.jumpParam = m_jumpParam;
    if (line.jumpKnown && line.jumpLabel == label) return line.jumpTarget;
    line.jumpTarget = m_script.findLabel(label);
    line.jumpLabel.assign(label);
    line.jumpKnown = true;
    return line.jumpTarget;
}

void Engine::interpretLine(int index)
{
    for (;;) {
        ParsedLine& line = m_script.parsedForDispatch(index);
        if (line.kind != LineKind::Command) return;
        if (!line.handlerResolved) resolveHandler(line);
        loadParams(line);
        // A handler may start a nested run (a click, an input box) that dispatches lines of its
        // own or replaces the script: the line is used after its handler only when the script
        // is still the same one.
        const uint64_t version = m_script.version();
        const ParsedLine* outer = m_dispatching;
        m_jumpPending = false;
        m_dispatching = &line;
        m_dispatchingVersion = version;
        dispatch(line.handler);
        m_dispatching = outer;
        if (!m_jumpPending) return;

        // The jump: the line after the label runs at once, in this same call. Chains of jumps loop
        // here rather than recurse, and still let messages through so Stop can end them.
        m_jumpPending = false;
        int target = m_script.version() == version ? jumpTarget(line) : m_script.findLabel(m_state.param(1));
        if (target < 0) return;
        // A label on the last line: the line after it is past the end, and the run ends there.
        if (!moveToLine(target + 1)) return;
        index = target + 1;
        if (breaksBefore(index) && pauseAtBreakpoint(index)) return;
        if (--m_linesToClock <= 0) {
            checkClock();
            if (m_state.lineCounter != index) return;
        }
    }
}

void Engine::dispatch(CommandHandler handler)
{
    for (;;) {
        m_redispatch = false;
        if (handler) handler(*this);
        if (!m_redispatch) return;
        handler = CommandTable::instance().find(m_state.commandWord());
    }
}

void Engine::requestJump(std::string_view label)
{
    m_state.viewCommandWord("goto");
    m_jumpPending = true;
    // A label written on the line being dispatched is known by its place: it is viewed, not
    // copied, and the jump finds its target again without comparing texts.
    const bool sameScript = m_dispatching && m_dispatchingVersion == m_script.version();
    m_jumpParam = sameScript ? m_dispatching->params.indexOf(label) : -1;
    if (m_jumpParam >= 0) {
        m_state.viewParam(1, label);
        return;
    }
    if (label.data() != m_state.param(1).data() || label.size() != m_state.param(1).size()) m_state.setParam(1, label);
}

void Engine::pauseRun()
{
    int line = m_state.lineCounter;
    m_state.stopCaption = StopCaption::Cont;
    m_state.pausedLine = line;
    m_shownLine = line;
    m_host->pausedAt(line);
    processEvents();
    m_state.lineCounter = m_script.lineCount() + kStopBeyond;
}

void Engine::setBreakpoints(const std::vector<int>& lines)
{
    m_breakLines.clear();
    for (int line : lines) {
        if (line < 0) continue;
        if (size_t(line) >= m_breakLines.size()) m_breakLines.resize(size_t(line) + 1);
        m_breakLines[size_t(line)] = true;
    }
}

bool Engine::pauseAtBreakpoint(int line)
{
    // A single step (F1) runs its line whole, breakpoints or not.
    if (!breaksBefore(line) || !m_state.isRunning || m_state.stopCaption != StopCaption::Stop) return false;
    if (line == m_runToLine) m_runToLine = -1;
    m_state.lineCounter = line;
    pauseRun();
    return true;
}

void Engine::stopOrContinue()
{
    if (m_state.stopCaption == StopCaption::Stop) {
        pauseRun();
        return;
    }
    m_state.stopCaption = StopCaption::Stop;
    m_state.lineCounter = m_state.pausedLine;
    m_state.pausedLine = -1;
    m_frameRate.resume(*m_host, m_state.registers);
    runScript(kFreshStart);
}

void Engine::setCaretLine(int line)
{
    m_state.lineCounter = line;
    m_state.pausedLine = line;
    m_shownLine = line;
}

void Engine::stepLine()
{
    if (m_state.pausedLine > -1) m_state.lineCounter = m_state.pausedLine;
    if (m_state.lineCounter >= m_script.lineCount() || m_state.lineCounter < 0) return;

    int executed = m_state.lineCounter;
    m_state.currentLine.assign(trimBlanks(m_script.line(executed)));
    // A goto line shows its target while it is stepped over.
    if (m_state.currentLine.find("goto") != std::string::npos) {
        size_t blank = m_state.currentLine.find(' ');
        std::string label(1, ':');
        if (blank != std::string::npos) label.append(m_state.currentLine, blank + 1, 100);
        for (int i = 0; i < m_script.lineCount(); ++i) {
            if (trimBlanks(m_script.line(i)) == label) {
                m_state.lineCounter = i;
                break;
            }
        }
    }
    m_shownLine = m_state.lineCounter;
    if (m_state.currentLine.compare(0, 5, "break") != 0) {
        try {
            interpretLine(executed);
        } catch (const std::exception& e) {
            m_lastError = errorAt(executed, e);
            m_host->showError(*m_lastError);
            return;
        }
    }
    m_state.lineCounter += 1;
    m_state.pausedLine = m_state.lineCounter;
    m_shownLine = m_state.lineCounter;
    m_screen.refresh();
    m_host->stepped(m_state.lineCounter);
    processEvents();
}

}  // namespace ludomat
