// libFuzzer target for the line parser and the interpreter: the input bytes are a script.
//
// Each input is split into lines as a script file is read, every line is parsed and its raw
// parameters go through the register reader and both alias resolvers, then the whole script runs
// as the run button runs it, in an engine reset to its start state (only the pixels stay) and a
// game folder of its own under /tmp. The host ends every run after a few message rounds or a few
// milliseconds, so endless loops end.
// A crash, a sanitizer report or a broken run invariant (a trap) is a finding.
//
// Its mutator knows what a script is made of: besides libFuzzer's byte changes, it adds lines
// drawn from the command table (commands with parameters of every kind, jumps, calls, labels),
// drops, swaps and duplicates lines, puts labels on the first and last line, swaps a command
// word for another and changes the line ends, so the search reaches structures (a jump to the
// last line, a call into a chained script) that byte changes seldom build.

#include "engine/engine.h"
#include "engine/frame_rate_meter.h"
#include "engine/hotspot_table.h"
#include "engine/params.h"
#include "engine/script.h"
#include "engine/script_files.h"
#include "engine/text_renderer.h"
#include "engine/text_values.h"
#include "tests/tools/script_generator.h"

#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A run may let messages through this often before the host asks it to end, and may last this
// long; waits let messages through every step, so they end after a few rounds.
constexpr int kMaxEventRounds = 4;
constexpr auto kMaxRunTime = std::chrono::milliseconds(5);

// The name the fuzzed script is saved under, as the run button saves the editor's text.
constexpr const char* kScriptName = "fuzz";

class FuzzHost : public ludomat::Host {
public:
    void restart()
    {
        m_rounds = 0;
        m_start = Clock::now();
    }
    void processEvents() override { ++m_rounds; }
    bool abortRequested() override { return m_rounds >= kMaxEventRounds || Clock::now() - m_start > kMaxRunTime; }

private:
    int m_rounds = 0;
    Clock::time_point m_start = Clock::now();
};

std::filesystem::path g_gameFolder;
QGuiApplication* g_app = nullptr;
FuzzHost g_host;
// One engine for all inputs, as the studio keeps one for the whole session: a new one costs tens of
// milliseconds (its pictures and fonts). LUDOMAT_FUZZ_FRESH_ENGINE=1 makes one per input, to
// replay a finding that might depend on the pixels an earlier input left.
std::unique_ptr<ludomat::Engine> g_engine;
bool g_freshEngine = false;

void writeFile(const std::filesystem::path& path, std::string_view text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
}

// Scripts that "script", "gosub" and "return" can find by name; most other names are missing.
void fillGameFolder()
{
    writeFile(g_gameFolder / "sub.scp", "reg= 1,in sub\r\nreturn\r\nreg= 1,after return\r\n");
    writeFile(g_gameFolder / "chain.scp", "reg= 2,skipped\r\nreg= 2,chained\r\ngosub sub\r\nfim\r\n");
    writeFile(g_gameFolder / "loop.scp", ":a\r\ninc 3\r\ngoto a\r\n");
    writeFile(g_gameFolder / "back.scp", "script fuzz&Prm=1&Prx=2\r\n");
    writeFile(g_gameFolder / "empty.scp", "");
    writeFile(g_gameFolder / "end.scp", "goto fim\r\ninc 4\r\n:fim\r\n");
    std::filesystem::create_directories(g_gameFolder / "dir.scp");  // exists, cannot be read
    // Pictures, a tile strip, maps and a broken picture for the commands that read them.
    QImage sheet(128, 32, QImage::Format_RGB32);
    sheet.fill(QColor(255, 0, 255));
    for (int i = 0; i < 4; ++i)
        for (int y = 4; y < 28; ++y)
            for (int x = 4; x < 28; ++x) sheet.setPixel(i * 32 + x, y, qRgb(60 * i, 200, 255 - 60 * i));
    auto save = [](const QImage& image, const char* name) {
        image.save(QString::fromStdString((g_gameFolder / name).string()));
    };
    save(sheet, "sheet.png");
    save(sheet.copy(0, 0, 64, 16), "tiles.png");
    save(sheet.copy(0, 0, 64, 32), "quadro.bmp");
    std::ifstream png(g_gameFolder / "sheet.png", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(png)), {});
    writeFile(g_gameFolder / "quebrada.png", bytes.substr(0, bytes.size() / 2));
    writeFile(g_gameFolder / "mapa.tlm", "00010203\r\n01020300\r\n02030001\r\n");
    writeFile(g_gameFolder / "ruim.tlm", "0G01\n1\n");
}

// The names the mutator draws from: what fillGameFolder wrote, and a few missing ones.
ludomat::gen::GameFolderNames fuzzFolderNames()
{
    ludomat::gen::GameFolderNames names;
    names.scripts = {"sub", "chain", "end", "fuzz", "back"};
    names.fixedScripts = {"loop", "empty", "dir"};
    names.pictures = {"sheet.png", "tiles.png", "quadro.bmp", "quebrada.png", "nada.png", "dir.scp"};
    names.maps = {"mapa.tlm", "ruim.tlm", "nada.tlm"};
    return names;
}

