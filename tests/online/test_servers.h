#pragma once
// Servers for the online tests, both on loopback only: the real ludomat-server process, and a
// small recording server inside the test that keeps what each request carried and can misbehave
// on purpose.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace ludomat::test {

// The studio's tests sign up with short made-up passwords; the server's own tests pass other
// arguments (or none) to run it as shipped.
inline const QStringList kShortPasswords{"--min-password-length", "1"};

// The members' database of a test server: a file in `folder`, or a fresh database of the
// test's own PostgreSQL when the environment has LUDOMAT_TEST_ENGINE=postgresql, so the same
// endpoint tests run against either engine.
QString testDatabase(const QTemporaryDir& folder);

// ludomat-server started on a free port with a content folder and database of its own.
class ServerProcess {
public:
    // `contentRoot` empty: the content shipped with the project. `arguments` are added to the
    // command line.
    explicit ServerProcess(const QString& contentRoot = {}, const QStringList& arguments = kShortPasswords);
    ~ServerProcess();
    bool isRunning() const { return !m_root.isEmpty(); }
    // The site root, ending with "/".
    const QString& root() const { return m_root; }
    // Stops it with SIGTERM; the exit code (0 for a clean stop), -1 when it did not stop.
    int terminate();
    // Ends it with SIGKILL, as a crash would.
    void kill();
    // The request lines it logged so far.
    QStringList log();
    int port() const;
    QString databasePath() const { return m_data.filePath("membros.db"); }

private:
    QProcess m_process;
    QTemporaryDir m_data;
    QString m_root;
    QString m_log;
};

// A plain TCP connection to the server on loopback, for what the studio's client never sends:
// byte by byte, chunked past every limit, from another loopback address.
class RawConnection {
public:
    explicit RawConnection(int port, const char* sourceAddress = "127.0.0.1");
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    bool isOpen() const { return m_fd >= 0; }
    // False once the server has closed or reset the connection.
    bool send(const std::string& bytes);
    struct Reply {
        int status = 0;  // 0: no whole reply came
        std::string body;
        std::string head;  // status line and headers
    };
    // One reply (its body by Content-Length) within `timeoutMs`.
    Reply read(int timeoutMs = 5000);
    // True when the server closes the connection within `timeoutMs`.
    bool closedWithin(int timeoutMs);

private:
    int m_fd = -1;
    std::string m_received;
};

// What one request carried.
struct Recorded {
    std::string method;
    std::string path;
    std::string target;  // path and query as sent, still encoded
    std::multimap<std::string, std::string> headers;
    std::vector<std::pair<std::string, std::string>> params;  // decoded, in arrival order
    std::string body;
    std::map<std::string, std::string> form;  // multipart fields
    std::string replyEncoding;                // Content-Encoding of the answer
    std::string header(const std::string& name) const;
};

// An in-process server on a thread. Routes:
//   /echo            200 "eco"; /gzip 200 a long compressible text;
//   /set-cookie      sets "sessao=abc123";  /redirect 302 to /echo;  /slow answers after 6.5 s;
//   /bomb            a gzip body that inflates to 100 MB;
//   /erro500         500;  /huge 200 MB streamed;  /never a few bytes, then nothing;
//   /file/NAME       200 "conteudo de NAME";  anything registered with setReply().
class RecordingServer {
public:
    RecordingServer();
    ~RecordingServer();
    QString root() const;  // "http://127.0.0.1:PORT/"
    std::vector<Recorded> requests();
    int count(const std::string& path);
    // How a registered path answers.
    enum class Kind { Body, Huge, Redirect, Error500 };
    // A fixed 200 reply for `path`, or one of the misbehaviours.
    void setReply(const std::string& path, const std::string& body, Kind kind = Kind::Body);

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_lock;
    std::vector<Recorded> m_requests;
    std::map<std::string, std::pair<std::string, Kind>> m_replies;
    std::atomic<bool> m_stopping{false};
};

}  // namespace ludomat::test
