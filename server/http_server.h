#pragma once
// The server's HTTP core: a few threads wait on every open connection at once (Boost.Asio), and
// Boost.Beast reads each request within fixed limits, so slow, idle or greedy clients cost a
// socket and a small buffer each, never a thread. Handlers run on a separate small pool, so a
// slow password check does not hold up the connections waiting to be read.

#include "server/http_message.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace ludomat::server {

struct HttpLimits {
    size_t maxBodyBytes = 1024 * 1024;  // larger bodies are refused while they stream in
    size_t maxHeaderBytes = 16 * 1024;
    // Each is a deadline for its whole phase, not reset by every byte that trickles in.
    std::chrono::seconds idleTimeout{60};    // from a reply to the next request's first byte
    std::chrono::seconds headerTimeout{10};  // from the first byte to the end of the header
    std::chrono::seconds bodyTimeout{30};    // from the end of the header to the end of the body
    std::chrono::seconds writeTimeout{30};   // to send a reply, plus a second per 16 KiB of it
    size_t maxConnections = 10'000;
    size_t maxConnectionsPerAddress = 256;
    int ioThreads = 2;
    int handlerThreads = 4;
};

class HttpServer {
public:
    using Dispatch = std::function<void(Request&, Response&)>;
    using Log = std::function<void(const Request&, const Response&)>;

    HttpServer(HttpLimits limits, Dispatch dispatch, Log log);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on `address`:`port` (0 picks a free port) and returns the port; throws
    // std::runtime_error with a message for the user when it cannot (the port is taken, ...).
    int listen(const std::string& address, int port);
    // Serves until stop() is called.
    void run();
    // Safe from any thread.
    void stop();

    struct Impl;  // the connections' side, in http_server.cpp

private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace ludomat::server
