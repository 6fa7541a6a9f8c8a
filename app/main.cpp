// ludomat: the studio.

#include "app/member_area.h"
#include "app/online_link.h"
#include "online/http_client.h"
#include "studio/main_window.h"
#include "studio/program_folder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <unistd.h>

int main(int argc, char** argv)
{
    ludomat::ensureRuntimeFolder();
    // The embedded browser's sandbox cannot start as root; it stays on for everyone else.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("Ludomat");
    QCoreApplication::setApplicationVersion(LUDOMAT_VERSION_TEXT);
    QGuiApplication::setDesktopFileName("ludomat");

    QCommandLineParser parser;
    parser.setApplicationDescription("Ludomat: estúdio de jogos 2D com scripts.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption programFolder("program-folder",
                                     "Pasta do programa, onde ficam Ludomat.ini e teltmp.bmp "
                                     "(padrão: a pasta do executável, ou a pasta de dados do usuário).",
                                     "DIR");
    parser.addOption(programFolder);
    QCommandLineOption server("server",
                              "Endereço do servidor do Ludomat (padrão: LUDOMAT_SERVER, ou http://127.0.0.1:8087/).",
                              "URL");
    parser.addOption(server);
    parser.addPositionalArgument("script.scp", "Script a abrir no editor; a pasta dele passa a ser a pasta do jogo.",
                                 "[script.scp]");
    parser.process(app);

    ludomat::MainWindow window(parser.value(programFolder));
    ludomat::OnlineLink online(window, ludomat::chooseServerRoot(parser.value(server)));
    ludomat::MemberArea members(window, online.http());
    window.show();
    const QStringList scripts = parser.positionalArguments();
    // Once the window shows: first what an interrupted session left, then the file asked for.
    QTimer::singleShot(0, &window, [&window, scripts] {
        window.offerRecovery();
        if (!scripts.isEmpty()) window.openScriptFile(scripts.first());
    });
    return app.exec();
}
