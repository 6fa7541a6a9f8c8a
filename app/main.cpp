// ludomat: the studio.

#include "studio/main_window.h"
#include "studio/program_folder.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    ludomat::ensureRuntimeFolder();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("Ludomat");
    QCoreApplication::setApplicationVersion("1.0");

    QCommandLineParser parser;
    parser.setApplicationDescription("Estúdio de jogos 2D com scripts.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption programFolder("program-folder", "pasta do programa (padrão: a pasta do executável)", "DIR");
    parser.addOption(programFolder);
    parser.process(app);

    ludomat::MainWindow window(parser.value(programFolder));
    window.show();
    return app.exec();
}
