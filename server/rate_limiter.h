#pragma once
// Counts requests per caller in one-second windows, so one key cannot flood the server.

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace ludomat::server {

class RateLimiter {
public:
    // Requests one caller may make in a second; the studio makes two every two seconds.
    static constexpr int kPerSecond = 20;
    // Callers remembered at most; the table is emptied when it grows past this.
    static constexpr size_t kMaxCallers = 100'000;

    // True when `who` has made at most kPerSecond requests in the current second, this one included.
    bool admit(const std::string& who)
    {
        long long second =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        std::lock_guard guard(m_lock);
        if (m_windows.size() > kMaxCallers) m_windows.clear();
        Window& window = m_windows[who];
        if (window.second != second) window = {second, 0};
        return ++window.count <= kPerSecond;
    }

private:
    struct Window {
        long long second = 0;
        int count = 0;
    };
    std::mutex m_lock;
    std::unordered_map<std::string, Window> m_windows;
};

}  // namespace ludomat::server
