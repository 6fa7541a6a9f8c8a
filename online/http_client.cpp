#include "online/http_client.h"

#include "online/body_decoding.h"
#include "online/safe_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QHostAddress>
#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <stdexcept>

namespace ludomat {

const std::string Http::kNoConnection = "Sem conex\xE3o!!!";
const std::string Http::kTryAgain = "Tente novamente!";

namespace {

const char kDefaultServerRoot[] = "http://127.0.0.1:8087/";

QString withSlash(QString text)
{
    if (!text.endsWith('/')) text += '/';
    return text;
}

}  // namespace

QString chooseServerRoot(const QString& commandLineValue)
{
    if (!commandLineValue.trimmed().isEmpty()) return withSlash(commandLineValue.trimmed());
    QString fromEnvironment = qEnvironmentVariable("LUDOMAT_SERVER").trimmed();
    if (!fromEnvironment.isEmpty()) return withSlash(fromEnvironment);
    return kDefaultServerRoot;
}

std::vector<std::string> replyLines(const std::string& body)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

Http::Http(const QString& serverRoot, QObject* parent)
    : QObject(parent), m_root(withSlash(serverRoot)), m_manager(new QNetworkAccessManager(this))
{
    // The server is reached directly; a proxy of the desktop would see the member's password.
    m_manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_manager->setTransferTimeout(kTimeoutMs);
    prepareRequest();
}

Http::~Http() = default;

void Http::prepareRequest()
{
    // Accept-Encoding set by hand keeps the toolkit from asking for more; we decode the two.
    m_headers = {
        {"Accept", "text/html, */*"},
        {"Accept-Charset", "utf-8"},
        {"Accept-Encoding", "gzip, deflate"},
        {"Accept-Language", "pt-BR,pt;q=0.8,en-US;q=0.6,en;q=0.4"},
        {"Cache-Control", "no-cache"},
        {"Connection", "keep-alive"},
        {"Content-Type", "application/json;odata=light;charset=utf-8;"},
        {"User-Agent",
         "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
         "Chrome/58.0.3029.96 Safari/537.36"},
    };
}

QByteArray Http::encodeQuery(const Query& query)
{
    QByteArray encoded;
    for (const auto& [key, value] : query) {
        if (!encoded.isEmpty()) encoded += '&';
        encoded += QByteArray::fromStdString(key).toPercentEncoding();
        encoded += '=';
        encoded += QByteArray::fromStdString(value).toPercentEncoding();
    }
    return encoded;
}

QNetworkRequest Http::makeRequest(const QString& url, const Query& query, int timeoutMs) const
{
    QUrl target(url.trimmed(), QUrl::TolerantMode);
    if (!query.empty()) target.setQuery(QString::fromLatin1(encodeQuery(query)), QUrl::StrictMode);
    QNetworkRequest request(target);
    for (const auto& [name, value] : m_headers) request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setTransferTimeout(timeoutMs);
    return request;
}

void Http::collect(QNetworkReply* reply, QObject* context, Done done)
{
    // State shared by the handlers below; it lives as long as the reply.
    struct Pending {
        QByteArray body;
        bool tooLarge = false;
    };
    auto pending = std::make_shared<Pending>();
    connect(reply, &QNetworkReply::readyRead, reply, [reply, pending] {
        if (pending->tooLarge) return;
        pending->body += reply->readAll();
        if (pending->body.size() > kMaxBodyBytes) {
            pending->tooLarge = true;
            pending->body.clear();
            reply->abort();
        }
    });
    // A reply that trickles in forever is cut off, whatever its pace.
    auto* limit = new QTimer(reply);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    limit->start(kRequestLimitMs);
    QPointer<QObject> receiver(context);
    connect(reply, &QNetworkReply::finished, reply, [reply, pending, receiver, context, done = std::move(done)] {
        Reply result;
        if (!pending->tooLarge && reply->isOpen()) pending->body += reply->readAll();
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (pending->tooLarge) {
            result.error = "resposta grande demais";
        } else if (reply->error() != QNetworkReply::NoError) {
            result.error = reply->errorString();
        } else if (result.status < 200 || result.status > 299) {
            result.error = QString("status HTTP %1").arg(result.status);
        } else if (auto plain = decodeBody(pending->body, reply->rawHeader("Content-Encoding"), kMaxBodyBytes)) {
            result.ok = true;
            result.body = *plain;
        } else {
            result.error = "corpo comprimido danificado";
        }
        reply->deleteLater();
        // A window closed meanwhile gets nothing.
        if (context && !receiver) return;
        done(result);
    });
}

Http::Reply Http::wait(QNetworkReply* reply)
{
    Reply result;
    bool ended = false;
    QEventLoop loop;
    collect(reply, nullptr, [&](const Reply& answer) {
        result = answer;
        ended = true;
        loop.quit();
    });
    // The window paints while we wait; clicks and keys wait for the request's end, as they
    // would in a program that blocks, so no handler starts a second operation meanwhile.
    if (!ended) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}

Http::Reply Http::get(const QString& url, const Query& query, int timeoutMs)
{
    if (m_busy) return {false, 0, {}, "outra requisição em andamento"};
    m_busy = true;
    Reply reply = wait(m_manager->get(makeRequest(url, query, timeoutMs)));
    m_busy = false;
    return reply;
}

QNetworkReply* Http::startPost(const QString& url, const Query& query, const QByteArray& field,
                               const std::string& value)
{
    auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader, "form-data; name=\"" + field + "\"");
    part.setBody(QByteArray::fromStdString(value));
    form->append(part);
    QNetworkRequest request = makeRequest(url, query);
    request.setRawHeader("Content-Type", "multipart/form-data; boundary=" + form->boundary());
    QNetworkReply* pending = m_manager->post(request, form);
    form->setParent(pending);
    return pending;
}

