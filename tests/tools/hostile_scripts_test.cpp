// Hostile scripts run through ludomat-run: file names that try to leave the game folder, files
// that are no files, and runs that try to outlast the time-out or take all the memory.

#include "engine/script_files.h"
#include "tools/headless_host.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString err;
    qint64 ms = 0;
};

// A program folder with a game folder "jogo" inside it, and a place outside both.
class HostileScripts : public ::testing::Test {
protected:
    QTemporaryDir m_root;
    QString m_program = m_root.filePath("programa");
    QString m_game = m_root.filePath("programa/jogo");
    QString m_outside = m_root.filePath("fora");

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(m_game));
        ASSERT_TRUE(QDir().mkpath(m_outside));
    }

    static void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }
    static QByteArray readBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Runs the game script `name` (lines joined with CR LF) with the given extra options,
    // optionally under an address-space limit in bytes.
    Outcome run(const QString& name, const QByteArray& text, QStringList options = {}, qint64 addressSpace = 0)
    {
        writeBytes(m_game + "/" + name, text);
        // Options given later win over the program folder given here.
        QStringList arguments = QStringList{"--program-folder", m_program} + options + QStringList{m_game + "/" + name};
        QString program = LUDOMAT_RUN;
        if (addressSpace > 0) {
            arguments = QStringList{QString("--as=%1").arg(addressSpace), program} + arguments;
            program = "prlimit";
        }
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(program, arguments);
        bool finished = process.waitForFinished(60000);
        Outcome outcome{process.exitCode(), QString::fromUtf8(process.readAllStandardError()), clock.elapsed()};
        if (!finished) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "ludomat-run did not finish: " << name.toStdString();
        }
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << outcome.err.toStdString();
        return outcome;
    }
};

QByteArray lines(std::initializer_list<QByteArray> all)
{
    QByteArray out;
    for (const QByteArray& l : all) out += l + "\r\n";
    return out;
}

TEST_F(HostileScripts, GetfotoWritesOnlyAPlainNameInsideTheGameFolder)
{
    const QByteArray victim = "do not touch";
    const QString victimPath = m_outside + "/victim.txt";
    writeBytes(victimPath, victim);
    writeBytes(m_outside + "/victim.jpg", victim);
    const QByteArray refused[] = {
        "../../fora/victim",                            // relative, out of the folder
        (m_outside + "/victim").toUtf8(),               // absolute
        QByteArray("../../fora/victim.txt\0x", 23),     // a NUL that would cut ".jpg" away
        "sub/foto",                                     // any folder part
    };
    for (const QByteArray& name : refused) {
        Outcome outcome = run("foto.scp", lines({"reg= 1," + name, "getfoto 1"}));
        EXPECT_EQ(outcome.exitCode, 1) << name.toStdString();
        EXPECT_TRUE(outcome.err.contains("error: line 1: ") && outcome.err.contains("não serve de nome para a foto"))
            << outcome.err.toStdString();
    }
    EXPECT_EQ(readBytes(victimPath), victim);
    EXPECT_EQ(readBytes(m_outside + "/victim.jpg"), victim);

    // A link planted under the photograph's name is replaced by the photograph, never followed.
    ASSERT_EQ(::symlink(victimPath.toUtf8().constData(), (m_game + "/shot.jpg").toUtf8().constData()), 0);
    EXPECT_EQ(run("foto.scp", lines({"reg= 1,shot", "getfoto 1"})).exitCode, 0);
    EXPECT_EQ(readBytes(victimPath), victim);
    EXPECT_FALSE(QFileInfo(m_game + "/shot.jpg").isSymLink());
    EXPECT_TRUE(readBytes(m_game + "/shot.jpg").startsWith("\xFF\xD8"));

    // An empty name gives ".jpg", the extension replaced rather than added twice.
    EXPECT_EQ(run("foto.scp", lines({"getfoto 7"})).exitCode, 0);
    EXPECT_TRUE(readBytes(m_game + "/.jpg").startsWith("\xFF\xD8"));
    EXPECT_FALSE(QFile::exists(m_game + "/.jpg.jpg"));
    EXPECT_TRUE(QDir(m_game).entryList({"*tmp~"}, QDir::Hidden | QDir::Files).isEmpty());
}

TEST_F(HostileScripts, NamesWithControlCharactersAreRefused)
{
    // A NUL would have cut the name before ".scp" or the picture check.
    Outcome script = run("nul.scp", lines({QByteArray("script ../../../../../../etc/passwd\0x", 38)}));
    EXPECT_EQ(script.exitCode, 1);
    EXPECT_TRUE(script.err.contains("caractere de controle")) << script.err.toStdString();
    EXPECT_FALSE(script.err.contains("root:")) << script.err.toStdString();

    QImage(4, 4, QImage::Format_RGB32).save(m_game + "/ceu.png");
    Outcome picture = run("nul.scp", lines({QByteArray("fundo ceu.png\0.txt", 18)}));
    EXPECT_EQ(picture.exitCode, 1);
    EXPECT_TRUE(picture.err.contains("caractere de controle")) << picture.err.toStdString();
}

TEST_F(HostileScripts, ReadsStayInsideTheGameAndProgramFolders)
{
    // A shared folder of the program folder is fine, as "../comum/ceu.png" from a game.
    ASSERT_TRUE(QDir().mkpath(m_program + "/comum"));
    QImage(4, 4, QImage::Format_RGB32).save(m_program + "/comum/ceu.png");
    EXPECT_EQ(run("ok.scp", lines({"fundo ../comum/ceu.png"})).exitCode, 0);

    writeBytes(m_outside + "/alheio.scp", lines({"reg= 1,lido"}));
    QImage(4, 4, QImage::Format_RGB32).save(m_outside + "/alheio.png");
    ASSERT_EQ(::symlink((m_outside + "/alheio.png").toUtf8().constData(), (m_game + "/atalho.png").toUtf8().constData()), 0);
    const QByteArray outside[] = {"script ../../fora/alheio", "fundo ../../fora/alheio.png", "fundo atalho.png"};
    for (const QByteArray& line : outside) {
        Outcome outcome = run("fora.scp", lines({line}));
        EXPECT_EQ(outcome.exitCode, 1) << line.toStdString();
        EXPECT_TRUE(outcome.err.contains("fora da pasta do jogo")) << outcome.err.toStdString();
    }
}

