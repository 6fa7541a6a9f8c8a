#pragma once
// Colours the script in the editor: command words (read from the one command table), labels,
// comments, register references "#n" and alias references "$name".

#include <QSet>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace ludomat {

class ScriptHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit ScriptHighlighter(QTextDocument* document);

    // The kind of the word that starts `line`, for tests and tool tips: true when it is a command.
    bool isCommandWord(const QString& word) const { return m_commands.contains(word); }

protected:
    void highlightBlock(const QString& text) override;

private:
    void highlightParameters(const QString& text, int from);

    QSet<QString> m_commands;
    QTextCharFormat m_command;
    QTextCharFormat m_unknownWord;
    QTextCharFormat m_label;
    QTextCharFormat m_comment;
    QTextCharFormat m_register;
    QTextCharFormat m_alias;
};

}  // namespace ludomat
