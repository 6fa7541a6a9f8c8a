// The member window against the real ludomat-server process: log-in and its messages, the chat
// between two members with its label layout, and the page commands of the "Shop" page driven
// through the window's real browser page loading pages from the server.

#include "graphics/cp1252.h"
#include "online/endpoints.h"
#include "online/http_client.h"
#include "online/member_link.h"
#include "online/member_web_page.h"
#include "online/member_window.h"
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
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

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

// Logs `window` in as a new member `email`.
void logIn(MemberWindow& window, Http& http, const std::string& email)
{
    signUp(http, email, "senha");
    child<QLineEdit>(window, "Email")->setText(QString::fromStdString(email));
    child<QLineEdit>(window, "Senha")->setText("senha");
    window.logIn();
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
    void placesTheWebMenu();
    void screenshots();

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
    m_server = std::make_unique<ServerProcess>(m_content.path());
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
    auto* status = child<QLabel>(window, "stLog");

    window.logIn();
    QCOMPARE(status->text(), QString("Não informou a sua senha!"));
    child<QLineEdit>(window, "Email")->clear();
    window.logIn();
    QCOMPARE(status->text(), QString("Não informou o seu e-mail!"));

    signUp(http, "lia@escola.br", "certa");
    child<QLineEdit>(window, "Email")->setText("lia@escola.br");
    child<QLineEdit>(window, "Senha")->setText("errada");
    window.logIn();
    QCOMPARE(status->text(), QString("E-mail ou senha incorretos."));
    QVERIFY(!child<QPushButton>(window, "btShp")->isEnabled());
    QCOMPARE(link.password, QString("errada"));  // remembered whether or not it worked

    child<QLineEdit>(window, "Senha")->setText("certa");
    window.logIn();
    QCOMPARE(status->text(), QString("Ok, bem-vindo(a)!"));
    QCOMPARE(window.memberKey().size(), size_t(64));
    QCOMPARE(window.activeGroup(), QString("Turma"));
    QVERIFY(child<QPushButton>(window, "btShp")->isEnabled() && child<QPushButton>(window, "btJam")->isEnabled());
    QVERIFY(QFileInfo(program.path() + "/vip").isDir());

    // A server that cannot be reached: "Erro de acesso", and the key of the last log-in stays.
    const std::string key = window.memberKey();
    Http offline("http://127.0.0.1:1/");
    MemberWindow lost(offline, link);
    child<QLineEdit>(lost, "Email")->setText("lia@escola.br");
    child<QLineEdit>(lost, "Senha")->setText("certa");
    lost.logIn();
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
    signUp(other, "eva@escola.br", "e");
    const std::string eva = login(other, "eva@escola.br", "e").memberKey;
    QCOMPARE(enterGroup(other, eva, "Turma"), std::string("eva"));
    // Eva's earlier messages are part of the group's recent history; start from a clean chat.
    window.enterGroup();
    QVERIFY(window.inGroup());
    QCOMPARE(child<QLineEdit>(window, "Nick")->text(), QString("rui"));
    QCOMPARE(child<QLabel>(window, "Led2")->property("colour").toString(), QString("lime"));
    QVERIFY(!child<QPushButton>(window, "btScp")->isHidden());
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
    QCOMPARE(window.messageCursor(), cursor + 2);
    QCOMPARE(window.chatLabelCount(), 4);
    auto labels = child<QScrollArea>(window, "Chat")->widget()->findChildren<QLabel*>();
    QCOMPARE(labels[1]->text(), QString("<b>oi</b> Rui"));  // markup shown as typed
    QCOMPARE(labels[1]->textFormat(), Qt::PlainText);
    QCOMPARE(labels[1]->height(), 25);
    QCOMPARE(labels[3]->height(), 75);
    QCOMPARE(window.chatY(), 25 + 25 + 25 + 25 + 75 + 25);

    // A listing of three lines: 3 labels after the header, and LstFnt gets them with the rule.
    other.postChatText(eva, "lst\r\nreg= 1,5\r\nprint #1\r\nfim\r\n" + kChatSeparator + "\r\n");
    window.pollMessages();
    QCOMPARE(window.messageCursor(), cursor + 3);
    QCOMPARE(window.chatLabelCount(), 8);
    QCOMPARE(child<QPlainTextEdit>(window, "LstFnt")->toPlainText(),
             QString("reg= 1,5\nprint #1\nfim\n//------------------------------------------\n"));

    // Enter in Memo1 sends; the message comes back with the next poll.
    memo->setPlainText("tudo bem?");
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(memo->toPlainText(), QString());
    // Clearing keeps the cursor: only newer messages come, from the top again.
    window.clearChat();
    window.pollMessages();
    QCOMPARE(window.chatLabelCount(), 2);
    QCOMPARE(window.chatY(), 75);
    QCOMPARE(window.messageCursor(), cursor + 4);

    window.pollParticipants();
    auto* parts = child<QListWidget>(window, "Parts");
    QCOMPARE(parts->count(), 2);
    QCOMPARE(parts->item(0)->text(), QString("eva"));

    // The editor's selection goes out as a listing.
    link.selection = "linha 1\nlinha 2";
    window.sendListing();
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
    QVERIFY(!window.inGroup());
    QCOMPARE(parts->count(), 0);
    QCOMPARE(child<QLabel>(window, "Led2")->property("colour").toString(), QString("maroon"));
    QCOMPARE(fetchParticipants(other, eva, "Turma"), std::string("Ok\r\neva\r\n"));
    // Entering again starts over with "Ini" 0 and an empty chat.
    window.enterGroup();
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
    QCOMPARE(child<QLabel>(window, "Opc6")->text(), QString("linha 24"));
    QCOMPARE(child<QLabel>(window, "Dsc6")->text(), QString("linha 25"));
    QCOMPARE(child<QLabel>(window, "Opc6")->toolTip(), QString("linha 26"));
    commands.run("seis.txt");
    QCOMPARE(child<QLabel>(window, "Opc0")->text(), QString("Um"));
    QCOMPARE(child<QLabel>(window, "Opc1")->text(), QString());
    QCOMPARE(child<QLabel>(window, "Opc1")->toolTip(), QString("linha 6"));
    window.runEntry(0);
    QCOMPARE(link.calls.last(), QString("registers"));

    // A project: folder, picture, script loaded and run; "showreg" only after the run returned.
    link.calls.clear();
    commands.run("mkdir,estrelas,loadarq,estrela.png,loadscp,estrelas.scp,exescp,showreg");
    QCOMPARE(link.calls, QStringList({"folder:" + vip + "estrelas/", "load:" + vip + "estrelas/estrelas.scp",
                                      "execute", "registers"}));
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
    QCOMPARE(link.calls, QStringList({"draw:" + vip + "estrelas/estrela.png", "open:" + vip + "estrelas/estrelas.scp"}));

    // "mkdir" last reads an empty name: the member folder itself.
    commands.run("mkdir");
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

    // The same link on another site is shown as a page, never run.
    ServerProcess elsewhere(m_content.path());
    QVERIFY(elsewhere.isRunning());
    loaded.clear();
    page.setUrl(QUrl(elsewhere.root() + "ludomat/vip/pagina.htm"));
    QVERIFY(loaded.wait(20000));
    loaded.clear();
    page.runJavaScript("document.getElementById('reg').click()");
    QVERIFY(loaded.wait(20000));
    QCOMPARE(link.calls, QStringList{"registers"});
    QVERIFY(page.url().toString().endsWith("pagina.htm?Cmd=showreg"));

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
    QVERIFY(QFile::exists(program.path() + "/vip/estrela.png"));
    QVERIFY(!QFile::exists(QDir::currentPath() + "/estrela.png"));

    for (const char* hostile : {"mkdir,../fora,showreg", "mkdir,a/b,showreg", "loadarq,..,showreg",
                                "loadscp,/etc/passwd,showreg", "loadarq,C:x.png,showreg", "mkdir,a\tb,showreg",
                                "loadarq,sub\\x.png,showreg", "../x.txt,showreg"}) {
        link.calls.clear();
        commands.run(hostile);
        QVERIFY2(link.calls.isEmpty(), hostile);
        QVERIFY2(child<QLabel>(window, "stLog")->text().contains("recusad"), hostile);
    }
    QVERIFY(!QFileInfo(program.path() + "/fora").exists());
    QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"vip"});
}

