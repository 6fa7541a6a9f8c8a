#pragma once
// The button "Exportar jogo" of the page "Load": packs the current game folder with its player
// (see game_export.h) where the user chooses, starting with the script in the editor; or, as
// "Para o navegador", writes a web page that plays it (`ludomat-export --web`).

#include "studio/window/page_context.h"

#include <QObject>
#include <QString>

#include <functional>

namespace ludomat {

class ExportAction : public QObject {
    Q_OBJECT
public:
    // The button goes on `loadPage`.
    ExportAction(const PageContext& context, QWidget* loadPage);

    // Exports the game to `output` (a new folder or a ".tar.gz"); tells the user how it went.
    bool exportTo(const QString& output);
    // Writes a new folder `output` with the game as a web page; tells the user how it went.
    bool exportToWeb(const QString& output);
    // Asks where the export goes; by default a save box. Tests answer instead, for either kind.
    void setOutputChooser(std::function<QString()> choose, bool web = false)
    {
        m_choose = std::move(choose);
        m_chooseWeb = web;
    }
    void exportGame();

private:
    // The place chosen, and whether the user picked the web page kind.
    QString chooseOutput(bool* web);

    PageContext m_context;
    QWidget* m_loadPage = nullptr;
    std::function<QString()> m_choose;
    bool m_chooseWeb = false;
};

}  // namespace ludomat
