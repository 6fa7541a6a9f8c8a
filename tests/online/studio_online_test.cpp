// The studio with its online services against the real server process: the version check both
// ways, the notice on activation, the update hand-over, and the catalogue; and against a hostile
// server that tries to write outside the program's folders.

#include "app/online_link.h"
#include "online/catalogue_panel.h"
#include "online/http_client.h"
#include "online/version_check.h"
#include "studio/files/studio_files.h"
#include "studio/pages/load_page.h"
#include "test_servers.h"
#include "widget_test_support.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace ludomat;
using namespace ludomat::test;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString message(MainWindow& window)
{
    return window.loadPage().findChild<QLabel*>("Mesg")->text();
}
bool updateOffered(MainWindow& window)
{
    return window.loadPage().findChild<QWidget*>("btAtu")->isHidden() == false;
}

// True when every request of the online services has been answered.
bool settled(OnlineLink& online)
{
    return !online.version().isBusy() && !online.catalogue().isBusy();
}

// A content folder with the version file and `games` catalogue games named jogo1..jogoN.
void makeContent(const QString& root, const QByteArray& versionFile, int games)
{
    write(root + "/ludomat/vrsmsg.txt", versionFile);
    QFile picture(QString(LUDOMAT_SERVER_CONTENT) + "/ludomat/scripts/quiz.png");
    QVERIFY(picture.open(QIODevice::ReadOnly));
    QByteArray png = picture.readAll();
    for (int i = 1; i <= games; ++i) {
        write(root + QString("/ludomat/scripts/jogo%1.png").arg(i), png);
        write(root + QString("/ludomat/scripts/jogo%1.scp").arg(i), QString("// jogo %1\r\nfim\r\n").arg(i).toLatin1());
    }
}

}  // namespace

class StudioOnlineTest : public QObject {
    Q_OBJECT
private slots:
    void checksTheVersionBothWaysAndNotices();
    void updatesStopWhereTheyCannotFinish();
    void fillsTheCatalogueOnceAndOpensAGame();
    void hostileServerWritesNothingOutside();
    void updatesEndToEnd();
};

void StudioOnlineTest::checksTheVersionBothWaysAndNotices()
{
    QTemporaryDir content, program;
    makeContent(content.path(), "1.0\r\n", 0);
    ServerProcess server(content.path());
    QVERIFY(server.isRunning());
    auto window = openWindow(program);
    OnlineLink online(*window, server.root());

    click(*window, "btVrs");
    QTRY_VERIFY(settled(online));
    QCOMPARE(message(*window), QString("Não precisa ser atualizado!"));
    QVERIFY(!updateOffered(*window));

    // Any difference asks for an update, a trailing blank included.
    write(content.path() + "/ludomat/vrsmsg.txt", "1.0 \r\nLudomat.zpp\r\n");
    click(*window, "btVrs");
    QTRY_VERIFY(settled(online));
    QCOMPARE(message(*window), QString("PRECISA ser atualizado!!!"));
    QVERIFY(updateOffered(*window));
    QCOMPARE(online.version().updateList(), QStringList({"1.0 ", "Ludomat.zpp"}));

    // The notice runs on activation and writes under the screen.
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window.get(), &activate);
    QTRY_COMPARE(labelText(*window, "Stx"), QString("Tem versão nova do Ludomat!!!"));

    // The server gone: the check says so, the notice stays quiet, the editor keeps its text.
    setScript(*window, {"// meu jogo", "fim"});
    online.http().closeConnections();
    QCOMPARE(server.terminate(), 0);
    click(*window, "btVrs");
    QTRY_VERIFY(settled(online));
    QCOMPARE(message(*window), QString("Erro ao baixar arquivo!"));
    QVERIFY(!updateOffered(*window));
    online.version().notice();
    QTRY_VERIFY(settled(online));
    QCOMPARE(labelText(*window, "Stx"), QString());
    QCOMPARE(editorLines(*window), QStringList({"// meu jogo", "fim"}));
}

