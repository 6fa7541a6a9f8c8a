#include "server/http_server.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unordered_map>

namespace ludomat::server {

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

// What is read and thrown away after a refusal, so the client sees the reply rather than a reset.
constexpr size_t kMaxDrainBytes = 4 * 1024 * 1024;
constexpr auto kDrainTime = std::chrono::seconds(2);
// Bytes a second the slowest reader we wait for takes in.
constexpr size_t kSlowestReader = 16 * 1024;

const char* refusalText(int status)
{
    switch (status) {
        case 400:
            return "Requisi\xE7\xE3o malformada.";
        case 413:
            return "Requisi\xE7\xE3o grande demais.";
        case 431:
            return "Cabe\xE7"
                   "alho grande demais.";
        case 503:
            return "Servidor cheio; tente de novo em instantes.";
        default:
            return "Erro interno do servidor.";
    }
}

}  // namespace

struct HttpServer::Impl {
    HttpLimits limits;
    Dispatch dispatch;
    Log log;
    std::mutex countLock;
    size_t total = 0;
    std::unordered_map<std::string, size_t> perAddress;
    net::io_context io;
    tcp::acceptor acceptor{io};
    net::steady_timer acceptPause{io};
    net::thread_pool handlers;

    Impl(HttpLimits l, Dispatch d, Log g)
        : limits(l), dispatch(std::move(d)), log(std::move(g)), io(l.ioThreads), handlers(size_t(l.handlerThreads))
    {
    }

    // Counts a connection from `address`; false when it would pass a limit.
    bool acquire(const std::string& address)
    {
        std::lock_guard guard(countLock);
        size_t& mine = perAddress[address];
        if (total >= limits.maxConnections || mine >= limits.maxConnectionsPerAddress) {
            if (mine == 0) perAddress.erase(address);
            return false;
        }
        ++total;
        ++mine;
        return true;
    }
    void release(const std::string& address)
    {
        std::lock_guard guard(countLock);
        --total;
        if (--perAddress[address] == 0) perAddress.erase(address);
    }
    void accept();
};

namespace {

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, HttpServer::Impl& server, std::string address, bool counted)
        : m_server(server),
          m_stream(std::move(socket)),
          m_delay(m_stream.get_executor()),
          m_address(std::move(address)),
          m_counted(counted)
    {
    }
    ~Session()
    {
        if (m_counted) m_server.release(m_address);
    }

    void start()
    {
        net::dispatch(m_stream.get_executor(), [self = shared_from_this()] {
            if (self->m_counted)
                self->readRequest();
            else
                self->refuse(503);
        });
    }

private:
    const HttpLimits& limits() const { return m_server.limits; }

    void readRequest()
    {
        m_parser.emplace();
        m_parser->header_limit(std::uint32_t(limits().maxHeaderBytes));
        m_parser->body_limit(limits().maxBodyBytes);
        m_request = Request{};
        m_request.remoteAddress = m_address;
        if (m_buffer.size() > 0) return readHeader();
        // Waiting for the next request's first byte.
        m_stream.expires_after(limits().idleTimeout);
        m_stream.async_read_some(m_buffer.prepare(2048),
                                 [self = shared_from_this()](beast::error_code error, size_t n) {
                                     if (error) return self->close();
                                     self->m_buffer.commit(n);
                                     self->readHeader();
                                 });
    }

    void readHeader()
    {
        m_stream.expires_after(limits().headerTimeout);
        http::async_read_header(
            m_stream, m_buffer, *m_parser,
            [self = shared_from_this()](beast::error_code error, size_t) { self->onHeader(error); });
    }

    void onHeader(beast::error_code error)
    {
        if (error) return failed(error);
        if (m_parser->is_done()) return handle();
        m_stream.expires_after(limits().bodyTimeout);
        http::async_read(m_stream, m_buffer, *m_parser, [self = shared_from_this()](beast::error_code error, size_t) {
            if (error) return self->failed(error);
            self->handle();
        });
    }

    // A request that could not be read whole: refused with the reason, or dropped when the
    // client went away or ran out of time.
    void failed(beast::error_code error)
    {
        if (m_parser->is_header_done()) {
            m_request.method = std::string(m_parser->get().method_string());
            m_request.target = std::string(m_parser->get().target());
        }
        if (error == http::error::body_limit) return refuse(413);
        if (error == http::error::header_limit) return refuse(431);
        static const auto& httpErrors = http::make_error_code(http::error::bad_target).category();
        if (error.category() == httpErrors && error != http::error::end_of_stream &&
            error != http::error::partial_message)
            return refuse(400);
        close();
    }

    void handle()
    {
        auto& request = m_parser->get();
        m_request.method = std::string(request.method_string());
        m_request.target = std::string(request.target());
        m_close = !request.keep_alive();
        // The handler runs on the handlers' pool; the reply is sent back on this connection's strand.
        net::post(m_server.handlers, [self = shared_from_this()] {
            self->runHandler();
            net::post(self->m_stream.get_executor(), [self] { self->reply(); });
        });
    }

    void runHandler()
    {
        auto& request = m_parser->get();
        m_response = Response{};
        if (!parseTarget(m_request.target, m_request.path, m_request.params) ||
            !parseForm(std::string(request[http::field::content_type]), request.body(), m_request)) {
            m_response = {400, refusalText(400), "text/plain; charset=windows-1252"};
        } else {
            // HEAD is answered as GET without the body, so a check of a file or of /healthz
            // needs no route of its own.
            const bool head = m_request.method == "HEAD";
            if (head) m_request.method = "GET";
            try {
                m_server.dispatch(m_request, m_response);
            } catch (const std::exception& error) {
                // The reason goes to the log, never to the client.
                std::fprintf(stderr, "ludomat-server: erro em %s: %s\n", m_request.path.c_str(), error.what());
                m_response = {500, refusalText(500), "text/plain; charset=windows-1252"};
            }
            if (head) m_request.method = "HEAD";
        }
        m_server.log(m_request, m_response);
    }

    void refuse(int status)
    {
        m_close = true;
        m_response = {status, refusalText(status), "text/plain; charset=windows-1252"};
        if (status != 503) m_server.log(m_request, m_response);
        write();
    }

    void reply()
    {
        if (m_response.delay.count() <= 0) return write();
        m_delay.expires_after(m_response.delay);
        m_delay.async_wait([self = shared_from_this()](beast::error_code) { self->write(); });
    }

    void write()
    {
        m_reply = {};
        m_reply.version(11);
        m_reply.result(unsigned(m_response.status));
        if (!m_response.contentType.empty()) m_reply.set(http::field::content_type, m_response.contentType);
        m_reply.keep_alive(!m_close);
        if (m_request.method == "HEAD") {
            // The length the body would have, and no body.
            m_reply.content_length(m_response.body.size());
        } else {
            m_reply.body() = std::move(m_response.body);
            m_reply.prepare_payload();
        }
        // A large file on a slow link still gets through; a reader that stalls does not hold on.
        m_stream.expires_after(limits().writeTimeout + std::chrono::seconds(m_reply.body().size() / kSlowestReader));
        http::async_write(m_stream, m_reply, [self = shared_from_this()](beast::error_code error, size_t) {
            if (error) return self->close();
            if (self->m_close) return self->drainAndClose();
            self->readRequest();
        });
    }

    // Stops sending, reads what the client still sends for a moment, then closes: closing
    // with unread data would reset the connection and could lose the reply just sent.
    void drainAndClose()
    {
        beast::error_code ignored;
        m_stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
        m_stream.expires_after(kDrainTime);
        drain();
    }
    void drain()
    {
        m_buffer.consume(m_buffer.size());
        m_stream.async_read_some(m_buffer.prepare(64 * 1024),
                                 [self = shared_from_this()](beast::error_code error, size_t n) {
                                     self->m_drained += n;
                                     if (error || self->m_drained > kMaxDrainBytes) return self->close();
                                     self->drain();
                                 });
    }

    void close()
    {
        beast::error_code ignored;
        m_stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
        m_stream.socket().close(ignored);
    }

    HttpServer::Impl& m_server;
    beast::tcp_stream m_stream;
    net::steady_timer m_delay;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::string_body>> m_parser;
    http::response<http::string_body> m_reply;
    Request m_request;
    Response m_response;
    std::string m_address;
    bool m_counted;
    bool m_close = false;
    size_t m_drained = 0;
};

}  // namespace

