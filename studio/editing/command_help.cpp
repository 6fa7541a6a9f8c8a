#include "studio/editing/command_help.h"

#include "engine/command_table.h"

#include <algorithm>

namespace ludomat {

namespace {

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

const CommandInfo* commandInfo(const QString& word)
{
    if (word.isEmpty()) return nullptr;
    return CommandTable::instance().info(word.toLatin1().toStdString());
}

QStringList commandWords()
{
    QStringList words;
    for (const std::string& word : CommandTable::instance().words()) words << QString::fromLatin1(word);
    std::sort(words.begin(), words.end());
    return words;
}

QStringList parameterNames(const CommandInfo& info)
{
    QStringList names;
    for (const QString& part : utf8(info.params).split(',', Qt::SkipEmptyParts)) names << part.trimmed();
    return names;
}

QString helpText(const CommandInfo& info)
{
    return utf8(info.help);
}

QStringList entryWords(const CommandInfo& info)
{
    return utf8(info.words).split(' ', Qt::SkipEmptyParts);
}

QString signatureHtml(const QString& word, const CommandInfo& info, int current)
{
    QStringList names = parameterNames(info);
    for (int i = 0; i < names.size(); ++i) {
        names[i] = names[i].toHtmlEscaped();
        if (i == current) names[i] = "<b><u>" + names[i] + "</u></b>";
    }
    QString text = "<b>" + word.toHtmlEscaped() + "</b>";
    if (!names.isEmpty()) text += " " + names.join(", ");
    return text;
}

}  // namespace ludomat
