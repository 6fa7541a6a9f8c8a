// The member area of the real ludomat-server process, through the studio's own client: sign-up
// and log-in, keys, groups and nicks, two members chatting with text and listings, participants
// leaving and timing out, and the refusals (wrong key, oversized message, flooding, injection).

#include "online/endpoints.h"
#include "online/http_client.h"
#include "test_servers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <stdexcept>

using namespace ludomat;
using ludomat::test::ServerProcess;

namespace {

// Signs up and logs in; the member key.
std::string join(Http& http, const std::string& email, const std::string& password)
{
    signUp(http, email, password);
    return login(http, email, password).memberKey;
}

bool refusedPost(Http& http, const std::string& key, const std::string& text)
{
    try {
        return http.postChatText(key, text) != "Ok";
    } catch (const std::runtime_error&) {
        return true;
    }
}

}  // namespace

class MemberServerTest : public QObject {
    Q_OBJECT
private slots:
    void signsUpAndLogsIn();
    void twoMembersChat();
    void refusesFloodsAndOversizedMessages();
    void keepsTheChatAcrossARestart();
};

void MemberServerTest::signsUpAndLogsIn()
{
    ServerProcess server;
    QVERIFY(server.isRunning());
    Http http(server.root());

    QCOMPARE(signUp(http, "ana@escola.br", "segredo 1"), std::string("Cadastro feito! Agora clique em acessar."));
    // A taken e-mail is not told apart from a new one.
    QCOMPARE(signUp(http, "ana@escola.br", "outra"), std::string("Cadastro feito! Agora clique em acessar."));
    QCOMPARE(signUp(http, "sem-arroba", "x"), std::string("E-mail inv\xE1lido."));
    QCOMPARE(signUp(http, "", "x"), std::string("Informe o e-mail e a senha."));

    LoginReply wrong = login(http, "ana@escola.br", "segredo 2");
    QVERIFY(!wrong.ok);
    QCOMPARE(wrong.status, std::string());  // no "|": the reply is shown whole
    // Injection in a query value is only text: it matches no member.
    QVERIFY(!login(http, "ana@escola.br' OR '1'='1", "x' OR '1'='1").ok);
    QVERIFY(!login(http, "' OR 1=1 --", "segredo 1").ok);

    LoginReply first = login(http, "ana@escola.br", "segredo 1");
    QVERIFY(first.ok);
    QCOMPARE(first.status, std::string("Ok, bem-vindo(a)!"));
    QCOMPARE(first.memberKey.size(), size_t(64));
    QCOMPARE(memberGroup(http, first.memberKey), std::string("Turma"));
    QCOMPARE(memberGroup(http, "' OR 1=1 --"), std::string());

    // A new log-in hands out a new key; the old one stops working.
    LoginReply second = login(http, "ana@escola.br", "segredo 1");
    QVERIFY(second.ok && second.memberKey != first.memberKey);
    QCOMPARE(memberGroup(http, first.memberKey), std::string());
    QCOMPARE(enterGroup(http, first.memberKey, "Turma"), std::string());
    QCOMPARE(enterGroup(http, second.memberKey, "Turma"), std::string("ana"));
    QCOMPARE(enterGroup(http, second.memberKey, "Outra turma"), std::string());  // only its own group

    QCOMPARE(server.terminate(), 0);
    QString log = server.log().join("\n");
    QVERIFY2(!log.contains("segredo"), qPrintable(log));
    QVERIFY(log.contains("Senha=*** 200"));
}

