// The HTTP client against the recording server: headers, query encoding, cookies, redirects,
// limits, compressed bodies, the chat form, one request at a time, and downloads that never
// leave a half file or write outside their folder.

#include "online/catalogue_panel.h"
#include "online/endpoints.h"
#include "online/http_client.h"
#include "test_servers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace ludomat;
using ludomat::test::RecordingServer;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<sem arquivo>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class ClientTest : public QObject {
    Q_OBJECT
private slots:
    void sendsTheFixedHeaders();
    void encodesEveryQueryValueAndKeepsKeyOrder();
    void returnsCookiesAndPostsTheChatForm();
    void refusesRedirectsErrorsAndDecodesGzip();
    void givesUpAfterFiveSecondsWhileTheWindowPaints();
    void asynchronousRequestsReturnAtOnceAndKeepTheLimits();
    void downloadsOnlyWholeBodiesIntoTheirFolder();
    void readsRepliesAsTheTableSays();
    void readsTheCatalogueList();
};

void ClientTest::sendsTheFixedHeaders()
{
    RecordingServer server;
    Http http(server.root());
    http.prepareRequest();
    QVERIFY(http.get(server.root() + "echo").ok);
    auto requests = server.requests();
    QCOMPARE(int(requests.size()), 1);
    const auto& r = requests[0];
    QCOMPARE(r.header("Accept"), std::string("text/html, */*"));
    QCOMPARE(r.header("Accept-Charset"), std::string("utf-8"));
    QCOMPARE(QString::fromStdString(r.header("Accept-Encoding")), QString("gzip, deflate"));
    QCOMPARE(r.header("Accept-Language"), std::string("pt-BR,pt;q=0.8,en-US;q=0.6,en;q=0.4"));
    QCOMPARE(r.header("Cache-Control"), std::string("no-cache"));
    QCOMPARE(r.header("Connection"), std::string("keep-alive"));
    QCOMPARE(r.header("Content-Type"), std::string("application/json;odata=light;charset=utf-8;"));
    QCOMPARE(r.header("User-Agent"),
             std::string("Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                         "Chrome/58.0.3029.96 Safari/537.36"));
    QCOMPARE(r.header("Authorization"), std::string("<ausente>"));
}

void ClientTest::encodesEveryQueryValueAndKeepsKeyOrder()
{
    RecordingServer server;
    Http http(server.root());
    // What a user may type: a blank, the separators, a plus, a hash, a percent and accents
    // (Windows-1252 bytes, as the program holds its text).
    const std::string typed = "a b&c=d+e#f%g\xE9\xE7~.-_";
    const std::string password = "x=1&Senha=2";
    login(http, typed, password);
    auto requests = server.requests();
    QCOMPARE(int(requests.size()), 1);
    const auto& r = requests[0];
    QCOMPARE(r.path, std::string("/ludomat/vip/login.php"));
    QCOMPARE(int(r.params.size()), 2);
    QCOMPARE(r.params[0].first, std::string("Email"));
    QCOMPARE(r.params[0].second, typed);
    QCOMPARE(r.params[1].first, std::string("Senha"));
    QCOMPARE(r.params[1].second, password);
    QCOMPARE(r.target,
             std::string("/ludomat/vip/login.php?Email=a%20b%26c%3Dd%2Be%23f%25g%E9%E7~.-_&Senha=x%3D1%26Senha%3D2"));

    fetchMessages(http, "k", 12, "grupo um");
    QCOMPARE(server.requests().back().target, std::string("/ludomat/vip/pegamesgs.php?Idk=k&Ini=12&Grp=grupo%20um"));
}

void ClientTest::returnsCookiesAndPostsTheChatForm()
{
    RecordingServer server;
    Http http(server.root());
    http.prepareRequest();
    QVERIFY(http.get(server.root() + "set-cookie").ok);
    QVERIFY(http.get(server.root() + "echo").ok);
    QCOMPARE(server.requests().back().header("Cookie"), std::string("sessao=abc123"));

    // The chat form: one field "Txt", the multipart type with its boundary, the key in the query.
    Http chat(server.root());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, chat.postChatText("chave", "oi"));  // no such route
    auto r = server.requests().back();
    QCOMPARE(r.method, std::string("POST"));
    QCOMPARE(r.target, std::string("/ludomat/vip/mandamsg.php?Idk=chave"));
    QVERIFY(QByteArray::fromStdString(r.header("Content-Type")).startsWith("multipart/form-data; boundary="));
    QCOMPARE(int(r.form.size()), 1);
    QCOMPARE(r.form["Txt"], std::string("oi"));
    QCOMPARE(r.header("User-Agent").substr(0, 11), std::string("Mozilla/5.0"));
}

void ClientTest::refusesRedirectsErrorsAndDecodesGzip()
{
    RecordingServer server;
    Http http(server.root());
    Http::Reply moved = http.get(server.root() + "redirect");
    QVERIFY(!moved.ok);
    QCOMPARE(moved.status, 302);
    QCOMPARE(server.count("/echo"), 0);  // not followed

    Http::Reply failed = http.get(server.root() + "erro500");
    QVERIFY(!failed.ok);
    QVERIFY(failed.body.isEmpty());

    Http::Reply packed = http.get(server.root() + "gzip");
    QVERIFY(packed.ok);
    QVERIFY(packed.body.startsWith("linha de texto repetida"));
    QCOMPARE(packed.body.size(), 200 * 44);
    QCOMPARE(server.requests().back().replyEncoding, std::string("gzip"));
    // A small body claiming 100 MB once inflated is refused, not unpacked into memory.
    QVERIFY(!http.get(server.root() + "bomb").ok);

    // No server at all: the catalogue's fetch says to try again, nothing worse.
    Http nowhere("http://127.0.0.1:1/");
    QCOMPARE(nowhere.fetchText("http://127.0.0.1:1/ludomat/brelk/listajogos.php"), Http::kTryAgain);
}

void ClientTest::givesUpAfterFiveSecondsWhileTheWindowPaints()
{
    RecordingServer server;
    Http http(server.root());
    int ticks = 0;
    QTimer painter;
    connect(&painter, &QTimer::timeout, [&] { ++ticks; });
    painter.start(50);
    // A second request asked for while the first waits (as a timer of the member window
    // would) fails at once instead of overlapping it.
    Http::Reply nested;
    bool nestedRan = false;
    QTimer::singleShot(300, [&] {
        nested = http.get(server.root() + "echo");
        nestedRan = true;
    });
    QElapsedTimer clock;
    clock.start();
    Http::Reply slow = http.get(server.root() + "slow");
    qint64 waited = clock.elapsed();
    QVERIFY(!slow.ok);
    QVERIFY2(waited >= 4500 && waited < 9000, qPrintable(QString("esperou %1 ms").arg(waited)));
    QVERIFY2(ticks > 20, "the event loop ran while the request waited");
    QVERIFY(nestedRan);
    QVERIFY(!nested.ok);
    QCOMPARE(server.count("/echo"), 0);
    QVERIFY(!http.isBusy());
    QVERIFY(http.get(server.root() + "echo").ok);
    // A shorter limit, as the leave sent at the program's end has.
    clock.restart();
    QVERIFY(!http.get(server.root() + "slow", {}, 500).ok);
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString("esperou %1 ms").arg(clock.elapsed())));
}

