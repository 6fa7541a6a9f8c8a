// Graphics throughput of the engine, headless: how many "refresh", "plot", 40-character "print"
// and "scroll" commands a script runs a second, and how long one frame of a demo scene takes.
// Two baselines are measured in the same run, since the machines are shared and noisy: a plain
// memcpy of a 760 x 420 x 3 frame, and pygame (SDL software surfaces, dummy video driver)
// copying a 760 x 420 surface onto its screen and flipping it. Quote the ratios.
//
//   build/graphics_bench [seconds per round]     (default 0.5; three rounds, the best counts)
//
// LUDOMAT_PYTHON names the Python that has pygame (default /usr/bin/python3, Debian's).

#include "engine/engine.h"
#include "graphics/bitmap.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace ludomat;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 3;
// Copies of the measured line per loop pass, so the two loop lines cost next to nothing.
constexpr int kBlock = 100;
constexpr size_t kFrameBytes = size_t(760) * 420 * 3;
const char* const kFortyCharacters = "O~rato~roeu~a~roupa~do~rei~de~Roma~hoje!";

double g_roundSeconds = 0.5;

// What the headless runner does when a command lets messages run; no window to repaint.
class BenchHost : public Host {
public:
    void processEvents() override { QCoreApplication::processEvents(); }
};

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The best rate of kRounds rounds; `batch(n)` does n operations.
double bestRate(const std::function<void(long)>& batch, long firstBatch)
{
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        long n = firstBatch, done = 0;
        auto start = Clock::now();
        double elapsed = 0;
        while (elapsed < g_roundSeconds) {
            batch(n);
            done += n;
            elapsed = secondsSince(start);
            n *= 2;
        }
        best = std::max(best, double(done) / elapsed);
    }
    return best;
}

double memcpyRate()
{
    std::vector<unsigned char> source(kFrameBytes, 0x5A), target(kFrameBytes);
    unsigned sink = 0;
    double rate = bestRate(
        [&](long n) {
            for (long i = 0; i < n; ++i) {
                source[size_t(i) % kFrameBytes] = (unsigned char)i;
                std::memcpy(target.data(), source.data(), kFrameBytes);
                sink += target[size_t(i * 7919) % kFrameBytes];
            }
        },
        64);
    if (sink == 0xFFFFFFFFu) std::puts("");  // keeps the copies from being optimised away
    return rate;
}

const char* const kPygameScript = R"(
import os, sys, time
os.environ['SDL_VIDEODRIVER'] = 'dummy'
os.environ['PYGAME_HIDE_SUPPORT_PROMPT'] = '1'
import pygame
pygame.display.init()
screen = pygame.display.set_mode((760, 420))
frame = pygame.Surface((760, 420)).convert()
seconds = float(sys.argv[1])
best = 0.0
for _ in range(3):
    n, start = 0, time.perf_counter()
    while True:
        for _ in range(100):
            screen.blit(frame, (0, 0))
            pygame.display.flip()
        n += 100
        elapsed = time.perf_counter() - start
        if elapsed >= seconds:
            break
    best = max(best, n / elapsed)
print(int(best))
)";

// Copies a second through pygame, or 0 when no Python with pygame answers.
double pygameRate(const QTemporaryDir& folder)
{
    std::string script = folder.filePath("pygame_copy.py").toStdString();
    if (FILE* f = std::fopen(script.c_str(), "w")) {
        std::fputs(kPygameScript, f);
        std::fclose(f);
    }
    const char* python = std::getenv("LUDOMAT_PYTHON");
    std::string command = std::string(python ? python : "/usr/bin/python3") + " " + script + " " +
                          std::to_string(g_roundSeconds) + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0;
    char line[64] = {};
    bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    return read ? std::atof(line) : 0;
}

// A script that runs `body` `passes` times, as a game loop would.
std::vector<std::string> loopScript(const std::vector<std::string>& setup, const std::vector<std::string>& body,
                                    long passes)
{
    std::vector<std::string> lines = setup;
    lines.push_back("reg= 200,0");
    lines.push_back(":loop");
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("inc 200");
    lines.push_back("ifreg< 200," + std::to_string(passes) + ",loop");
    return lines;
}

// Passes of `body` a second.
double passRate(Engine& engine, const std::vector<std::string>& setup, const std::vector<std::string>& body)
{
    return bestRate(
        [&](long n) {
            engine.script().setLines(loopScript(setup, body, n));
            engine.execute("bench");
            if (engine.lastError()) {
                std::fprintf(stderr, "script error: %s\n", engine.lastError()->message.c_str());
                std::exit(1);
            }
        },
        1);
}

// Commands a second: kBlock copies of the lines (taken in turn) per pass.
double commandRate(Engine& engine, const std::vector<std::string>& setup, const std::vector<std::string>& lines)
{
    std::vector<std::string> block;
    for (int i = 0; i < kBlock; ++i) block.push_back(lines[size_t(i) % lines.size()]);
    return kBlock * passRate(engine, setup, block);
}

