// The studio as a process: the program folder it is given, and the signals that end a session
// from outside. (--help and --version without a display are ctest's ludomat_help and
// ludomat_version.)

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QString kStudio = QStringLiteral(LUDOMAT_STUDIO_BINARY);

QProcessEnvironment offscreen()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

// Whether the process catches `signal`, as /proc tells.
bool catches(qint64 pid, int signal)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:")) continue;
        bool ok = false;
        qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
        return ok && (mask >> (signal - 1)) & 1;
    }
    return false;
}

QStringList lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList all = QString::fromUtf8(file.readAll()).split("\r\n");
    if (!all.isEmpty() && all.back().isEmpty()) all.removeLast();
    return all;
}

}  // namespace

class StudioProcessTest : public QObject {
    Q_OBJECT

private slots:
    void programFolderIsMadeOrRefused();
    void signalsCloseLikeTheCloseButton();
    void recoveredLinesStayAfterARestartWithTheScript();
};

void StudioProcessTest::programFolderIsMadeOrRefused()
{
    QTemporaryDir folder;
    QFile blocker(folder.filePath("arquivo"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcess studio;
    studio.setProcessEnvironment(offscreen());
    studio.start(kStudio, {"--program-folder", folder.filePath("arquivo/estudio")});
    bool ended = studio.waitForFinished(10000);
    if (!ended) studio.kill();
    QVERIFY2(ended, "the studio must say at once that it cannot use the folder");
    QCOMPARE(studio.exitCode(), 2);
    QByteArray error = studio.readAllStandardError();
    QVERIFY2(error.contains("não foi possível criar a pasta do programa"), error.constData());
}

void StudioProcessTest::signalsCloseLikeTheCloseButton()
{
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QTemporaryDir folder;
        // A folder that is not there yet is made, and the session's files land in it.
        QString program = folder.filePath("novo/estudio");
        QProcess studio;
        studio.setProcessEnvironment(offscreen());
        studio.start(kStudio, {"--program-folder", program});
        QVERIFY(studio.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(catches(studio.processId(), SIGTERM) && catches(studio.processId(), SIGHUP) &&
                                     catches(studio.processId(), SIGINT),
                                 15000);
        QVERIFY(QDir(program).exists());
        // Whatever program folder it is given, the studio offers the example games there.
        QVERIFY(QFileInfo(program + "/coleta/coleta.scp").isFile());
        QVERIFY(QFileInfo(program + "/demo").isDir());
        ::kill(pid_t(studio.processId()), signal);
        bool ended = studio.waitForFinished(15000);
        if (!ended) studio.kill();
        QVERIFY2(ended, qPrintable(QString("signal %1 did not end the studio").arg(signal)));
        QCOMPARE(studio.exitStatus(), QProcess::NormalExit);
        QCOMPARE(studio.exitCode(), 0);
        // The close button's steps: the settings file and the script are written.
        QStringList settings = lines(program + "/Ludomat.ini");
        QVERIFY2(settings.value(0) == "prog01.scp", qPrintable(settings.join('|')));
        QCOMPARE(settings.value(1), program + "/");
        QCOMPARE(lines(program + "/prog01.scp").value(0),
                 QString("//=== Meu primeiro programa ").append(QString(21, '=')));
    }
}

void StudioProcessTest::recoveredLinesStayAfterARestartWithTheScript()
{
    QTemporaryDir folder;
    const QString program = folder.filePath("estudio");
    const QString script = folder.filePath("G/jogo.scp");
    QVERIFY(QDir(folder.path()).mkpath("G"));
    auto write = [](const QString& path, const QStringList& lines) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write((lines.join("\r\n") + "\r\n").toUtf8());
    };
    const QStringList old{"  pausa 1", "  fim"};
    const QStringList typed{"  reg= 1,digitado", "  pausa 1", "  fim"};
    write(script, old);

    // A session with the script, whose typed lines reached the recovery copy, dies by a kill.
    QProcess first;
    first.setProcessEnvironment(offscreen());
    first.start(kStudio, {"--program-folder", program, script});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catches(first.processId(), SIGTERM), 15000);
    write(program + "/Ludomat.recuperar", QStringList{script} + typed);
    ::kill(pid_t(first.processId()), SIGKILL);
    QVERIFY(first.waitForFinished(15000));

    // The same command line again, the question answered "Sim", then closed as usual.
    QProcess second;
    second.setProcessEnvironment(offscreen());
    second.start(kStudio, {"--program-folder", program, "--recover", script});
    QVERIFY(second.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catches(second.processId(), SIGTERM), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(program + "/Ludomat.recuperar"), 15000);
    // The editor then shows the recovered lines, so closing keeps them.
    ::kill(pid_t(second.processId()), SIGTERM);
    bool ended = second.waitForFinished(15000);
    if (!ended) second.kill();
    QVERIFY(ended);
    QCOMPARE(lines(script), typed);
    QVERIFY(!QFile::exists(program + "/Ludomat.recuperar"));
}

QTEST_GUILESS_MAIN(StudioProcessTest)
#include "studio_process_test.moc"
