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
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

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
        {"User-Agent", "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
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

QNetworkRequest Http::makeRequest(const QString& url, const Query& query) const
{
    QUrl target(url.trimmed(), QUrl::TolerantMode);
    if (!query.empty()) target.setQuery(QString::fromLatin1(encodeQuery(query)), QUrl::StrictMode);
    QNetworkRequest request(target);
    for (const auto& [name, value] : m_headers) request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setTransferTimeout(kTimeoutMs);
    return request;
}

Http::Reply Http::wait(QNetworkReply* reply)
{
    Reply result;
    QByteArray body;
    bool tooLarge = false;
    QEventLoop loop;
    connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > kMaxBodyBytes && !tooLarge) {
            tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    limit.start(kRequestLimitMs);
    // The window paints while we wait; clicks and keys wait for the request's end, as they
    // would in a program that blocks, so no handler starts a second operation meanwhile.
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!tooLarge && reply->isOpen()) body += reply->readAll();

    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLarge) {
        result.error = "resposta grande demais";
    } else if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->errorString();
    } else if (result.status < 200 || result.status > 299) {
        result.error = QString("status HTTP %1").arg(result.status);
    } else if (auto plain = decodeBody(body, reply->rawHeader("Content-Encoding"), kMaxBodyBytes)) {
        result.ok = true;
        result.body = *plain;
    } else {
        result.error = "corpo comprimido danificado";
    }
    reply->deleteLater();
    return result;
}

Http::Reply Http::get(const QString& url, const Query& query)
{
    if (m_busy) return {false, 0, {}, "outra requisição em andamento"};
    m_busy = true;
    Reply reply = wait(m_manager->get(makeRequest(url, query)));
    m_busy = false;
    return reply;
}

Http::Reply Http::postForm(const QString& url, const Query& query, const QByteArray& field, const std::string& value)
{
    if (m_busy) return {false, 0, {}, "outra requisição em andamento"};
    m_busy = true;
    auto* form = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader, "form-data; name=\"" + field + "\"");
    part.setBody(QByteArray::fromStdString(value));
    form->append(part);
    QNetworkRequest request = makeRequest(url, query);
    request.setRawHeader("Content-Type", "multipart/form-data; boundary=" + form->boundary());
    QNetworkReply* pending = m_manager->post(request, form);
    form->setParent(pending);
    Reply reply = wait(pending);
    m_busy = false;
    return reply;
}

bool Http::downloadFile(const QString& base, const QString& localFolder, const QString& fileName)
{
    if (!isSafeFileName(fileName)) return false;
    QCoreApplication::processEvents();
    Reply reply = get(base + fileName);
    if (!reply.ok) return false;
    QSaveFile file(QDir(localFolder).filePath(fileName));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(reply.body) != reply.body.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool Http::downloadCataloguePicture(const QString& programFolder, const QString& fileName)
{
    prepareRequest();
    if (!isSafeFileName(fileName)) return false;
    QCoreApplication::processEvents();
    Reply reply = get((scriptBase() + fileName).trimmed());
    if (!reply.ok) return false;
    QSaveFile file(QDir(programFolder).filePath(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(reply.body) != reply.body.size()) return false;
    return file.commit();
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
