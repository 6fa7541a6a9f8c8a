#include "postgres_cluster.h"

#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace ludomat::test {

namespace {

namespace fs = std::filesystem;

// The newest PostgreSQL of those Debian installs side by side.
std::string postgresBin()
{
    std::string best;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", error))
        if (fs::exists(entry.path() / "bin" / "initdb") && entry.path().string() > best) best = entry.path().string();
    if (best.empty()) throw std::runtime_error("PostgreSQL ausente: rode scripts/install-deps.sh");
    return best + "/bin/";
}

std::string readAll(const fs::path& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs one command on the cluster's "postgres" database.
void command(const std::string& url, const std::string& sql)
{
    std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(url.c_str()), PQfinish);
    if (PQstatus(connection.get()) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(connection.get()));
    PGresult* result = PQexec(connection.get(), sql.c_str());
    std::string reason = PQresultErrorMessage(result);
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    bool exists = state && std::string(state) == "42P04";  // duplicate database
    bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || exists;
    PQclear(result);
    if (!ok) throw std::runtime_error(reason);
}

}  // namespace

PostgresCluster::PostgresCluster() : m_bin(postgresBin())
{
    char pattern[] = "/tmp/ludomat-pg-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("sem pasta temporária");
    m_folder = pattern;
    if (::getuid() == 0) {
        passwd* nobody = ::getpwnam("nobody");
        if (!nobody || ::chown(m_folder.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
            throw std::runtime_error("sem usuário nobody para o PostgreSQL");
        m_asUser = "runuser -u nobody -- ";
    }
    run("initdb -D " + m_folder + "/data -U ludomat -A trust -E UTF8 --locale=C --no-sync");
    for (int attempt = 0; attempt < 5; ++attempt, m_port = 0)  // the port may have been taken meanwhile
        if (tryStart()) return;
    throw std::runtime_error("o PostgreSQL não começou: " + readAll(m_folder + "/log"));
}

PostgresCluster::~PostgresCluster()
{
    std::system((m_asUser + m_bin + "pg_ctl -D " + m_folder + "/data -m immediate stop >/dev/null 2>&1").c_str());
    std::error_code error;
    fs::remove_all(m_folder, error);
}

PostgresCluster& PostgresCluster::shared()
{
    static PostgresCluster cluster;
    return cluster;
}

void PostgresCluster::run(const std::string& line) const
{
    const std::string out = m_folder + "/tool.out";
    if (std::system((m_asUser + m_bin + line + " >" + out + " 2>&1").c_str()) != 0)
        throw std::runtime_error(line + ": " + readAll(out));
}

bool PostgresCluster::tryStart()
{
    if (m_port == 0) m_port = freePort();
    // fsync off: a test cluster needs no durability across power loss, only speed.
    std::string options = "-p " + std::to_string(m_port) + " -k " + m_folder +
                          " -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=300";
    try {
        run("pg_ctl -D " + m_folder + "/data -l " + m_folder + "/log -w -t 60 -o '" + options + "' start");
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

void PostgresCluster::stop()
{
    run("pg_ctl -D " + m_folder + "/data -m immediate -w stop");
}

void PostgresCluster::start()
{
    // The same port, so the servers' addresses stay right; waits out a port still closing.
    for (int attempt = 0; attempt < 5; ++attempt)
        if (tryStart()) return;
    if (!tryStart()) throw std::runtime_error("o PostgreSQL não voltou: " + readAll(m_folder + "/log"));
}

long long PostgresCluster::serverPid() const
{
    std::ifstream in(m_folder + "/data/postmaster.pid");
    long long pid = 0;
    in >> pid;
    return pid;
}

std::string PostgresCluster::url(const std::string& database) const
{
    return "postgresql://ludomat@127.0.0.1:" + std::to_string(m_port) + "/" + database;
}

std::string PostgresCluster::freshDatabase()
{
    return databaseFor("banco" + std::to_string(++m_databases));
}

std::string PostgresCluster::databaseFor(const std::string& key)
{
    std::string name = "t" + std::to_string(std::hash<std::string>{}(key));
    command(url("postgres"), "CREATE DATABASE " + name);
    return url(name);
}

int freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

}  // namespace ludomat::test