void HttpServer::Impl::accept()
{
    acceptor.async_accept(net::make_strand(io), [this](beast::error_code error, tcp::socket socket) {
        if (error == net::error::operation_aborted) return;
        if (error) {
            // Out of descriptors, most likely: wait for connections to close instead of spinning.
            acceptPause.expires_after(std::chrono::milliseconds(100));
            acceptPause.async_wait([this](beast::error_code e) {
                if (!e) accept();
            });
            return;
        }
        beast::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        auto endpoint = socket.remote_endpoint(ignored);
        std::string address = ignored ? std::string("?") : endpoint.address().to_string();
        bool counted = acquire(address);
        std::make_shared<Session>(std::move(socket), *this, std::move(address), counted)->start();
        accept();
    });
}

HttpServer::HttpServer(HttpLimits limits, Dispatch dispatch, Log log)
    : m_impl(std::make_unique<Impl>(limits, std::move(dispatch), std::move(log)))
{
}

HttpServer::~HttpServer() = default;

int HttpServer::listen(const std::string& address, int port)
{
    beast::error_code error;
    auto ip = net::ip::make_address(address, error);
    if (error) throw std::runtime_error("endere\xC3\xA7o inv\xC3\xA1lido: " + address);
    tcp::endpoint endpoint(ip, (unsigned short)port);
    tcp::acceptor& acceptor = m_impl->acceptor;
    acceptor.open(endpoint.protocol(), error);
    // Reusing an address lets a restarted server listen while old connections wind down; a
    // port another server listens on stays taken (SO_REUSEPORT is never set).
    if (!error) acceptor.set_option(net::socket_base::reuse_address(true), error);
    if (!error) acceptor.bind(endpoint, error);
    if (error == net::error::address_in_use)
        throw std::runtime_error("a porta " + std::to_string(port) + " de " + address +
                                 " j\xC3\xA1 est\xC3\xA1 em uso (outro servidor rodando nela?)");
    if (!error) acceptor.listen(net::socket_base::max_listen_connections, error);
    if (error)
        throw std::runtime_error("n\xC3\xA3o foi poss\xC3\xADvel escutar em " + address + ":" + std::to_string(port) +
                                 ": " + error.message());
    m_impl->accept();
    return acceptor.local_endpoint().port();
}

void HttpServer::run()
{
    std::vector<std::thread> threads;
    for (int i = 1; i < m_impl->limits.ioThreads; ++i) threads.emplace_back([this] { m_impl->io.run(); });
    m_impl->io.run();
    for (auto& thread : threads) thread.join();
    m_impl->handlers.join();
}

void HttpServer::stop()
{
    m_impl->io.stop();
}

}  // namespace ludomat::server
