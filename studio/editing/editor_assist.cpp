#include "studio/editing/editor_assist.h"

#include "engine/command_table.h"
#include "studio/editing/command_help.h"
#include "studio/editing/script_editor.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QTextBlock>
#include <QToolTip>

namespace ludomat {

namespace {

constexpr char kCommentMark[] = "//";

// The command word of a line and where it starts; empty for blanks, comments and labels.
QString lineWord(const QString& text, int* start = nullptr)
{
    int from = 0;
    while (from < text.size() && text[from].isSpace()) ++from;
    if (start) *start = from;
    if (from >= text.size() || text[from] == '/' || text[from] == ':') return {};
    int end = from;
    while (end < text.size() && !text[end].isSpace()) ++end;
    return text.mid(from, end - from);
}

}  // namespace

EditorAssist::EditorAssist(ScriptEditor& editor, std::function<void()> save)
    : QObject(&editor), m_editor(editor), m_viewport(editor.viewport()), m_save(std::move(save))
{
    m_completer = new QCompleter(commandWords(), this);
    m_completer->setCaseSensitivity(Qt::CaseSensitive);
    m_completer->setModelSorting(QCompleter::CaseSensitivelySortedModel);
    m_completer->setWidget(&editor);
    m_completer->popup()->setObjectName("Completar");
    // Ahead of the completer's own filter: Enter and Tab complete here, in the editor's way.
    m_completer->popup()->installEventFilter(this);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this, &EditorAssist::insertCompletion);

    m_hint = new QLabel(editor.viewport());
    m_hint->setObjectName("DicaComando");
    m_hint->setTextFormat(Qt::RichText);
    m_hint->setWordWrap(true);
    m_hint->setStyleSheet("background: #fffbe6; color: #222; border: 1px solid #c9b458; padding: 2px 5px;");
    m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_hint->hide();

    editor.installEventFilter(this);
    m_viewport->installEventFilter(this);
    connect(&editor, &QPlainTextEdit::cursorPositionChanged, this, &EditorAssist::updateHint);
    connect(&editor, &ScriptEditor::userEdited, this, [this] { complete(false); });
    buildBar();
}

QString EditorAssist::wordBeforeCaret() const
{
    QTextCursor cursor = m_editor.textCursor();
    QString text = cursor.block().text();
    int column = cursor.positionInBlock();
    int start = 0;
    QString word = lineWord(text, &start);
    // Only the command word at the start of the line is completed, and only at its end.
    if (word.isEmpty() || column != start + word.size()) return {};
    return word;
}

void EditorAssist::complete(bool evenIfShort)
{
    QString prefix = wordBeforeCaret();
    QAbstractItemView* popup = m_completer->popup();
    if (m_editor.textCursor().hasSelection() || (prefix.size() < kCompletionMinLetters && !evenIfShort)) {
        popup->hide();
        return;
    }
    m_completer->setCompletionPrefix(prefix);
    int count = m_completer->completionCount();
    // A finished word with nothing longer to offer needs no list.
    if (count == 0 || (count == 1 && m_completer->currentCompletion() == prefix && !evenIfShort)) {
        popup->hide();
        return;
    }
    popup->setCurrentIndex(m_completer->completionModel()->index(0, 0));
    QRect area = m_editor.cursorRect();
    area.setWidth(popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width() + 8);
    m_completer->complete(area);
    updateHint();
}

void EditorAssist::insertCompletion(const QString& word)
{
    QTextCursor cursor = m_editor.textCursor();
    int start = 0;
    QString current = lineWord(cursor.block().text(), &start);
    cursor.setPosition(cursor.block().position() + start);
    cursor.setPosition(cursor.block().position() + start + int(current.size()), QTextCursor::KeepAnchor);
    const CommandInfo* info = commandInfo(word);
    // A blank after the word is where the first parameter goes.
    cursor.insertText(info && !parameterNames(*info).isEmpty() ? word + " " : word);
    m_editor.setTextCursor(cursor);
    m_completer->popup()->hide();
    updateHint();
}

void EditorAssist::updateHint()
{
    QTextCursor cursor = m_editor.textCursor();
    QString text = cursor.block().text();
    int start = 0;
    QString word = lineWord(text, &start);
    const CommandInfo* info = commandInfo(word);
    int column = cursor.positionInBlock();
    if (!info || column < start + word.size() || !m_editor.hasFocus()) {
        m_hint->hide();
        return;
    }
    // The parameter being filled in is the one after as many commas as stand before the caret.
    int current = -1;
    if (column > start + word.size())
        current = int(text.mid(start + word.size() + 1, column - start - word.size() - 1).count(','));
    m_hint->setText(signatureHtml(word, *info, current) + "<br>" + helpText(*info).toHtmlEscaped());
    // As wide as its lines want, wrapped only where the editor is narrower.
    m_hint->setWordWrap(false);
    m_hint->setMinimumWidth(0);
    m_hint->setMaximumWidth(QWIDGETSIZE_MAX);
    m_hint->adjustSize();
    int width = qMin(m_hint->width(), m_editor.viewport()->width() - 8);
    m_hint->setWordWrap(true);
    m_hint->setFixedWidth(width);
    m_hint->resize(width, m_hint->heightForWidth(width));
    QRect line = m_editor.cursorRect();
    // Below the line, unless the list of words is there or the editor ends.
    int top = line.bottom() + 4;
    bool below = top + m_hint->height() <= m_editor.viewport()->height() && !m_completer->popup()->isVisible();
    if (!below && line.top() - m_hint->height() - 4 >= 0)
        top = line.top() - m_hint->height() - 4;
    else if (!below)
        top = line.bottom() + 4 + m_completer->popup()->height();
    int left = qBound(0, line.left() - 20, qMax(0, m_editor.viewport()->width() - m_hint->width()));
    m_hint->move(left, top);
    m_hint->show();
    m_hint->raise();
}

