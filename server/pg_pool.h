#pragma once
// A small pool of libpq connections that run named prepared statements. Values travel in binary
// both ways: texts as bytea, so the studio's single-byte code page passes unchanged, numbers as
// bigint. A connection that lost its server is replaced before it is lent again, so the pool
// reconnects by itself once the database is back.

#include <libpq-fe.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace ludomat::server::pg {

// A statement prepared under `name` on every connection that runs it. Parameters are written
// with their types ($1::bigint, $2::bytea); every returned number is a bigint.
struct Query {
    const char* name;
    const char* sql;
};

class Params {
public:
    Params& add(const std::string& bytes);
    Params& add(long long number);
    int size() const { return int(m_values.size()); }
    std::vector<const char*> values() const;
    std::vector<int> lengths() const;

private:
    std::vector<std::string> m_values;
};

class Result {
public:
    explicit Result(PGresult* result, bool refused = false) : m_result(result), m_refused(refused) {}
    ~Result() { PQclear(m_result); }
    Result(Result&& other) noexcept : m_result(other.m_result), m_refused(other.m_refused) { other.m_result = nullptr; }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    // True when a unique constraint refused the statement.
    bool refused() const { return m_refused; }
    int rows() const { return m_result ? PQntuples(m_result) : 0; }
    bool null(int row, int column) const { return PQgetisnull(m_result, row, column) != 0; }
    long long affected() const;
    long long integer(int row, int column) const;
    std::string bytes(int row, int column) const;

private:
    PGresult* m_result;
    bool m_refused;
};

class Connection {
public:
    // Throws StorageUnavailable when the server cannot be reached.
    explicit Connection(const std::string& url);
    ~Connection() { PQfinish(m_connection); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Result run(const Query& query, const Params& params = {});
    // A command without parameters: BEGIN, COMMIT, the schema.
    void exec(const char* sql);
    void rollback() { PQclear(PQexec(m_connection, "ROLLBACK")); }
    // False once the server has gone away (noticed without sending anything).
    bool alive();

private:
    [[noreturn]] void fail(PGresult* result);

    PGconn* m_connection = nullptr;
    std::set<std::string> m_prepared;
};

class Pool {
public:
    Pool(std::string url, int size);

    class Lease {
    public:
        Lease(Pool& pool, std::unique_ptr<Connection> connection) : m_pool(pool), m_connection(std::move(connection)) {}
        ~Lease() { m_pool.release(std::move(m_connection)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Connection* operator->() { return m_connection.get(); }

    private:
        Pool& m_pool;
        std::unique_ptr<Connection> m_connection;
    };

    // A working connection, waiting while all are lent; throws StorageUnavailable.
    Lease acquire();

private:
    void release(std::unique_ptr<Connection> connection);

    std::string m_url;
    int m_size;
    int m_open = 0;  // lent and idle
    std::mutex m_lock;
    std::condition_variable m_returned;
    std::vector<std::unique_ptr<Connection>> m_idle;
};

}  // namespace ludomat::server::pg
