// The member window against the real ludomat-server process: log-in and its messages, and the
// chat between members with its label layout, long listings and refused sends.

#include "member_window_support.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

#include <unistd.h>

using namespace ludomat;
using namespace ludomat::test;

class MemberChatTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_server = startMemberServer(m_content);
        QVERIFY(m_server->isRunning());
    }
    void logsIn();
    void chatsWithAnotherMember();
    void drawsLongListingsInBoundedWidgets();
    void keepsARefusedSendAndStopsPolling();

private:
    QTemporaryDir m_content;
    std::unique_ptr<ServerProcess> m_server;
};

void MemberChatTest::logsIn()
{
    Session s(m_server->root());
    MemberWindow& window = s.window;
    s.link.email = "lia@escola.br";
    window.showLoginPage();
    QCOMPARE(child<QLineEdit>(window, "Email")->text(), QString("lia@escola.br"));
    QCOMPARE(child<QLineEdit>(window, "Senha")->maxLength(), 16);
    QCOMPARE(child<QLineEdit>(window, "Senha")->echoMode(), QLineEdit::Password);
    signUp(s.http, "lia@escola.br", "senha-certa");
    const struct {
        const char *email, *password, *status;
    } attempts[] = {
        {"lia@escola.br", "", "Não informou a sua senha!"},
        {"", "x", "Não informou o seu e-mail!"},
        {"lia@escola.br", "senha-errada", "E-mail ou senha incorretos."},
        {"lia@escola.br", "senha-certa", "Ok, bem-vindo(a)!"},
    };
    for (const auto& a : attempts) {
        QVERIFY(!child<QPushButton>(window, "btShp")->isEnabled());
        child<QLineEdit>(window, "Email")->setText(a.email);
        child<QLineEdit>(window, "Senha")->setText(a.password);
        window.logIn();
        settle(window);
        QCOMPARE(child(window, "stLog")->text(), QString::fromUtf8(a.status));
        if (*a.email && *a.password) QCOMPARE(s.link.password, QString(a.password));  // remembered either way
    }
    QCOMPARE(window.memberKey().size(), size_t(64));
    QCOMPARE(window.activeGroup(), QString("Turma"));
    QVERIFY(child<QPushButton>(window, "btShp")->isEnabled() && child<QPushButton>(window, "btJam")->isEnabled());
    QVERIFY(QFileInfo(s.vip()).isDir());

    // A server that cannot be reached: "Erro de acesso", and the key of the last log-in stays.
    const std::string key = window.memberKey();
    Http offline("http://127.0.0.1:1/");
    MemberWindow lost(offline, s.link);
    child<QLineEdit>(lost, "Email")->setText("lia@escola.br");
    child<QLineEdit>(lost, "Senha")->setText("senha-certa");
    lost.logIn();
    settle(lost);
    QCOMPARE(child(lost, "stLog")->text(), QString("Erro de acesso"));
    QCOMPARE(window.memberKey(), key);
}

