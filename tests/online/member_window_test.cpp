// The member window against the real ludomat-server process: log-in and its messages, the chat
// between two members with its label layout, and the page commands of the "Shop" page driven
// through the window's real browser page loading pages from the server.

#include "online/member_window.h"
#include "graphics/cp1252.h"
#include "online/chat_records.h"
#include "online/endpoints.h"
#include "online/http_client.h"
#include "online/member_link.h"
#include "online/member_web_page.h"
#include "online/web_menu_window.h"
#include "test_servers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <algorithm>

#include <unistd.h>

using namespace ludomat;
using ludomat::test::ServerProcess;

namespace {

// The studio side, recorded: what the window asked of it, in order.
class RecordingLink : public MemberLink {
public:
    explicit RecordingLink(const QString& folder) : m_folder(folder) {}
    QString programFolder() const override { return m_folder; }
    QString memberEmail() const override { return email; }
    QString memberPassword() const override { return password; }
    void setMember(const QString& e, const QString& p) override { email = e, password = p; }
    void showIndicator(bool) override {}
    QString editorSelection() const override { return selection; }
    void insertBeforeCaretLine(const QString& text) override { calls << "insert:" + text; }
    void openWorkFolder(const QString& folder) override { calls << "folder:" + folder; }
    void executeScript() override { calls << "execute"; }
    void showRegisters() override { calls << "registers"; }
    bool loadScript(const QString& folder, const QString& name) override
    {
        calls << "load:" + folder + name;
        return QFile::exists(folder + name);
    }
    QWidget* mainWindow() override { return nullptr; }
    bool drawOnScreen(const QString& path) override
    {
        calls << "draw:" + path;
        return true;
    }
    bool openBoardScript(const QString& folder, const QString& name) override
    {
        calls << "open:" + folder + name;
        return true;
    }

    QString email, password, selection;
    QStringList calls;

private:
    QString m_folder;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

template <typename T>
T* child(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(name);
    if (!found) qFatal("sem o componente %s", name);
    return found;
}

// Waits until every request of `window` and of its page commands has been answered.
void settle(MemberWindow& window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.isWaiting() && !window.commands().isBusy(), 20000);
}

// Logs `window` in as member `email`, signing up first.
void logIn(MemberWindow& window, Http& http, const std::string& email)
{
    signUp(http, email, "senha-de-teste");
    child<QLineEdit>(window, "Email")->setText(QString::fromStdString(email));
    child<QLineEdit>(window, "Senha")->setText("senha-de-teste");
    window.logIn();
    settle(window);
}

}  // namespace

class MemberWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void logsIn();
    void chatsWithAnotherMember();
    void runsPageCommands();
    void refusesHostileNames();
    void drawsLongListingsInBoundedWidgets();
    void keepsARefusedSendAndStopsPolling();
    void ignoresCommandsFromForeignPages();
    void placesTheWebMenu();

private:
    QTemporaryDir m_content;
    std::unique_ptr<ServerProcess> m_server;
};

void MemberWindowTest::initTestCase()
{
    // The shipped member content plus pages made for these cases.
    const QString vip = m_content.path() + "/ludomat/vip/";
    QDir().mkpath(vip);
    for (const QString& name : QDir(LUDOMAT_SERVER_CONTENT "/ludomat").entryList(QDir::Files))
        QFile::copy(LUDOMAT_SERVER_CONTENT "/ludomat/" + name, m_content.path() + "/ludomat/" + name);
    for (const QString& name : QDir(LUDOMAT_SERVER_CONTENT "/ludomat/vip").entryList(QDir::Files))
        QFile::copy(LUDOMAT_SERVER_CONTENT "/ludomat/vip/" + name, vip + name);
    QByteArray thirty;
    for (int i = 0; i < 30; ++i) thirty += "linha " + QByteArray::number(i) + "\r\n";
    writeFile(vip + "trinta.txt", thirty);
    writeFile(vip + "seis.txt", "Um\r\nPrimeiro\r\nshowreg\r\n-\r\nresto\r\nresto\r\n");
    writeFile(vip + "pagina.htm", "<html><body><a id='reg' href='pagina.htm?Cmd=showreg'>r</a></body></html>");
    // A server that lets long listings through, as an older or a hostile one would.
    m_server = std::make_unique<ServerProcess>(m_content.path(),
                                               test::kShortPasswords + QStringList{"--max-listing-lines", "100000"});
    QVERIFY(m_server->isRunning());
}

