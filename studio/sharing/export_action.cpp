#include "studio/sharing/export_action.h"

#include "studio/files/studio_files.h"
#include "studio/sharing/game_export.h"
#include "studio/window/picture_button.h"
#include "studio/window/skin.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

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

QString ExportAction::chooseOutput()
{
    if (m_choose) return m_choose();
    QString home = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString name = QDir(m_context.gameFolder()).dirName();
    return QFileDialog::getSaveFileName(m_loadPage->window(), "Exportar jogo", home + "/" + name + ".tar.gz",
                                        "Jogo num arquivo (*.tar.gz);;Pasta nova (*)");
}

void ExportAction::exportGame()
{
    QString output = chooseOutput();
    if (!output.isEmpty()) exportTo(output);
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
