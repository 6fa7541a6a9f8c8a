#pragma once
// The studio's files: the program and game folders, the script in the editor and the file its
// lines came from, the settings file and the recovery copy. Nothing the user typed is lost: every
// write replaces a file whole, and a run that loads another script into the editor never lets
// that script's lines be saved under the user's script name.

#include "studio/files/recovery_copy.h"
#include "studio/files/settings_file.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <string>
#include <vector>

namespace ludomat {

class Engine;
class ScriptEditor;

class StudioFiles : public QObject {
    Q_OBJECT
public:
    // The editor is saved to the recovery copy this long after the user's last unsaved edit.
    static constexpr int kRecoveryDelayMs = 30'000;
    // The name "Clear script" gives the template.
    static constexpr char kTemplateName[] = "progtmp.scp";
    static std::vector<std::string> templateLines();
    static std::vector<std::string> firstScriptLines();

    enum class NewFolder { Created, Exists, Failed };

    StudioFiles(Engine& engine, ScriptEditor& editor, const QString& programFolder, QObject* parent = nullptr);

    // Folders end with "/".
    const QString& programFolder() const { return m_programFolder; }
    const QString& gameFolder() const { return m_settings.gameFolder; }
    const QString& scriptName() const { return m_settings.scriptName; }
    QString scriptPath() const { return gameFolder() + scriptName(); }
    const StudioSettings& settings() const { return m_settings; }
    void setMember(const QString& email, const QString& password);

    // Start-up: reads the settings file and loads the remembered script into the editor.
    void start();
    // Exit: writes the settings file and saves the editor. Both are tried; false with the reasons.
    bool finish(QString* error);

    void setGameFolder(const QString& folder);

    // Saves the editor's lines to the file they came from. False with the reason on failure.
    bool saveEditor(QString* error);
    // "Save script": the typed name, with ".scp" appended unless it holds ".scp" already.
    static QString saveName(const QString& typed);
    bool saveAs(const QString& typedName, QString* error);
    // "Load script": `fileName` in the game folder replaces the editor's lines.
    bool load(const QString& fileName, QString* error);
    // "Clear script": the template under the name "progtmp.scp"; nothing is written now.
    bool clear(QString* error);
    // "Nova pasta/jogo": a folder `name` inside `parentFolder` becomes the game folder.
    NewFolder createGameFolder(const QString& parentFolder, const QString& name);
    // A script given on the command line or dropped on the window: its folder becomes the game folder.
    bool openFile(const QString& path, QString* error);

    // --- runs that load other scripts into the editor ---
    // Before "Executar": edits to another script go to that script's file and the user's own
    // script comes back into the editor, so what runs and what is saved is the user's script.
    bool prepareRun(QString* error);
    // The run loaded `name` (without ".scp") into the editor.
    void scriptLoadedByRun(const std::string& name);
    // After a run returned: unless it stopped inside the other script (paused or failed, where
    // the user needs to see its lines), the user's own script comes back.
    void runReturned(bool stoppedInside);
    // The editor holds the lines of a script other than `ScriptName`.
    bool showsOtherScript() const { return !m_shownName.isEmpty(); }
    const QString& shownName() const { return m_shownName; }

    // --- recovery copy ---
    void saveRecoveryCopy();
    // Writes the editor's lines to the recovery copy whatever their state (the save at close
    // failed); the copy's path, or empty when it could not be written anywhere.
    QString writeRecoveryCopyNow();
    // How long after an unsaved edit the copy is written (tests shorten the wait).
    void setRecoveryDelay(int milliseconds) { m_recoveryTimer.setInterval(milliseconds); }
    // The copy an earlier session left when it holds something its script file does not.
    std::optional<RecoveredScript> pendingRecovery();
    void restore(const RecoveredScript& copy);
    void discardRecovery();
    const RecoveryCopy& recovery() const { return m_recovery; }

signals:
    void scriptNameChanged(const QString& name);
    void gameFolderChanged(const QString& folder);
    // The editor holds other lines than a moment ago (loaded, opened, cleared, restored): whatever
    // the window showed about the old lines' run ("Cont", the line) no longer applies.
    void linesReplaced();

private:
    QString editorFilePath() const;
    bool saveIfUnsaved(QString* error);
    bool refuseWhileRunning(QString* error) const;
    void showLines(const std::vector<std::string>& lines);
    void forgetSprites();
    void setScriptName(const QString& name);
    void restoreOwnScript();
    void userEdited();
    // A save makes this session's copy useless, but not one an earlier session left that the
    // user has not answered for yet.
    void dropRecoveryCopy();

    Engine& m_engine;
    ScriptEditor& m_editor;
    QString m_programFolder;
    StudioSettings m_settings;
    RecoveryCopy m_recovery;
    QTimer m_recoveryTimer;
    bool m_earlierCopyUnanswered = false;
    // The file name of the script a run loaded into the editor; empty while it shows ScriptName.
    QString m_shownName;
    // The user's own lines while a run shows another script.
    std::vector<std::string> m_ownLines;
};

}  // namespace ludomat