std::vector<std::string> plotLines()
{
    std::vector<std::string> lines;
    const char* colours[] = {"FF8000", "00C0FF", "FFFF00", "80FF80"};
    for (int i = 0; i < kBlock; ++i)
        lines.push_back("plot " + std::to_string(i * 7 % 152) + "," + std::to_string(i * 13 % 84) + "," +
                        colours[i % 4]);
    return lines;
}

// One frame of a small game: background, a plot figure, a board of plots, shapes, pixels, a
// sprite-like picture at four cells, a status line, and the refresh that shows it.
std::vector<std::string> demoFrame()
{
    std::vector<std::string> f = {"clearbuf 102040", "defplot 10,10", "plotxy 4,2"};
    const char* rows[] = {"00100000100", "00010001000", "0011111111100", "0110111011011",
                          "1111111111111", "1011111111101", "1010000000101", "0001101100"};
    for (const char* row : rows) f.push_back(std::string("lineplot ") + row);
    for (int c = 20; c < 76; c += 2)
        for (int r = 24; r < 40; r += 4) f.push_back("plot " + std::to_string(c) + "," + std::to_string(r) + ",E0E0E0");
    f.insert(f.end(), {"defpixel 2", "rect 200,20,300,100,00FF00", "elipse 320,20,460,110,FFFF00",
                       "paint 480,20,560,60,FF0000", "moveto 600,20", "lineto 740,100,FFFFFF", "defpixel 1"});
    for (int i = 0; i < 20; ++i) f.push_back("pixel " + std::to_string(600 + i * 7) + ",150,00FFFF");
    for (int i = 0; i < 4; ++i) f.push_back("putplot " + std::to_string(2 + i * 5) + ",14,ship.png");
    f.push_back(std::string("print ") + kFortyCharacters + ",10,390,740,30");
    f.push_back("refresh");
    return f;
}

// The targets were set on a quiet machine where the memcpy baseline ran this many frames a
// second; on a busy one they are judged as that same fraction of the memcpy measured now.
constexpr double kQuietMemcpyRate = 64000;

void report(const char* what, double rate, double memcpy, double pygame, double target = 0)
{
    std::printf("%-34s %10.0f /s   x%.2f memcpy", what, rate, memcpy > 0 ? rate / memcpy : 0.0);
    if (pygame > 0) std::printf("   x%.2f pygame", rate / pygame);
    if (target > 0) {
        double share = target / kQuietMemcpyRate;
        std::printf("   target %.0f (x%.2f memcpy): %s", target, share, rate >= share * memcpy ? "met" : "MISSED");
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1) g_roundSeconds = std::max(0.05, std::atof(argv[1]));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;

    // The demo's picture: a 32 x 32 ship, magenta around it.
    Bitmap ship(32, 32, kTransparentKey);
    for (int y = 8; y < 24; ++y)
        for (int x = 24 - y; x < 8 + y; ++x) ship.setPixel(x, y, 0xC0C0C0);
    ship.save(folder.filePath("ship.png").toStdString());

    BenchHost host;
    Engine engine(&host);
    engine.setGameFolder(folder.path().toStdString());

    std::printf("Baselines (best of %d rounds of %.2f s)\n", kRounds, g_roundSeconds);
    double memcpy = memcpyRate();
    double pygame = pygameRate(folder);
    std::printf("%-34s %10.0f /s\n", "memcpy of a 760x420x3 frame", memcpy);
    if (pygame > 0) std::printf("%-34s %10.0f /s   x%.2f memcpy\n", "pygame blit+flip 760x420", pygame, pygame / memcpy);
    else std::printf("pygame: not available (install python3-pygame or set LUDOMAT_PYTHON)\n");

    std::printf("\nCommands through the engine (%d a loop pass)\n", kBlock);
    report("refresh (whole screen)", commandRate(engine, {}, {"refresh"}), memcpy, pygame, 20000);
    report("plot (5x5 cells)", commandRate(engine, {"defplot 5,5"}, plotLines()), memcpy, pygame);
    report("print (40 characters)",
           commandRate(engine, {}, {std::string("print ") + kFortyCharacters + ",10,10,600,30"}), memcpy, pygame,
           30000);
    report("scroll up (whole screen, 24 px)", commandRate(engine, {}, {"scroll up"}), memcpy, pygame);

    std::vector<std::string> frame = demoFrame();
    double frames = passRate(engine, {}, frame);
    std::printf("\nDemo scene: %zu lines a frame\n", frame.size());
    std::printf("%-34s %10.0f /s   %.3f ms a frame (%.1f%% of a 60 Hz frame)\n", "frames", frames, 1000.0 / frames,
                100.0 * 60.0 / frames);
    return 0;
}
