// The member area joined to a real studio window and the real server: the member picture, F5
// and the manual button open their windows, and a project link of the shipped member menu makes
// the folder, fetches the picture and the script, runs it in the studio and shows the registers.

#include "app/member_area.h"
#include "app/online_link.h"
#include "online/endpoints.h"
#include "online/http_client.h"
#include "online/member_window.h"
#include "online/web_menu_window.h"
#include "studio/pages/load_page.h"
#include "test_servers.h"
#include "widget_test_support.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWebEngineView>

#include <unistd.h>

using namespace ludomat;
using namespace ludomat::test;

class MemberAreaTest : public QObject {
    Q_OBJECT
private slots:
    void opensTheWindowsAndRunsAProject();
};

void MemberAreaTest::opensTheWindowsAndRunsAProject()
{
    ServerProcess server;
    QVERIFY(server.isRunning());
    QTemporaryDir program;
    auto window = openWindow(program);
    OnlineLink online(*window, server.root());
    MemberArea members(*window, online.http());

    QVERIFY(!members.memberWindow().isVisible());
    auto* icon = window->loadPage().findChild<QAbstractButton*>("Icovip");
    QVERIFY(icon);
    icon->click();
    QVERIFY(members.memberWindow().isVisible());
    members.memberWindow().hide();
    QTest::keyClick(window.get(), Qt::Key_F5);
    QVERIFY(members.memberWindow().isVisible());
    window->loadPage().findChild<QAbstractButton*>("btWeb")->click();
    QVERIFY(members.webMenu().isVisible());
    QCOMPARE(members.webMenu().browser().url().toString(), server.root() + "ludomat/menu.htm");

    // Sign up and log in through the window; the studio remembers the e-mail.
    MemberWindow& member = members.memberWindow();
    signUp(online.http(), "rafa@escola.br", "senha-da-rafa");
    member.findChild<QLineEdit*>("Email")->setText("rafa@escola.br");
    member.findChild<QLineEdit*>("Senha")->setText("senha-da-rafa");
    member.logIn();
    QTRY_VERIFY(!member.isWaiting());
    QCOMPARE(window->files().settings().memberEmail, QString("rafa@escola.br"));

    member.commands().run("mkdir,estrelas,loadarq,estrela.png,loadscp,estrelas.scp,exescp,showreg");
    QTRY_VERIFY_WITH_TIMEOUT(!member.commands().isBusy(), 20000);
    const QString folder = window->programFolder() + "vip/estrelas/";
    QCOMPARE(window->gameFolder(), folder);
    QCOMPARE(window->scriptName(), QString("estrelas.scp"));
    QVERIFY(editorLines(*window).first().startsWith("// === Estrelas"));
    QCOMPARE(reg(*window, 1), QString("6"));
    QCOMPARE(window->currentPage(), QString("Regs"));
}

int main(int argc, char** argv)
{
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    MemberAreaTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "member_area_test.moc"