void MemberWindowTest::logsIn()
{
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    link.email = "lia@escola.br";
    Http http(m_server->root());
    MemberWindow window(http, link);
    window.showLoginPage();
    QCOMPARE(child<QLineEdit>(window, "Email")->text(), QString("lia@escola.br"));
    QCOMPARE(child<QLineEdit>(window, "Senha")->maxLength(), 16);
    QCOMPARE(child<QLineEdit>(window, "Senha")->echoMode(), QLineEdit::Password);
    signUp(http, "lia@escola.br", "senha-certa");
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
        QCOMPARE(child<QLabel>(window, "stLog")->text(), QString::fromUtf8(a.status));
        if (*a.email && *a.password) QCOMPARE(link.password, QString(a.password));  // remembered either way
    }
    QCOMPARE(window.memberKey().size(), size_t(64));
    QCOMPARE(window.activeGroup(), QString("Turma"));
    QVERIFY(child<QPushButton>(window, "btShp")->isEnabled() && child<QPushButton>(window, "btJam")->isEnabled());
    QVERIFY(QFileInfo(program.path() + "/vip").isDir());

    // A server that cannot be reached: "Erro de acesso", and the key of the last log-in stays.
    const std::string key = window.memberKey();
    Http offline("http://127.0.0.1:1/");
    MemberWindow lost(offline, link);
    child<QLineEdit>(lost, "Email")->setText("lia@escola.br");
    child<QLineEdit>(lost, "Senha")->setText("senha-certa");
    lost.logIn();
    settle(lost);
    QCOMPARE(child<QLabel>(lost, "stLog")->text(), QString("Erro de acesso"));
    QCOMPARE(window.memberKey(), key);
}

void MemberWindowTest::chatsWithAnotherMember()
{
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    Http http(m_server->root());
    MemberWindow window(http, link);
    logIn(window, http, "rui@escola.br");
    auto* memo = child<QPlainTextEdit>(window, "Memo1");

    // Outside a group Enter is a line break and nothing is sent.
    memo->setPlainText("oi");
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(memo->toPlainText(), QString("oi\n"));
    memo->clear();

    Http other(m_server->root());
    signUp(other, "eva@escola.br", "senha-da-eva");
    const std::string eva = login(other, "eva@escola.br", "senha-da-eva").memberKey;
    QCOMPARE(enterGroup(other, eva, "Turma"), std::string("eva"));
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
    window.pollMessages();
    settle(window);
    QCOMPARE(window.messageCursor(), cursor + 2);
    QCOMPARE(window.chatLabelCount(), 4);
    auto labels = child<QScrollArea>(window, "Chat")->widget()->findChildren<QLabel*>();
    QCOMPARE(labels[1]->text(), QString("<b>oi</b> Rui"));  // markup shown as typed
    QCOMPARE(labels[1]->textFormat(), Qt::PlainText);
    QCOMPARE(labels[1]->height(), 25);
    QCOMPARE(labels[3]->height(), 75);
    QCOMPARE(window.chatY(), 25 + 25 + 25 + 25 + 75 + 25);

    // A listing of three lines: one label of three lines after the header, and LstFnt gets them
    // with the rule.
    other.postChatText(eva, "lst\r\nreg= 1,5\r\nprint #1\r\nfim\r\n" + kChatSeparator + "\r\n");
    window.pollMessages();
    settle(window);
    QCOMPARE(window.messageCursor(), cursor + 3);
    QCOMPARE(window.chatLabelCount(), 6);
    QCOMPARE(child<QScrollArea>(window, "Chat")->widget()->findChildren<QLabel*>().last()->height(), 75);
    QCOMPARE(child<QPlainTextEdit>(window, "LstFnt")->toPlainText(),
             QString("reg= 1,5\nprint #1\nfim\n//------------------------------------------\n"));

    // Enter in Memo1 sends; the message comes back with the next poll.
    memo->setPlainText("tudo bem?");
    QTest::keyClick(memo, Qt::Key_Return);
    settle(window);
    QCOMPARE(memo->toPlainText(), QString());
    // Clearing keeps the cursor: only newer messages come, from the top again.
    window.clearChat();
    window.pollMessages();
    settle(window);
    QCOMPARE(window.chatLabelCount(), 2);
    QCOMPARE(window.chatY(), 75);
    QCOMPARE(window.messageCursor(), cursor + 4);

    window.pollParticipants();
    settle(window);
    auto* parts = child<QListWidget>(window, "Parts");
    QCOMPARE(parts->count(), 2);
    QCOMPARE(parts->item(0)->text(), QString("eva"));

    // The editor's selection goes out as a listing.
    link.selection = "linha 1\nlinha 2";
    window.sendListing();
    settle(window);
    std::vector<std::string> lines = replyLines(fetchMessages(other, eva, 0, "Turma"));
    auto lst = std::find(lines.rbegin(), lines.rbegin() + 5, "lst");
    QVERIFY(lst != lines.rbegin() + 5);
    QCOMPARE(*(lst - 1), std::string("linha 1"));
    QCOMPARE(*(lst - 2), std::string("linha 2"));

    // Selecting in LstFnt and ">>>" hands the text to the editor.
    auto* listings = child<QPlainTextEdit>(window, "LstFnt");
    QTextCursor select(listings->document());
    select.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
    listings->setTextCursor(select);
    window.pasteListing();
    QCOMPARE(link.calls.last(), QString("insert:reg= 1,5\nprint #1\n"));

    window.leaveGroup();
    settle(window);
    QVERIFY(!window.inGroup());
    QCOMPARE(parts->count(), 0);
    QCOMPARE(child<QLabel>(window, "Led2")->property("colour").toString(), QString("maroon"));
    QCOMPARE(fetchParticipants(other, eva, "Turma"), std::string("Ok\r\neva\r\n"));
    // Entering again starts over with "Ini" 0 and an empty chat.
    window.enterGroup();
    settle(window);
    QVERIFY(window.messageCursor() >= 5);
    QCOMPARE(m_server->log().filter("pegamesgs.php").last().contains("&Ini=0&"), true);
}

