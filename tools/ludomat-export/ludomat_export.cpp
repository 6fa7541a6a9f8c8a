// ludomat-export: packs a game for someone without the studio.
//
//   ludomat-export GAME_FOLDER OUTPUT [--script FIRST.scp] [--player PATH]
//
// OUTPUT is a new folder, or a file ending in ".tar.gz".

#include "studio/sharing/game_export.h"
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
    parser.addPositionalArgument("SAIDA", "uma pasta nova, ou um arquivo .tar.gz");
    QCommandLineOption script("script", "o primeiro script do jogo (padrão: escolhido pela pasta)", "NOME.scp");
    QCommandLineOption player("player", "o programa ludomat-play a incluir (padrão: o que está ao lado)", "PATH");
    parser.addOptions({script, player});
    parser.process(app);
    if (parser.positionalArguments().size() != 2) {
        std::fprintf(stderr, "use: ludomat-export PASTA_DO_JOGO SAIDA [--script NOME.scp]\n");
        return 2;
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
