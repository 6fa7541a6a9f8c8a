#pragma once
// The participants of each group as last read, kept for the rest of that second. Every member in
// a chat asks for the list every two seconds, and each answer reads and sorts the whole group:
// with a thousand members that is the database's heaviest work. The list already moves in steps
// of seconds (a member counts as seen for ten), so one read a second per group and process
// answers the same; a join, nick change or leave through this process drops the copies at once.
// Requests that find the list being read wait for that read instead of reading it again, so the
// turn of a second does not start a read on every handler at once.

#include "server/storage.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace ludomat::server {

class RecentNicks {
public:
    using Read = std::function<std::vector<std::string>()>;

    // The group's list as of `second`: kept, or read once by `read` for everyone asking.
    std::vector<std::string> get(GroupId group, long long second, const Read& read)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            auto found = m_byGroup.find(group);
            if (found != m_byGroup.end() && found->second.second == second) return found->second.nicks;
            if (m_reading.insert(group).second) break;
            m_readDone.wait(lock);
        }
        const long long generation = m_generation;
        lock.unlock();
        std::vector<std::string> nicks;
        try {
            nicks = read();
        } catch (...) {
            finishRead(group);
            throw;
        }
        lock.lock();
        // A join or leave during the read may not be in it: answer it, but keep nothing.
        if (generation == m_generation) m_byGroup[group] = Entry{second, nicks};
        m_reading.erase(group);
        m_readDone.notify_all();
        return nicks;
    }
    void forget()
    {
        std::lock_guard lock(m_mutex);
        m_byGroup.clear();
        ++m_generation;
    }

private:
    void finishRead(GroupId group)
    {
        std::lock_guard lock(m_mutex);
        m_reading.erase(group);
        m_readDone.notify_all();
    }

    struct Entry {
        long long second = 0;
        std::vector<std::string> nicks;
    };
    std::mutex m_mutex;
    std::condition_variable m_readDone;
    std::unordered_map<GroupId, Entry> m_byGroup;
    std::unordered_set<GroupId> m_reading;
    long long m_generation = 0;
};

}  // namespace ludomat::server
