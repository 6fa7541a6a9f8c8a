// The studio ends when its main window closes, even with the web menu window ("Manual") and the
// member window open, and keeps running when the close is refused.

#include "app/main_window_lifetime.h"
#include "app/member_area.h"
#include "app/online_link.h"
#include "online/member_window.h"
#include "online/web_menu_window.h"
#include "widget_test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

using namespace ludomat;
using namespace ludomat::test;

class StudioLifetimeTest : public QObject {
    Q_OBJECT
private slots:
    void closingTheMainWindowEndsTheProgram_data();
    void closingTheMainWindowEndsTheProgram();
};

void StudioLifetimeTest::closingTheMainWindowEndsTheProgram_data()
{
    QTest::addColumn<bool>("refuseClose");
    QTest::newRow("fechar") << false;
    QTest::newRow("fechar recusado") << true;
}

void StudioLifetimeTest::closingTheMainWindowEndsTheProgram()
{
    QFETCH(bool, refuseClose);
    QTemporaryDir program;
    auto window = openWindow(program);
    // No server is needed: the windows only have to be open.
    OnlineLink online(*window, "http://127.0.0.1:9/");
    MemberArea members(*window, online.http());
    window->show();
    members.webMenu().show();
    members.memberWindow().show();
    quitWhenClosed(*window);
    // A refused close is one whose save failed and the user kept the window.
    window->setCloseQuestion([](const QString&) { return false; });
    // The settings cannot be written over a folder, so the close is refused.
    if (refuseClose) QVERIFY(QDir(program.path()).mkpath("Ludomat.ini/x"));

    bool quitByWatchdog = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [&] {
        quitByWatchdog = true;
        // Not quit(): that asks every window to close, and the refusing one would refuse again.
        QCoreApplication::exit(0);
    });
    watchdog.start(refuseClose ? 1500 : 20'000);
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    QCoreApplication::exec();
    QCOMPARE(quitByWatchdog, refuseClose);
}

int main(int argc, char** argv)
{
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    StudioLifetimeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "studio_lifetime_test.moc"
