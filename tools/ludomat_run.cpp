// ludomat-run: runs a script without a window, as the run button would, and reports how it ended.

#include "engine/engine.h"
#include "engine/script_files.h"
#include "graphics/cp1252.h"
#include "graphics/picture_error.h"
#include "tools/headless_host.h"
#include "tools/toolkit_texts.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

enum ExitCode { kNormalEnd = 0, kRunError = 1, kBadUsage = 2, kTimedOut = 3 };

struct Options {
    std::filesystem::path script;
    std::string gameFolder;
    std::string programFolder;
    std::optional<qint64> timeoutMs;
    bool printRegisters = false;
    QString snapshot;
    QSize display{1920, 1080};
    std::vector<ludomat::ScriptedEvent> input;
};

[[noreturn]] void usageError(const QString& message)
{
    std::fprintf(stderr, "ludomat-run: %s\nTente 'ludomat-run --help'.\n", qPrintable(message));
    std::exit(kBadUsage);
}

Options parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Executa um script do Ludomat sem janela.\n"
        "Saída: 0 fim normal; 1 erro no script (\"error: line N: mensagem\", N a partir de 0);\n"
        "2 uso errado ou script ilegível; 3 tempo esgotado.\n"
        "As opções de teclado e mouse podem se repetir; os eventos chegam quando o script deixa a\n"
        "janela responder (pausa, inkey, stop...), na ordem do tempo. Eventos que sobram depois do\n"
        "fim do script chegam na hora deles (um clique pode iniciar outra execução); --timeout vale\n"
        "também para essa espera. Um clique fora da tela só move o ponteiro.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("SCRIPT.scp", "o script a executar");
    QCommandLineOption gameFolder("game-folder", "pasta do jogo (padrão: a pasta do script)", "DIR");
    QCommandLineOption programFolder("program-folder", "pasta do programa (padrão: a pasta do jogo)", "DIR");
    QCommandLineOption timeout("timeout", "termina a execução depois de tantos segundos", "SECONDS");
    QCommandLineOption registers("registers", "no fim, mostra cada registrador não vazio como N=texto");
    QCommandLineOption snapshot("snapshot", "no fim, grava a tela em FILE (.png ou .bmp)", "FILE");
    QCommandLineOption display("display", "tamanho da tela cheia (padrão 1920x1080)", "WxH");
    QCommandLineOption keyDown(
        "key-down", "segura a tecla NAME (Left, A, Space, Enter, F5...) a partir de MS milissegundos", "NAME@MS");
    QCommandLineOption keyUp("key-up", "solta a tecla em MS", "NAME@MS");
    QCommandLineOption click("click", "aperta e solta o botão esquerdo no ponto X,Y da tela em MS", "X,Y@MS");
    QCommandLineOption type("type", "digita TEXT na caixa de entrada e tecla Enter em MS", "TEXT@MS");
    parser.addOptions({gameFolder, programFolder, timeout, registers, snapshot, display, keyDown, keyUp, click, type});

    if (!parser.parse(app.arguments())) usageError(parser.errorText());
    if (parser.isSet("help")) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        std::exit(kNormalEnd);
    }
    if (parser.isSet("version")) {
        std::printf("ludomat-run %s\n", qPrintable(QCoreApplication::applicationVersion()));
        std::exit(kNormalEnd);
    }
    if (parser.positionalArguments().size() != 1) usageError("informe exatamente um script");

    Options options;
    options.script = std::filesystem::absolute(parser.positionalArguments().first().toStdString());
    options.gameFolder =
        parser.isSet(gameFolder) ? parser.value(gameFolder).toStdString() : options.script.parent_path().string();
    options.programFolder =
        parser.isSet(programFolder) ? parser.value(programFolder).toStdString() : options.gameFolder;
    options.printRegisters = parser.isSet(registers);
    if (parser.isSet(timeout)) {
        bool ok = false;
        double seconds = parser.value(timeout).toDouble(&ok);
        if (!ok || seconds < 0) usageError("--timeout espera um número de segundos");
        options.timeoutMs = qint64(seconds * 1000);
    }
    if (parser.isSet(snapshot)) {
        options.snapshot = parser.value(snapshot);
        if (!options.snapshot.endsWith(".png", Qt::CaseInsensitive) &&
            !options.snapshot.endsWith(".bmp", Qt::CaseInsensitive))
            usageError("--snapshot grava só .png ou .bmp");
    }
    if (parser.isSet(display)) {
        auto match = QRegularExpression("^(\\d+)x(\\d+)$").match(parser.value(display));
        // The screen bitmaps take the display's size in the full-screen mode.
        constexpr int kMaxDisplaySide = 16384;
        int w = match.captured(1).toInt(), h = match.captured(2).toInt();
        if (!match.hasMatch() || w < 1 || h < 1 || w > kMaxDisplaySide || h > kMaxDisplaySide)
            usageError("--display espera LARGURAxALTURA (até 16384), por exemplo 1600x840");
        options.display = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    }
    QString inputError;
    auto events = ludomat::scriptedEventsOf(parser, &inputError);
    if (!events) usageError(inputError);
    options.input = std::move(*events);
    return options;
}

// Script text (Windows-1252) as the terminal reads it.
std::string utf8(const std::string& text)
{
    return ludomat::fromCp1252(text).toStdString();
}

bool saveSnapshot(const ludomat::Bitmap& screen, const QString& path)
{
    try {
        screen.save(path.toStdString());
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ludomat-run: %s\n", e.what());
        return false;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Text needs fonts, hence a GUI application; without a display it renders off-screen.
    ludomat::prepareHeadlessEnvironment();
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName("ludomat-run");
    QCoreApplication::setApplicationVersion("1.0");
    ludomat::useToolkitTranslations();
    Options options = parseOptions(app);

    // The time-out counts from here: loading a large script is part of the run's time.
    ludomat::HeadlessHost host;
    host.setTimeout(options.timeoutMs);
    ludomat::ReadFailure failure;
    auto bytes = ludomat::readRegularFile(options.script, ludomat::kMaxScriptBytes, &failure);
    if (!bytes) {
        std::fprintf(stderr, "ludomat-run: não consegui ler %s: %s\n", options.script.c_str(),
                     utf8(ludomat::failureText(failure)).c_str());
        return kBadUsage;
    }

    ludomat::Engine engine(&host);
    engine.setGameFolder(options.gameFolder);
    engine.setProgramFolder(options.programFolder);
    engine.script().setText(*bytes);
    bytes.reset();
    if (host.abortRequested()) {
        std::fprintf(stderr, "ludomat-run: tempo esgotado\n");
        return kTimedOut;
    }
    host.setDisplaySize({options.display.width(), options.display.height()});
    host.attach(&engine);
    for (auto& event : options.input) host.scriptedInput().add(std::move(event));
    engine.execute(options.script.filename().string());
    host.deliverRemainingInput();

    if (options.printRegisters) ludomat::printRegisters(engine.state());
    if (!options.snapshot.isEmpty() && !saveSnapshot(engine.screen().tela, options.snapshot))
        std::fprintf(stderr, "ludomat-run: não consegui gravar %s\n", qPrintable(options.snapshot));
    // The host keeps the error even when a later click has started a run that ended well.
    if (const auto& error = host.error()) {
        std::fprintf(stderr, "error: line %d: %s\n", error->line, utf8(error->message).c_str());
        return kRunError;
    }
    if (host.timedOut()) {
        std::fprintf(stderr, "ludomat-run: tempo esgotado\n");
        return kTimedOut;
    }
    return kNormalEnd;
}
