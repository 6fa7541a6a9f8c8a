// ludomat-export: packs a game for someone without the studio.
//
//   ludomat-export GAME_FOLDER OUTPUT [--script FIRST.scp] [--player PATH]
//   ludomat-export --web GAME_FOLDER OUTPUT [--script FIRST.scp] [--runtime DIR]
//
// OUTPUT is a new folder, or a file ending in ".tar.gz"; with --web, a new folder holding a web
// page that plays the game.

#include "studio/sharing/game_export.h"
#include "tools/ludomat-export/web_export.h"
#include "tools/toolkit_texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("ludomat-export");
    QCoreApplication::setApplicationVersion("1.0");
    ludomat::useToolkitTranslations();
    QCommandLineParser parser;
    parser.setApplicationDescription("Exporta um jogo do Ludomat com o seu próprio jogador.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("PASTA_DO_JOGO", "a pasta com os scripts e figuras do jogo");
    parser.addPositionalArgument("SAIDA", "uma pasta nova, ou um arquivo .tar.gz (com --web, só pasta)");
    QCommandLineOption script("script", "o primeiro script do jogo (padrão: escolhido pela pasta)", "NOME.scp");
    QCommandLineOption player("player", "o programa ludomat-play a incluir (padrão: o que está ao lado)", "PATH");
    QCommandLineOption web("web",
                           "exporta uma página que joga o jogo no navegador, para qualquer servidor de arquivos");
    QCommandLineOption runtime(
        "runtime", "a pasta do jogador para o navegador (padrão: a que está ao lado ou a instalada)", "PASTA");
    parser.addOptions({script, player, web, runtime});
    parser.process(app);
    if (parser.positionalArguments().size() != 2) {
        std::fprintf(stderr, "use: ludomat-export [--web] PASTA_DO_JOGO SAIDA [--script NOME.scp]\n");
        return 2;
    }
    if (parser.isSet(web)) {
        ludomat::WebExportRequest request;
        request.gameFolder = parser.positionalArguments()[0];
        request.output = parser.positionalArguments()[1];
        request.firstScript = parser.value(script);
        request.runtime = parser.value(runtime);
        QString error;
        QStringList files;
        if (!ludomat::exportWebGame(request, &error, &files)) {
            std::fprintf(stderr, "ludomat-export: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s: %lld arquivos\n", qPrintable(request.output), static_cast<long long>(files.size()));
        return 0;
    }
    ludomat::ExportRequest request;
    request.gameFolder = parser.positionalArguments()[0];
    request.output = parser.positionalArguments()[1];
    request.firstScript = parser.value(script);
    request.player = parser.value(player);
    QString error;
    QStringList files;
    if (!ludomat::exportGame(request, &error, &files)) {
        std::fprintf(stderr, "ludomat-export: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s: %lld arquivos\n", qPrintable(request.output), static_cast<long long>(files.size()));
    return 0;
}
