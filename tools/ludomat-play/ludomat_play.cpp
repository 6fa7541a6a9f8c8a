// ludomat-play: the player an exported game carries. It runs the game's first script on the
// run-time screen in a window of its own, and opens no file outside the game folder.
//
//   ludomat-play GAME_FOLDER SCRIPT.scp [--registers] [--timeout S] [--key-down NAME@MS] ...

#include "engine/script_files.h"
#include "tools/headless_host.h"
#include "tools/ludomat-play/play_window.h"
#include "tools/scripted_input.h"
#include "tools/toolkit_texts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace {

enum ExitCode { kNormalEnd = 0, kRunError = 1, kBadUsage = 2, kTimedOut = 3 };

[[noreturn]] void usageError(const QString& message)
{
    std::fprintf(stderr, "ludomat-play: %s\n", qPrintable(message));
    std::exit(kBadUsage);
}

// The script must be a file of the game folder itself: the player opens nothing else.
QString checkedScript(const QString& folder, const QString& name)
{
    QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    QFileInfo script(QDir(folder).filePath(name));
    QString canonical = script.canonicalFilePath();
    if (canonicalFolder.isEmpty()) usageError(QString("a pasta do jogo %1 não existe").arg(folder));
    if (canonical.isEmpty()) usageError(QString("o script %1 não existe na pasta do jogo").arg(name));
    if (!canonical.startsWith(canonicalFolder + "/")) usageError(QString("%1 está fora da pasta do jogo").arg(name));
    return canonical;
}

}  // namespace

int main(int argc, char** argv)
{
    ludomat::prepareHeadlessEnvironment();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("ludomat-play");
    QCoreApplication::setApplicationVersion("1.0");
    ludomat::useToolkitTranslations();

    QCommandLineParser parser;
    parser.setApplicationDescription("Joga um jogo feito no Ludomat.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("PASTA_DO_JOGO", "a pasta com os scripts e figuras do jogo");
    parser.addPositionalArgument("SCRIPT.scp", "o primeiro script, dentro da pasta do jogo");
    QCommandLineOption registers("registers", "no fim, mostra cada registrador não vazio como N=texto e sai");
    QCommandLineOption timeout("timeout", "termina depois de tantos segundos", "SECONDS");
    QCommandLineOption keyDown("key-down", "aperta uma tecla (NOME@MS)", "KEY@MS");
    QCommandLineOption keyUp("key-up", "solta a tecla (NOME@MS)", "KEY@MS");
    QCommandLineOption click("click", "clica na tela (X,Y@MS)", "X,Y@MS");
    QCommandLineOption type("type", "digita na caixa de entrada (TEXTO@MS)", "TEXT@MS");
    parser.addOptions({registers, timeout, keyDown, keyUp, click, type});
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) usageError("use: ludomat-play PASTA_DO_JOGO SCRIPT.scp");

    QString folder = QDir(args[0]).absolutePath() + "/";
    QString scriptPath = checkedScript(folder, args[1]);
    std::string reason;
    auto lines = ludomat::readScriptFile(scriptPath.toStdString(), &reason);
    if (!lines) usageError(QString("não consegui ler %1: %2").arg(args[1], QString::fromStdString(reason)));

    ludomat::PlayWindow window;
    ludomat::Engine& engine = window.engine();
    ludomat::PlayHost& host = window.host();
    engine.setGameFolder(folder.toStdString());
    // "teltmp.bmp" of the full-screen mode stays inside the game folder too.
    engine.setProgramFolder(folder.toStdString());
    engine.setConfinedToGameFolder(true);
    engine.script().setLines(std::move(*lines));
    // Runs for a test or a terminal end with their run; a player for people stays open.
    bool scripted = parser.isSet(registers) || parser.isSet(timeout);
    host.setErrorBoxes(!scripted && QGuiApplication::platformName() != "offscreen");
    if (parser.isSet(timeout)) {
        bool ok = false;
        double seconds = parser.value(timeout).toDouble(&ok);
        if (!ok || seconds <= 0) usageError("--timeout espera um número de segundos");
        host.setTimeout(qint64(seconds * 1000));
    }
    QString inputError;
    auto events = ludomat::scriptedEventsOf(parser, &inputError);
    if (!events) usageError(inputError);
    for (auto& event : *events) host.scriptedInput().add(std::move(event));

    window.show();
    host.startClock();
    std::string name = QFileInfo(scriptPath).fileName().toStdString();
    QTimer::singleShot(0, &window, [&] {
        engine.execute(name);
        if (!scripted) return;
        host.deliverRemainingInput();
        QCoreApplication::quit();
    });
    app.exec();

    if (scripted) ludomat::printRegisters(engine.state());
    if (host.error()) return kRunError;
    if (host.timedOut()) return kTimedOut;
    return kNormalEnd;
}
