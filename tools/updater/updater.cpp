// The updater "duvo.exe": started by the studio after it downloaded an update, with three words:
// the pass phrase, the program's name and the archive's name. It waits for the studio to close,
// unpacks the archive into a staging folder, puts the new files in place only when all of it
// unpacked, keeps the user's scripts, games and settings, and starts the new studio; after a
// refused archive it starts the old one again.
// The studio puts us, the archive and the log in its program folder, which may be a data folder
// of its own (--program-folder); the programs themselves are replaced where they live, the
// folder the studio names in LUDOMAT_EXECUTABLE_FOLDER.

#include "tools/updater/update_archive.h"

#include <spawn.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace ludomat::updater;

const char kPassPhrase[] = "8k41p9x";
const char kStagingName[] = ".atualizacao";
// Set by the studio when it starts us; the same name is in online/version_check.cpp.
const char kExecutableFolderVariable[] = "LUDOMAT_EXECUTABLE_FOLDER";
// The studio closes itself right after starting us; it gets this long to finish.
constexpr auto kWaitForStudio = std::chrono::seconds(15);

class Log {
public:
    explicit Log(const fs::path& file) : m_out(file, std::ios::app) {}
    void operator()(const std::string& line)
    {
        m_out << line << "\n";
        m_out.flush();
        std::fprintf(stderr, "duvo: %s\n", line.c_str());
    }

private:
    std::ofstream m_out;
};

// True while some process runs the program file `program`.
bool isRunning(const fs::path& program)
{
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        fs::path exe = fs::read_symlink(entry.path() / "exe", error);
        if (!error && exe == program) return true;
    }
    return false;
}

void waitForStudio(const fs::path& program)
{
    auto deadline = std::chrono::steady_clock::now() + kWaitForStudio;
    while (isRunning(program) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// Starts `program` on its own and returns its process id (0 on failure). A studio whose program
// folder is not its own folder is told which one it had.
pid_t start(const fs::path& program, const fs::path& programFolder)
{
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::string path = program.string();
    std::string option = "--program-folder";
    std::string folder = programFolder.string();
    std::vector<char*> argv{path.data()};
    if (program.parent_path() != programFolder) {
        argv.push_back(option.data());
        argv.push_back(folder.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    int result = posix_spawn(&pid, path.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return result == 0 ? pid : 0;
}

// The folder of this program: the studio placed us in its program folder.
fs::path ownFolder()
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

// The folder of the studio's programs: the one the studio named when it is a folder, else ours.
fs::path executableFolder(const fs::path& own)
{
    const char* named = std::getenv(kExecutableFolderVariable);
    std::error_code error;
    if (!named || !*named || !fs::path(named).is_absolute() || !fs::is_directory(named, error)) return own;
    fs::path folder = fs::canonical(named, error);
    return error ? own : folder;
}

// The studio's program file: the name given, as this platform spells program files.
fs::path studioProgram(const fs::path& folder, const std::string& name)
{
    std::string lower = name;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    return folder / lower;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || std::strcmp(argv[1], kPassPhrase) != 0) {
        std::fprintf(stderr, "duvo: este programa só é usado pelo Ludomat para se atualizar.\n");
        return 2;
    }
    const fs::path folder = ownFolder();
    const fs::path programs = executableFolder(folder);
    const std::string name = argv[2];
    const fs::path archive = folder / fs::path(argv[3]).filename();
    const fs::path program = studioProgram(programs, name);
    Log log(folder / "atualizacao.log");
    log("atualizando " + name + " em " + programs.string() + " a partir de " + archive.string());

    waitForStudio(program);
    fs::path staging = folder / kStagingName;
    std::error_code error;
    fs::remove_all(staging, error);
    fs::create_directories(staging, error);
    std::string reason;
    if (error || !unpack(archive, staging, &reason)) {
        log("atualização cancelada, nada foi mudado: " + (error ? error.message() : reason));
        fs::remove_all(staging, error);
        if (fs::exists(program)) {
            pid_t pid = start(program, folder);
            log(pid ? "iniciado de novo: " + program.string() + " (processo " + std::to_string(pid) + ")"
                    : "não foi possível iniciar " + program.string());
        }
        return 1;
    }
    bool ok = false;
    auto installed = install(staging, programs, &reason, &ok);
    for (const std::string& file : installed) log("instalado: " + file);
    fs::remove_all(staging, error);
    if (!ok) log("atualização incompleta: " + reason);
    pid_t pid = start(program, folder);
    log(pid ? "iniciado: " + program.string() + " (processo " + std::to_string(pid) + ")"
            : "não foi possível iniciar " + program.string());
    return ok && pid ? 0 : 1;
}
