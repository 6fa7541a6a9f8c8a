#pragma once
// Shows the script's warnings while the user types: a wavy underline under each mistake, its
// explanation when the mouse rests on it, and a short list under the editor whose lines go to
// their place when clicked. The warnings are looked for again a moment after the text changes
// and whenever the game folder's files change. Nothing here touches what runs.

#include "studio/editing/script_warnings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QFileSystemWatcher;
class QListWidget;
class QListWidgetItem;
class QTimer;

namespace ludomat {

class ScriptEditor;

class WarningsPanel : public QObject {
    Q_OBJECT
public:
    // How long the text must rest before it is checked again.
    static constexpr int kQuietMs = 400;

    // `gameFolder` tells the folder whose files the script may name.
    WarningsPanel(ScriptEditor& editor, std::function<QString()> gameFolder, QObject* parent = nullptr);

    // The list under the editor (object name "Avisos"); hidden while there is nothing to say.
    QListWidget* list() const { return m_list; }
    const std::vector<ScriptWarning>& warnings() const { return m_warnings; }
    // Checks now instead of after the pause.
    void checkNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show();
    void goTo(QListWidgetItem* item);
    const ScriptWarning* warningAt(int position) const;

    ScriptEditor& m_editor;
    QObject* m_viewport = nullptr;
    std::function<QString()> m_gameFolder;
    QListWidget* m_list = nullptr;
    QTimer* m_quiet = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    std::vector<ScriptWarning> m_warnings;
};

}  // namespace ludomat