void MemberWindowTest::runsPageCommands()
{
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    Http http(m_server->root());
    MemberWindow window(http, link);
    logIn(window, http, "ivo@escola.br");
    PageCommands& commands = window.commands();
    const QString vip = program.path() + "/vip/";

    // 30 lines fill seven entries and drop the last two lines; 6 lines fill one, the others
    // keep their old command texts.
    commands.run("trinta.txt");
    settle(window);
    QCOMPARE(child<QLabel>(window, "Opc6")->text(), QString("linha 24"));
    QCOMPARE(child<QLabel>(window, "Dsc6")->text(), QString("linha 25"));
    QCOMPARE(child<QLabel>(window, "Opc6")->toolTip(), QString("linha 26"));
    commands.run("seis.txt");
    settle(window);
    QCOMPARE(child<QLabel>(window, "Opc0")->text(), QString("Um"));
    QCOMPARE(child<QLabel>(window, "Opc1")->text(), QString());
    QCOMPARE(child<QLabel>(window, "Opc1")->toolTip(), QString("linha 6"));
    window.runEntry(0);
    settle(window);
    QCOMPARE(link.calls.last(), QString("registers"));

    // A project: folder, picture, script loaded and run; "showreg" only after the run returned.
    link.calls.clear();
    commands.run("mkdir,estrelas,loadarq,estrela.png,loadscp,estrelas.scp,exescp,showreg");
    settle(window);
    QCOMPARE(link.calls, QStringList({"folder:" + vip + "estrelas/", "load:" + vip + "estrelas/estrelas.scp", "execute",
                                      "registers"}));
    QVERIFY(QFileInfo(vip + "estrelas/estrela.png").size() > 0);
    // The Board page shows what came down: pictures and scripts previewed, drawn, taken.
    window.showBoardFolder(vip + "estrelas/");
    auto* files = child<QListWidget>(window, "Arqs");
    QCOMPARE(files->count(), 2);
    window.previewFile("estrelas.scp");
    QVERIFY(child<QPlainTextEdit>(window, "Fonte")->toPlainText().startsWith("// === Estrelas"));
    window.previewFile("estrela.png");
    QCOMPARE(child<QLabel>(window, "Img1")->pixmap().size(), QSize(60, 60));
    link.calls.clear();
    window.drawPreview();
    files->setCurrentRow(1);
    window.copyPreviewedScript();
    QCOMPARE(link.calls,
             QStringList({"draw:" + vip + "estrelas/estrela.png", "open:" + vip + "estrelas/estrelas.scp"}));

    // "mkdir" last reads an empty name: the member folder itself.
    commands.run("mkdir");
    settle(window);
    QCOMPARE(commands.memberFolder(), vip);

    // Through the browser: a "Cmd=" address of the server runs and is not shown.
    link.calls.clear();
    MemberWebPage& page = window.webPage();
    QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
    page.setUrl(QUrl(window.memberBase() + "pagina.htm"));
    QVERIFY(loaded.wait(20000));
    page.runJavaScript("document.getElementById('reg').click()");
    QTRY_COMPARE_WITH_TIMEOUT(link.calls, QStringList{"registers"}, 10000);
    QCOMPARE(page.url().toString(), window.memberBase() + "pagina.htm");

    // The Shop page opens the server's member menu, whose project link runs the whole queue.
    link.calls.clear();
    window.showShop();
    loaded.clear();
    QVERIFY(loaded.wait(20000));
    page.runJavaScript("document.querySelector('a[href*=galeria]').click()");
    QTRY_COMPARE_WITH_TIMEOUT(link.calls.size(), 3, 20000);
    QCOMPARE(link.calls.last(), QString("execute"));
    QVERIFY(QFile::exists(vip + "galeria/galeria2.png"));
}