// The whole update, package to new studio, is updatesEndToEnd; here the ways it must stop.
void StudioOnlineTest::updatesStopWhereTheyCannotFinish()
{
    QTemporaryDir content;
    makeContent(content.path(), "1.1\r\nnotas.txt\r\nfalta.zip\r\nLudomat.zpp\r\n", 0);
    write(content.path() + "/ludomat/notas.txt", "novidades");
    ServerProcess server(content.path());
    bool launched = false;
    auto launcher = [&](const QString&, const QStringList&) { return launched = true; };

    // A package file the server lacks stops the update; what came before stays.
    QTemporaryDir program;
    auto window = openWindow(program);
    OnlineLink online(*window, server.root());
    window->showFiles();
    online.version().setLauncher(launcher);
    click(*window, "btVrs");
    QTRY_VERIFY(settled(online));
    click(*window, "btAtu");
    QTRY_VERIFY(settled(online));
    QCOMPARE(message(*window), QString("Erro ao baixar arquivo!"));
    QVERIFY(QFile::exists(program.filePath("notas.txt")));
    QVERIFY(!QFile::exists(program.filePath("Ludomat.zpp")));
    QVERIFY(!launched);
    QVERIFY(window->isVisible());

    // An installed copy is the package manager's to update: nothing is fetched or started.
    QTemporaryDir program2, installation;
    QVERIFY(QDir(installation.path()).mkpath("usr/bin") && QDir(installation.path()).mkpath("usr/share/ludomat"));
    auto installed = openWindow(program2);
    OnlineLink online2(*installed, server.root());
    online2.version().setExecutableFolder(installation.filePath("usr/bin"));
    online2.version().setLauncher(launcher);
    click(*installed, "btVrs");
    QTRY_VERIFY(settled(online2));
    click(*installed, "btAtu");
    QTRY_VERIFY(settled(online2));
    QVERIFY(message(*installed).contains("gerenciador de pacotes"));
    QVERIFY(!QFile::exists(program2.filePath("notas.txt")));
    QVERIFY(!launched);
    QVERIFY(installed->isVisible());
}

void StudioOnlineTest::fillsTheCatalogueOnceAndOpensAGame()
{
    QTemporaryDir content, program;
    makeContent(content.path(), "1.0\r\n", 8);
    ServerProcess server(content.path());
    auto window = openWindow(program);
    OnlineLink online(*window, server.root());
    CataloguePanel& panel = online.catalogue();
    QVERIFY(!panel.isShown());

    click(*window, "btDown");
    QTRY_VERIFY(settled(online));
    QVERIFY(panel.isShown());
    QVERIFY(panel.isVisible());
    QList<CatalogueTile*> tiles = panel.tiles();
    QCOMPARE(tiles.size(), 8);
    std::sort(tiles.begin(), tiles.end(), [](auto* a, auto* b) { return a->entry().name < b->entry().name; });
    QCOMPARE(tiles[0]->pos(), QPoint(0, 0));
    QCOMPARE(tiles[6]->pos(), QPoint(636, 0));
    QCOMPARE(tiles[7]->pos(), QPoint(0, 105));
    QCOMPARE(tiles[7]->size(), QSize(100, 100));
    QVERIFY(!tiles[7]->pixmap().isNull());
    QVERIFY(QFile::exists(program.filePath("jogo8.png")));

    // "X" hides it; the button shows the same tiles without asking the server again.
    QTest::mouseClick(panel.findChild<QLabel*>("Label17"), Qt::LeftButton);
    QVERIFY(!panel.isShown());
    click(*window, "btDown");
    QTRY_VERIFY(settled(online));
    QVERIFY(panel.isShown());
    QCOMPARE(panel.tiles().size(), 8);

    setScript(*window, {"// o meu", "fim"});
    QTest::mouseClick(tiles[2], Qt::LeftButton);
    QTRY_VERIFY(settled(online));
    QCOMPARE(window->gameFolder(), program.path() + "/jogo3/");
    QCOMPARE(window->scriptName(), QString("jogo3.scp"));
    QCOMPARE(editorLines(*window), QStringList({"// jogo 3", "fim"}));
    QCOMPARE(window->currentPage(), QString("Fonte"));
    QVERIFY(!panel.isShown());
    // The user's own script went to its own file first.
    QCOMPARE(readFile(program.filePath("prog01.scp")), QByteArray("// o meu\r\nfim\r\n"));
    online.http().closeConnections();
    QCOMPARE(server.terminate(), 0);
    QCOMPARE(server.log().filter("listajogos.php").size(), 1);
}