void MemberServerTest::twoMembersChat()
{
    ServerProcess server;
    QVERIFY(server.isRunning());
    Http http(server.root());
    const std::string ana = join(http, "ana@escola.br", "a1");
    const std::string bia = join(http, "bia@escola.br", "b1");
    QCOMPARE(enterGroup(http, ana, "Turma"), std::string("ana"));
    QCOMPARE(fetchMessages(http, bia, 0, "Turma"), std::string("Erro de acesso"));  // not entered yet
    QCOMPARE(enterGroup(http, bia, "Turma"), std::string("bia"));

    QCOMPARE(changeNick(http, bia, "Bia B."), std::string("Bia B."));
    // Taken, however it is spaced or capitalised; blanks around a nick are dropped.
    for (const char* taken : {"Bia B.", "bia b.", " BIA  B. ", "BiaB.", "\tbia b."})
        QVERIFY2(changeNick(http, ana, taken).empty(), taken);
    QCOMPARE(changeNick(http, ana, "  Ana  "), std::string("Ana"));
    QCOMPARE(changeNick(http, ana, "   "), std::string());
    QCOMPARE(changeNick(http, ana, "Ana com um apelido longo"), std::string("Ana com um apeli"));

    QCOMPARE(http.postChatText(ana, "ol\xE1, turma\r\nsegunda linha"), std::string("Ok"));
    QCOMPARE(http.postChatText(bia, "lst\r\nprint=1\r\n\r\nfim\r\n" + kChatSeparator + "\r\n"), std::string("Ok"));
    QVERIFY(refusedPost(http, bia, "   "));

    std::vector<std::string> lines = replyLines(fetchMessages(http, bia, 0, "Turma"));
    const std::vector<std::string> expected{"Ok", "", "ol\xE1, turma segunda linha", "", "", "lst", "print=1", "", "fim",
                                            kChatSeparator, ""};
    QCOMPARE(lines.size(), expected.size());
    for (size_t i : {2, 5, 6, 7, 8, 9}) QCOMPARE(lines[i], expected[i]);
    QVERIFY(lines[1].starts_with("Ana com um apeli ("));
    QVERIFY(lines[4].starts_with("Bia B. ("));
    // "Ini" counts what was received: from 1 only the listing comes, from 2 nothing.
    QCOMPARE(replyLines(fetchMessages(http, bia, 1, "Turma"))[2], std::string("lst"));
    QCOMPARE(fetchMessages(http, bia, 2, "Turma"), std::string("Ok\r\n"));
    QCOMPARE(fetchMessages(http, bia, 0, "Outra"), std::string("Erro de acesso"));

    QCOMPARE(fetchParticipants(http, ana, "Turma"), std::string("Ok\r\nAna com um apeli\r\nBia B.\r\n"));
    leaveGroup(http, ana);
    QCOMPARE(fetchParticipants(http, bia, "Turma"), std::string("Ok\r\nBia B.\r\n"));
    QVERIFY(refusedPost(http, ana, "fora do grupo"));
    // Re-entering starts over at "Ini" 0 and shows the latest messages again, with the nick kept.
    QCOMPARE(enterGroup(http, ana, "Turma"), std::string("Ana com um apeli"));
    QCOMPARE(replyLines(fetchMessages(http, ana, 0, "Turma")).size(), expected.size());
    // The list just read is never served again once a nick changed.
    QCOMPARE(fetchParticipants(http, bia, "Turma"), std::string("Ok\r\nAna com um apeli\r\nBia B.\r\n"));
    QCOMPARE(changeNick(http, bia, "Bia C."), std::string("Bia C."));
    QCOMPARE(fetchParticipants(http, ana, "Turma"), std::string("Ok\r\nAna com um apeli\r\nBia C.\r\n"));

    // Bia stops polling: after the time-out only Ana is listed.
    QThread::msleep(11'500);
    QCOMPARE(fetchParticipants(http, ana, "Turma"), std::string("Ok\r\nAna com um apeli\r\n"));
}

void MemberServerTest::refusesFloodsAndOversizedMessages()
{
    ServerProcess server;
    QVERIFY(server.isRunning());
    Http http(server.root());
    const std::string key = join(http, "caio@escola.br", "c1");
    QCOMPARE(enterGroup(http, key, "Turma"), std::string("caio"));

    QVERIFY(refusedPost(http, "chave-errada", "oi"));
    QVERIFY(refusedPost(http, key, std::string(64 * 1024 + 1, 'x')));
    // A listing is capped in lines, since every studio in the chat draws each of them.
    auto listing = [](int lines) {
        std::string text = "lst\r\n";
        for (int i = 0; i < lines; ++i) text += "a\r\n";
        return text + kChatSeparator + "\r\n";
    };
    QVERIFY(refusedPost(http, key, listing(1001)));
    QVERIFY(refusedPost(http, key, listing(21000)));
    QCOMPARE(http.postChatText(key, listing(1000)), std::string("Ok"));
    QThread::msleep(1100);  // a fresh second for the flood below
    QCOMPARE(http.postChatText(key, std::string(64 * 1024, 'x')), std::string("Ok"));

    int answered = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 60; ++i) answered += http.get(http.memberBase() + "pegaparts.php", {{"Idk", key}, {"Grp", "Turma"}}).ok;
    // At most 20 a second: a burst of under a second touches two windows at most.
    if (clock.elapsed() < 1000) QVERIFY2(answered >= 15 && answered <= 40, qPrintable(QString::number(answered)));
    QThread::msleep(1100);
    QVERIFY(http.get(http.memberBase() + "pegaparts.php", {{"Idk", key}, {"Grp", "Turma"}}).ok);
}

// The server on a free port with the database `database`; its site root, or empty.
QString startServer(QProcess& process, const QString& database)
{
    process.start(LUDOMAT_SERVER_PROGRAM, {"--port", "0", "--database", database});
    if (!process.waitForStarted(5000)) return {};
    while (!process.canReadLine() && process.waitForReadyRead(5000)) {
    }
    QString line = QString::fromUtf8(process.readLine()).trimmed();
    return line.startsWith("ouvindo em ") ? line.mid(11) : QString();
}

void MemberServerTest::keepsTheChatAcrossARestart()
{
    QTemporaryDir data;
    const QString database = ludomat::test::testDatabase(data);
    std::string key;
    {
        QProcess process;
        QString root = startServer(process, database);
        QVERIFY(!root.isEmpty());
        Http http(root);
        key = join(http, "davi@escola.br", "davi-1234");
        QCOMPARE(enterGroup(http, key, "Turma"), std::string("davi"));
        QCOMPARE(http.postChatText(key, "antes de reiniciar"), std::string("Ok"));
        process.terminate();
        QVERIFY(process.waitForFinished(30000));
    }
    QProcess process;
    QString root = startServer(process, database);
    QVERIFY(!root.isEmpty());
    Http http(root);
    // The key, the group entry and the message are all still there.
    QCOMPARE(replyLines(fetchMessages(http, key, 0, "Turma")).at(2), std::string("antes de reiniciar"));
    QVERIFY(login(http, "davi@escola.br", "davi-1234").ok);
    process.terminate();
    process.waitForFinished(5000);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    MemberServerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "member_server_test.moc"
