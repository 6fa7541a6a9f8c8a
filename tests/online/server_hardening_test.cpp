// The real ludomat-server under hostile and heavy use: bodies past the cap, slow clients beside
// normal ones, password guessing and stale keys, a second server on a busy port, and polls deep
// in a long chat. Raw connections send what the studio's client never would.

#include "online/endpoints.h"
#include "online/http_client.h"
#include "test_servers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <memory>

using namespace ludomat;
using ludomat::test::RawConnection;
using ludomat::test::ServerProcess;

namespace {

// A GET on a connection of its own from `source`.
RawConnection::Reply rawGet(int port, const std::string& target, const char* source = "127.0.0.1")
{
    RawConnection connection(port, source);
    connection.send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    return connection.read();
}

std::string loginTarget(const std::string& email, const std::string& password)
{
    return "/ludomat/vip/login.php?Email=" + email + "&Senha=" + password;
}

std::string chunked(const std::string& data)
{
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", data.size());
    return size + data + "\r\n";
}

}  // namespace

class ServerHardeningTest : public QObject {
    Q_OBJECT
private slots:
    void refusesBodiesPastTheCapWhileTheyStream();
    void servesNormalClientsBesideSlowOnes();
    void limitsGuessesAndStaleKeys();
    void refusesASecondServerOnABusyPort();
    void pollsDeepInALongChat();
};

void ServerHardeningTest::refusesBodiesPastTheCapWhileTheyStream()
{
    ServerProcess server;
    QVERIFY(server.isRunning());
    const std::string post = "POST /ludomat/vip/mandamsg.php?Idk=x HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const std::string form = "--b\r\nContent-Disposition: form-data; name=\"Txt\"\r\n\r\noi\r\n--b--\r\n";
    const std::string block(64 * 1024, 'x');
    struct Case {
        const char* name;
        std::string head;
        std::function<std::string(int)> piece;  // the n-th piece of the body; empty: no more
        int status;
        bool closed;
    };
    const Case cases[] = {
        {"chunked past the cap", post + "Transfer-Encoding: chunked\r\n\r\n",
         [&](int n) { return n < 48 ? chunked(block) : std::string(); }, 413, true},
        {"length past the cap", post + "Content-Length: 1073741824\r\n\r\n",
         [&](int n) { return n < 48 ? block : std::string(); }, 413, true},
        {"GET with a long chunked body", "GET /ludomat/vrsmsg.txt HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n",
         [&](int n) { return n < 48 ? chunked(block) : std::string(); }, 413, true},
        {"a 4 GiB chunk announced", post + "Transfer-Encoding: chunked\r\n\r\n",
         [&](int n) { return n == 0 ? std::string("ffffffff\r\n") : std::string(); }, 413, true},
        {"a chunk size past 64 bits", post + "Transfer-Encoding: chunked\r\n\r\n",
         [&](int n) { return n == 0 ? std::string("fffffffffffffffffffff\r\n") : std::string(); }, 400, true},
        {"a header past its limit", "GET /ludomat/vrsmsg.txt HTTP/1.1\r\nX-Longo: " + std::string(20000, 'a'),
         [&](int) { return std::string(); }, 431, true},
        {"chunked under the cap reaches the route",
         post + "Transfer-Encoding: chunked\r\nContent-Type: multipart/form-data; boundary=b\r\n\r\n",
         [&](int n) { return n == 0 ? chunked(form) + "0\r\n\r\n" : std::string(); }, 200, false},
    };
    for (const Case& c : cases) {
        RawConnection connection(server.port());
        QVERIFY(connection.send(c.head));
        for (int n = 0; !c.piece(n).empty(); ++n)
            if (!connection.send(c.piece(n))) break;  // refused midway: the rest never goes
        RawConnection::Reply reply = connection.read();
        QVERIFY2(reply.status == c.status, c.name);
        QVERIFY2(connection.closedWithin(3000) == c.closed, c.name);
    }
    // Nothing of that stopped the server.
    QCOMPARE(rawGet(server.port(), "/ludomat/vip/grups.php?Idk=x").status, 200);
}

void ServerHardeningTest::servesNormalClientsBesideSlowOnes()
{
    // Every connection comes from 127.0.0.1 here, so the limit per address is raised.
    ServerProcess server({}, {"--max-connections-per-address", "2000"});
    QVERIFY(server.isRunning());
    // 400 clients sending a header a byte a second: they hold no thread.
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 400; ++i) {
        slow.push_back(std::make_unique<RawConnection>(server.port()));
        QVERIFY(slow.back()->send("GET /ludomat/vrsmsg.txt HTTP/1.1\r\n"));
    }
    QElapsedTimer clock;
    clock.start();
    Http http(server.root());
    int second = 0;
    while (clock.elapsed() < 4000) {
        QElapsedTimer request;
        request.start();
        QCOMPARE(http.fetchText(http.catalogueBase() + "listajogos.php").substr(0, 2), std::string("Ok"));
        QVERIFY2(request.elapsed() < 2000, qPrintable(QString::number(request.elapsed())));
        if (clock.elapsed() / 1000 > second) {
            second = int(clock.elapsed() / 1000);
            for (auto& connection : slow) connection->send("X");
        }
        QThread::msleep(100);
    }
    // Trickling does not stretch the time allowed for a header (10 s): all of them are closed.
    while (clock.elapsed() < 9000) {
        QThread::msleep(1000);
        for (auto& connection : slow) connection->send("X");
    }
    int closed = 0;
    for (auto& connection : slow) closed += connection->closedWithin(std::max(1, 14000 - int(clock.elapsed())));
    QCOMPARE(closed, 400);

    // Past the limit per address a connection gets 503 and is closed; other addresses go on.
    ServerProcess limited({}, {"--max-connections-per-address", "5"});
    QVERIFY(limited.isRunning());
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 5; ++i) held.push_back(std::make_unique<RawConnection>(limited.port()));
    QThread::msleep(200);
    RawConnection extra(limited.port());
    QCOMPARE(extra.read().status, 503);
    QVERIFY(extra.closedWithin(3000));
    QCOMPARE(rawGet(limited.port(), "/ludomat/vrsmsg.txt", "127.0.0.2").status, 200);
    held.clear();
    QThread::msleep(200);
    QCOMPARE(rawGet(limited.port(), "/ludomat/vrsmsg.txt").status, 200);
}

