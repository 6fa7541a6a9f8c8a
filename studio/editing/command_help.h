#pragma once
// What the command table says about a command word, as the editor and the help page show it.
// The table is the single source; nothing here keeps its own list.

#include <QString>
#include <QStringList>

namespace ludomat {

struct CommandInfo;

// The command entry of `word`, or nullptr.
const CommandInfo* commandInfo(const QString& word);
// Every command word and synonym, sorted.
QStringList commandWords();
// The entry's parameter names ("vezes=1", "off"), in order.
QStringList parameterNames(const CommandInfo& info);
QString helpText(const CommandInfo& info);
// The words of the entry, its first word first.
QStringList entryWords(const CommandInfo& info);
// "pausa vezes=1, off": the word and its parameters, with parameter `current` (0-based) in bold
// when it is not -1; rich text.
QString signatureHtml(const QString& word, const CommandInfo& info, int current = -1);

}  // namespace ludomat