QString EditorAssist::helpAt(int position) const
{
    QTextBlock block = m_editor.document()->findBlock(position);
    int start = 0;
    QString word = lineWord(block.text(), &start);
    int column = position - block.position();
    if (column < start || column > start + word.size()) return {};
    const CommandInfo* info = commandInfo(word);
    if (!info) return {};
    return signatureHtml(word, *info) + "<br>" + helpText(*info).toHtmlEscaped();
}

bool EditorAssist::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_completer->popup() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Tab: {
                QModelIndex index = m_completer->popup()->currentIndex();
                if (index.isValid()) insertCompletion(index.data().toString());
                m_completer->popup()->hide();
                return true;
            }
            case Qt::Key_Escape:
                m_completer->popup()->hide();
                return true;
            default:
                return false;
        }
    }
    if (watched == m_viewport && event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QString text = helpAt(m_editor.cursorForPosition(help->pos()).position());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, m_editor.viewport());
        return true;
    }
    if (watched == &m_editor && event->type() == QEvent::KeyPress) return handleKey(static_cast<QKeyEvent*>(event));
    if (watched == &m_editor && event->type() == QEvent::FocusOut) m_hint->hide();
    if (watched == &m_editor && event->type() == QEvent::FocusIn) updateHint();
    return QObject::eventFilter(watched, event);
}

bool EditorAssist::handleKey(QKeyEvent* event)
{
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        if (event->key() == Qt::Key_Escape && m_bar->isVisible()) {
            m_bar->hide();
            return true;
        }
        return false;
    }
    switch (event->key()) {
        case Qt::Key_Space:
            complete(true);
            return true;
        case Qt::Key_F:
            openBar(0);
            return true;
        case Qt::Key_H:
            openBar(1);
            return true;
        case Qt::Key_G:
            openBar(2);
            return true;
        case Qt::Key_Slash:
            toggleComment();
            return true;
        case Qt::Key_S:
            if (event->modifiers().testFlag(Qt::ShiftModifier)) return false;
            if (m_save) m_save();
            return true;
        default:
            return false;
    }
}

void EditorAssist::toggleComment()
{
    QTextCursor cursor = m_editor.textCursor();
    QTextDocument* doc = m_editor.document();
    QTextBlock first = doc->findBlock(cursor.selectionStart());
    QTextBlock last = doc->findBlock(cursor.selectionEnd());
    // A selection ending at the very start of a line does not take that line in.
    if (cursor.hasSelection() && last.blockNumber() > first.blockNumber() && cursor.selectionEnd() == last.position())
        last = last.previous();
    bool allCommented = true;
    for (QTextBlock b = first; b.isValid() && b.blockNumber() <= last.blockNumber(); b = b.next()) {
        QString trimmed = b.text().trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(kCommentMark)) allCommented = false;
    }
    QTextCursor edit(doc);
    edit.beginEditBlock();
    for (QTextBlock b = first; b.isValid() && b.blockNumber() <= last.blockNumber(); b = b.next()) {
        QString text = b.text();
        if (text.trimmed().isEmpty()) continue;
        int indent = 0;
        while (indent < text.size() && text[indent].isSpace()) ++indent;
        edit.setPosition(b.position() + indent);
        if (allCommented) {
            edit.setPosition(b.position() + indent + 2, QTextCursor::KeepAnchor);
            edit.removeSelectedText();
        } else {
            edit.insertText(kCommentMark);
        }
    }
    edit.endEditBlock();
}

bool EditorAssist::findNext(const QString& text)
{
    if (text.isEmpty()) return false;
    QTextDocument* doc = m_editor.document();
    QTextCursor found = doc->find(text, m_editor.textCursor());
    // Past the last match the search goes on from the top.
    if (found.isNull()) found = doc->find(text, 0);
    if (found.isNull()) return false;
    m_editor.setTextCursor(found);
    m_editor.ensureCursorVisible();
    return true;
}

bool EditorAssist::replaceNext(const QString& text, const QString& with)
{
    QTextCursor cursor = m_editor.textCursor();
    if (!text.isEmpty() && cursor.hasSelection() && cursor.selectedText().compare(text, Qt::CaseInsensitive) == 0) {
        cursor.insertText(with);
        m_editor.setTextCursor(cursor);
    }
    return findNext(text);
}

int EditorAssist::replaceAll(const QString& text, const QString& with)
{
    if (text.isEmpty()) return 0;
    QTextDocument* doc = m_editor.document();
    int count = 0;
    QTextCursor edit(doc);
    edit.beginEditBlock();
    QTextCursor found = doc->find(text, 0);
    while (!found.isNull()) {
        found.insertText(with);
        ++count;
        // Searching on after the inserted text never finds a match inside the replacement.
        found = doc->find(text, found);
    }
    edit.endEditBlock();
    return count;
}

void EditorAssist::goToLine(int line)
{
    int last = qMax(0, m_editor.document()->blockCount() - 1);
    QTextCursor cursor(m_editor.document()->findBlockByNumber(qBound(0, line, last)));
    m_editor.setTextCursor(cursor);
    m_editor.ensureCursorVisible();
    m_editor.setFocus();
    // The run goes on from the line the user went to, as after a click.
    emit m_editor.caretLineReported(m_editor.caretLine());
}

}  // namespace ludomat
