#include "studio/editing/script_highlighter.h"

#include "engine/command_table.h"

#include <QRegularExpression>

namespace ludomat {

namespace {

QTextCharFormat coloured(const QColor& colour, bool bold = false, bool italic = false)
{
    QTextCharFormat format;
    format.setForeground(colour);
    if (bold) format.setFontWeight(QFont::Bold);
    format.setFontItalic(italic);
    return format;
}

// Blanks as the script trims them: every character up to the space.
bool isBlank(QChar c) { return c.unicode() <= ' '; }

}  // namespace

ScriptHighlighter::ScriptHighlighter(QTextDocument* document) : QSyntaxHighlighter(document)
{
    for (const std::string& word : CommandTable::instance().words())
        m_commands.insert(QString::fromLatin1(word.data(), qsizetype(word.size())));
    m_command = coloured(QColor(0x1f, 0x4e, 0xa8), true);
    m_unknownWord = coloured(QColor(0x6b, 0x71, 0x78));
    m_label = coloured(QColor(0x9b, 0x2c, 0x8a), true);
    m_comment = coloured(QColor(0x2f, 0x7d, 0x3a), false, true);
    m_register = coloured(QColor(0xb3, 0x5c, 0x00), true);
    m_alias = coloured(QColor(0x00, 0x7c, 0x80), true);
}

void ScriptHighlighter::highlightBlock(const QString& text)
{
    int start = 0;
    while (start < text.size() && isBlank(text[start])) ++start;
    if (start >= text.size()) return;
    if (text[start] == '/') {
        setFormat(start, int(text.size()) - start, m_comment);
        return;
    }
    if (text[start] == ':') {
        setFormat(start, int(text.size()) - start, m_label);
        return;
    }
    int end = start;
    while (end < text.size() && text[end] != ' ') ++end;
    // A word the engine does not know is ignored when run; grey says so while typing.
    bool known = m_commands.contains(text.mid(start, end - start));
    setFormat(start, end - start, known ? m_command : m_unknownWord);
    highlightParameters(text, end);
}

void ScriptHighlighter::highlightParameters(const QString& text, int from)
{
    static const QRegularExpression reference(R"(#-?\d+)");
    static const QRegularExpression alias(R"(\$[^\s,$#]+)");
    for (auto it = reference.globalMatch(text, from); it.hasNext();) {
        auto match = it.next();
        setFormat(int(match.capturedStart()), int(match.capturedLength()), m_register);
    }
    for (auto it = alias.globalMatch(text, from); it.hasNext();) {
        auto match = it.next();
        setFormat(int(match.capturedStart()), int(match.capturedLength()), m_alias);
    }
}

}  // namespace ludomat