// The window's requests never wait: each returns at once, a quick one is answered while a slow
// one is still out, and their replies pass the same checks as the blocking ones.
void ClientTest::asynchronousRequestsReturnAtOnceAndKeepTheLimits()
{
    RecordingServer server;
    Http http(server.root());
    QStringList answered;
    QElapsedTimer clock;
    clock.start();
    http.getAsync(server.root() + "slow", {}, nullptr,
                  [&](const Http::Reply& reply) { answered << QString("slow:%1").arg(reply.ok); });
    const struct {
        const char* path;
        bool ok;
    } replies[] = {{"echo", true}, {"redirect", false}, {"erro500", false}, {"bomb", false}, {"gzip", true}};
    for (const auto& r : replies)
        http.getAsync(server.root() + r.path, {}, nullptr, [&answered, r](const Http::Reply& reply) {
            answered << QString("%1:%2").arg(r.path).arg(reply.ok);
        });
    QVERIFY2(clock.elapsed() < 1000, "the requests returned at once");
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), int(std::size(replies)), 5000);
    for (const auto& r : replies) QVERIFY(answered.contains(QString("%1:%2").arg(r.path).arg(r.ok)));
    QVERIFY(!answered.contains("slow:1") && !answered.contains("slow:0"));
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), int(std::size(replies)) + 1, 10000);
    QCOMPARE(answered.last(), QString("slow:0"));

    // A receiver gone before its reply gets nothing; a download lands whole.
    bool called = false;
    {
        QObject receiver;
        http.getAsync(server.root() + "echo", {}, &receiver, [&](const Http::Reply&) { called = true; });
    }
    QTemporaryDir folder;
    bool downloaded = false;
    http.downloadFileAsync(server.root() + "file/", folder.path() + "/", "jogo.scp", nullptr,
                           [&](bool ok) { downloaded = ok; });
    QTRY_VERIFY(downloaded);
    QCOMPARE(readAll(folder.path() + "/jogo.scp"), QByteArray("conteudo de jogo.scp"));
    QTRY_COMPARE(server.count("/echo"), 2);
    QTest::qWait(100);
    QVERIFY(!called);
}

