#include "studio/sharing/export_action.h"

#include "studio/files/studio_files.h"
#include "studio/sharing/game_export.h"
#include "studio/window/picture_button.h"
#include "studio/window/skin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cstring>

namespace ludomat {

ExportAction::ExportAction(const PageContext& context, QWidget* loadPage)
    : QObject(loadPage), m_context(context), m_loadPage(loadPage)
{
    // Between "Atualizar..." (shown only when an update waits) and "Download scripts".
    auto* button = new PictureButton("Exportar jogo", skin::ButtonLook::Plain, skin::Glyph::Save, loadPage);
    button->setObjectName("btExportar");
    button->setToolTip("Grava o jogo com um jogador próprio, para quem não tem o Ludomat");
    button->setGeometry(334, 186, 264, 23);
    connect(button, &QAbstractButton::clicked, this, &ExportAction::exportGame);
}

namespace {

const QString kWebFilter = QStringLiteral("Para o navegador: pasta nova com uma página (*)");

}  // namespace

QString ExportAction::chooseOutput(bool* web)
{
    *web = m_chooseWeb;
    if (m_choose) return m_choose();
    QString home = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString name = QDir(m_context.gameFolder()).dirName();
    QString selected;
    QString output =
        QFileDialog::getSaveFileName(m_loadPage->window(), "Exportar jogo", home + "/" + name + ".tar.gz",
                                     "Jogo num arquivo (*.tar.gz);;Pasta nova (*);;" + kWebFilter, &selected);
    *web = selected == kWebFilter;
    return output;
}

void ExportAction::exportGame()
{
    bool web = false;
    QString output = chooseOutput(&web);
    if (output.isEmpty()) return;
    // The box offers "jogo.tar.gz" whatever kind is picked: a web page is a folder, named
    // without it.
    if (web && output.endsWith(".tar.gz")) output.chop(int(std::strlen(".tar.gz")));
    if (web)
        exportToWeb(output);
    else
        exportTo(output);
}

bool ExportAction::exportToWeb(const QString& output)
{
    m_context.saveScript();
    // The exporter beside the studio knows where the web runtime is, in the build and installed.
    QStringList arguments{"--web", m_context.gameFolder(), output};
    if (QFileInfo::exists(m_context.files->scriptPath())) arguments << "--script" << m_context.files->scriptName();
    QProcess exporter;
    exporter.start(QCoreApplication::applicationDirPath() + "/ludomat-export", arguments);
    constexpr int kExportTimeoutMs = 120000;
    const bool finished = exporter.waitForFinished(kExportTimeoutMs);
    const bool ok = finished && exporter.exitStatus() == QProcess::NormalExit && exporter.exitCode() == 0;
    QString error = QString::fromUtf8(exporter.readAllStandardError()).trimmed();
    error.remove(QRegularExpression("^ludomat-export: "));
    if (error.isEmpty()) error = "Não foi possível exportar o jogo para o navegador.";
    m_context.setStatus(
        ok ? QString("Jogo exportado para o navegador: %1/index.html").arg(QDir::toNativeSeparators(output)) : error);
    return ok;
}

bool ExportAction::exportTo(const QString& output)
{
    // The player starts with the script being edited, saved first so the export holds it.
    m_context.saveScript();
    ExportRequest request;
    request.gameFolder = m_context.gameFolder();
    request.output = output;
    if (QFileInfo::exists(m_context.files->scriptPath())) request.firstScript = m_context.files->scriptName();
    QString error;
    bool ok = ludomat::exportGame(request, &error);
    m_context.setStatus(ok ? QString("Jogo exportado: %1").arg(QDir::toNativeSeparators(output)) : error);
    return ok;
}

}  // namespace ludomat
