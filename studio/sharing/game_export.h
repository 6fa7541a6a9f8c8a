#pragma once
// Exports a game for someone without the studio: the game folder's own files under "jogo/", the
// player `ludomat-play`, a launcher for the desktop and a shell starter, as a folder or as one
// `.tar.gz` archive.

#include <QString>
#include <QStringList>

namespace ludomat {

// The folder inside an export that holds the game's files.
inline constexpr char kExportGameFolder[] = "jogo";
inline constexpr char kPlayerName[] = "ludomat-play";

struct ExportRequest {
    QString gameFolder;
    // A folder (which must not exist yet, or be empty) or a name ending in ".tar.gz".
    QString output;
    // The script the player starts with, a file name in the game folder; empty: chosen here.
    QString firstScript;
    // The player program to copy; empty: the one beside this program.
    QString player;
};

// The script a game starts with when none was chosen: one named after the folder, else
// "prog01.scp", else the first script by name. Empty when the folder holds none.
QString defaultFirstScript(const QString& gameFolder);

// False, with the reason in Portuguese in `error`, when nothing (or only a leftover ".part")
// was written. `files` receives the paths inside the export.
bool exportGame(const ExportRequest& request, QString* error, QStringList* files = nullptr);

}  // namespace ludomat
