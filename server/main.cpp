// ludomat-server: the studio's web server. Serves the content folder (version file, update
// package, help pages, script catalogue) and answers every endpoint the studio calls.

#include "server/routes.h"
#include "server/storage.h"

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace ludomat::server;

constexpr int kDefaultPort = 8087;
const char kDefaultBind[] = "127.0.0.1";
// A studio's request is small; a larger one is refused before it is read.
constexpr size_t kMaxRequestBytes = 1024 * 1024;
// A studio keeps its connection open between its polls, and an open connection holds a worker
// while it waits: the pool is sized for a few hundred studios at once.
constexpr size_t kWorkerThreads = 320;

// The content an installed copy ships beside the program, or empty when it runs from a build.
fs::path installedContent()
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    fs::path content = self.parent_path().parent_path() / "share" / "ludomat" / "server-content";
    return fs::is_directory(content / "ludomat", error) ? content : fs::path();
}

fs::path userDataFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path folder = data && *data ? fs::path(data) : fs::path(home ? home : ".") / ".local" / "share";
    return folder / "ludomat-server";
}

// An installed server serves a copy in the user's data folder, made on its first start, so a
// teacher can add games to the catalogue; a copy that is there is never overwritten.
fs::path userContentCopy(const fs::path& installed)
{
    fs::path copy = userDataFolder() / "content";
    std::error_code error;
    if (fs::is_directory(copy / "ludomat", error)) return copy;
    fs::path staging = copy.string() + ".copiando~";
    fs::remove_all(staging, error);
    fs::create_directories(copy.parent_path(), error);
    fs::copy(installed, staging, fs::copy_options::recursive, error);
    if (!error) fs::rename(staging, copy, error);
    if (error) {
        fs::remove_all(staging, error);
        return installed;  // read-only content still serves a studio
    }
    return copy;
}

// The content shipped with the project: the installed copy (through the user's own copy), or
// the source tree's for a build.
fs::path shippedContent()
{
    if (fs::path installed = installedContent(); !installed.empty()) return userContentCopy(installed);
    return LUDOMAT_SERVER_CONTENT;
}

struct Options {
    fs::path root;
    int port = kDefaultPort;
    std::string bind = kDefaultBind;
    std::string database;
    std::string defaultGroup = "Turma";
};

// The members' database outside the content folder, so content can be read-only and shared.
std::string defaultDatabase()
{
    fs::path folder = userDataFolder();
    std::error_code error;
    fs::create_directories(folder, error);
    return (folder / "ludomat.db").string();
}

void printHelp()
{
    std::cout << "Uso: ludomat-server [--root PASTA] [--port N] [--bind ENDERECO] [--database ARQUIVO]\n"
                 "                      [--default-group NOME]\n"
                 "\n"
                 "Servidor do Ludomat: versão, pacote de atualização, páginas de ajuda, catálogo de\n"
                 "scripts e área de membros.\n"
                 "\n"
                 "  --root PASTA        pasta de conteúdo (padrão: o conteúdo que vem com o Ludomat; instalado,\n"
                 "                      uma cópia dele em ~/.local/share/ludomat-server/content)\n"
                 "  --port N            porta (padrão 8087; 0 escolhe uma porta livre)\n"
                 "  --bind ENDERECO     endereço de escuta (padrão 127.0.0.1)\n"
                 "  --database ARQUIVO  banco SQLite dos membros (padrão: ~/.local/share/ludomat-server/ludomat.db)\n"
                 "  --default-group NOME  grupo de quem se cadastra (padrão: Turma)\n"
                 "  --help              mostra esta ajuda\n"
                 "\n"
                 "Escreve \"ouvindo em http://ENDERECO:PORTA/\" ao começar e uma linha por requisição.\n"
                 "Termina limpo com SIGTERM ou Ctrl+C.\n";
}

// Returns false after printing the reason when the command line is wrong.
bool parseOptions(int argc, char** argv, Options& options, bool& help)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--root" && value(text)) {
            options.root = text;
        } else if (arg == "--port" && value(text)) {
            char* end = nullptr;
            long port = std::strtol(text.c_str(), &end, 10);
            if (*end || port < 0 || port > 65535) {
                std::cerr << "ludomat-server: porta inválida: " << text << "\n";
                return false;
            }
            options.port = int(port);
        } else if (arg == "--bind" && value(text)) {
            options.bind = text;
        } else if (arg == "--database" && value(text)) {
            options.database = text;
        } else if (arg == "--default-group" && value(text) && !text.empty()) {
            options.defaultGroup = text;
        } else {
            std::cerr << "ludomat-server: opção desconhecida ou sem valor: " << arg << " (veja --help)\n";
            return false;
        }
    }
    return true;
}

void logRequest(const httplib::Request& request, const httplib::Response& response)
{
    static std::mutex lock;
    std::lock_guard guard(lock);
    // The target as it arrived, so the log shows the query keys in the order they were sent.
    std::string target;
    for (unsigned char c : request.target) target += c < 0x20 || c == 0x7F ? '?' : char(c);
    // A password never reaches the log.
    size_t password = target.find("Senha=");
    if (password != std::string::npos) {
        size_t end = target.find('&', password);
        target.replace(password + 6, (end == std::string::npos ? target.size() : end) - password - 6, "***");
    }
    std::fprintf(stderr, "%s %s %s %d\n", request.remote_addr.c_str(), request.method.c_str(), target.c_str(),
                 response.status);
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    bool help = false;
    if (!parseOptions(argc, argv, options, help)) return 2;
    if (help) {
        printHelp();
        return 0;
    }
    if (options.root.empty()) options.root = shippedContent();
    if (!fs::is_directory(options.root / "ludomat")) {
        std::cerr << "ludomat-server: pasta de conteúdo sem \"ludomat/\": " << options.root << "\n";
        return 1;
    }
    if (options.database.empty()) options.database = defaultDatabase();

    std::unique_ptr<Storage> storage;
    try {
        storage = openSqliteStorage(options.database);
    } catch (const std::exception& error) {
        std::cerr << "ludomat-server: não foi possível abrir o banco " << options.database << ": " << error.what() << "\n";
        return 1;
    }

    // SIGTERM and Ctrl+C are taken by one thread that stops the server; the others never see them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Context context{options.root, storage.get(), options.defaultGroup};
    httplib::Server server;
    server.set_payload_max_length(kMaxRequestBytes);
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server.set_logger(logRequest);
    installRoutes(server, context);

    int port = options.port;
    if (port == 0) {
        port = server.bind_to_any_port(options.bind);
    } else if (!server.bind_to_port(options.bind, port)) {
        port = -1;
    }
    if (port < 0) {
        std::cerr << "ludomat-server: não foi possível escutar em " << options.bind << ":" << options.port << "\n";
        return 1;
    }
    std::cout << "ouvindo em http://" << options.bind << ":" << port << "/" << std::endl;

    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    bool ok = server.listen_after_bind();
    // The listener may end without a signal (an error); wake the waiting thread then.
    if (stopper.joinable()) {
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
    }
    std::cerr << "ludomat-server: encerrado" << std::endl;
    return ok ? 0 : 1;
}
