// ludomat: the studio.

#include "app/main_window_lifetime.h"
#include "app/member_area.h"
#include "app/online_link.h"
#include "online/http_client.h"
#include "studio/files/example_games.h"
#include "studio/files/program_folder.h"
#include "studio/window/close_signals.h"
#include "studio/window/dialogs.h"
#include "studio/window/main_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void describeApplication()
{
    QCoreApplication::setApplicationName("Ludomat");
    QCoreApplication::setApplicationVersion(LUDOMAT_VERSION_TEXT);
    // The toolkit's own texts (the help's headings, the dialogs' buttons) in Portuguese too.
    ludomat::installToolkitTranslations();
}

struct CommandLine {
    QString programFolder;
    QString server;
    QStringList scripts;
    bool recover = false;
};

CommandLine parseCommandLine(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Ludomat: estúdio de jogos 2D com scripts.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption programFolder("program-folder",
                                     "Pasta do programa, onde ficam Ludomat.ini e teltmp.bmp "
                                     "(padrão: a pasta do executável, ou a pasta de dados do usuário). "
                                     "Uma pasta que não existe é criada.",
                                     "DIR");
    parser.addOption(programFolder);
    QCommandLineOption server(
        "server", "Endereço do servidor do Ludomat (padrão: LUDOMAT_SERVER, ou http://127.0.0.1:8087/).", "URL");
    parser.addOption(server);
    QCommandLineOption recover("recover",
                               "Recupera sem perguntar o script não salvo que uma sessão interrompida deixou.");
    parser.addOption(recover);
    parser.addPositionalArgument("script.scp", "Script a abrir no editor; a pasta dele passa a ser a pasta do jogo.",
                                 "[script.scp]");
    parser.process(app);
    return {parser.value(programFolder), parser.value(server), parser.positionalArguments(), parser.isSet(recover)};
}

// Help and version need no display: they are answered before the window system is touched.
bool asksOnlyForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0) return true;
    }
    return false;
}

// A folder named on the command line that is not there yet is made, or the start says why not.
bool prepareProgramFolder(const QString& folder)
{
    if (folder.isEmpty()) return true;
    QFileInfo info(folder);
    if (info.isDir()) return true;
    if (!info.exists() && QDir().mkpath(folder)) return true;
    std::fprintf(stderr, "ludomat: não foi possível criar a pasta do programa %s%s\n", qPrintable(folder),
                 info.exists() ? " (já existe um arquivo com esse nome)" : "");
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        describeApplication();
        parseCommandLine(app);  // prints and exits
        return 0;
    }
    ludomat::ensureRuntimeFolder();
    // The embedded browser's sandbox cannot start as root; it stays on for everyone else.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    describeApplication();
    QGuiApplication::setDesktopFileName("ludomat");
    CommandLine command = parseCommandLine(app);
    if (!prepareProgramFolder(command.programFolder)) return 2;

    // Every program folder gets the example games once, whichever folder the user chose.
    QString folder = ludomat::withTrailingSlash(command.programFolder.isEmpty() ? ludomat::defaultProgramFolder()
                                                                                : command.programFolder);
    ludomat::offerExampleGames(ludomat::exampleGamesFolder(), folder);
    ludomat::MainWindow window(folder);
    ludomat::OnlineLink online(window, ludomat::chooseServerRoot(command.server));
    ludomat::MemberArea members(window, online.http());
    window.show();
    ludomat::quitWhenClosed(window);
    // Logout, shutdown or a closed terminal close the studio as its close button does.
    ludomat::CloseSignals closeSignals([&window](int) {
        window.closeUnattended();
        QCoreApplication::quit();
    });
    const QStringList scripts = command.scripts;
    const bool recover = command.recover;
    // Once the window shows: first what an interrupted session left, then the file asked for.
    QTimer::singleShot(0, &window, [&window, scripts, recover] {
        // The very first start opens on the lessons; a later one on the editor, as it was left.
        if (window.startedFresh()) window.showPrimer();
        if (recover)
            window.offerRecovery([](const ludomat::RecoveredScript&) { return true; });
        else
            window.offerRecovery();
        if (!scripts.isEmpty()) window.openScriptFile(scripts.first());
    });
    return app.exec();
}