Http::Reply Http::postForm(const QString& url, const Query& query, const QByteArray& field, const std::string& value)
{
    if (m_busy) return {false, 0, {}, "outra requisição em andamento"};
    m_busy = true;
    Reply reply = wait(startPost(url, query, field, value));
    m_busy = false;
    return reply;
}

void Http::getAsync(const QString& url, const Query& query, QObject* context, Done done)
{
    collect(m_manager->get(makeRequest(url, query)), context, std::move(done));
}

void Http::postFormAsync(const QString& url, const Query& query, const QByteArray& field, const std::string& value,
                         QObject* context, Done done)
{
    collect(startPost(url, query, field, value), context, std::move(done));
}

bool saveDownload(const QString& localFolder, const QString& fileName, const QByteArray& body)
{
    QSaveFile file(QDir(localFolder).filePath(fileName));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(body) != body.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool Http::downloadFile(const QString& base, const QString& localFolder, const QString& fileName)
{
    if (!isSafeFileName(fileName)) return false;
    QCoreApplication::processEvents();
    Reply reply = get(base + fileName);
    return reply.ok && saveDownload(localFolder, fileName, reply.body);
}

void Http::downloadFileAsync(const QString& base, const QString& localFolder, const QString& fileName, QObject* context,
                             std::function<void(bool)> done)
{
    if (!isSafeFileName(fileName)) {
        // Still later, as every answer of an asynchronous request.
        QTimer::singleShot(0, context ? context : this, [done] { done(false); });
        return;
    }
    getAsync(base + fileName, {}, context, [localFolder, fileName, done](const Reply& reply) {
        done(reply.ok && saveDownload(localFolder, fileName, reply.body));
    });
}

bool Http::downloadCataloguePicture(const QString& programFolder, const QString& fileName)
{
    prepareRequest();
    if (!isSafeFileName(fileName)) return false;
    QCoreApplication::processEvents();
    Reply reply = get((scriptBase() + fileName).trimmed());
    return reply.ok && saveDownload(programFolder, fileName, reply.body);
}

std::string Http::fetchText(const QString& url)
{
    if (m_indicator) m_indicator(true);
    prepareRequest();
    QCoreApplication::processEvents();
    std::string text;
    if (!isOnline()) {
        text = kNoConnection;
    } else {
        Reply reply = get(url);
        text = reply.ok ? reply.body.toStdString() : kTryAgain;
    }
    if (m_indicator) m_indicator(false);
    return text;
}

std::string Http::postChatText(const std::string& memberKey, const std::string& text)
{
    prepareRequest();
    Reply reply = postForm(memberBase() + "mandamsg.php", {{"Idk", memberKey}}, "Txt", text);
    if (!reply.ok) throw std::runtime_error(reply.error.toStdString());
    return reply.body.toStdString();
}

void Http::closeConnections()
{
    m_manager->clearConnectionCache();
}

bool Http::isOnline() const
{
    QHostAddress host(QUrl(m_root).host());
    if (host.isLoopback() || QUrl(m_root).host() == "localhost") return true;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        auto flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
}

}  // namespace ludomat