void MemberWindowTest::refusesHostileNames()
{
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    Http http(m_server->root());
    MemberWindow window(http, link);
    logIn(window, http, "gil@escola.br");
    PageCommands& commands = window.commands();

    // Before any "mkdir" files land in the member folder, never the working folder.
    commands.run("loadarq,estrela.png");
    settle(window);
    QVERIFY(QFile::exists(program.path() + "/vip/estrela.png"));
    QVERIFY(!QFile::exists(QDir::currentPath() + "/estrela.png"));

    for (const char* hostile :
         {"mkdir,../fora,showreg", "mkdir,a/b,showreg", "loadarq,..,showreg", "loadscp,/etc/passwd,showreg",
          "loadarq,C:x.png,showreg", "mkdir,a\tb,showreg", "loadarq,sub\\x.png,showreg", "../x.txt,showreg"}) {
        link.calls.clear();
        commands.run(hostile);
        settle(window);
        QVERIFY2(link.calls.isEmpty(), hostile);
        QVERIFY2(child<QLabel>(window, "stLog")->text().contains("recusad"), hostile);
    }
    QVERIFY(!QFileInfo(program.path() + "/fora").exists());
    QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"vip"});
}

// A listing of any length is one label in the chat: its first lines and how many are left out;
// "Listags" gets every line. A member entering later gets the same from the backlog.
void MemberWindowTest::drawsLongListingsInBoundedWidgets()
{
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    Http http(m_server->root());
    MemberWindow window(http, link);
    logIn(window, http, "lis@escola.br");
    window.enterGroup();
    settle(window);
    window.clearChat();
    Http other(m_server->root());
    signUp(other, "poeta@escola.br", "senha-do-poeta");
    const std::string poet = login(other, "poeta@escola.br", "senha-do-poeta").memberKey;
    QCOMPARE(enterGroup(other, poet, "Turma"), std::string("poeta"));

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
        if (line == "//------------------------------------------") {
            kept.push_back(count);
            count = -1;  // the empty line after the rule
        } else {
            ++count;
        }
    }
    QVERIFY(kept.size() >= std::size(lengths));
    kept.erase(kept.begin(), kept.end() - std::size(lengths));
    QVERIFY2(kept.back() > int(kListingShownLines), "the long listing came longer than its shown part");
    const auto labels = child<QScrollArea>(window, "Chat")->widget()->findChildren<QLabel*>();
    for (size_t i = 0; i < std::size(lengths); ++i) {
        QVERIFY(kept[i] <= lengths[i]);
        const int hidden = std::max(0, kept[i] - int(kListingShownLines));
        const QString body = labels[2 * i + 1]->text();
        QCOMPARE(body.endsWith(QString("… mais %1 linhas").arg(hidden)), hidden > 0);
        QCOMPARE(labels[2 * i + 1]->height(), (kept[i] - hidden + (hidden > 0)) * kChatLineHeight);
    }

    // The backlog a later member gets holds the same messages, drawn the same way.
    QTemporaryDir program2;
    RecordingLink link2(program2.path() + "/");
    MemberWindow late(http, link2);
    logIn(late, http, "tarde@escola.br");
    late.enterGroup();
    settle(late);
    QVERIFY(late.messageCursor() >= int(std::size(lengths)));
    QCOMPARE(late.chatLabelCount(), 2 * late.messageCursor());
}

