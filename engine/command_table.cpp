#include "engine/command_table.h"

namespace ludomat {

const CommandTable& CommandTable::instance()
{
    static const CommandTable table;
    return table;
}

CommandTable::CommandTable()
{
    add(runControlCommands());
    add(registerCommands());
    add(flowCommands());
    add(plotCommands());
    add(drawingCommands());
    add(screenCommands());
    add(textCommands());
    add(tileCommands());
    add(pictureCommands());
    add(spriteCommands());
    add(inputCommands());
}

void CommandTable::add(std::span<const CommandInfo> group)
{
    for (const CommandInfo& entry : group) {
        m_entries.push_back(&entry);
        std::string_view words = entry.words;
        while (!words.empty()) {
            size_t blank = words.find(' ');
            std::string_view word = words.substr(0, blank);
            if (!word.empty()) m_byWord.try_emplace(std::string(word), &entry);
            words = blank == std::string_view::npos ? std::string_view() : words.substr(blank + 1);
        }
    }
}

CommandHandler CommandTable::find(std::string_view word) const
{
    const CommandInfo* entry = info(word);
    return entry ? entry->handler : nullptr;
}

const CommandInfo* CommandTable::info(std::string_view word) const
{
    auto it = m_byWord.find(word);
    return it == m_byWord.end() ? nullptr : it->second;
}

std::vector<std::string> CommandTable::words() const
{
    std::vector<std::string> out;
    out.reserve(m_byWord.size());
    for (const auto& [word, entry] : m_byWord) out.push_back(word);
    return out;
}

}  // namespace ludomat
