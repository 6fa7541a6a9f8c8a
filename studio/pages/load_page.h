#pragma once
// The page "Load": the games in development. The folder list `Pastas` chooses the game folder,
// the file list `Arqs` its scripts; the page loads, saves and clears the editor's script and
// creates new game folders.

#include <QWidget>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QListWidget;

namespace ludomat {

class FolderTree;
struct PageContext;
class PictureButton;
class StudioFiles;

class LoadPage : public QWidget {
    Q_OBJECT
public:
    // What "Nova pasta/jogo" says when the name is taken.
    static const QString kFolderExists;

    explicit LoadPage(const PageContext& context, QWidget* parent = nullptr);

    // "Arquivos": the name field shows the script's name, the message is cleared and both lists
    // are read again from disk.
    void enter();
    // `select` names the entry to select; by default the selected one stays selected.
    void rereadFiles(const QString& select = {});

    // The page's actions, as their buttons and keys run them.
    void loadSelected(bool clearMessage = true);
    void saveScript();
    void clearScript();
    void createFolder();
    QString folderForNewGame() const;

    // The controls the online services answer to; the page only places them.
    struct OnlineControls {
        QAbstractButton* memberIcon = nullptr;    // Icovip
        QAbstractButton* manual = nullptr;        // btWeb
        QAbstractButton* checkVersion = nullptr;  // btVrs
        QAbstractButton* update = nullptr;        // btAtu
        QAbstractButton* catalogue = nullptr;     // btDown
    };
    const OnlineControls& onlineControls() const { return m_online; }
    QLabel* message() const { return m_message; }

    FolderTree& folders() { return *m_folders; }
    QListWidget& files() { return *m_files; }

signals:
    // The editor got new lines or a new name: the window shows the page "Fonte".
    void scriptShown();
    // A picture that opens an editor was clicked (its object name: "imTiles", "imSprites", ...).
    void pictureClicked(const QString& picture);

private:
    void buildLists();
    void buildActions();
    void buildEditorPictures();
    void setMessage(const QString& text);

    StudioFiles& m_studioFiles;
    FolderTree* m_folders = nullptr;
    QListWidget* m_files = nullptr;
    QLineEdit* m_name = nullptr;       // Edn
    QLineEdit* m_newFolder = nullptr;  // NewJog
    QLabel* m_message = nullptr;       // Mesg
    OnlineControls m_online;
};

}  // namespace ludomat
