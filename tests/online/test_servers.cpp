#include "test_servers.h"

#include "postgres_cluster.h"

#include <httplib.h>

#include <QCoreApplication>

#include <zlib.h>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

namespace ludomat::test {

namespace {
// Where CMake put the server program.
const char kServerProgram[] = LUDOMAT_SERVER_PROGRAM;
// A small gzip stream of `size` zero bytes: what a hostile server sends to fill memory.
std::string gzipOfZeros(size_t size)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> zeros(1024 * 1024, 0);
    std::string out;
    unsigned char buffer[64 * 1024];
    for (size_t done = 0; done <= size; done += zeros.size()) {
        bool last = done + zeros.size() > size;
        stream.next_in = zeros.data();
        stream.avail_in = last ? 0 : uInt(zeros.size());
        do {
            stream.next_out = buffer;
            stream.avail_out = sizeof buffer;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(reinterpret_cast<char*>(buffer), sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

}  // namespace

QString testDatabase(const QTemporaryDir& folder)
{
    if (qgetenv("LUDOMAT_TEST_ENGINE") == "postgresql")
        return QString::fromStdString(PostgresCluster::shared().freshDatabase());
    return folder.filePath("membros.db");
}

ServerProcess::ServerProcess(const QString& contentRoot, const QStringList& extraArguments)
{
    QStringList arguments{"--port", "0", "--database", testDatabase(m_data)};
    if (!contentRoot.isEmpty()) arguments << "--root" << contentRoot;
    m_process.start(kServerProgram, arguments + extraArguments);
    if (!m_process.waitForStarted(5000)) return;
    QElapsedTimer clock;
    clock.start();
    // The first line of its output names the address it listens on.
    while (!m_process.canReadLine() && clock.elapsed() < 5000) m_process.waitForReadyRead(100);
    QString line = QString::fromUtf8(m_process.readLine()).trimmed();
    if (line.startsWith("ouvindo em ")) m_root = line.mid(11);
}

ServerProcess::~ServerProcess()
{
    if (m_process.state() != QProcess::NotRunning) terminate();
}

void ServerProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

int ServerProcess::terminate()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QStringList ServerProcess::log()
{
    // Without an event loop the output is only read while waiting for it.
    for (int i = 0; i < 50 && m_process.state() == QProcess::Running && m_process.waitForReadyRead(20); ++i) {
    }
    m_log += QString::fromUtf8(m_process.readAllStandardError());
    return m_log.split('\n', Qt::SkipEmptyParts);
}

int ServerProcess::port() const
{
    return m_root.section(':', 2).section('/', 0, 0).toInt();
}

RawConnection::RawConnection(int port, const char* sourceAddress)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    inet_pton(AF_INET, sourceAddress, &source.sin_addr);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, "127.0.0.1", &target.sin_addr);
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&source), sizeof source) != 0 ||
        ::connect(m_fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
}

RawConnection::~RawConnection()
{
    if (m_fd >= 0) ::close(m_fd);
}

bool RawConnection::send(const std::string& bytes)
{
    for (size_t done = 0; m_fd >= 0 && done < bytes.size();) {
        ssize_t n = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += size_t(n);
    }
    return m_fd >= 0;
}

RawConnection::Reply RawConnection::read(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_fd >= 0) {
        size_t headerEnd = m_received.find("\r\n\r\n");
        if (headerEnd != std::string::npos) {
            std::string header = m_received.substr(0, headerEnd);
            for (char& c : header) c = char(std::tolower(static_cast<unsigned char>(c)));
            size_t at = header.find("content-length:");
            size_t length = at == std::string::npos ? 0 : std::stoul(header.substr(at + 15));
            if (m_received.size() >= headerEnd + 4 + length) {
                Reply reply{std::atoi(m_received.c_str() + 9), m_received.substr(headerEnd + 4, length),
                            m_received.substr(0, headerEnd)};
                m_received.erase(0, headerEnd + 4 + length);
                return reply;
            }
        }
        int left = timeoutMs - int(clock.elapsed());
        pollfd ready{m_fd, POLLIN, 0};
        if (left <= 0 || ::poll(&ready, 1, left) <= 0) break;
        char buffer[65536];
        ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        m_received.append(buffer, size_t(n));
    }
    return {};
}

bool RawConnection::closedWithin(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_fd >= 0) {
        int left = timeoutMs - int(clock.elapsed());
        pollfd ready{m_fd, POLLIN, 0};
        if (left <= 0 || ::poll(&ready, 1, left) <= 0) return false;
        char buffer[65536];
        ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0) return true;
    }
    return true;
}

std::string Recorded::header(const std::string& name) const
{
    auto it = headers.find(name);
    return it == headers.end() ? std::string("<ausente>") : it->second;
}