void StudioOnlineTest::hostileServerWritesNothingOutside()
{
    QTemporaryDir outer;
    const QString programFolder = outer.path() + "/programa";
    QDir().mkpath(programFolder);
    RecordingServer server;
    server.setReply("/ludomat/brelk/listajogos.php",
                    "Ok\r\n../evil.png\r\n../evil.scp\r\n/tmp/x.png\r\n/tmp/x.scp\r\na\\..\\b.png\r\na\\..\\b.scp\r\n"
                    "grande.png\r\ngrande.scp\r\nvolta.png\r\nvolta.scp\r\n");
    server.setReply("/ludomat/scripts/grande.png", "", RecordingServer::Kind::Huge);
    server.setReply("/ludomat/scripts/grande.scp", "", RecordingServer::Kind::Error500);
    server.setReply("/ludomat/scripts/volta.png", "", RecordingServer::Kind::Redirect);
    server.setReply("/ludomat/scripts/volta.scp", "", RecordingServer::Kind::Redirect);
    auto window = openWindow(programFolder);
    OnlineLink online(*window, server.root());
    setScript(*window, {"// o meu", "fim"});

    click(*window, "btDown");
    QTRY_VERIFY(settled(online));
    QList<CatalogueTile*> tiles = online.catalogue().tiles();
    QCOMPARE(tiles.size(), 2);
    for (CatalogueTile* tile : tiles) {
        QVERIFY(tile->pixmap().isNull());  // blank, still clickable
        QTest::mouseClick(tile, Qt::LeftButton);
        QTRY_VERIFY(settled(online));
        QVERIFY(online.catalogue().isShown());
    }
    QCOMPARE(editorLines(*window), QStringList({"// o meu", "fim"}));
    QCOMPARE(window->scriptName(), QString("prog01.scp"));
    QCOMPARE(QDir(outer.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"programa"}));
    QVERIFY(!QFile::exists("/tmp/x.png") && !QFile::exists("/tmp/x.scp"));
    QVERIFY(!QFile::exists(programFolder + "/grande.png"));
    QCOMPARE(server.count("/ludomat/scripts/../evil.png") + server.count("/evil.png") + server.count("/tmp/x.png"), 0);
}

// The server publishes 1.1 with a package; the studio, whose program folder is not the folder of
// its programs, checks, updates and hands over; the real updater unpacks, replaces the programs
// where they live, keeps the user's files and starts the new studio on the same program folder.
void StudioOnlineTest::updatesEndToEnd()
{
#ifndef LUDOMAT_NEXT_PACKAGE
    QSKIP("no update package was built");
#else
    QTemporaryDir content, program, programs;
    QVERIFY(QDir().mkpath(content.path() + "/ludomat"));
    for (const char* name : {"vrsmsg.txt", "duvo.zpp", "Ludomat.zpp"})
        QVERIFY(QFile::copy(QString(LUDOMAT_NEXT_PACKAGE) + "/" + name, content.path() + "/ludomat/" + name));
    write(program.filePath("jogo/figura.png"), "do usuário");
    write(programs.filePath("ludomat"), "#!/bin/sh\necho 1.0\n");
    ServerProcess server(content.path());
    auto window = openWindow(program);
    auto* online = new OnlineLink(*window, server.root());  // owned by the window, which ends first here
    online->version().setExecutableFolder(programs.path());
    window->showFiles();
    setScript(*window, {"// o jogo do usuário", "fim"});
    click(*window, "btVrs");
    QTRY_VERIFY(settled(*online));
    QCOMPARE(message(*window), QString("PRECISA ser atualizado!!!"));
    click(*window, "btAtu");
    QTRY_VERIFY(!window->isVisible());
    window.reset();  // the studio has ended: settings and script are written

    // The updater logs the new studio's process; it runs until we end it.
    QString log;
    QTRY_VERIFY_WITH_TIMEOUT(
        (log = QString::fromUtf8(readFile(program.filePath("atualizacao.log")))).contains("iniciado"), 20000);
    QRegularExpressionMatch started = QRegularExpression("processo (\\d+)").match(log);
    QVERIFY2(started.hasMatch(), qPrintable(log));
    const QByteArray commandLine = readFile("/proc/" + started.captured(1) + "/cmdline");
    QProcess::execute("kill", {started.captured(1)});
    QVERIFY(log.contains("instalado: ludomat"));
    QCOMPARE(commandLine.split('\0').mid(1, 2), QList<QByteArray>({"--program-folder", program.path().toUtf8()}));

    QProcess version;
    version.start(programs.filePath("ludomat"), {"--version"});
    QVERIFY(version.waitForFinished(10000));
    QVERIFY2(version.readAllStandardOutput().contains("1.1"), "the new studio says its version");
    QVERIFY(!QFile::exists(program.filePath("ludomat")));
    QCOMPARE(readFile(program.filePath("jogo/figura.png")), QByteArray("do usuário"));
    QCOMPARE(readFile(program.filePath("prog01.scp")), QByteArray("// o jogo do usu\xE1rio\r\nfim\r\n"));
    QVERIFY(QFile::exists(program.filePath("Ludomat.ini")));
    QVERIFY(!QDir(program.filePath(".atualizacao")).exists());
#endif
}

LUDOMAT_WIDGET_TEST_MAIN(StudioOnlineTest)

#include "studio_online_test.moc"
