// The real ludomat-server process: every endpoint the studio calls, with its reply format,
// the query keys in the order sent, files kept inside the content folder, and a clean stop.

#include "online/endpoints.h"
#include "online/http_client.h"
#include "test_servers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ludomat;
using ludomat::test::ServerProcess;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<sem arquivo>");
}

}  // namespace

class ServerTest : public QObject {
    Q_OBJECT
private slots:
    void answersEveryEndpoint();
    void servesTheShippedContent();
};

void ServerTest::answersEveryEndpoint()
{
    QTemporaryDir content;
    const QString ludomat = content.path() + "/ludomat/";
    writeFile(ludomat + "vrsmsg.txt", "1.1\r\nduvo.zpp\r\n");
    writeFile(ludomat + "duvo.zpp", QByteArray("\x7F" "ELF pacote", 11));
    writeFile(ludomat + "scripts/jogo.png", "png");
    writeFile(ludomat + "scripts/jogo.scp", "// jogo\r\nfim\r\n");
    writeFile(ludomat + "scripts/leiame.txt", "fora do catálogo");
    writeFile(ludomat + "vip/grupo.txt", "a\r\nb\r\nc\r\nd\r\n");
    writeFile(ludomat + "vip/arq.scp", "vip");
    writeFile(content.path() + "/segredo.txt", "fora");
    ServerProcess server(content.path());
    QVERIFY(server.isRunning());
    Http http(server.root());
    QTemporaryDir local;
    const QString folder = local.path() + "/";
    http.prepareRequest();

    QVERIFY(http.downloadFile(http.productBase(), folder, "vrsmsg.txt"));                  // 1
    QCOMPARE(readFile(folder + "vrsmsg.txt"), QByteArray("1.1\r\nduvo.zpp\r\n"));
    QVERIFY(http.downloadFile(http.productBase(), folder, "duvo.zpp"));                    // 2
    QCOMPARE(readFile(folder + "duvo.zpp"), QByteArray("\x7F" "ELF pacote", 11));
    QCOMPARE(http.fetchText(http.catalogueBase() + "listajogos.php"),                      // 3
             std::string("Ok\r\njogo.png\r\njogo.scp\r\n"));
    QVERIFY(http.downloadCataloguePicture(folder, "jogo.png"));                            // 4
    QVERIFY(http.downloadFile(http.scriptBase(), folder, "jogo.scp"));                     // 5
    QCOMPARE(readFile(folder + "jogo.scp"), QByteArray("// jogo\r\nfim\r\n"));

    LoginReply login = ludomat::login(http, "ana@exemplo.com", "senha secreta");          // 6
    QVERIFY(!login.ok);
    QVERIFY(!signUp(http, "ana@exemplo.com", "x").empty());                               // 7
    QCOMPARE(memberGroup(http, "chave"), std::string());                                  // 8
    QCOMPARE(enterGroup(http, "chave", "turma"), std::string());                          // 9
    QCOMPARE(changeNick(http, "chave", "Ana"), std::string());                            // 10
    QCOMPARE(fetchMessages(http, "chave", 0, "turma"), std::string("Erro de acesso"));    // 11
    QCOMPARE(fetchParticipants(http, "chave", "turma"), std::string("Erro de acesso"));   // 12
    QCOMPARE(http.postChatText("chave", "oi"), std::string("Erro de acesso"));            // 13
    leaveGroup(http, "chave");                                                            // 14
    QVERIFY(http.downloadFile(http.memberBase(), folder, "grupo.txt"));                   // 15
    QVERIFY(http.downloadFile(http.memberBase(), folder, "arq.scp"));                     // 16

    // Nothing outside the content's "ludomat" folder is served, however the path is spelled.
    for (const char* path : {"ludomat/../segredo.txt", "ludomat/%2e%2e/segredo.txt", "ludomat/vip/..%2f..%2fsegredo.txt",
                             "ludomat/nada.txt"})
        QVERIFY2(!http.get(server.root() + path).ok, path);

    QCOMPARE(server.terminate(), 0);
    QStringList log = server.log();
    auto logged = [&](const QString& target) {
        return std::any_of(log.begin(), log.end(), [&](const QString& line) { return line.endsWith(" " + target); });
    };
    QVERIFY2(logged("GET /ludomat/vip/login.php?Email=ana%40exemplo.com&Senha=*** 200"), qPrintable(log.join("\n")));
    QVERIFY(logged("GET /ludomat/vip/pegamesgs.php?Idk=***&Ini=0&Grp=turma 200"));
    QVERIFY(logged("POST /ludomat/vip/mandamsg.php?Idk=*** 200"));
    QVERIFY(logged("GET /ludomat/vip/sair.php?Idk=*** 200"));
    QVERIFY2(log.last().contains("encerrado"), qPrintable(log.join("\n")));
}

void ServerTest::servesTheShippedContent()
{
    ServerProcess server;
    QVERIFY(server.isRunning());
    Http http(server.root());
    for (const char* page : {"menu.htm", "hlp01.htm", "hlp02.htm", "hlp03.htm", "hlp04.htm", "vrsmsg.txt"}) {
        Http::Reply reply = http.get(http.productBase() + page);
        QVERIFY2(reply.ok && !reply.body.isEmpty(), page);
    }
    // The help pages list the commands from the engine's table.
    QVERIFY(http.get(http.productBase() + "hlp02.htm").body.contains("<code>ifreg=</code>"));
    // The catalogue lists each game with its picture, all names usable.
    std::vector<std::string> lines = replyLines(http.fetchText(http.catalogueBase() + "listajogos.php"));
    QCOMPARE(lines.front(), std::string("Ok"));
    QVERIFY(lines.size() >= 9);
    QCOMPARE(lines.size() % 2, size_t(1));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ServerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "server_test.moc"