void removeGameFolder()
{
    std::error_code ec;
    if (!g_gameFolder.empty()) std::filesystem::remove_all(g_gameFolder, ec);
}

// The parser and the parameter readers on their own, line by line, with the engine's registers
// and aliases as the script left them.
void parseEveryLine(ludomat::Engine& engine)
{
    ludomat::Script& script = engine.script();
    const ludomat::EngineState& state = engine.state();
    std::string resolved;
    for (int i = 0; i < script.lineCount(); ++i) {
        const ludomat::ParsedLine& cached = script.parsed(i);
        std::string_view trimmed = ludomat::trimBlanks(script.line(i));
        if (cached.kind != ludomat::LineKind::Command) {
            // A command line is one that is neither blank, a comment nor a label.
            if (!trimmed.empty() && trimmed[0] != '/' && trimmed[0] != ':') __builtin_trap();
            continue;
        }
        ludomat::ParsedLine fresh;
        ludomat::parseCommandLine(trimmed, fresh);
        // The cached parse and a fresh one of the same text agree.
        if (fresh.word != cached.word || fresh.paramCount != cached.paramCount) __builtin_trap();
        if (fresh.paramCount > ludomat::kMaxParams) __builtin_trap();
        for (int p = 0; p < fresh.paramCount; ++p) {
            const std::string raw(fresh.params[size_t(p)]);
            if (raw != cached.params[size_t(p)]) __builtin_trap();
            ludomat::readParam(state.registers, raw, resolved);
            // Register references only ever read registers; a plain text passes unchanged.
            if ((raw.empty() || raw[0] != '#') && resolved != raw) __builtin_trap();
            for (std::string_view text : {std::string_view(raw), std::string_view(resolved)}) {
                std::string_view index = ludomat::resolveIndex(state, text);
                if (text.empty() || text[0] != '$') {
                    if (index != text) __builtin_trap();
                }
                try {
                    (void)ludomat::resolveValue(state, text);
                } catch (const ludomat::ScriptError& e) {
                    // The one error a value can raise: an alias naming no register.
                    if (e.kind() != ludomat::ErrorKind::Index) __builtin_trap();
                }
            }
        }
    }
}

ludomat::Engine& engineForInput()
{
    if (g_freshEngine || !g_engine) {
        g_engine.reset();  // the old one goes first, so two never coexist
        g_engine = std::make_unique<ludomat::Engine>(&g_host);
        g_engine->setGameFolder(g_gameFolder.string());
        g_engine->setProgramFolder(g_gameFolder.string());
        return *g_engine;
    }
    // Everything a run depends on starts as at program start; only the pixels stay.
    ludomat::Engine& engine = *g_engine;
    engine.state() = ludomat::EngineState{};
    engine.plots() = ludomat::PlotMatrix{};
    engine.plotSettings() = ludomat::PlotSettings{};
    engine.textSettings() = ludomat::TextSettings{};
    engine.hotspots() = ludomat::HotspotTable{};
    engine.textBox() = ludomat::TextBoxRect{};
    engine.textBuffer().clear();
    engine.frameRate() = ludomat::FrameRateMeter{};
    engine.screen().returnToBaseSize();
    return engine;
}

}  // namespace

// Fontconfig keeps a few blocks for the life of the process; they are not ours to free.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Text needs fonts and fonts need a GUI application; no display is needed.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string runtime = "/tmp/ludomat-fuzz-runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    // Its own arguments: the application would take the options it knows out of the fuzzer's.
    static int appArgc = 1;
    static char appName[] = "script_fuzzer";
    static char* appArgv[] = {appName, nullptr};
    g_app = new QGuiApplication(appArgc, appArgv);
    const char* fresh = std::getenv("LUDOMAT_FUZZ_FRESH_ENGINE");
    g_freshEngine = fresh && std::string_view(fresh) == "1";

    // The game folder: under LUDOMAT_FUZZ_TMP when it names a folder in /tmp (run_fuzzer.sh gives
    // its run folder, which it cleans), else in /tmp itself. libFuzzer ends without exit handlers
    // after a finding, so the folder can outlive the process.
    std::string parent = "/tmp";
    if (const char* chosen = std::getenv("LUDOMAT_FUZZ_TMP"); chosen && std::string_view(chosen).starts_with("/tmp/"))
        parent = chosen;
    std::string folder = parent + "/ludomat-fuzz-XXXXXX";
    if (!mkdtemp(folder.data())) std::abort();
    g_gameFolder = folder;
    fillGameFolder();
    std::atexit(removeGameFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Long scripts add little a shorter one cannot reach, and slow the search down.
    if (size > 4096) return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines = ludomat::splitScriptText(bytes);

    // The run button saves the script before it runs, so "return" to it reads it back.
    writeFile(g_gameFolder / (std::string(kScriptName) + ".scp"), bytes);

    ludomat::Engine& engine = engineForInput();
    engine.script().setLines(lines);
    parseEveryLine(engine);

    g_host.restart();
    engine.execute(kScriptName);
    // However a run ends (its end, "fim", an error, the host's time-out), the loop is left with the
    // line counter past the last line and nothing still running.
    if (engine.runDepth() != 0 || engine.state().isRunning) __builtin_trap();
    if (engine.state().lineCounter < engine.script().lineCount()) __builtin_trap();

    // A run paused by "break": continue it once, and step a few lines, as the user would.
    if (engine.state().pausedLine >= 0) {
        g_host.restart();
        engine.stopOrContinue();
        for (int i = 0; i < 3; ++i) {
            g_host.restart();
            engine.stepLine();
        }
    }
    parseEveryLine(engine);
    return 0;
}

