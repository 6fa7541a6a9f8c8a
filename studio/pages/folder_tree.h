#pragma once
// The folder list `Pastas` of the page "Load": the program folder with the game folders inside
// it (and the current game folder when it lies elsewhere), read from disk on demand.

#include <QTreeWidget>

namespace ludomat {

class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderTree(QWidget* parent = nullptr);

    // Re-reads the folders from disk under `root`, and selects `current` (both end with "/").
    void reread(const QString& root, const QString& current);
    // Selects the folder, opening its parents; false when it is not in the tree.
    bool selectFolder(const QString& folder);
    // The selected folder, ending with "/"; empty when none.
    QString selectedFolder() const;

signals:
    // The user chose a folder.
    void folderChosen(const QString& folder);

private:
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, const QString& path);
    void fillChildren(QTreeWidgetItem* item);
    QTreeWidgetItem* findFolder(const QString& folder);

    QString m_root;
};

}  // namespace ludomat
