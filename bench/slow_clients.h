#pragma once
// Connections that send a request header a byte every 3 s and open again whenever the server
// closes them: what a slow or hostile client does beside the members of the load.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace ludomat::bench {

class SlowClients {
public:
    SlowClients(int port, int count, std::atomic<bool>& stop) : m_port(port)
    {
        if (count > 0) m_thread = std::thread([this, count, &stop] { run(count, stop); });
    }
    ~SlowClients()
    {
        if (m_thread.joinable()) m_thread.join();
        for (int fd : m_sockets) ::close(fd);
    }
    long reopened() const { return m_reopened; }

private:
    int open()
    {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(m_port));
        inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    void run(int count, std::atomic<bool>& stop)
    {
        const std::string header = "GET /ludomat/vrsmsg.txt HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Lento: ";
        for (int i = 0; i < count; ++i) m_sockets.push_back(open());
        std::vector<size_t> sent(m_sockets.size(), 0);
        while (!stop) {
            for (size_t i = 0; i < m_sockets.size(); ++i) {
                char byte = sent[i] < header.size() ? header[sent[i]] : 'x';
                if (m_sockets[i] < 0 || ::send(m_sockets[i], &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT) != 1) {
                    if (m_sockets[i] >= 0) ::close(m_sockets[i]);
                    m_sockets[i] = open();
                    sent[i] = 0;
                    ++m_reopened;
                } else {
                    ++sent[i];
                }
            }
            for (int t = 0; t < 30 && !stop; ++t) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    int m_port;
    std::vector<int> m_sockets;
    std::atomic<long> m_reopened{0};
    std::thread m_thread;
};

}  // namespace ludomat::bench