void ServerHardeningTest::limitsGuessesAndStaleKeys()
{
    ServerProcess server({}, {"--key-idle-seconds", "3"});
    QVERIFY(server.isRunning());
    Http http(server.root());
    const char* done = "Cadastro feito! Agora clique em acessar.";
    struct SignUp {
        std::string email, password, reply;
    };
    // A taken e-mail gets the same reply as a new one, and keeps its password.
    const SignUp signUps[] = {{"ana@escola.br", "1234567", "A senha precisa ter pelo menos 8 caracteres."},
                              {"ana@escola.br", "12345678", done},
                              {"ana@escola.br", "outra senha", done}};
    for (const SignUp& row : signUps) QCOMPARE(signUp(http, row.email, row.password), row.reply);
    QVERIFY(!login(http, "ana@escola.br", "outra senha").ok);
    // The owner logs in from 127.0.0.1; someone guesses from 127.0.0.2.
    const std::string owner = login(http, "ana@escola.br", "12345678").memberKey;
    QVERIFY(!owner.empty());
    QElapsedTimer clock;
    for (int guess = 0; guess < 3; ++guess) {
        clock.start();
        RawConnection::Reply reply =
            rawGet(server.port(), loginTarget("ana@escola.br", "000" + std::to_string(guess)), "127.0.0.2");
        QCOMPARE(reply.body, std::string("E-mail ou senha incorretos."));
    }
    QVERIFY2(clock.elapsed() >= 500, "each failure is answered later than the one before");
    auto guess = [&](const std::string& password) {
        return rawGet(server.port(), loginTarget("ana@escola.br", password), "127.0.0.2").body;
    };
    // Locked for the guesser, even with the right password, for a while that grows.
    QVERIFY(guess("12345678").starts_with("Muitas tentativas"));
    QThread::msleep(5500);
    QCOMPARE(guess("0003"), std::string("E-mail ou senha incorretos."));
    QVERIFY(guess("12345678").starts_with("Muitas tentativas"));
    QThread::msleep(2100);
    QVERIFY(guess("12345678").starts_with("Muitas tentativas"));
    // Never for the owner's address.
    LoginReply ownerAgain = login(http, "ana@escola.br", "12345678");
    QVERIFY(ownerAgain.ok);

    // A key in use stays valid; one left unused past the limit does not.
    const std::string key = login(http, "ana@escola.br", "12345678").memberKey;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(memberGroup(http, key), std::string("Turma"));
        QThread::msleep(1500);
    }
    QThread::msleep(3500);
    QCOMPARE(memberGroup(http, key), std::string());
    QCOMPARE(fetchParticipants(http, key, "Turma"), std::string("Erro de acesso"));

    QCOMPARE(server.terminate(), 0);
    const QString log = server.log().join("\n");
    for (const std::string& secret : {owner, ownerAgain.memberKey, key, std::string("12345678")})
        QVERIFY2(!log.contains(QString::fromStdString(secret)), qPrintable(log));
}

void ServerHardeningTest::refusesASecondServerOnABusyPort()
{
    ServerProcess first;
    QVERIFY(first.isRunning());
    QTemporaryDir data;
    QProcess second;
    second.start(LUDOMAT_SERVER_PROGRAM,
                 {"--port", QString::number(first.port()), "--database", data.filePath("b.db")});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 1);
    const QString said = QString::fromUtf8(second.readAllStandardError());
    QVERIFY2(said.contains("em uso"), qPrintable(said));
    QVERIFY(second.readAllStandardOutput().isEmpty());  // it never said it listens
    QCOMPARE(rawGet(first.port(), "/ludomat/vrsmsg.txt").status, 200);
}

void ServerHardeningTest::pollsDeepInALongChat()
{
    ServerProcess server;
    QVERIFY(server.isRunning());
    Http http(server.root());
    signUp(http, "ana@escola.br", "12345678");
    const std::string key = login(http, "ana@escola.br", "12345678").memberKey;
    QCOMPARE(enterGroup(http, key, "Turma"), std::string("ana"));
    // A long chat written straight into the database, as months of a class would leave it.
    constexpr int kMessages = 300'000;
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(server.databasePath().toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    QCOMPARE(sqlite3_exec(db,
                          "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300000) "
                          "INSERT INTO messages (group_id, header, text) SELECT (SELECT id FROM groups WHERE name = "
                          "CAST('Turma' AS BLOB)), CAST('ana (12:00)' AS BLOB), CAST('m' || i AS BLOB) FROM n; COMMIT;",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);

    auto textAt = [&](long long from) { return replyLines(fetchMessages(http, key, from, "Turma")).at(2); };
    // Any "Ini" finds its message, from the start, from the last poll, or by jumping ahead. (How
    // long a deep poll takes is bench/member_load's to measure.)
    for (long long from : {0LL, 100LL, 150'000LL, 150'100LL, 7LL, kMessages - 1LL})
        QCOMPARE(textAt(from), "m" + std::to_string(from + 1));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ServerHardeningTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "server_hardening_test.moc"
