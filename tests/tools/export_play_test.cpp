// ludomat-export and ludomat-play from the outside: an exported example game plays to the same
// registers as under ludomat-run, the archive holds the game's own files only, and the player
// opens nothing outside its game folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <archive.h>
#include <archive_entry.h>

#include <map>

namespace {

const QString kColeta = QString(LUDOMAT_EXAMPLES_DIR) + "/coleta";

struct Result {
    int exitCode = -1;
    QString errors;
    std::map<int, QString> registers;
};

Result run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    Result result;
    if (!process.waitForFinished(90'000)) {
        process.kill();
        result.errors = program + " não terminou";
        return result;
    }
    result.exitCode = process.exitCode();
    result.errors = QString::fromUtf8(process.readAllStandardError());
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        int equals = line.indexOf('=');
        if (equals > 0) result.registers[line.left(equals).toInt()] = QString::fromLatin1(line.mid(equals + 1));
    }
    return result;
}

// Presses spaced well apart, so a busy machine still delivers each press and release in turn.
QStringList keys(const QStringList& names)
{
    QStringList args;
    int at = 400;
    for (const QString& key : names) {
        args << "--key-down" << QString("%1@%2").arg(key).arg(at) << "--key-up"
             << QString("%1@%2").arg(key).arg(at + 60);
        // Room for the game's turn between keys even on a busy machine: a key that comes while
        // the game still waits for the last one to be let go is not a move.
        at += 300;
    }
    return args << "--registers"
                << "--timeout"
                << "60";
}

QStringList archiveEntries(const QString& path)
{
    QStringList names;
    archive* in = archive_read_new();
    archive_read_support_filter_all(in);
    archive_read_support_format_all(in);
    if (archive_read_open_filename(in, QFile::encodeName(path).constData(), 10240) == ARCHIVE_OK) {
        archive_entry* entry = nullptr;
        while (archive_read_next_header(in, &entry) == ARCHIVE_OK) {
            names << QString::fromUtf8(archive_entry_pathname(entry));
            archive_read_data_skip(in);
        }
    }
    archive_read_free(in);
    return names;
}

}  // namespace

TEST(ExportedGame, PlaysToTheSameRegistersAsTheHeadlessRunner)
{
    QTemporaryDir temp;
    QString out = temp.filePath("coleta-pronto");
    Result exported = run(LUDOMAT_EXPORT, {kColeta, out});
    ASSERT_EQ(exported.exitCode, 0) << exported.errors.toStdString();
    EXPECT_TRUE(QFileInfo(out + "/ludomat-play").isExecutable());
    EXPECT_TRUE(QFileInfo::exists(out + "/jogo/coleta.scp"));
    EXPECT_TRUE(QFileInfo::exists(out + "/jogo/tiles.png"));
    EXPECT_TRUE(QFileInfo(out + "/coleta.desktop").isExecutable());

    // Up and Left hit the wall, a walk right takes the first coin, Esc leaves the game.
    QStringList play = keys({"Up", "Left", "Right", "Right", "Right", "Right", "Esc"});
    Result player = run(out + "/ludomat-play", QStringList{out + "/jogo", "coleta.scp"} + play);
    Result runner = run(LUDOMAT_RUN, QStringList{kColeta + "/coleta.scp"} + play);
    ASSERT_EQ(player.exitCode, 0) << player.errors.toStdString();
    ASSERT_EQ(runner.exitCode, 0) << runner.errors.toStdString();
    EXPECT_EQ(player.registers[30], "saiu");
    EXPECT_EQ(player.registers[11], "5");
    EXPECT_EQ(player.registers, runner.registers);

    // An export never lands on an existing game or inside the game itself.
    Result again = run(LUDOMAT_EXPORT, {kColeta, out});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.errors.contains("já existe")) << again.errors.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out + "/jogo/coleta.scp"));
}

