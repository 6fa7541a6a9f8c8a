// The member window's "Board" page: the downloaded material on disk. Pictures are previewed and
// can be drawn on the run-time screen; scripts are previewed and can be taken into the editor.

#include "graphics/cp1252.h"
#include "online/member_link.h"
#include "online/member_window.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTreeView>

namespace ludomat {

namespace {
const QStringList kBoardMask{"*.bmp", "*.jpg", "*.png", "*.gif", "*.scp"};
// Previews read no more of a script than this.
constexpr qint64 kMaxPreviewBytes = 1024 * 1024;
}  // namespace

void MemberWindow::buildBoardPages()
{
    QWidget* board = page(MainPage::Board);
    auto* caption = new QLabel("Projetos, aulas e cursos:", board);
    caption->setGeometry(10, 6, 400, 24);
    caption->setStyleSheet("color: #e8eef2; font: bold 15px 'Arial';");
    m_folderModel = new QFileSystemModel(this);
    m_folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders = new QTreeView(board);
    m_folders->setObjectName("Pastas");
    m_folders->setGeometry(10, 34, 296, 361);
    m_folders->setModel(m_folderModel);
    for (int column = 1; column < m_folderModel->columnCount(); ++column) m_folders->hideColumn(column);
    m_folders->header()->hide();
    connect(m_folders, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { showBoardFolder(m_folderModel->filePath(index) + "/"); });

    m_picture = new QLabel(board);
    m_picture->setObjectName("Img1");
    m_picture->setGeometry(320, 6, 380, 210);
    m_picture->setScaledContents(true);
    m_picture->setCursor(Qt::PointingHandCursor);
    m_picture->setToolTip("Clique para desenhar a figura na tela de execução");
    m_picture->setStyleSheet("background: #0f1317;");
    m_picture->installEventFilter(this);
    m_scriptPreview = new QPlainTextEdit(board);
    m_scriptPreview->setObjectName("Fonte");
    m_scriptPreview->setGeometry(320, 224, 381, 226);
    m_scriptPreview->setReadOnly(true);
    m_scriptPreview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_scriptPreview->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont bold("Courier New");
    bold.setBold(true);
    m_scriptPreview->setFont(bold);
    m_scriptPreview->setToolTip("Clique para levar o script ao editor");
    m_scriptPreview->viewport()->installEventFilter(this);

    m_files = new QListWidget(sidePage(SidePage::Board));
    m_files->setObjectName("Arqs");
    m_files->setGeometry(0, 0, 181, 464);
    connect(m_files, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { previewFile(item->text()); });

    // The downloaded material lives in the member folder; the program folder when there is none yet.
    const QString vip = m_link.programFolder() + "vip/";
    const QString start = QFileInfo(vip).isDir() ? vip : m_link.programFolder();
    m_folderModel->setRootPath(m_link.programFolder());
    m_folders->setRootIndex(m_folderModel->index(m_link.programFolder()));
    showBoardFolder(start);
}

void MemberWindow::showBoardFolder(const QString& folder)
{
    m_boardFolder = folder.endsWith('/') ? folder : folder + "/";
    m_folders->setCurrentIndex(m_folderModel->index(QDir(m_boardFolder).absolutePath()));
    m_files->clear();
    m_files->addItems(QDir(m_boardFolder).entryList(kBoardMask, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void MemberWindow::previewFile(const QString& fileName)
{
    const QString path = m_boardFolder + fileName;
    if (fileName.contains(".scp")) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            m_scriptPreview->setPlainText(fromCp1252(file.read(kMaxPreviewBytes).toStdString()));
        return;
    }
    QImage image(path);
    m_previewPicture = image.isNull() ? QString() : path;
    m_picture->setPixmap(QPixmap::fromImage(image));
}

void MemberWindow::drawPreview()
{
    if (!m_previewPicture.isEmpty()) m_link.drawOnScreen(m_previewPicture);
}

void MemberWindow::copyPreviewedScript()
{
    m_files->setFocus();
    QListWidgetItem* item = m_files->currentItem();
    if (item && item->text().contains(".scp")) m_link.openBoardScript(m_boardFolder, item->text());
}

}  // namespace ludomat
