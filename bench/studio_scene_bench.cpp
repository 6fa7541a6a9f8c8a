// The game scene run inside the studio window: opens a script, runs it with "Executar" and prints
// the CPU seconds (user + system, of this process) and the wall seconds the run took, and the
// frame counter the script left. run_studio_scene_bench.sh compares it with ludomat-run.
//
// Usage: studio_scene_bench SCRIPT.scp PROGRAM_FOLDER FRAME_REGISTER

#include "studio/files/program_folder.h"
#include "studio/window/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: studio_scene_bench SCRIPT.scp PROGRAM_FOLDER FRAME_REGISTER\n");
        return 2;
    }
    ludomat::ensureRuntimeFolder();
    QApplication app(argc, argv);
    ludomat::MainWindow window(QString::fromLocal8Bit(argv[2]));
    window.setErrorBoxesEnabled(false);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "studio_scene_bench: window not exposed\n");
    if (!window.openScriptFile(QString::fromLocal8Bit(argv[1]))) return 1;
    QCoreApplication::processEvents();

    double cpu = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    window.execute();
    double wallSeconds = wall.nsecsElapsed() / 1e9;
    cpu = cpuSeconds() - cpu;

    int frameRegister = std::atoi(argv[3]);
    std::printf("%.3f %.3f %s\n", cpu, wallSeconds, window.engine().state().registers.at(frameRegister).c_str());
    return 0;
}