RecordingServer::RecordingServer() : m_server(std::make_unique<httplib::Server>())
{
    httplib::Server& s = *m_server;
    // Recorded before the answer is written, so a test that got its answer finds the record.
    s.set_post_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        Recorded r;
        r.method = request.method;
        r.path = request.path;
        r.target = request.target;
        r.body = request.body;
        r.replyEncoding = response.get_header_value("Content-Encoding");
        for (const auto& [name, field] : request.files) r.form[name] = field.content;
        for (const auto& [key, value] : request.headers) r.headers.emplace(key, value);
        // The decoded values, in the order of the raw query.
        std::string query = request.target.substr(std::min(request.target.size(), request.target.find('?') + 1));
        if (request.target.find('?') != std::string::npos)
            httplib::detail::split(query.data(), query.data() + query.size(), '&', [&](const char* b, const char* e) {
                std::string pair(b, e);
                size_t eq = pair.find('=');
                r.params.emplace_back(httplib::detail::decode_url(pair.substr(0, eq), true),
                                      eq == std::string::npos ? "" : httplib::detail::decode_url(pair.substr(eq + 1), true));
            });
        std::lock_guard guard(m_lock);
        m_requests.push_back(std::move(r));
    });
    s.Get("/echo", [](const httplib::Request&, httplib::Response& res) { res.set_content("eco", "text/plain"); });
    s.Post("/echo", [](const httplib::Request&, httplib::Response& res) { res.set_content("eco", "text/plain"); });
    s.Get("/gzip", [](const httplib::Request&, httplib::Response& res) {
        std::string text;
        for (int i = 0; i < 200; ++i) text += "linha de texto repetida para comprimir bem\r\n";
        res.set_content(text, "text/plain");
    });
    s.Get("/bomb", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Content-Encoding", "gzip");
        res.set_content(gzipOfZeros(100 * 1024 * 1024), "application/octet-stream");
    });
    s.Get("/set-cookie", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "sessao=abc123; Path=/");
        res.set_content("Ok", "text/plain");
    });
    s.Get("/redirect", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/echo"); });
    s.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
        for (int i = 0; i < 150 && !m_stopping; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        res.set_content("tarde", "text/plain");
    });
    s.Get("/erro500", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("falhou", "text/plain");
    });
    s.Get("/huge", [](const httplib::Request&, httplib::Response& res) {
        constexpr size_t kSize = 200u * 1024 * 1024;
        res.set_content_provider(kSize, "application/octet-stream", [](size_t offset, size_t length, httplib::DataSink& sink) {
            static const std::string block(64 * 1024, 'x');
            (void)offset;
            return sink.write(block.data(), std::min(length, block.size()));
        });
    });
    s.Get("/never", [this](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
            if (offset == 0) return sink.write("comeco", 6);
            for (int i = 0; i < 100 && !m_stopping; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return false;
        });
    });
    s.Get(R"(/file/([^/]+))", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("conteudo de " + req.matches[1].str(), "application/octet-stream");
    });
    s.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
        std::pair<std::string, Kind> reply;
        {
            std::lock_guard guard(m_lock);
            auto it = m_replies.find(req.path);
            if (it == m_replies.end()) {
                res.status = 404;
                return;
            }
            reply = it->second;
        }
        switch (reply.second) {
        case Kind::Body: res.set_content(reply.first, "application/octet-stream"); break;
        case Kind::Redirect: res.set_redirect("/echo"); break;
        case Kind::Error500: res.status = 500; break;
        case Kind::Huge:
            res.set_content_provider(200u * 1024 * 1024, "image/png", [](size_t, size_t length, httplib::DataSink& sink) {
                static const std::string block(64 * 1024, 'x');
                return sink.write(block.data(), std::min(length, block.size()));
            });
            break;
        }
    });
    m_port = s.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([&s] { s.listen_after_bind(); });
    while (!s.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

RecordingServer::~RecordingServer()
{
    m_stopping = true;
    m_server->stop();
    m_thread.join();
}

QString RecordingServer::root() const { return QString("http://127.0.0.1:%1/").arg(m_port); }

std::vector<Recorded> RecordingServer::requests()
{
    std::lock_guard guard(m_lock);
    return m_requests;
}

int RecordingServer::count(const std::string& path)
{
    std::lock_guard guard(m_lock);
    int n = 0;
    for (const Recorded& r : m_requests) n += r.path == path;
    return n;
}

void RecordingServer::setReply(const std::string& path, const std::string& body, Kind kind)
{
    std::lock_guard guard(m_lock);
    m_replies[path] = {body, kind};
}

}  // namespace ludomat::test
