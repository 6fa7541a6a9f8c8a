#include "server/pg_pool.h"

#include "server/storage.h"

#include <poll.h>

#include <cstring>

namespace ludomat::server::pg {

namespace {

const char kUniqueViolation[] = "23505";
constexpr int kBinary = 1;

std::string bigEndian(long long number)
{
    std::string bytes(8, '\0');
    for (int i = 7; i >= 0; --i, number >>= 8) bytes[size_t(i)] = char(number & 0xFF);
    return bytes;
}

}  // namespace

Params& Params::add(const std::string& bytes)
{
    m_values.push_back(bytes);
    return *this;
}

Params& Params::add(long long number)
{
    m_values.push_back(bigEndian(number));
    return *this;
}

std::vector<const char*> Params::values() const
{
    std::vector<const char*> values;
    for (const std::string& value : m_values) values.push_back(value.data());
    return values;
}

std::vector<int> Params::lengths() const
{
    std::vector<int> lengths;
    for (const std::string& value : m_values) lengths.push_back(int(value.size()));
    return lengths;
}

long long Result::affected() const
{
    const char* count = m_result ? PQcmdTuples(m_result) : "";
    return *count ? std::atoll(count) : 0;
}

long long Result::integer(int row, int column) const
{
    if (PQgetlength(m_result, row, column) != 8) return 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(PQgetvalue(m_result, row, column));
    unsigned long long number = 0;
    for (int i = 0; i < 8; ++i) number = number << 8 | bytes[i];
    return (long long)number;
}

std::string Result::bytes(int row, int column) const
{
    return std::string(PQgetvalue(m_result, row, column), size_t(PQgetlength(m_result, row, column)));
}

Connection::Connection(const std::string& url)
{
    // A server that does not answer is given up on soon, so a request waits seconds, not minutes.
    const char* keys[] = {"dbname", "connect_timeout", nullptr};
    const char* values[] = {url.c_str(), "3", nullptr};
    m_connection = PQconnectdbParams(keys, values, /*expand_dbname=*/1);
    if (PQstatus(m_connection) != CONNECTION_OK) {
        std::string reason = PQerrorMessage(m_connection);
        PQfinish(m_connection);
        m_connection = nullptr;
        throw StorageUnavailable(reason);
    }
    // Notices ("already exists, skipping") are not errors and would only fill the log.
    PQsetNoticeProcessor(
        m_connection, [](void*, const char*) {}, nullptr);
}

void Connection::fail(PGresult* result)
{
    std::string reason = result ? PQresultErrorMessage(result) : PQerrorMessage(m_connection);
    PQclear(result);
    if (PQstatus(m_connection) != CONNECTION_OK) throw StorageUnavailable(reason);
    throw std::runtime_error(reason);
}

Result Connection::run(const Query& query, const Params& params)
{
    if (!m_prepared.count(query.name)) {
        PGresult* prepared = PQprepare(m_connection, query.name, query.sql, 0, nullptr);
        if (PQresultStatus(prepared) != PGRES_COMMAND_OK) fail(prepared);
        PQclear(prepared);
        m_prepared.insert(query.name);
    }
    std::vector<const char*> values = params.values();
    std::vector<int> lengths = params.lengths();
    std::vector<int> formats(values.size(), kBinary);
    PGresult* result =
        PQexecPrepared(m_connection, query.name, params.size(), values.data(), lengths.data(), formats.data(), kBinary);
    ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return Result(result);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (state && std::strcmp(state, kUniqueViolation) == 0) {
        PQclear(result);
        return Result(nullptr, true);
    }
    fail(result);
}

void Connection::exec(const char* sql)
{
    PGresult* result = PQexec(m_connection, sql);
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(result);
    PQclear(result);
}

bool Connection::alive()
{
    if (PQstatus(m_connection) != CONNECTION_OK) return false;
    // An idle connection has nothing to read unless the server said goodbye or closed it.
    pollfd ready{PQsocket(m_connection), POLLIN, 0};
    if (::poll(&ready, 1, 0) > 0) PQconsumeInput(m_connection);
    return PQstatus(m_connection) == CONNECTION_OK;
}

Pool::Pool(std::string url, int size) : m_url(std::move(url)), m_size(size < 1 ? 1 : size) {}

Pool::Lease Pool::acquire()
{
    std::unique_lock guard(m_lock);
    m_returned.wait(guard, [this] { return !m_idle.empty() || m_open < m_size; });
    std::unique_ptr<Connection> connection;
    if (!m_idle.empty()) {
        connection = std::move(m_idle.back());
        m_idle.pop_back();
    } else {
        ++m_open;
    }
    guard.unlock();
    try {
        if (!connection || !connection->alive()) connection = std::make_unique<Connection>(m_url);
    } catch (...) {
        std::lock_guard again(m_lock);
        --m_open;
        m_returned.notify_one();
        throw;
    }
    return Lease(*this, std::move(connection));
}

void Pool::release(std::unique_ptr<Connection> connection)
{
    std::lock_guard guard(m_lock);
    // A connection that lost its server is closed; the next lease opens a fresh one.
    if (connection && connection->alive())
        m_idle.push_back(std::move(connection));
    else
        --m_open;
    m_returned.notify_one();
}

}  // namespace ludomat::server::pg