TEST(ExportedGame, ArchiveHoldsOnlyTheGameFolderOwnFiles)
{
    QTemporaryDir temp;
    QString game = temp.filePath("meujogo");
    QDir().mkpath(game + "/figuras");
    QFile::copy(kColeta + "/coleta.scp", game + "/meujogo.scp");
    QFile::copy(kColeta + "/tiles.png", game + "/figuras/tiles.png");
    QFile secret(temp.filePath("segredo.txt"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("nao sai daqui\n");
    secret.close();
    ASSERT_TRUE(QFile::link(temp.filePath("segredo.txt"), game + "/segredo.txt"));
    // The maker's photos and GIFs of the screen stay home; a picture merely named alike travels.
    for (const char* name : {"tela-20261207-141502.png", "tela-20261207-141502-2.png", "jogo-20261207-141502.gif",
                             "figuras/tela-20261207-141502.png"}) {
        QFile picture(game + "/" + name);
        ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
        picture.write("x");
    }

    QString archive = temp.filePath("meujogo.tar.gz");
    Result exported = run(LUDOMAT_EXPORT, {game, archive});
    ASSERT_EQ(exported.exitCode, 0) << exported.errors.toStdString();
    QStringList entries = archiveEntries(archive);
    entries.sort();
    EXPECT_EQ(entries, QStringList({"meujogo/jogar.sh", "meujogo/jogo/figuras/tela-20261207-141502.png",
                                    "meujogo/jogo/figuras/tiles.png", "meujogo/jogo/meujogo.scp",
                                    "meujogo/ludomat-play", "meujogo/meujogo.desktop"}));
    EXPECT_FALSE(QFileInfo::exists(archive + ".part"));

    Result inside = run(LUDOMAT_EXPORT, {game, game + "/saida.tar.gz"});
    EXPECT_EQ(inside.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(game + "/saida.tar.gz"));
}

TEST(ExportedGame, PlayerRefusesFilesOutsideItsGameFolder)
{
    QTemporaryDir temp;
    QString game = temp.filePath("jogo");
    QDir().mkpath(game);
    QFile::copy(kColeta + "/ceu.png", temp.filePath("fora.png"));
    auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
    };
    write(temp.filePath("fora.scp"), "reg= 1,fora\r\n");
    write(game + "/olha.scp", "reg= 1,antes\r\ntela ../fora.png\r\nreg= 1,depois\r\n");
    write(game + "/foto.scp", "reg= 2,/tmp/ludomat-fora\r\ngetfoto 2\r\n");

    Result outside = run(LUDOMAT_PLAY, {game, "../fora.scp", "--registers"});
    EXPECT_EQ(outside.exitCode, 2);
    EXPECT_TRUE(outside.errors.contains("fora da pasta do jogo")) << outside.errors.toStdString();

    Result picture = run(LUDOMAT_PLAY, {game, "olha.scp", "--registers"});
    EXPECT_EQ(picture.exitCode, 1);
    EXPECT_EQ(picture.registers[1], "antes");
    EXPECT_TRUE(picture.errors.contains("fora da pasta do jogo")) << picture.errors.toStdString();
    // The headless runner, which is no exported player, still reads it from its program folder.
    Result runner = run(LUDOMAT_RUN, {game + "/olha.scp", "--program-folder", temp.path(), "--registers"});
    EXPECT_EQ(runner.registers[1], "depois");

    Result photo = run(LUDOMAT_PLAY, {game, "foto.scp", "--registers"});
    EXPECT_EQ(photo.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists("/tmp/ludomat-fora.jpg"));
}

// The launcher passes desktop-file-validate and starts the game through a real launcher, from a
// folder whose name needs quoting in every layer of the launcher file.
TEST(ExportedGame, LauncherIsValidAndStartsTheGame)
{
    QTemporaryDir temp;
    QString game = temp.filePath("meu jogo");
    QDir().mkpath(game);
    QFile script(game + "/meu jogo.scp");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("reg= 1,lancado\r\ngetfoto 1\r\n");
    script.close();

    for (const QString& place : {QString("simples"), QString("com 'aspas' \"duplas\" $HOME %k `x` \\barra")}) {
        QString out = temp.filePath(place);
        Result exported = run(LUDOMAT_EXPORT, {game, out});
        ASSERT_EQ(exported.exitCode, 0) << exported.errors.toStdString();
        QString desktop = out + "/meu jogo.desktop";

        QProcess validate;
        validate.start("desktop-file-validate", {desktop});
        ASSERT_TRUE(validate.waitForFinished(30'000)) << "desktop-file-validate não terminou";
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();

        QProcess launch;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        launch.setProcessEnvironment(env);
        launch.setWorkingDirectory(temp.path());
        // The game outlives the launcher: it must not write into a pipe that closes with it.
        QString log = temp.filePath("gio.log");
        launch.setStandardOutputFile(log);
        launch.setStandardErrorFile(log);
        launch.start("gio", {"launch", desktop});
        ASSERT_TRUE(launch.waitForFinished(30'000)) << "gio launch não terminou";
        EXPECT_EQ(launch.exitCode(), 0);
        QString photo = out + "/jogo/lancado.jpg";
        for (int waited = 0; waited < 300 && !QFileInfo::exists(photo); ++waited) QThread::msleep(100);
        EXPECT_TRUE(QFileInfo::exists(photo)) << place.toStdString();
        // The player stays open for a person; this one is ended here.
        QProcess::execute("pkill", {"-f", "-x", QString("./ludomat-play jogo meu jogo.scp")});
    }
}

// Each tool explains itself in Portuguese, the toolkit's own lines included, with no display.
TEST(ToolHelp, SpeaksPortugueseWithoutADisplay)
{
    for (const char* program : {LUDOMAT_RUN, LUDOMAT_PLAY, LUDOMAT_EXPORT}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        process.setProcessEnvironment(env);
        process.start(program, {"--help"});
        ASSERT_TRUE(process.waitForFinished(30'000)) << program;
        QString help = QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_EQ(process.exitCode(), 0) << program;
        for (const char* expected : {"Uso: ", "Opções:", "Mostra a ajuda", "Mostra informações sobre a versão"})
            EXPECT_TRUE(help.contains(QString::fromUtf8(expected))) << program << " sem \"" << expected << "\"\n"
                                                                    << help.toStdString();
        EXPECT_FALSE(help.contains("Usage:")) << program;
    }
}
