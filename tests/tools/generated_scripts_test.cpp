// Thousands of scripts made from the command table run through the engine; each must end in an
// orderly way (its end, "fim", a ScriptError, the time-out), never by a crash, a sanitizer
// report, a hang or an exception that escapes the engine.
//
// The scripts run in a worker process (this program started again with --worker), so a crash
// ends only the worker: the test then knows which case it was on, makes it again from its seed
// and shrinks it, line by line, to the shortest script that still fails (--replay runs one case
// from a folder). A fixed seed runs every time, plus one fresh seed printed in the log;
// LUDOMAT_GENERATED_SEED=N runs seed N alone.

#include "engine/engine.h"
#include "engine/frame_rate_meter.h"
#include "engine/script_files.h"
#include "engine/text_values.h"
#include "script_generator.h"
#include "tools/headless_host.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <set>

namespace fs = std::filesystem;
using namespace ludomat;
using Clock = std::chrono::steady_clock;

namespace {

#ifdef LUDOMAT_SANITIZED
// The sanitizers make every line several times slower: fewer scripts, more time each.
constexpr int kFixedSeedCases = 500;
constexpr int kFreshSeedCases = 250;
constexpr int kSlowdown = 6;
#else
constexpr int kFixedSeedCases = 3000;
constexpr int kFreshSeedCases = 1500;
constexpr int kSlowdown = 1;
#endif
constexpr uint64_t kFixedSeed = 20261207;
// A script may let messages through this often, and last this long, before the host ends it.
constexpr int kMaxEventRounds = 4;
constexpr auto kRunBudget = std::chrono::milliseconds(8 * kSlowdown);
// A case that outlasts its budget this much ignored the time-out: a hang.
constexpr auto kHangTime = std::chrono::milliseconds(1500 * kSlowdown);
// Exit code of a worker that saw a broken run invariant, a hang or an escaped exception.
constexpr int kFailedCase = 3;
// Times a replay runs its case in one worker.
constexpr int kReplayRuns = 5;

// The case `index` of `seed`: its own generator, so any case is made again on its own.
struct GeneratedCase {
    std::string main;
    std::string g1;
    std::string g2;
    bool confined = false;
};

GeneratedCase makeCase(uint64_t seed, int index)
{
    gen::ScriptGenerator generator(seed * 0x9E3779B97F4A7C15ull + uint64_t(index));
    GeneratedCase out;
    out.g1 = generator.fileText(generator.script(1 + generator.below(8)));
    out.g2 = generator.fileText(generator.script(1 + generator.below(8)));
    out.main = generator.fileText(generator.script(1 + generator.below(25)));
    out.confined = index % 2 == 1;
    return out;
}

void writeFile(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeCase(const fs::path& folder, const GeneratedCase& c)
{
    writeFile(folder / "main.scp", c.main);
    writeFile(folder / "g1.scp", c.g1);
    writeFile(folder / "g2.scp", c.g2);
    writeFile(folder / "confined", c.confined ? "1" : "0");
}

// --- the worker ---

// Real pictures from the shared ones where they are, else made here; a sheet of four frames,
// a tile strip, a broken picture, maps good and bad, fixed scripts and a folder named like one.
void fillGameFolder(const fs::path& folder)
{
    QImage sheet(128, 32, QImage::Format_RGB32);
    sheet.fill(QColor(255, 0, 255));
    QPainter painter(&sheet);
    for (int i = 0; i < 4; ++i) painter.fillRect(i * 32 + 4, 4, 24, 24, QColor::fromHsv(i * 80, 200, 220));
    painter.end();
    sheet.save(QString::fromStdString((folder / "sheet.png").string()));
    sheet.copy(0, 0, 64, 16).save(QString::fromStdString((folder / "tiles.png").string()));
    sheet.copy(0, 0, 64, 32).save(QString::fromStdString((folder / "quadro.bmp").string()));
    std::string png = readFile(folder / "sheet.png");
    writeFile(folder / "quebrada.png", png.substr(0, png.size() / 2));
    const std::pair<const char*, const char*> kShared[] = {{"png/basn2c08.png", "real1.png"},
                                                           {"jpeg/jpg-size-33x33.jpg", "real2.jpg"},
                                                           {"gif/solid2.gif", "real3.gif"},
                                                           {"bmp/g/pal8.bmp", "real4.bmp"}};
    for (const auto& [from, to] : kShared) {
        fs::path shared = fs::path(LUDOMAT_TEST_IMAGES) / from;
        std::error_code ec;
        if (!fs::copy_file(shared, folder / to, fs::copy_options::overwrite_existing, ec))
            sheet.save(QString::fromStdString((folder / to).string()),
                       to[std::strlen(to) - 3] == 'j' ? "JPG" : nullptr);
    }
    writeFile(folder / "mapa.tlm", "0001020300\r\n0102030001\r\n0203000102\r\n0300010203\r\n");
    writeFile(folder / "ruim.tlm", "0G01\n1\n");
    writeFile(folder / "sub.scp", "reg= 1,sub\r\nreturn\r\n:fim\r\n");
    writeFile(folder / "loop.scp", ":a\r\ninc 3\r\ngoto a\r\n");
    writeFile(folder / "vazio.scp", "");
    fs::create_directories(folder / "pasta.scp");
}

// Ends each run after a few message rounds or a few milliseconds; on the second round it
// confirms a shown input box or clicks a hotspot, so their targets start nested runs.
class GeneratedHost : public Host {
public:
    void attach(Engine* engine) { m_engine = engine; }
    void restart()
    {
        m_rounds = 0;
        m_start = Clock::now();
    }
    bool timedOut() const { return Clock::now() - m_start > kHangTime; }

    void processEvents() override
    {
        if (++m_rounds != 2 || !m_engine || m_engine->runDepth() > 2) return;
        if (m_engine->inputBox().visible) {
            m_engine->confirmInput("resposta");
            return;
        }
        for (int i = 0; i < kHotspotCount; ++i) {
            const Hotspot spot = m_engine->hotspots().slot(i);
            if (!spot.active) continue;
            int x = spot.x + spot.width / 2, y = spot.y + spot.height / 2;
            m_engine->mousePressed(MouseButton::Left, x, y);
            m_engine->mouseReleased(x, y);
            return;
        }
        m_engine->keyDown(32);
    }
    bool abortRequested() override { return m_rounds >= kMaxEventRounds || Clock::now() - m_start > kRunBudget; }

private:
    Engine* m_engine = nullptr;
    int m_rounds = 0;
    Clock::time_point m_start = Clock::now();
};

// Everything a run depends on back to the start of the program; only the pixels stay.
void resetEngine(Engine& engine)
{
    engine.state() = EngineState{};
    engine.plots() = PlotMatrix{};
    engine.plotSettings() = PlotSettings{};
    engine.textSettings() = TextSettings{};
    engine.hotspots() = HotspotTable{};
    engine.textBox() = TextBoxRect{};
    engine.textBuffer().clear();
    engine.frameRate() = FrameRateMeter{};
    engine.sprites().clear();
    engine.mapGrid().clear();
    engine.backgroundName().clear();
    engine.inputBox() = InputBox{};
    engine.screen().returnToBaseSize();
}

// Runs main.scp of the folder as the run button does; false (with `problem`) when the run broke
// an invariant or took far longer than its budget.
bool runCase(Engine& engine, GeneratedHost& host, const fs::path& folder, std::string& problem)
{
    resetEngine(engine);
    engine.setConfinedToGameFolder(readFile(folder / "confined") == "1");
    engine.script().setText(readFile(folder / "main.scp"));
    host.restart();
    engine.execute("main");
    // A run paused by "break" is continued once and stepped, as a user would.
    if (engine.state().pausedLine >= 0) {
        host.restart();
        engine.stopOrContinue();
        for (int i = 0; i < 3; ++i) {
            host.restart();
            engine.stepLine();
        }
    }
    if (engine.runDepth() != 0 || engine.state().isRunning)
        problem = "the run did not end";
    else if (host.timedOut())
        problem = "the run ignored its time-out (a hang)";
    return problem.empty();
}

// Runs cases of `seed` from `first`, announcing each on standard output before it runs, or the
// one case already in `folder` when `count` is 0.
int workerMain(const fs::path& folder, uint64_t seed, int first, int count)
{
    prepareHeadlessEnvironment();
    int argc = 1;
    char name[] = "generated_scripts_worker";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    fillGameFolder(folder);
    GeneratedHost host;
    Engine engine(&host);
    host.attach(&engine);
    engine.setGameFolder(folder.string());
    engine.setProgramFolder(folder.string());
    // A replay runs its case a few times: a fault that depends on what the heap held before
    // shows within a few runs.
    const int runs = count > 0 ? count : kReplayRuns;
    for (int index = first; index < first + runs; ++index) {
        if (count > 0) {
            writeCase(folder, makeCase(seed, index));
            std::printf("case %d\n", index);
            std::fflush(stdout);
        }
        std::string problem;
        try {
            if (!runCase(engine, host, folder, problem)) {
                std::printf("failed: %s\n", problem.c_str());
                return kFailedCase;
            }
        } catch (...) {
            std::printf("failed: an exception escaped the engine\n");
            return kFailedCase;
        }
    }
    std::printf("done\n");
    return 0;
}

// --- the test ---

struct WorkerResult {
    bool failed = false;
    int lastCase = -1;
    std::string report;  // what the worker and the sanitizers said
};

WorkerResult runWorker(const QStringList& arguments)
{
    QProcess worker;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A sanitizer report ends the worker; leaks are not looked for (the toolkit keeps its own).
    env.insert("UBSAN_OPTIONS", "halt_on_error=1:print_stacktrace=1");
    env.insert("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=0");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // Without the sanitizers, the C library fills freed memory with a pattern: a read past the
    // end of a block then finds that pattern instead of a harmless 0, and crashes.
    env.insert("MALLOC_PERTURB_", "165");
    worker.setProcessEnvironment(env);
    worker.setProcessChannelMode(QProcess::SeparateChannels);
    worker.start(QCoreApplication::applicationFilePath(), arguments);
    WorkerResult result;
    if (!worker.waitForStarted()) {
        result.failed = true;
        result.report = "the worker did not start: " + worker.errorString().toStdString();
        return result;
    }
    std::string out;
    auto lastProgress = Clock::now();
    while (!worker.waitForFinished(200)) {
        QByteArray chunk = worker.readAllStandardOutput();
        if (!chunk.isEmpty()) lastProgress = Clock::now();
        out += chunk.toStdString();
        if (Clock::now() - lastProgress > 2 * kHangTime + std::chrono::seconds(5)) {
            worker.kill();
            worker.waitForFinished();
            out += "failed: the worker hung\n";
            break;
        }
    }
    out += worker.readAllStandardOutput().toStdString();
    std::string err = worker.readAllStandardError().toStdString();
    if (size_t at = out.rfind("case "); at != std::string::npos) result.lastCase = std::atoi(out.c_str() + at + 5);
    bool done = out.find("done\n") != std::string::npos;
    result.failed = !done || worker.exitStatus() != QProcess::NormalExit || worker.exitCode() != 0 ||
                    err.find("runtime error:") != std::string::npos || err.find("Sanitizer") != std::string::npos;
    if (result.failed) {
        size_t failedAt = out.find("failed:");
        result.report = (failedAt == std::string::npos ? std::string() : out.substr(failedAt)) +
                        (worker.exitStatus() == QProcess::CrashExit ? "the worker crashed\n" : "") +
                        err.substr(0, 4000);
    }
    return result;
}

std::vector<std::string> linesOf(const std::string& text)
{
    return splitScriptText(text);
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
}

bool caseFails(const fs::path& folder, const GeneratedCase& c)
{
    writeCase(folder, c);
    return runWorker({"--replay", QString::fromStdString(folder.string())}).failed;
}

// Removes lines of each script, chunks first and then one by one, while the case still fails.
GeneratedCase shrink(const fs::path& folder, GeneratedCase c)
{
    // Rounds until no single line can go.
    for (bool shrunk = true; shrunk;) {
        shrunk = false;
        for (std::string GeneratedCase::*file : {&GeneratedCase::main, &GeneratedCase::g1, &GeneratedCase::g2}) {
            std::vector<std::string> lines = linesOf(c.*file);
            for (size_t chunk = std::max<size_t>(lines.size() / 2, 1); chunk >= 1; chunk /= 2) {
                for (size_t at = 0; at < lines.size();) {
                    std::vector<std::string> fewer = lines;
                    fewer.erase(fewer.begin() + long(at), fewer.begin() + long(std::min(at + chunk, lines.size())));
                    GeneratedCase candidate = c;
                    candidate.*file = joined(fewer);
                    if (caseFails(folder, candidate)) {
                        lines = std::move(fewer);
                        c = candidate;
                        shrunk = true;
                    } else {
                        at += chunk;
                    }
                }
                if (chunk == 1) break;
            }
        }
    }
    return c;
}

std::string shown(const std::string& script)
{
    std::string out;
    for (const auto& line : linesOf(script)) out += "    " + line + "\n";
    return out.empty() ? "    (empty)\n" : out;
}

void runSeed(const fs::path& folder, uint64_t seed, int count)
{
    auto started = Clock::now();
    WorkerResult result = runWorker(
        {"--worker", QString::fromStdString(folder.string()), QString::number(seed), "0", QString::number(count)});
    auto seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::cout << "seed " << seed << ": " << (result.failed ? result.lastCase + 1 : count) << " scripts in " << seconds
              << " s" << std::endl;
    if (!result.failed) return;
    if (result.lastCase < 0) {
        ADD_FAILURE() << "seed " << seed << ": the worker failed before its first script\n" << result.report;
        return;
    }
    GeneratedCase failing = makeCase(seed, result.lastCase);
    std::string verdict;
    if (caseFails(folder, failing)) {
        failing = shrink(folder, failing);
        verdict = "shortest failing case (main.scp runs; g1.scp and g2.scp are the other scripts):\n";
    } else {
        verdict = "the case does not fail on its own (it depends on the ones before it); the whole case:\n";
    }
    ADD_FAILURE() << "seed " << seed << " case " << result.lastCase << " (LUDOMAT_GENERATED_SEED=" << seed
                  << " replays it)\n"
                  << result.report << "\n"
                  << verdict << "main.scp" << (failing.confined ? " (confined to the game folder)" : "") << ":\n"
                  << shown(failing.main) << "g1.scp:\n"
                  << shown(failing.g1) << "g2.scp:\n"
                  << shown(failing.g2);
}

TEST(GeneratedScripts, EndInAnOrderlyWay)
{
    // The game folder is written at every script: in memory where the system has such a folder.
    QTemporaryDir folder(QDir("/dev/shm").exists() ? "/dev/shm/ludomat-generated-XXXXXX"
                                                   : QDir::tempPath() + "/ludomat-generated-XXXXXX");
    ASSERT_TRUE(folder.isValid());
    fs::path game = folder.path().toStdString();
    if (const char* chosen = std::getenv("LUDOMAT_GENERATED_SEED")) {
        runSeed(game, std::strtoull(chosen, nullptr, 10), kFixedSeedCases);
        return;
    }
    runSeed(game, kFixedSeed, kFixedSeedCases);
    uint64_t fresh = std::random_device{}();
    std::cout << "fresh seed " << fresh << " (LUDOMAT_GENERATED_SEED=" << fresh << " runs it again)" << std::endl;
    runSeed(game, fresh, kFreshSeedCases);
}

// Every command word of the table is generated: a word added to the table is tried at once.
TEST(GeneratedScripts, CoverEveryCommandWord)
{
    std::set<std::string> seen;
    for (int index = 0; index < kFixedSeedCases; ++index) {
        GeneratedCase c = makeCase(kFixedSeed, index);
        for (const std::string* text : {&c.main, &c.g1, &c.g2})
            for (const auto& line : linesOf(*text)) {
                std::string_view trimmed = trimBlanks(line);
                seen.emplace(trimmed.substr(0, trimmed.find(' ')));
            }
    }
    for (const auto& shape : gen::commandShapes()) EXPECT_TRUE(seen.count(shape.word)) << shape.word;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::string_view(argv[1]) == "--worker")
        return workerMain(argv[2], std::strtoull(argv[3], nullptr, 10), std::atoi(argv[4]), std::atoi(argv[5]));
    if (argc == 3 && std::string_view(argv[1]) == "--replay") return workerMain(argv[2], 0, 0, 0);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