namespace {

// The script's lines and the line end it uses most, so a mutated script keeps its style.
struct ScriptLines {
    std::vector<std::string> lines;
    std::string end = "\r\n";
    bool endsWithNewline = true;
};

ScriptLines splitForMutation(std::string_view bytes)
{
    ScriptLines out;
    out.lines = ludomat::splitScriptText(bytes);
    if (bytes.find("\r\n") == std::string_view::npos)
        out.end = bytes.find('\r') != std::string_view::npos ? "\r" : "\n";
    out.endsWithNewline = !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r');
    return out;
}

std::vector<std::string> labelsOf(const std::vector<std::string>& lines)
{
    std::vector<std::string> labels;
    for (const auto& line : lines) {
        std::string_view trimmed = ludomat::trimBlanks(line);
        if (!trimmed.empty() && trimmed[0] == ':') labels.emplace_back(trimmed.substr(1));
    }
    if (labels.empty()) labels = {"a", "b"};
    return labels;
}

// One structural change of the lines; false when it changed nothing.
bool mutateLines(ludomat::gen::ScriptGenerator& g, ScriptLines& script)
{
    std::vector<std::string>& lines = script.lines;
    const size_t n = lines.size();
    g.setLabels(labelsOf(lines));
    switch (g.below(10)) {
        case 0:  // a new line anywhere
        case 1:
            lines.insert(lines.begin() + long(g.below(n + 1)), g.anyLine());
            return true;
        case 2:
            lines.insert(lines.begin() + long(g.below(n + 1)), g.jumpLine());
            return true;
        case 3:  // a label on the first or the last line, or anywhere
        {
            std::string label = ":" + g.label();
            size_t where = g.chance(40) ? n : g.chance(30) ? 0 : g.below(n + 1);
            lines.insert(lines.begin() + long(where), label);
            return true;
        }
        case 4:
            if (n == 0) return false;
            lines.erase(lines.begin() + long(g.below(n)));
            return true;
        case 5:
            if (n < 2) return false;
            std::swap(lines[g.below(n)], lines[g.below(n)]);
            return true;
        case 6:
            if (n == 0) return false;
            {
                size_t from = g.below(n);
                std::string copy = lines[from];
                lines.insert(lines.begin() + long(g.below(n + 1)), copy);
            }
            return true;
        case 7:  // another command word, the parameters kept
        {
            if (n == 0) return false;
            std::string& line = lines[g.below(n)];
            size_t blank = line.find(' ');
            line = g.pick(g.shapes()).word + (blank == std::string::npos ? std::string() : line.substr(blank));
            return true;
        }
        case 8:  // a parameter of another kind
        {
            if (n == 0) return false;
            std::string& line = lines[g.below(n)];
            size_t comma = line.rfind(g.chance(50) ? ',' : ' ');
            if (comma == std::string::npos) return false;
            line = line.substr(0, comma + 1) + g.param(ludomat::gen::ParamKind(g.below(ludomat::gen::kParamKinds)));
            return true;
        }
        default:  // other line ends
            script.end = g.pick(std::vector<std::string>{"\r\n", "\n", "\r"});
            script.endsWithNewline = g.chance(50);
            return true;
    }
}

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    static ludomat::gen::ScriptGenerator generator(0, fuzzFolderNames());
    generator.random().seed(seed);
    // A third of the time the bytes change as libFuzzer changes them: odd bytes inside lines.
    if (generator.chance(33)) return LLVMFuzzerMutate(data, size, maxSize);
    ScriptLines script = splitForMutation(std::string_view(reinterpret_cast<const char*>(data), size));
    for (size_t i = 0, rounds = 1 + generator.below(3); i < rounds; ++i) mutateLines(generator, script);
    std::string out;
    for (size_t i = 0; i < script.lines.size(); ++i) {
        out += script.lines[i];
        if (i + 1 < script.lines.size() || script.endsWithNewline) out += script.end;
    }
    if (out.size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
    std::copy(out.begin(), out.end(), data);
    return out.size();
}
