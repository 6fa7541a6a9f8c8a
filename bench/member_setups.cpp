#include "member_setups.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace ludomat::bench {

namespace {

const QStringList kCommon{"--port", "0", "--max-connections-per-address", "5000"};

// Fields of /proc/PID/stat after the command name: state is field 3, utime 14, stime 15.
bool readStat(long long pid, long long& parent, double& cpu)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream fields(text.substr(close + 2));
    std::string state;
    long long ppid = 0, skip = 0, utime = 0, stime = 0;
    fields >> state >> ppid;
    for (int i = 5; i <= 13; ++i) fields >> skip;
    fields >> utime >> stime;
    parent = ppid;
    cpu = double(utime + stime) / double(sysconf(_SC_CLK_TCK));
    return true;
}

long peakKiB(long long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
    return 0;
}

class SqliteSetup : public Setup {
public:
    explicit SqliteSetup(const QString& program)
    {
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_port = startServer(m_server, program, kCommon + QStringList{"--database", m_data.filePath("carga.db")});
    }
    ~SqliteSetup() override
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    int port() const override { return m_port; }
    std::string name() const override { return "1 servidor, SQLite"; }
    std::vector<Usage> usage() const override { return {processUsage("servidor", m_server.processId())}; }

private:
    QTemporaryDir m_data;
    QProcess m_server;
    int m_port = -1;
};

// Servers on a PostgreSQL cluster of the bench's own: two behind HAProxy, or one alone to tell
// the balancer's share of the latency from the database's.
class PostgresSetup : public Setup {
public:
    PostgresSetup(const QString& program, bool balanced) : m_servers(balanced ? 2 : 1)
    {
        const QString url = QString::fromStdString(m_cluster.freshDatabase());
        // More connections than handler threads would only wait; two servers share the cluster.
        const QStringList arguments =
            kCommon + QStringList{"--no-rate-limit", "--database", url, "--database-connections", "8"};
        for (QProcess& server : m_servers) {
            server.setStandardErrorFile(QProcess::nullDevice());
            m_serverPorts.push_back(startServer(server, program, arguments));
        }
        if (balanced)
            startBalancer();
        else
            m_port = m_serverPorts[0];
    }
    ~PostgresSetup() override
    {
        m_balancer.terminate();
        m_balancer.waitForFinished(5000);
        for (QProcess& server : m_servers) {
            server.terminate();
            server.waitForFinished(5000);
        }
    }
    int port() const override { return m_port; }
    std::string name() const override
    {
        return m_servers.size() == 2 ? "HAProxy + 2 servidores, PostgreSQL" : "1 servidor, PostgreSQL";
    }
    std::vector<Usage> usage() const override
    {
        std::vector<Usage> all;
        for (size_t i = 0; i < m_servers.size(); ++i)
            all.push_back(processUsage("servidor " + std::to_string(i + 1), m_servers[i].processId()));
        if (m_servers.size() == 2) all.push_back(processUsage("haproxy", m_balancer.processId()));
        all.push_back(processUsage("postgresql", m_cluster.serverPid(), true));
        return all;
    }

private:
    void startBalancer()
    {
        QFile shipped(LUDOMAT_SOURCE_DIR "/packaging/haproxy/ludomat.cfg");
        shipped.open(QIODevice::ReadOnly);
        QString config = QString::fromUtf8(shipped.readAll());
        const int front = ludomat::test::freePort();
        config.replace("127.0.0.1:8087", QString("127.0.0.1:%1").arg(front));
        config.replace("127.0.0.1:8091", QString("127.0.0.1:%1").arg(m_serverPorts[0]));
        config.replace("127.0.0.1:8092", QString("127.0.0.1:%1").arg(m_serverPorts[1]));
        // Every simulated member signs up from 127.0.0.1: the per-address limit of sign-up and
        // log-in would only slow the joining down. The per-key limit stays.
        config.replace(QRegularExpression("\n *http-request track-sc1[^\n]*"), "");
        QFile file(m_data.filePath("ludomat.cfg"));
        file.open(QIODevice::WriteOnly);
        file.write(config.toUtf8());
        file.close();
        m_balancer.setStandardOutputFile(QProcess::nullDevice());
        m_balancer.setStandardErrorFile(QProcess::nullDevice());
        m_balancer.start("/usr/sbin/haproxy", {"-db", "-f", file.fileName()});
        if (!m_balancer.waitForStarted(5000) || m_serverPorts[0] <= 0 || m_serverPorts[1] <= 0) return;
        // Ready once both servers passed their health checks.
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        m_port = front;
    }

    ludomat::test::PostgresCluster m_cluster;
    QTemporaryDir m_data;
    std::vector<QProcess> m_servers;
    std::vector<int> m_serverPorts;
    QProcess m_balancer;
    int m_port = -1;
};

}  // namespace

int startServer(QProcess& server, const QString& program, const QStringList& arguments)
{
    server.start(program, arguments);
    if (!server.waitForStarted(5000)) return -1;
    while (!server.canReadLine() && server.waitForReadyRead(5000)) {
    }
    QString line = QString::fromUtf8(server.readLine()).trimmed();
    return line.startsWith("ouvindo em ") ? line.section(':', 2).section('/', 0, 0).toInt() : -1;
}

Usage processUsage(const std::string& name, long long pid, bool withChildren)
{
    Usage usage{name};
    long long parent = 0;
    if (pid <= 0 || !readStat(pid, parent, usage.cpuSeconds)) return usage;
    usage.peakKiB = peakKiB(pid);
    if (!withChildren) return usage;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        long long child = entry.toLongLong(&number);
        double cpu = 0;
        if (number && readStat(child, parent, cpu) && parent == pid) {
            usage.cpuSeconds += cpu;
            usage.peakKiB += peakKiB(child);
        }
    }
    return usage;
}

std::unique_ptr<Setup> startSetup(const std::string& name, const QString& serverProgram)
{
    if (name == "sqlite") return std::make_unique<SqliteSetup>(serverProgram);
    if (name == "balanced") return std::make_unique<PostgresSetup>(serverProgram, true);
    if (name == "postgresql") return std::make_unique<PostgresSetup>(serverProgram, false);
    return nullptr;
}

}  // namespace ludomat::bench
