#pragma once
// What the member load runs against, started by the bench itself on loopback: one server on an
// SQLite file, one on a PostgreSQL cluster of its own, or two on it behind HAProxy with the
// shipped configuration. Each set-up names its processes, so their CPU time and memory can be
// read from /proc around a run.

#include "postgres_cluster.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

namespace ludomat::bench {

// CPU seconds and peak memory of one process (with its children, for PostgreSQL).
struct Usage {
    std::string name;
    double cpuSeconds = 0;
    long peakKiB = 0;  // the largest of the processes, for PostgreSQL the sum of their peaks
};

class Setup {
public:
    virtual ~Setup() = default;
    // The port the members talk to; 0 when it did not start.
    virtual int port() const = 0;
    virtual std::vector<Usage> usage() const = 0;
    virtual std::string name() const = 0;
};

// "sqlite", "postgresql" or "balanced"; nullptr for another name.
std::unique_ptr<Setup> startSetup(const std::string& name, const QString& serverProgram);

// Runs `program` with `arguments` and returns the port of its "ouvindo em" line (-1 on failure).
int startServer(QProcess& server, const QString& program, const QStringList& arguments);

// CPU seconds used so far by `pid`, and its peak resident memory.
Usage processUsage(const std::string& name, long long pid, bool withChildren = false);

}  // namespace ludomat::bench
