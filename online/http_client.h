#pragma once
// `Http`: the one HTTP client of the program. Every exchange with the server goes through it:
// fixed request headers, cookies kept for the run, no proxy, redirects not followed, 5-second
// connect and read limits. The window's own requests are asynchronous: they return at once and
// hand the reply to a callback. The blocking forms wait in a local event loop and never overlap:
// one asked for while another runs fails at once.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

namespace ludomat {

// Query keys in order with their raw values (Windows-1252 bytes); the client encodes them.
using Query = std::vector<std::pair<std::string, std::string>>;

class Http : public QObject {
    Q_OBJECT
public:
    // Connect and read limit of every request.
    static constexpr int kTimeoutMs = 5000;
    // A reply that trickles in forever is cut off after this long, whatever its pace.
    static constexpr int kRequestLimitMs = 120'000;
    // Larger bodies are refused: nothing the server legitimately sends comes near it.
    static constexpr qint64 kMaxBodyBytes = 64 * 1024 * 1024;

    // The texts put in place of a failed catalogue fetch.
    static const std::string kNoConnection;  // "Sem conexão!!!"
    static const std::string kTryAgain;      // "Tente novamente!"

    struct Reply {
        bool ok = false;
        int status = 0;
        QByteArray body;
        QString error;
    };

    // `serverRoot` is the site root; a missing final "/" is added.
    explicit Http(const QString& serverRoot, QObject* parent = nullptr);
    ~Http() override;

    // The server bases, each ending with "/".
    const QString& serverRoot() const { return m_root; }
    QString productBase() const { return m_root + "ludomat/"; }
    QString memberBase() const { return m_root + "ludomat/vip/"; }
    QString scriptBase() const { return m_root + "ludomat/scripts/"; }
    QString catalogueBase() const { return m_root + "ludomat/brelk/"; }

    // Resets the request headers to the client's fixed set.
    void prepareRequest();
    // The headers the next request carries, in order.
    const std::vector<std::pair<QByteArray, QByteArray>>& headers() const { return m_headers; }

    // What an asynchronous request hands back when it has ended, on the user-interface thread.
    using Done = std::function<void(const Reply&)>;

    // GET base+name?query into memory. Fails on no connection, time-out (`timeoutMs` without a
    // byte), a status outside 200-299 (redirects included), an oversized body, or while another
    // request runs.
    Reply get(const QString& url, const Query& query = {}, int timeoutMs = kTimeoutMs);
    // POST of a multipart form with one text field.
    Reply postForm(const QString& url, const Query& query, const QByteArray& field, const std::string& value);

    // The same requests without waiting: `done` runs when the reply has ended, unless `context`
    // was destroyed first. They may run beside each other and beside a blocking request.
    void getAsync(const QString& url, const Query& query, QObject* context, Done done);
    void postFormAsync(const QString& url, const Query& query, const QByteArray& field, const std::string& value,
                       QObject* context, Done done);
    // downloadFile without waiting; `done` gets its result.
    void downloadFileAsync(const QString& base, const QString& localFolder, const QString& fileName, QObject* context,
                           std::function<void(bool)> done);

    // GET base + fileName and write it as localFolder + fileName once the whole body has arrived,
    // replacing the file in one step. A name that is not a plain file name is refused; on any
    // failure a local file of that name is left as it was.
    bool downloadFile(const QString& base, const QString& localFolder, const QString& fileName);
    // A catalogue picture from the script base into `programFolder`.
    bool downloadCataloguePicture(const QString& programFolder, const QString& fileName);
    // The body as text, or "Sem conexão!!!" offline, or "Tente novamente!" on failure.
    std::string fetchText(const QString& url);
    // The chat send: throws std::runtime_error with the client's error text on failure.
    std::string postChatText(const std::string& memberKey, const std::string& text);

    // True when the server's host is this machine or a network interface other than loopback is up.
    bool isOnline() const;
    bool isBusy() const { return m_busy; }
    // Closes the connections kept open for later requests, so a server that is stopping need
    // not wait for them to go idle.
    void closeConnections();

    // Shows or hides the activity indicator `Led1` while FetchText runs.
    void setActivityIndicator(std::function<void(bool)> show) { m_indicator = std::move(show); }
    void showActivity(bool shown) const
    {
        if (m_indicator) m_indicator(shown);
    }

    // Percent-encodes a query: every byte outside A-Z a-z 0-9 - . _ ~ becomes %XX.
    static QByteArray encodeQuery(const Query& query);

private:
    QNetworkRequest makeRequest(const QString& url, const Query& query, int timeoutMs = kTimeoutMs) const;
    Reply wait(QNetworkReply* reply);
    // Gathers `reply`'s body within the limits and calls `done` once it has ended.
    void collect(QNetworkReply* reply, QObject* context, Done done);
    QNetworkReply* startPost(const QString& url, const Query& query, const QByteArray& field, const std::string& value);

    QString m_root;
    QNetworkAccessManager* m_manager;
    std::vector<std::pair<QByteArray, QByteArray>> m_headers;
    std::function<void(bool)> m_indicator;
    bool m_busy = false;
};

// The site root: `--server URL`, else LUDOMAT_SERVER, else the local server's default address.
QString chooseServerRoot(const QString& commandLineValue);

// A reply read as lines: split at CR LF, CR or LF; a final line break adds no empty line.
std::vector<std::string> replyLines(const std::string& body);

// Writes a downloaded body as `localFolder` + `fileName` in one step; false when it cannot.
bool saveDownload(const QString& localFolder, const QString& fileName, const QByteArray& body);

}  // namespace ludomat
