#include "studio/script_editor.h"

#include "graphics/cp1252.h"

#include <QFontDatabase>
#include <QTextBlock>

namespace ludomat {

ScriptEditor::ScriptEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName("Fonte");
    QFont font("Courier New", 10);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_loading) m_edited = true;
    });
}

std::vector<std::string> ScriptEditor::lines() const
{
    std::vector<std::string> out;
    const QTextDocument* doc = document();
    out.reserve(size_t(doc->blockCount()));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        out.push_back(toCp1252(block.text()));
    if (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

void ScriptEditor::setLines(const std::vector<std::string>& lines)
{
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += fromCp1252(lines[i]);
    }
    // An empty last line needs its own line end, or lines() would take it for the final one.
    if (!lines.empty() && lines.back().empty()) text += '\n';
    m_loading = true;
    setPlainText(text);
    m_loading = false;
    m_edited = false;
}

void ScriptEditor::selectLine(int index)
{
    QTextCursor cursor(document());
    QTextBlock block = document()->findBlockByNumber(index);
    if (index < 0 || !block.isValid()) {
        cursor.movePosition(QTextCursor::End);
    } else {
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    }
    setTextCursor(cursor);
    ensureCursorVisible();
}

int ScriptEditor::caretLine() const { return textCursor().blockNumber(); }

void ScriptEditor::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    emit caretLineReported(caretLine());
}

void ScriptEditor::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    emit caretLineReported(caretLine());
}

}  // namespace ludomat
