#pragma once
// Where the server keeps members, groups and chat messages. Handlers talk to this interface
// only, never to SQL, so the database behind it can change without touching a route.

#include <memory>
#include <optional>
#include <string>

namespace ludomat::server {

class Storage {
public:
    virtual ~Storage() = default;
    // The member key of a member whose e-mail and password match, if any.
    virtual std::optional<std::string> memberKey(const std::string& email, const std::string& password) = 0;
    // The group of the member with this key; empty when none.
    virtual std::string memberGroup(const std::string& memberKey) = 0;
};

// SQLite in WAL mode at `path` (":memory:" for a database that lives as long as the process).
// Throws std::runtime_error with SQLite's message when the file cannot be opened.
std::unique_ptr<Storage> openSqliteStorage(const std::string& path);

}  // namespace ludomat::server
