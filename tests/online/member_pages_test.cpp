// The member window's page commands against the real ludomat-server process: option files,
// projects downloaded and run, hostile names, command addresses from foreign pages, and the
// web menu placed beside the window.

#include "member_window_support.h"

#include "online/web_menu_window.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QWebEngineView>

using namespace ludomat;
using namespace ludomat::test;

class MemberPagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_server = startMemberServer(m_content);
        QVERIFY(m_server->isRunning());
    }
    void runsPageCommands();
    void refusesHostileNames();
    void ignoresCommandsFromForeignPages();
    void placesTheWebMenu();

private:
    QTemporaryDir m_content;
    std::unique_ptr<ServerProcess> m_server;
};

void MemberPagesTest::runsPageCommands()
{
    Session s(m_server->root());
    MemberWindow& window = s.window;
    RecordingLink& link = s.link;
    logIn(window, s.http, "ivo@escola.br");
    PageCommands& commands = window.commands();
    const QString vip = s.vip();
    const auto run = [&](const std::string& queue) {
        commands.run(queue);
        settle(window);
    };

    // 30 lines fill seven entries and drop the last two lines; 6 lines fill one, the others
    // keep their old command texts.
    run("trinta.txt");
    QCOMPARE(child(window, "Opc6")->text(), QString("linha 24"));
    QCOMPARE(child(window, "Dsc6")->text(), QString("linha 25"));
    QCOMPARE(child(window, "Opc6")->toolTip(), QString("linha 26"));
    run("seis.txt");
    QCOMPARE(child(window, "Opc0")->text(), QString("Um"));
    QCOMPARE(child(window, "Opc1")->text(), QString());
    QCOMPARE(child(window, "Opc1")->toolTip(), QString("linha 6"));
    window.runEntry(0);
    settle(window);
    QCOMPARE(link.calls.last(), QString("registers"));

    // A project: folder, picture, script loaded and run; "showreg" only after the run returned.
    link.calls.clear();
    run("mkdir,estrelas,loadarq,estrela.png,loadscp,estrelas.scp,exescp,showreg");
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
    QCOMPARE(child(window, "Img1")->pixmap().size(), QSize(60, 60));
    link.calls.clear();
    window.drawPreview();
    files->setCurrentRow(1);
    window.copyPreviewedScript();
    QCOMPARE(link.calls,
             QStringList({"draw:" + vip + "estrelas/estrela.png", "open:" + vip + "estrelas/estrelas.scp"}));

    // "mkdir" last reads an empty name: the member folder itself.
    run("mkdir");
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

void MemberPagesTest::refusesHostileNames()
{
    Session s(m_server->root());
    logIn(s.window, s.http, "gil@escola.br");

    // Before any "mkdir" files land in the member folder, never the working folder.
    s.window.commands().run("loadarq,estrela.png");
    settle(s.window);
    QVERIFY(QFile::exists(s.vip() + "estrela.png"));
    QVERIFY(!QFile::exists(QDir::currentPath() + "/estrela.png"));

    for (const char* hostile :
         {"mkdir,../fora,showreg", "mkdir,a/b,showreg", "loadarq,..,showreg", "loadscp,/etc/passwd,showreg",
          "loadarq,C:x.png,showreg", "mkdir,a\tb,showreg", "loadarq,sub\\x.png,showreg", "../x.txt,showreg"}) {
        s.link.calls.clear();
        s.window.commands().run(hostile);
        settle(s.window);
        QVERIFY2(s.link.calls.isEmpty(), hostile);
        QVERIFY2(child(s.window, "stLog")->text().contains("recusad"), hostile);
    }
    QVERIFY(!QFileInfo(s.program.path() + "/fora").exists());
    QCOMPARE(QDir(s.program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"vip"});
}

// A page of another site that sends the member window to a command address of our server gets
// nothing done, whatever way it goes there; the same link on our own page runs.
void MemberPagesTest::ignoresCommandsFromForeignPages()
{
    ServerProcess foreign(m_content.path());
    QVERIFY(foreign.isRunning());
    Session s(m_server->root());
    logIn(s.window, s.http, "alvo@escola.br");
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
    MemberWebPage& page = s.window.webPage();
    for (const auto& c : cases) {
        s.link.calls.clear();
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.setUrl(QUrl(c.page));
        QVERIFY2(loaded.wait(20000), c.what);
        const QString what = c.what;
        const QString action = c.action ? QString(c.action) : what.endsWith("script") ? assign : open;
        if (!action.isEmpty()) page.runJavaScript(action);
        if (c.runs) {
            QTRY_COMPARE_WITH_TIMEOUT(s.link.calls.size(), 2, 10000);
            settle(s.window);
        } else {
            QTest::qWait(1500);
        }
        QCOMPARE(s.link.calls.isEmpty(), !c.runs);
        QCOMPARE(QFileInfo(s.vip() + "invadido").isDir(), c.runs);
    }
}

void MemberPagesTest::placesTheWebMenu()
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

int runMemberPagesTest(int argc, char** argv)
{
    MemberPagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "member_pages_test.moc"