void ClientTest::downloadsOnlyWholeBodiesIntoTheirFolder()
{
    RecordingServer server;
    Http http(server.root());
    QTemporaryDir folder;
    const QString local = folder.path() + "/";
    QVERIFY(http.downloadFile(server.root() + "file/", local, "jogo.scp"));
    QCOMPARE(readAll(local + "jogo.scp"), QByteArray("conteudo de jogo.scp"));

    // Every failure leaves the file that was there.
    server.setReply("/base/ok.scp", "novo");
    for (const char* path : {"erro500", "redirect", "huge", "never", "missing"}) {
        writeAll(local + path, "antigo");
        QVERIFY2(!http.downloadFile(server.root(), local, path), path);
        QCOMPARE(readAll(local + path), QByteArray("antigo"));
    }
    // Names that would leave the folder are refused before any request.
    int before = int(server.requests().size());
    for (const char* name : {"../evil.scp", "/tmp/x.png", "a\\..\\b.scp", "sub/x.scp", "..", "c:x.scp", "a\nb.scp", ""})
        QVERIFY2(!http.downloadFile(server.root() + "file/", local, name), name);
    QCOMPARE(int(server.requests().size()), before);
    QVERIFY(!QFile::exists(folder.path() + "/../evil.scp"));
    QVERIFY(!QFile::exists("/tmp/x.png"));
    QCOMPARE(QDir(local).entryList(QDir::Files | QDir::Hidden).size(), 6);
}

void ClientTest::readsRepliesAsTheTableSays()
{
    QCOMPARE(replyLines("a\r\nb\rc\nd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
    QCOMPARE(replyLines("a\n\nb"), (std::vector<std::string>{"a", "", "b"}));
    LoginReply ok = readLoginReply("Ok|");
    QVERIFY(ok.ok);
    QCOMPARE(ok.memberKey, std::string());
    LoginReply bare = readLoginReply(std::string(150, 'k'));
    QVERIFY(!bare.ok);
    QCOMPARE(bare.status, std::string());
    QCOMPARE(bare.memberKey, std::string(100, 'k'));
    QCOMPARE(kChatSeparator, std::string("\x2D\xA7\x2D"));
    QVERIFY(std::string("-\xC2\xA7-") != kChatSeparator);
}

void ClientTest::readsTheCatalogueList()
{
    using Entries = std::vector<CatalogueEntry>;
    QCOMPARE(CataloguePanel::readList("Ok\r\nb.scp\r\na.jpg\r\nb.png\r\na.scp\r\n"),
             (Entries{{"a", "a.jpg"}, {"b", "b.png"}}));
    QCOMPARE(CataloguePanel::readList("Ok\nb.scp\na.jpg\nb.png\na.scp\nz.gif\n"),
             (Entries{{"a", "a.jpg"}, {"b", "b.png"}}));
    QVERIFY(CataloguePanel::readList("OK\na.png\na.scp\n").empty());
    QVERIFY(CataloguePanel::readList(Http::kTryAgain).empty());
    // Hostile or unusable names are skipped, never shortened into something else; a name
    // given twice (in any case) is shown once.
    Entries read = CataloguePanel::readList(
        "Ok\n../evil.png\n../evil.scp\n/tmp/x.png\n/tmp/x.scp\na\\..\\b.png\na\\..\\b.scp\n"
        "1jogo.png\n1jogo.scp\nmeu jogo.png\nmeu jogo.scp\nbom.png\nbom.scp\nBOM.png\nBOM.scp\nbom.png\n"
        "texto.txt\ntexto.scp\n");
    QCOMPARE(read, (Entries{{"bom", "bom.png"}}));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ClientTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "client_test.moc"