TEST_F(HostileScripts, OnlyRegularFilesOfASaneSizeAreOpened)
{
    // A pipe would block open() for ever; a device under a script's name would be read without end.
    ASSERT_EQ(::mkfifo((m_game + "/cano.scp").toUtf8().constData(), 0600), 0);
    ASSERT_EQ(::mkfifo((m_game + "/cano.png").toUtf8().constData(), 0600), 0);
    for (const QByteArray& line : {QByteArray("script cano"), QByteArray("fundo cano.png")}) {
        Outcome outcome = run("cano_run.scp", lines({line}), {"--timeout", "20"});
        EXPECT_EQ(outcome.exitCode, 1) << line.toStdString();
        EXPECT_TRUE(outcome.err.contains("não é um arquivo comum")) << outcome.err.toStdString();
    }
    ASSERT_EQ(::symlink("/dev/zero", (m_game + "/zero.scp").toUtf8().constData()), 0);
    Outcome zero = run("zero_run.scp", lines({"script zero"}), {"--timeout", "20", "--program-folder", "/"});
    EXPECT_EQ(zero.exitCode, 1);
    EXPECT_TRUE(zero.err.contains("não é um arquivo comum")) << zero.err.toStdString();

    writeBytes(m_game + "/enorme.scp", QByteArray(17 << 20, '/'));
    Outcome large = run("enorme_run.scp", lines({"script enorme"}));
    EXPECT_EQ(large.exitCode, 1);
    EXPECT_TRUE(large.err.contains("passa de 16 MiB")) << large.err.toStdString();
}

TEST_F(HostileScripts, MemoryGrowsWithWhatRunsNotWithTheFile)
{
#ifdef LUDOMAT_SANITIZED
    GTEST_SKIP() << "address-space limits cannot hold a sanitized build";
#endif
    // 10 MiB of bare CRs: ten million empty lines, loaded and run in well under 600 MB.
    writeBytes(m_game + "/vazio.scp", QByteArray(10 << 20, '\r'));
    Outcome outcome = run("vazio_run.scp", lines({"script vazio"}), {"--timeout", "30"}, 600'000'000);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
}

TEST_F(HostileScripts, SlowLinesEndWithinTheTimeout)
{
    // A 1 MiB script that loads itself again and again (a chained script goes on from its
    // second line).
    QByteArray chain = lines({"// cadeia", "script cadeia"});
    chain += QByteArray(1 << 20, '\n');
    Outcome chained = run("cadeia.scp", chain, {"--timeout", "1"});
    EXPECT_EQ(chained.exitCode, 3) << chained.err.toStdString();
    EXPECT_LT(chained.ms, 4000);

    // A register doubled to the text limit, then printed without end.
    Outcome printed = run("texto.scp", lines({"reg= 1,ab~", ":dobra", "reg$ 1,#1", "inc 2", "ifreg< 2,22,dobra",
                                              ":mostra", "print #1", "goto mostra"}),
                          {"--timeout", "1"});
    EXPECT_EQ(printed.exitCode, 3) << printed.err.toStdString();
    EXPECT_LT(printed.ms, 4000);
}

TEST_F(HostileScripts, TextAndMemoryLimitsEndTheRunWithAMessage)
{
#ifdef LUDOMAT_SANITIZED
    GTEST_SKIP() << "address-space limits cannot hold a sanitized build";
#endif
    constexpr qint64 kFourGiB = qint64(4) << 30;
    // Doubling without end stops at the text limit.
    Outcome doubled = run("dobra.scp", lines({"reg= 1,x", ":dobra", "reg$ 1,#1", "goto dobra"}), {}, kFourGiB);
    EXPECT_EQ(doubled.exitCode, 1);
    EXPECT_TRUE(doubled.err.contains("passaria de 16 MiB")) << doubled.err.toStdString();

    // Every register filled to the limit needs 4 GiB; under a smaller limit (the same failure,
    // cheaper for a shared test machine) the allocation that fails ends the run with a
    // message, and the program itself ends normally.
    Outcome filled = run("enche.scp",
                         lines({"reg= 1,x", ":dobra", "reg$ 1,#1", "inc 0", "ifreg< 0,24,dobra", "dup 2,1,249"}),
                         {}, qint64(3) << 29);
    EXPECT_EQ(filled.exitCode, 1);
    EXPECT_TRUE(filled.err.contains("a memória acabou")) << filled.err.toStdString();
}

TEST(RuntimeFolder, OnlyAPrivateFolderOfOurOwnIsUsed)
{
    QTemporaryDir root;
    const std::string fresh = root.filePath("novo").toStdString();
    EXPECT_TRUE(ludomat::ownPrivateFolder(fresh));
    struct stat info {};
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // An existing folder of ours is made private; a planted link is refused and its target untouched.
    const std::string open = root.filePath("aberto").toStdString();
    ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
    EXPECT_TRUE(ludomat::ownPrivateFolder(open));
    ASSERT_EQ(::stat(open.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    const std::string target = root.filePath("alvo").toStdString();
    ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);
    const std::string link = root.filePath("link").toStdString();
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_FALSE(ludomat::ownPrivateFolder(link));
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

}  // namespace
