#include "studio/editing/warnings_panel.h"

#include "studio/editing/script_editor.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QHelpEvent>
#include <QListWidget>
#include <QTextBlock>
#include <QTimer>
#include <QToolTip>

namespace ludomat {

namespace {

// Each warning's line in the list is this tall, and the list shows at most this many at once.
constexpr int kRowHeight = 18;
constexpr int kVisibleRows = 4;
const QColor kUnderline(0xE0, 0x40, 0x20);

std::set<std::string> filesIn(const QString& folder)
{
    std::set<std::string> names;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) names.insert(name.toStdString());
    return names;
}

}  // namespace

WarningsPanel::WarningsPanel(ScriptEditor& editor, std::function<QString()> gameFolder, QObject* parent)
    : QObject(parent),
      m_editor(editor),
      m_viewport(editor.viewport()),
      m_gameFolder(std::move(gameFolder)),
      m_list(new QListWidget),
      m_quiet(new QTimer(this)),
      m_watcher(new QFileSystemWatcher(this))
{
    m_list->setObjectName("Avisos");
    m_list->setFixedHeight(kRowHeight * kVisibleRows + 6);
    m_list->setToolTip("Avisos do script: um clique leva à linha. O script roda do mesmo jeito.");
    m_list->hide();
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(kQuietMs);
    connect(m_quiet, &QTimer::timeout, this, &WarningsPanel::checkNow);
    connect(m_editor.document(), &QTextDocument::contentsChanged, m_quiet, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_quiet, qOverload<>(&QTimer::start));
    connect(m_list, &QListWidget::itemClicked, this, &WarningsPanel::goTo);
    // Installed after the editor's own help, so a warning under the mouse is told first.
    m_viewport->installEventFilter(this);
}

void WarningsPanel::checkNow()
{
    m_quiet->stop();
    QString folder = m_gameFolder ? m_gameFolder() : QString();
    if (!m_watcher->directories().contains(folder)) {
        if (!m_watcher->directories().isEmpty()) m_watcher->removePaths(m_watcher->directories());
        if (!folder.isEmpty() && QDir(folder).exists()) m_watcher->addPath(folder);
    }
    m_warnings = findScriptWarnings(m_editor.lines(), filesIn(folder), !folder.isEmpty());
    show();
}

void WarningsPanel::show()
{
    QList<QTextEdit::ExtraSelection> marks;
    m_list->clear();
    for (const ScriptWarning& warning : m_warnings) {
        QTextBlock block = m_editor.document()->findBlockByNumber(warning.line);
        if (!block.isValid()) continue;
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.cursor.setPosition(block.position() + std::min(warning.column, block.length() - 1));
        mark.cursor.setPosition(block.position() + std::min(warning.column + warning.length, block.length() - 1),
                                QTextCursor::KeepAnchor);
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(kUnderline);
        marks.append(mark);
        auto* item = new QListWidgetItem(
            QString("Linha %1: %2").arg(warning.line).arg(QString::fromStdString(warning.message)), m_list);
        item->setData(Qt::UserRole, warning.line);
        item->setData(Qt::UserRole + 1, warning.column);
    }
    m_editor.setWarningMarks(marks);
    m_list->setVisible(!m_warnings.empty());
}

void WarningsPanel::goTo(QListWidgetItem* item)
{
    QTextBlock block = m_editor.document()->findBlockByNumber(item->data(Qt::UserRole).toInt());
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + std::min(item->data(Qt::UserRole + 1).toInt(), block.length() - 1));
    m_editor.setTextCursor(cursor);
    m_editor.ensureCursorVisible();
    m_editor.setFocus();
}

const ScriptWarning* WarningsPanel::warningAt(int position) const
{
    QTextBlock block = m_editor.document()->findBlock(position);
    int column = position - block.position();
    for (const ScriptWarning& warning : m_warnings)
        if (warning.line == block.blockNumber() && column >= warning.column && column < warning.column + warning.length)
            return &warning;
    return nullptr;
}

bool WarningsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_viewport || event->type() != QEvent::ToolTip) return false;
    auto* help = static_cast<QHelpEvent*>(event);
    const ScriptWarning* warning = warningAt(m_editor.cursorForPosition(help->pos()).position());
    if (!warning) return false;
    QToolTip::showText(help->globalPos(), QString::fromStdString(warning->message), m_editor.viewport());
    return true;
}

}  // namespace ludomat