void MemberChatTest::chatsWithAnotherMember()
{
    Session s(m_server->root());
    MemberWindow& window = s.window;
    logIn(window, s.http, "rui@escola.br");
    auto* memo = child<QPlainTextEdit>(window, "Memo1");
    auto* listings = child<QPlainTextEdit>(window, "LstFnt");
    const auto poll = [&] {
        window.pollMessages();
        settle(window);
    };

    // Outside a group Enter is a line break and nothing is sent.
    memo->setPlainText("oi");
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(memo->toPlainText(), QString("oi\n"));
    memo->clear();

    Http other(m_server->root());
    std::string eva;
    joinGroup(other, "eva@escola.br", eva);
    // Eva's earlier messages are part of the group's recent history; start from a clean chat.
    window.enterGroup();
    settle(window);
    QVERIFY(window.inGroup());
    QCOMPARE(child<QLineEdit>(window, "Nick")->text(), QString("rui"));
    window.clearChat();
    const int cursor = window.messageCursor();

    // A short text (25) and one 1400 pixels wide in the measuring font (75), 25 after each.
    QFont measure("Arial");
    measure.setPixelSize(19);
    QString wide;
    while (QFontMetrics(measure).horizontalAdvance(wide) < 1400) wide += "palavra ";
    wide = wide.trimmed();
    QVERIFY(QFontMetrics(measure).horizontalAdvance(wide) < 1500);
    other.postChatText(eva, "<b>oi</b> Rui");
    other.postChatText(eva, toCp1252(wide));
    poll();
    QCOMPARE(window.messageCursor(), cursor + 2);
    QCOMPARE(window.chatLabelCount(), 4);
    auto labels = chatLabels(window);
    QCOMPARE(labels[1]->text(), QString("<b>oi</b> Rui"));  // markup shown as typed
    QCOMPARE(labels[1]->textFormat(), Qt::PlainText);
    QCOMPARE(labels[1]->height(), 25);
    QCOMPARE(labels[3]->height(), 75);
    QCOMPARE(window.chatY(), 25 + 25 + 25 + 25 + 75 + 25);

    // A listing of three lines: one label of three lines after the header, and LstFnt gets them
    // with the rule.
    other.postChatText(eva, "lst\r\nreg= 1,5\r\nprint #1\r\nfim\r\n" + kChatSeparator + "\r\n");
    poll();
    QCOMPARE(window.messageCursor(), cursor + 3);
    QCOMPARE(window.chatLabelCount(), 6);
    QCOMPARE(chatLabels(window).last()->height(), 75);
    QCOMPARE(listings->toPlainText(),
             QString("reg= 1,5\nprint #1\nfim\n//------------------------------------------\n"));

    // Enter in Memo1 sends; the message comes back with the next poll.
    memo->setPlainText("tudo bem?");
    QTest::keyClick(memo, Qt::Key_Return);
    settle(window);
    QCOMPARE(memo->toPlainText(), QString());
    // Clearing keeps the cursor: only newer messages come, from the top again.
    window.clearChat();
    poll();
    QCOMPARE(window.chatLabelCount(), 2);
    QCOMPARE(window.chatY(), 75);
    QCOMPARE(window.messageCursor(), cursor + 4);

    window.pollParticipants();
    settle(window);
    auto* parts = child<QListWidget>(window, "Parts");
    QCOMPARE(parts->count(), 2);
    QCOMPARE(parts->item(0)->text(), QString("eva"));

    // The editor's selection goes out as a listing.
    s.link.selection = "linha 1\nlinha 2";
    window.sendListing();
    settle(window);
    std::vector<std::string> lines = replyLines(fetchMessages(other, eva, 0, "Turma"));
    auto lst = std::find(lines.rbegin(), lines.rbegin() + 5, "lst");
    QVERIFY(lst != lines.rbegin() + 5);
    QCOMPARE(*(lst - 1), std::string("linha 1"));
    QCOMPARE(*(lst - 2), std::string("linha 2"));

    // Selecting in LstFnt and ">>>" hands the text to the editor.
    QTextCursor select(listings->document());
    select.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
    listings->setTextCursor(select);
    window.pasteListing();
    QCOMPARE(s.link.calls.last(), QString("insert:reg= 1,5\nprint #1\n"));

    window.leaveGroup();
    settle(window);
    QVERIFY(!window.inGroup());
    QCOMPARE(parts->count(), 0);
    QCOMPARE(child(window, "Led2")->property("colour").toString(), QString("maroon"));
    QCOMPARE(fetchParticipants(other, eva, "Turma"), std::string("Ok\r\neva\r\n"));
    // Entering again starts over with "Ini" 0 and an empty chat.
    window.enterGroup();
    settle(window);
    QVERIFY(window.messageCursor() >= 5);
    QVERIFY(m_server->log().filter("pegamesgs.php").last().contains("&Ini=0&"));
}

