#pragma once
// The participants of each group as last read, kept for the rest of that second. Every member in
// a chat asks for the list every two seconds, and each answer reads and sorts the whole group:
// with a thousand members that is the database's heaviest work. The list already moves in steps
// of seconds (a member counts as seen for ten), so one read a second per group and process
// answers the same; a join, nick change or leave through this process drops the copies at once.

#include "server/storage.h"

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ludomat::server {

class RecentNicks {
public:
    std::optional<std::vector<std::string>> find(GroupId group, long long second)
    {
        std::lock_guard lock(m_mutex);
        auto found = m_byGroup.find(group);
        if (found == m_byGroup.end() || found->second.second != second) return std::nullopt;
        return found->second.nicks;
    }
    void keep(GroupId group, long long second, std::vector<std::string> nicks)
    {
        std::lock_guard lock(m_mutex);
        m_byGroup[group] = Entry{second, std::move(nicks)};
    }
    void forget()
    {
        std::lock_guard lock(m_mutex);
        m_byGroup.clear();
    }

private:
    struct Entry {
        long long second = 0;
        std::vector<std::string> nicks;
    };
    std::mutex m_mutex;
    std::unordered_map<GroupId, Entry> m_byGroup;
};

}  // namespace ludomat::server
