#pragma once
// Exports a game as a web page: index.html, the compiled runtime (ludomat-web.js and .wasm), the
// page's script, the fonts the desktop draws text with, and the game's own files under "jogo/",
// listed in "jogo.json". Any static file server can then serve the folder.

#include <QString>
#include <QStringList>

namespace ludomat {

struct WebExportRequest {
    QString gameFolder;
    // A new folder (or an empty one).
    QString output;
    // The script the page starts with; empty: chosen as for the Linux export.
    QString firstScript;
    // The prebuilt runtime folder; empty: looked up beside this program and in the installed data.
    QString runtime;
};

// The runtime folder found beside this program, then in the installed data; empty when none.
QString defaultWebRuntime();

// False, with the reason in Portuguese in `error`, when nothing was written (a leftover ".part"
// folder is removed). `files` receives the paths inside the export.
bool exportWebGame(const WebExportRequest& request, QString* error, QStringList* files = nullptr);

}  // namespace ludomat
