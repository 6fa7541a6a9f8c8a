#include "studio/pages/folder_tree.h"

#include "studio/files/program_folder.h"

#include <QDir>
#include <QFileIconProvider>
#include <QHeaderView>

namespace ludomat {

namespace {

constexpr int kPathRole = Qt::UserRole;
// Marks an item whose sub-folders are read only when it is opened.
constexpr int kUnreadRole = Qt::UserRole + 1;

QStringList subFolders(const QString& path)
{
    return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

QString folderOf(const QTreeWidgetItem* item) { return item ? item->data(0, kPathRole).toString() : QString(); }

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName("Pastas");
    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(12);
    setUniformRowHeights(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::fillChildren);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { emit folderChosen(folderOf(item)); });
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { emit folderChosen(folderOf(item)); });
}

QTreeWidgetItem* FolderTree::addFolder(QTreeWidgetItem* parent, const QString& path)
{
    static const QIcon icon = QFileIconProvider().icon(QFileIconProvider::Folder);
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    QString name = QDir(path).dirName();
    item->setText(0, name.isEmpty() ? path : name);
    item->setToolTip(0, path);
    item->setIcon(0, icon);
    item->setData(0, kPathRole, withTrailingSlash(path));
    if (!subFolders(path).isEmpty()) {
        item->setData(0, kUnreadRole, true);
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    } else {
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    }
    return item;
}

void FolderTree::fillChildren(QTreeWidgetItem* item)
{
    if (!item->data(0, kUnreadRole).toBool()) return;
    item->setData(0, kUnreadRole, false);
    QString path = folderOf(item);
    for (const QString& name : subFolders(path)) addFolder(item, path + name);
}

void FolderTree::reread(const QString& root, const QString& current)
{
    m_root = withTrailingSlash(root);
    clear();
    QTreeWidgetItem* top = addFolder(nullptr, m_root);
    top->setExpanded(true);
    // A game folder outside the program folder still gets its place in the list.
    if (!current.startsWith(m_root) && QDir(current).exists()) addFolder(nullptr, withTrailingSlash(current));
    selectFolder(current);
}

QTreeWidgetItem* FolderTree::findFolder(const QString& folder)
{
    QString wanted = withTrailingSlash(QDir::cleanPath(folder));
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        while (item) {
            QString path = folderOf(item);
            if (path == wanted) return item;
            if (!wanted.startsWith(path)) break;
            // Open the way down to the wanted folder, one level at a time.
            fillChildren(item);
            QTreeWidgetItem* next = nullptr;
            for (int c = 0; c < item->childCount() && !next; ++c)
                if (wanted.startsWith(folderOf(item->child(c)))) next = item->child(c);
            item = next;
        }
    }
    return nullptr;
}

bool FolderTree::selectFolder(const QString& folder)
{
    QTreeWidgetItem* item = findFolder(folder);
    if (!item) return false;
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent()) up->setExpanded(true);
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}

QString FolderTree::selectedFolder() const { return folderOf(currentItem()); }

}  // namespace ludomat
