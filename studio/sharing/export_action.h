#pragma once
// The button "Exportar jogo" of the page "Load": packs the current game folder with its player
// (see game_export.h) where the user chooses, starting with the script in the editor.

#include <QObject>
#include <QString>

#include <functional>

namespace ludomat {

class MainWindow;

class ExportAction : public QObject {
    Q_OBJECT
public:
    explicit ExportAction(MainWindow& window);

    // Exports the game to `output` (a new folder or a ".tar.gz"); tells the user how it went.
    bool exportTo(const QString& output);
    // Asks where the export goes; by default a save box. Tests answer instead.
    void setOutputChooser(std::function<QString()> choose) { m_choose = std::move(choose); }
    void exportGame();

private:
    QString chooseOutput();

    MainWindow& m_window;
    std::function<QString()> m_choose;
};

}  // namespace ludomat