// A listing of any length is one label in the chat: its first lines and how many are left out;
// "Listags" gets every line. A member entering later gets the same from the backlog.
void MemberChatTest::drawsLongListingsInBoundedWidgets()
{
    Session s(m_server->root());
    MemberWindow& window = s.window;
    logIn(window, s.http, "lis@escola.br");
    window.enterGroup();
    settle(window);
    window.clearChat();
    Http other(m_server->root());
    std::string poet;
    joinGroup(other, "poeta@escola.br", poet);

    // Lengths around the shown part, and 21,000 lines of "a" (63 KB, under the size cap).
    const int lengths[] = {1, int(kListingShownLines), int(kListingShownLines) + 1, 21'000};
    for (int length : lengths) {
        std::string listing = "lst\r\n";
        for (int i = 0; i < length; ++i) listing += length > 100 ? "a\r\n" : "linha " + std::to_string(i) + "\r\n";
        other.postChatText(poet, listing + kChatSeparator + "\r\n");
    }
    window.pollMessages();
    settle(window);
    QCOMPARE(window.chatLabelCount(), 2 * int(std::size(lengths)));
    // "Listags" holds each listing whole, as the server kept it (it may keep fewer lines).
    std::vector<int> kept;
    int count = 0;
    for (const QString& line : child<QPlainTextEdit>(window, "LstFnt")->toPlainText().split('\n')) {
        const bool rule = line == "//------------------------------------------";
        if (rule) kept.push_back(count);
        count = rule ? -1 : count + 1;  // -1: the empty line after the rule
    }
    QVERIFY(kept.size() >= std::size(lengths));
    kept.erase(kept.begin(), kept.end() - std::size(lengths));
    QVERIFY2(kept.back() > int(kListingShownLines), "the long listing came longer than its shown part");
    const auto labels = chatLabels(window);
    for (size_t i = 0; i < std::size(lengths); ++i) {
        QVERIFY(kept[i] <= lengths[i]);
        const int hidden = std::max(0, kept[i] - int(kListingShownLines));
        QCOMPARE(labels[2 * i + 1]->text().endsWith(QString("… mais %1 linhas").arg(hidden)), hidden > 0);
        QCOMPARE(labels[2 * i + 1]->height(), (kept[i] - hidden + (hidden > 0)) * kChatLineHeight);
    }

    // The backlog a later member gets holds the same messages, drawn the same way.
    Session late(m_server->root());
    logIn(late.window, late.http, "tarde@escola.br");
    late.window.enterGroup();
    settle(late.window);
    QVERIFY(late.window.messageCursor() >= int(std::size(lengths)));
    QCOMPARE(late.window.chatLabelCount(), 2 * late.window.messageCursor());
}

// A send the server refuses keeps the typed text and says why. A key taken by a log-in
// elsewhere ends the polls until the member logs in again; then the text can go.
void MemberChatTest::keepsARefusedSendAndStopsPolling()
{
    const struct {
        const char* what;
        const char* typed;
        bool elsewhere;  // the member logs in on another machine first
        bool bySend;     // the refusal comes to the send, not to a poll
        const char* notice;
    } cases[] = {
        {"empty message", "   ", false, true, "Mensagem não enviada: Mensagem vazia."},
        {"key replaced, then a send", "não me perca", true, true,
         "Sua sessão foi aberta em outro lugar; entre de novo."},
        {"key replaced, then a poll", "nem eu", true, false, "Sua sessão foi aberta em outro lugar; entre de novo."},
    };
    for (const auto& c : cases) {
        Session s(m_server->root());
        MemberWindow& window = s.window;
        logIn(window, s.http, "duas@escola.br");
        window.enterGroup();
        settle(window);
        QVERIFY2(window.isPolling(), c.what);
        auto* memo = child<QPlainTextEdit>(window, "Memo1");
        memo->setPlainText(QString::fromUtf8(c.typed));
        Http elsewhere(m_server->root());
        if (c.elsewhere) QVERIFY(login(elsewhere, "duas@escola.br", "senha-de-teste").ok);
        if (c.bySend) {
            QTest::keyClick(memo, Qt::Key_Return);
        } else {
            // Twice: a timer's poll may have been under way with the old key.
            for (int i = 0; i < 2; ++i) {
                window.pollMessages();
                settle(window);
            }
        }
        settle(window);
        QCOMPARE(memo->toPlainText(), QString::fromUtf8(c.typed));
        QCOMPARE(window.jamNotice(), QString::fromUtf8(c.notice));
        QCOMPARE(window.sessionLost(), c.elsewhere);
        QCOMPARE(window.isPolling(), !c.elsewhere);
        if (!c.elsewhere) continue;

        // No poll goes out while the session is lost, and Enter sends nothing.
        const qsizetype polls = m_server->log().filter("pegamesgs.php").size();
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::qWait(MemberWindow::kPollMs + 500);
        QCOMPARE(m_server->log().filter("pegamesgs.php").size(), polls);
        QCOMPARE(memo->toPlainText(), QString::fromUtf8(c.typed));
        // Logging in again: polls go on and the kept text can be sent.
        window.logIn();
        settle(window);
        QVERIFY(!window.sessionLost() && window.isPolling());
        QCOMPARE(window.jamNotice(), QString());
        QTest::keyClick(memo, Qt::Key_Return);
        settle(window);
        QCOMPARE(memo->toPlainText(), QString());
    }
}

int runMemberPagesTest(int argc, char** argv);

int main(int argc, char** argv)
{
    // The browser's sandbox cannot start as root.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    MemberChatTest test;
    return QTest::qExec(&test, argc, argv) | runMemberPagesTest(argc, argv);
}

#include "member_window_test.moc"