// A send the server refuses keeps the typed text and says why. A key taken by a log-in
// elsewhere ends the polls until the member logs in again; then the text can go.
void MemberWindowTest::keepsARefusedSendAndStopsPolling()
{
    Http http(m_server->root());
    signUp(http, "duas@escola.br", "senha-de-teste");
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
        QTemporaryDir program;
        RecordingLink link(program.path() + "/");
        MemberWindow window(http, link);
        logIn(window, http, "duas@escola.br");
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

// A page of another site that sends the member window to a command address of our server gets
// nothing done, whatever way it goes there; the same link on our own page runs.
void MemberWindowTest::ignoresCommandsFromForeignPages()
{
    ServerProcess foreign(m_content.path());
    QVERIFY(foreign.isRunning());
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    Http http(m_server->root());
    MemberWindow window(http, link);
    logIn(window, http, "alvo@escola.br");
    const QString target = m_server->root() + "ludomat/vip/pagina.htm?Cmd=mkdir,invadido,showreg";
    writeFile(m_content.path() + "/ludomat/vip/ataque.htm",
              ("<html><body><a id='go' href='" + target +
               "'>ir</a>"
               "<form id='f' method='get' action='" +
               m_server->root() +
               "ludomat/vip/pagina.htm'>"
               "<input name='Cmd' value='mkdir,invadido,showreg'></form></body></html>")
                  .toUtf8());
    writeFile(m_content.path() + "/ludomat/vip/refresh.htm",
              ("<html><head><meta http-equiv='refresh' content='0;url=" + target + "'></head></html>").toUtf8());
    const struct {
        const char* what;
        QString page;
        const char* action;  // JavaScript run once the page has loaded
        bool runs;
    } cases[] = {
        {"foreign link", foreign.root() + "ludomat/vip/ataque.htm", "document.getElementById('go').click()", false},
        {"foreign script", foreign.root() + "ludomat/vip/ataque.htm", nullptr, false},
        {"foreign window", foreign.root() + "ludomat/vip/ataque.htm", nullptr, false},
        {"foreign form", foreign.root() + "ludomat/vip/ataque.htm", "document.getElementById('f').submit()", false},
        {"foreign refresh", foreign.root() + "ludomat/vip/refresh.htm", "", false},
        {"our own link", m_server->root() + "ludomat/vip/ataque.htm", "document.getElementById('go').click()", true},
    };
    const QString assign = "location.href = '" + target + "'";
    const QString open = "window.open('" + target + "')";
    MemberWebPage& page = window.webPage();
    for (const auto& c : cases) {
        link.calls.clear();
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.setUrl(QUrl(c.page));
        QVERIFY2(loaded.wait(20000), c.what);
        const QString what = c.what;
        const QString action = c.action ? QString(c.action) : what.endsWith("script") ? assign : open;
        if (!action.isEmpty()) page.runJavaScript(action);
        if (c.runs) {
            QTRY_COMPARE_WITH_TIMEOUT(link.calls.size(), 2, 10000);
            settle(window);
        } else {
            QTest::qWait(1500);
        }
        QCOMPARE(link.calls.isEmpty(), !c.runs);
        QCOMPARE(QFileInfo(program.path() + "/vip/invadido").isDir(), c.runs);
    }
}

void MemberWindowTest::placesTheWebMenu()
{
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    Http http(m_server->root());
    WebMenuWindow menu(m_server->root());
    QCOMPARE(menu.browser().url().toString(), menu.productBase() + "menu.htm");
    MemberWindow window(http, link, &menu);
    window.move(100, 50);

    // "[?]" on the first page opens hlp01 placed relative to the member window.
    window.showHelp();
    QVERIFY(menu.isVisible());
    QCOMPARE(menu.pos(), QPoint(400, 250));
    QCOMPARE(menu.browser().url().toString(), menu.productBase() + "hlp01.htm");
    // The manual button while it is open leaves the help page in place.
    menu.showMenu();
    QCOMPARE(menu.browser().url().toString(), menu.productBase() + "hlp01.htm");
    // Dragging the background by 30 right and 10 down moves it by exactly that.
    QTest::mousePress(&menu, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(35, 15), menu.mapToGlobal(QPointF(35, 15)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&menu, &move);
    QTest::mouseRelease(&menu, Qt::LeftButton, {}, QPoint(35, 15));
    QCOMPARE(menu.pos(), QPoint(430, 260));
    // "[?]" on the Board page while it is open elsewhere: hlp03, and it stays where it is.
    window.findChild<QStackedWidget*>("Abook1")->setCurrentIndex(1);
    window.showHelp();
    QCOMPARE(menu.browser().url().toString(), menu.productBase() + "hlp03.htm");
    QCOMPARE(menu.pos(), QPoint(430, 260));
    QTest::mouseClick(child<QWidget>(menu, "btFim"), Qt::LeftButton);
    QVERIFY(!menu.isVisible());
}

int main(int argc, char** argv)
{
    // The browser's sandbox cannot start as root.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    MemberWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "member_window_test.moc"
