#pragma once
// A real PostgreSQL for the tests: a cluster of its own made by initdb in a temporary folder,
// started by pg_ctl on a free loopback port and removed at the end. As root it runs as "nobody",
// since PostgreSQL refuses to run as root.

#include <string>

namespace ludomat::test {

// A loopback port the system had free a moment ago, for a program that takes its port as a number.
int freePort();

class PostgresCluster {
public:
    // Throws std::runtime_error with the tools' output when the cluster cannot be made.
    PostgresCluster();
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // The cluster each test program shares, made on first use.
    static PostgresCluster& shared();

    // The address of `database` ("postgresql://...").
    std::string url(const std::string& database) const;
    // A new empty database; its address.
    std::string freshDatabase();
    // The address of the database named after `key`, made when missing.
    std::string databaseFor(const std::string& key);
    // Stops the server at once (as a crash would) and starts it again on the same port.
    void stop();
    void start();
    // The postmaster's process id; 0 when it is not running.
    long long serverPid() const;

private:
    void run(const std::string& command) const;
    bool tryStart();

    std::string m_folder;
    std::string m_bin;
    std::string m_asUser;  // "runuser -u nobody -- " as root, else empty
    int m_port = 0;
    int m_databases = 0;
};

}  // namespace ludomat::test