void MemberWindowTest::placesTheWebMenu()
{
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    Http http(m_server->root());
    WebMenuWindow menu(m_server->root());
    QCOMPARE(menu.size(), QSize(762, 526));
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

// With LUDOMAT_SCREENSHOTS=DIR: the member window in a chat with a listing, the "Shop" page
// with its entries, and the web menu window, as PNG files (run under a real X server).
void MemberWindowTest::screenshots()
{
    const QString folder = qEnvironmentVariable("LUDOMAT_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("LUDOMAT_SCREENSHOTS not set");
    QTemporaryDir program;
    RecordingLink link(program.path() + "/");
    Http http(m_server->root());
    WebMenuWindow menu(m_server->root());
    MemberWindow window(http, link, &menu);
    window.move(40, 40);
    window.show();
    logIn(window, http, "bela@escola.br");
    Http other(m_server->root());
    signUp(other, "caue@escola.br", "c");
    const std::string caue = login(other, "caue@escola.br", "c").memberKey;
    enterGroup(other, caue, "Turma");
    window.showJam();
    window.enterGroup();
    window.clearChat();
    other.postChatText(caue, toCp1252("Oi, Bela! Fiz um script que conta até cinco, olha só:"));
    other.postChatText(caue, "lst\r\nreg= 1,0\r\n:volta\r\ninc 1\r\nifreg< 1,5,volta\r\nfim\r\n" + kChatSeparator);
    child<QPlainTextEdit>(window, "Memo1")->setPlainText("Legal! Vou colar no meu editor.");
    window.pollMessages();
    window.pollParticipants();
    QTest::qWait(300);
    QVERIFY(window.grab().save(folder + "/member-chat.png"));

    QSignalSpy loaded(&window.webPage(), &QWebEnginePage::loadFinished);
    window.showShop();
    QVERIFY(loaded.wait(20000));
    window.commands().run("projetos.txt");
    QTest::qWait(1500);
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(window.winId()).save(folder + "/member-shop.png"));

    QSignalSpy menuLoaded(menu.browser().page(), &QWebEnginePage::loadFinished);
    menu.move(700, 300);
    menu.showMenu();
    QVERIFY(menuLoaded.wait(20000));
    QTest::qWait(1500);
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(menu.winId()).save(folder + "/web-menu.png"));
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
