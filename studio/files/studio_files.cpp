#include "studio/files/studio_files.h"

#include "engine/engine.h"
#include "engine/script_files.h"
#include "graphics/cp1252.h"
#include "studio/editing/script_editor.h"
#include "studio/files/program_folder.h"

#include <QDir>
#include <QFileInfo>

namespace ludomat {

namespace {

std::filesystem::path toPath(const QString& file) { return std::filesystem::path(file.toStdString()); }

// The engine words its reasons in the game text's code page.
QString reasonText(const std::string& reason)
{
    return fromCp1252(reason);
}

bool setError(QString* error, const QString& text)
{
    if (error) *error = text;
    return false;
}

// A name typed into a field stays inside the game folder: no folder parts, not empty.
bool isPlainFileName(const QString& name)
{
    return !name.trimmed().isEmpty() && !name.contains('/') && name != "." && name != "..";
}

}  // namespace

std::vector<std::string> StudioFiles::templateLines()
{
    return {"//=== Meu novo programa " + std::string(27, '='), "  setmode= 1", "", "", "  fim"};
}

std::vector<std::string> StudioFiles::firstScriptLines()
{
    return {"//=== Meu primeiro programa " + std::string(21, '=')};
}

StudioFiles::StudioFiles(Engine& engine, ScriptEditor& editor, const QString& programFolder, QObject* parent)
    : QObject(parent), m_engine(engine), m_editor(editor), m_programFolder(withTrailingSlash(programFolder)),
      m_recovery(m_programFolder)
{
    m_settings.gameFolder = m_programFolder;
    m_recoveryTimer.setSingleShot(true);
    m_recoveryTimer.setInterval(kRecoveryDelayMs);
    connect(&m_recoveryTimer, &QTimer::timeout, this, &StudioFiles::saveRecoveryCopy);
    connect(&m_editor, &ScriptEditor::userEdited, this, &StudioFiles::userEdited);
}

void StudioFiles::setMember(const QString& email, const QString& password)
{
    m_settings.memberEmail = email;
    m_settings.memberPassword = password;
}

void StudioFiles::start()
{
    readSettingsFile(m_programFolder + kSettingsFileName, m_settings);
    m_earlierCopyUnanswered = m_recovery.read().has_value();
    // A game folder that is gone (or a damaged line) would make the exit's save fail; the program
    // folder is always there.
    QString folder = withTrailingSlash(m_settings.gameFolder);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = m_programFolder;
    if (!isPlainFileName(m_settings.scriptName)) m_settings.scriptName = StudioSettings().scriptName;
    setGameFolder(folder);

    std::vector<std::string> lines = firstScriptLines();
    if (QFileInfo::exists(scriptPath())) {
        if (auto stored = readScriptFile(toPath(scriptPath()))) lines = std::move(*stored);
    }
    showLines(lines);
    emit scriptNameChanged(scriptName());
}

bool StudioFiles::finish(QString* error)
{
    QStringList problems;
    QString reason;
    if (!writeSettingsFile(m_programFolder + kSettingsFileName, m_settings, &reason))
        problems << QString("%1: %2").arg(m_programFolder + kSettingsFileName, reason);
    if (showsOtherScript()) {
        // The run may still be on its way out: the engine keeps its lines, each file gets its own.
        if (!saveIfUnsaved(&reason)) problems << reason;
        std::string why;
        if (!writeScriptFile(toPath(scriptPath()), m_ownLines, &why))
            problems << QString("Não foi possível gravar %1: %2").arg(scriptPath(), reasonText(why));
    } else if (!saveEditor(&reason)) {
        problems << reason;
    }
    m_recoveryTimer.stop();
    if (problems.isEmpty()) return true;
    return setError(error, problems.join('\n'));
}

void StudioFiles::setGameFolder(const QString& folder)
{
    m_settings.gameFolder = withTrailingSlash(folder);
    m_engine.setGameFolder(m_settings.gameFolder.toStdString());
    emit gameFolderChanged(m_settings.gameFolder);
}

void StudioFiles::setScriptName(const QString& name)
{
    m_settings.scriptName = name;
    emit scriptNameChanged(name);
}

QString StudioFiles::editorFilePath() const
{
    return gameFolder() + (showsOtherScript() ? m_shownName : scriptName());
}

void StudioFiles::showLines(const std::vector<std::string>& lines)
{
    m_editor.setLines(lines);
    m_engine.script().setLines(lines);
    if (m_engine.state().isRunning) return;
    // The caret stands on the first line of new lines: a step starts there, and a pause of the
    // old lines' run is over, so "Cont" never goes on at a line of another script.
    m_engine.setCaretLine(0);
    m_engine.state().stopCaption = StopCaption::Stop;
    emit linesReplaced();
}

void StudioFiles::forgetSprites()
{
    // Sprites outlive runs so a script can define them once; another script starts without them.
    m_engine.sprites().clear();
}

bool StudioFiles::saveEditor(QString* error)
{
    QString path = editorFilePath();
    std::string reason;
    if (!writeScriptFile(toPath(path), m_editor.lines(), &reason))
        return setError(error, QString("Não foi possível gravar %1: %2").arg(path, reasonText(reason)));
    m_editor.markSaved();
    m_recoveryTimer.stop();
    dropRecoveryCopy();
    return true;
}

bool StudioFiles::saveIfUnsaved(QString* error) { return !m_editor.isUnsaved() || saveEditor(error); }

QString StudioFiles::saveName(const QString& typed)
{
    // The test is for ".scp" anywhere and case-sensitive: "jogo.scp.txt" stays as it is.
    return typed.contains(".scp") ? typed : typed + ".scp";
}

bool StudioFiles::saveAs(const QString& typedName, QString* error)
{
    if (!isPlainFileName(typedName)) return setError(error, "Nome de arquivo inválido: " + typedName);
    QString name = saveName(typedName);
    QString path = gameFolder() + name;
    std::string reason;
    if (!writeScriptFile(toPath(path), m_editor.lines(), &reason))
        return setError(error, QString("Não foi possível gravar %1: %2").arg(path, reasonText(reason)));
    // The lines now belong to the file they were saved as, whatever a run had loaded.
    m_shownName.clear();
    m_ownLines.clear();
    m_editor.markSaved();
    dropRecoveryCopy();
    setScriptName(name);
    return true;
}

bool StudioFiles::refuseWhileRunning(QString* error) const
{
    // Other lines under a running script would pull the lines it stands on from under it.
    if (!m_engine.state().isRunning) return false;
    setError(error, "Pare o script antes de trocar as linhas do editor.");
    return true;
}

bool StudioFiles::load(const QString& fileName, QString* error)
{
    if (refuseWhileRunning(error)) return false;
    if (!isPlainFileName(fileName)) return setError(error, "Nenhum script escolhido.");
    QString path = gameFolder() + fileName;
    // What the user typed goes to its own file before other lines take the editor, and before
    // the file is read: it may be that very file.
    if (!saveIfUnsaved(error)) return false;
    std::string reason;
    auto lines = readScriptFile(toPath(path), &reason);
    if (!lines) return setError(error, QString("Não foi possível ler %1: %2").arg(path, reasonText(reason)));
    m_shownName.clear();
    m_ownLines.clear();
    setScriptName(fileName);
    showLines(*lines);
    forgetSprites();
    return true;
}

bool StudioFiles::clear(QString* error)
{
    if (refuseWhileRunning(error)) return false;
    if (!saveIfUnsaved(error)) return false;
    m_shownName.clear();
    m_ownLines.clear();
    setScriptName(kTemplateName);
    showLines(templateLines());
    forgetSprites();
    return true;
}

StudioFiles::NewFolder StudioFiles::createGameFolder(const QString& parentFolder, const QString& name)
{
    if (!isPlainFileName(name)) return NewFolder::Failed;
    QString parent = withTrailingSlash(parentFolder);
    // A name taken in the program folder or in the folder it would go into is refused alike.
    if (QFileInfo::exists(m_programFolder + name) || QFileInfo::exists(parent + name)) return NewFolder::Exists;
    // A folder that could not be made never becomes the game folder: saving there would fail.
    if (!QDir(parent).mkdir(name)) return NewFolder::Failed;
    setGameFolder(parent + name);
    return NewFolder::Created;
}

bool StudioFiles::openFile(const QString& path, QString* error)
{
    if (refuseWhileRunning(error)) return false;
    QFileInfo info(path);
    // Unsaved lines (recovered ones, too) reach their file before any file is read: it may be
    // that very file, and the editor must then show them, not what the file held before.
    if (!saveIfUnsaved(error)) return false;
    std::string reason;
    auto lines = readScriptFile(toPath(info.absoluteFilePath()), &reason);
    if (!lines) return setError(error, QString("Não foi possível ler %1: %2").arg(path, reasonText(reason)));
    m_shownName.clear();
    m_ownLines.clear();
    setGameFolder(info.absolutePath());
    setScriptName(info.fileName());
    showLines(*lines);
    forgetSprites();
    return true;
}

bool StudioFiles::prepareRun(QString* error)
{
    if (!showsOtherScript()) return true;
    if (!saveIfUnsaved(error)) return false;
    restoreOwnScript();
    return true;
}

void StudioFiles::scriptLoadedByRun(const std::string& name)
{
    QString fileName = fromCp1252(name) + ".scp";
    if (fileName == scriptName()) {
        m_shownName.clear();
        m_ownLines.clear();
    } else {
        if (!showsOtherScript()) {
            // The user's own lines come back when the run is over; unsaved ones reach their file now.
            saveIfUnsaved(nullptr);
            m_ownLines = m_editor.lines();
        } else {
            saveIfUnsaved(nullptr);
        }
        m_shownName = fileName;
    }
    m_editor.setLines(m_engine.script().lines());
}

void StudioFiles::runReturned(bool stoppedInside)
{
    if (showsOtherScript() && !stoppedInside) restoreOwnScript();
}

void StudioFiles::restoreOwnScript()
{
    if (!showsOtherScript()) return;
    saveIfUnsaved(nullptr);
    m_shownName.clear();
    showLines(m_ownLines);
    m_ownLines.clear();
}

void StudioFiles::userEdited()
{
    if (!m_recoveryTimer.isActive()) m_recoveryTimer.start();
}

void StudioFiles::saveRecoveryCopy()
{
    if (m_editor.isUnsaved()) m_recovery.save(editorFilePath(), m_editor.lines());
}

QString StudioFiles::writeRecoveryCopyNow()
{
    m_recoveryTimer.stop();
    return m_recovery.save(editorFilePath(), m_editor.lines());
}

void StudioFiles::dropRecoveryCopy()
{
    if (!m_earlierCopyUnanswered) m_recovery.remove();
}

std::optional<RecoveredScript> StudioFiles::pendingRecovery()
{
    auto copy = m_recovery.read();
    if (!copy) {
        m_earlierCopyUnanswered = false;
        return std::nullopt;
    }
    if (!RecoveryCopy::differsFromFile(*copy)) {
        m_earlierCopyUnanswered = false;
        m_recovery.remove();
        return std::nullopt;
    }
    return copy;
}

void StudioFiles::restore(const RecoveredScript& copy)
{
    QFileInfo info(copy.scriptPath);
    m_shownName.clear();
    m_ownLines.clear();
    if (info.absoluteDir().exists()) setGameFolder(info.absolutePath());
    setScriptName(info.fileName());
    showLines(copy.lines);
    // Restored lines are not on disk yet: they count as typed, so every save path writes them.
    m_editor.document()->setModified(true);
    m_earlierCopyUnanswered = false;
}

void StudioFiles::discardRecovery()
{
    m_earlierCopyUnanswered = false;
    m_recovery.remove();
}

}  // namespace ludomat
